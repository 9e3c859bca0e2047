#include "Commands.h"
#include "Options.h"

#include "core/TaxDatabase.h"
#include "legacy/LegacyMigration.h"
#include "legacy/OldDatabaseFile.h"

#include <QDir>
#include <QFileInfo>

namespace zq::cli {

int migrate(const QStringList& args, Io io)
{
    QString error;
    const auto opts = parseOptions(args, {QStringLiteral("db")}, {}, &error);
    if (!opts || opts->positional.size() != 1) {
        io.err << (opts ? QStringLiteral("usage: zqsaltax-cli migrate OLD.mdb [--db PATH]") : error) << '\n';
        return ExitFailure;
    }
    const QString oldPath = opts->positional.first();
    const QString dbPath = opts->databasePath();
    std::unique_ptr<Database> own;
    try {
        own = TaxDatabase::open(dbPath);
    } catch (const DatabaseError& e) {
        return databaseFailure(io, dbPath, e.description());
    }
    try {
        // Refused before the old file is read, which may take a while.
        if (!legacy::LegacyMigration::isEmptyOwnDatabase(*own)) {
            io.err << legacy::LegacyMigration::ownNotEmptyMessage() << '\n';
            return ExitRefused;
        }
        const auto old = legacy::openOldDatabase(oldPath);
        const auto outcome = legacy::LegacyMigration(*old, *own, QFileInfo(oldPath).absoluteFilePath()).run();
        QString text = outcome.message;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        (outcome.ok() ? io.out : io.err) << text << '\n';
        return outcome.ok() ? ExitOk : ExitRefused;
    } catch (const DatabaseError& e) {
        io.err << QStringLiteral("cannot migrate %1: %2\n")
                      .arg(QDir::toNativeSeparators(oldPath), QString(e.description()).replace(u'\n', u' '));
        return ExitFailure;
    }
}

} // namespace zq::cli
