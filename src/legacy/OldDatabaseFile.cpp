#include "OldDatabaseFile.h"

#include "core/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zq::legacy {

OldFileKind oldFileKind(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return OldFileKind::Other;
    const QByteArray head = f.read(32);
    if (head.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return OldFileKind::Sqlite;
    // A Jet or ACE file names its engine at offset 4.
    const QByteArray engine = head.mid(4, 15);
    if (engine == "Standard Jet DB" || engine == "Standard ACE DB")
        return OldFileKind::Access;
    return OldFileKind::Other;
}

std::unique_ptr<Database> openOldDatabase(const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo fi(path);
    if (!fi.exists() || fi.isDir())
        throw DatabaseError(DatabaseError::Kind::CannotOpen, DatabaseError::CannotOpenNumber,
                            QStringLiteral("找不到文件“%1”。").arg(shown));
    if (!fi.isReadable())
        throw DatabaseError(DatabaseError::Kind::NoPermission, DatabaseError::NoPermissionNumber,
                            QStringLiteral("没有读取文件“%1”的权限。").arg(shown));
    switch (oldFileKind(path)) {
    case OldFileKind::Sqlite:
        return Database::openSqlite(path, Database::Access::ReadOnly);
    case OldFileKind::Access:
        throw DatabaseError(
            -1, QStringLiteral("“%1”是 Access 文件，本版本还不能直接读取 Access 文件。").arg(shown));
    case OldFileKind::Other:
        break;
    }
    throw DatabaseError(-1, QStringLiteral("“%1”不是旧版程序的数据库。").arg(shown));
}

} // namespace zq::legacy
