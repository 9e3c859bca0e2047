#include "Commands.h"
#include "Options.h"

#include "core/TaxDatabase.h"
#include "declarations/DeclarationStore.h"
#include "declarations/DeclarationValidator.h"
#include "declarations/DeclarationWarnings.h"

#include <QDir>

namespace zq::cli {

int check(const QStringList& args, Io io)
{
    QString error;
    const auto opts = parseOptions(args, {QStringLiteral("db"), QStringLiteral("app")},
                                   {QStringLiteral("warnings")}, &error);
    if (!opts || !opts->has(QStringLiteral("app")) || !opts->positional.isEmpty()) {
        io.err << (opts ? QStringLiteral("usage: zqsaltax-cli check [--db PATH] [--warnings] --app N")
                        : error)
               << '\n';
        return ExitFailure;
    }
    bool ok = false;
    const qint64 appId = opts->value(QStringLiteral("app")).toLongLong(&ok);
    if (!ok || appId <= 0) {
        io.err << QStringLiteral("--app needs a declaration number, not “%1”\n")
                      .arg(opts->value(QStringLiteral("app")));
        return ExitFailure;
    }
    try {
        const auto db = TaxDatabase::open(opts->databasePath());
        if (db->scalar(QStringLiteral("select count(*) from ApplT where AppID=?"), {appId}).toInt() == 0) {
            io.err << QStringLiteral("there is no declaration %1 in %2\n")
                          .arg(appId)
                          .arg(QDir::toNativeSeparators(opts->databasePath()));
            return ExitFailure;
        }
        // Loaded as the editor loads it, and checked as the save checks it.
        DeclarationDocument doc;
        DeclarationStore(*db).loadStored(doc, appId);
        const auto problem = DeclarationValidator::DoCheckDeclaration(doc);
        // Warnings never change the exit code: they are for a person to look at.
        if (opts->flag(QStringLiteral("warnings")))
            for (const Warning& w : DeclarationWarnings::check(doc, QDate::currentDate()))
                io.out << QStringLiteral("警告 ") << w.line() << '\n';
        if (problem) {
            io.out << problem->message << '\n';
            return ExitRefused;
        }
    } catch (const DatabaseError& e) {
        return databaseFailure(io, opts->databasePath(), e.description());
    }
    return ExitOk;
}

} // namespace zq::cli
