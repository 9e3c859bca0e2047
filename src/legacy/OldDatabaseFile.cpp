#include "OldDatabaseFile.h"

#include "LegacyMigration.h"
#include "core/Database.h"
#include "finance/AccessFile.h"

#include <QDir>

namespace zq::legacy {

std::unique_ptr<Database> openOldDatabase(const QString& path)
{
    using finance::FileKind;
    switch (finance::detectFileKind(path)) {
    case FileKind::Sqlite:
        return Database::openSqlite(path, Database::Access::ReadOnly);
    case FileKind::Jet3:
    case FileKind::Jet4:
    case FileKind::Ace:
        return finance::AccessFile::open(path)->load(LegacyMigration::tableNames(), false);
    case FileKind::NotADatabase:
        break;
    }
    throw DatabaseError(-1, QStringLiteral("“%1”不是旧版程序的数据库。").arg(QDir::toNativeSeparators(path)));
}

} // namespace zq::legacy
