#include "Commands.h"
#include "Options.h"

#include "core/TaxDatabase.h"
#include "declarations/UploadExport.h"

#include <QDir>
#include <QFileInfo>

namespace zq::cli {
namespace {

// Messages meant for a box may span lines; the command line reports one line.
QString oneLine(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(u'\n', u' ');
    return text;
}

} // namespace

int exportUpload(const QStringList& args, Io io)
{
    QString error;
    const auto opts = parseOptions(args, {QStringLiteral("db"), QStringLiteral("app"), QStringLiteral("out")},
                                   {QStringLiteral("force")}, &error);
    if (!opts) {
        io.err << error << '\n';
        return ExitFailure;
    }
    if (!opts->positional.isEmpty() || !opts->has(QStringLiteral("app")) ||
        !opts->has(QStringLiteral("out"))) {
        io.err << "usage: zqsaltax-cli export [--db PATH] --app N --out FILE [--force]\n";
        return ExitFailure;
    }
    const auto appNumber = opts->number(QStringLiteral("app"), QStringLiteral("a declaration number"), io);
    if (!appNumber)
        return ExitFailure;
    const qint64 appId = *appNumber;
    if (opts->refusesToOverwrite(QStringLiteral("out"), io))
        return ExitRefused;
    const QString out = opts->value(QStringLiteral("out"));
    const QString dbPath = opts->databasePath();
    try {
        const auto db = TaxDatabase::open(dbPath);
        QString stored;
        if (const auto problem = UploadExport::writeFile(*db, appId, out, &stored)) {
            io.err << QStringLiteral("cannot export declaration %1: %2\n")
                          .arg(appId)
                          .arg(oneLine(problem->message));
            return ExitFailure;
        }
        io.out << stored << '\n';
    } catch (const DatabaseError& e) {
        io.err << QStringLiteral("cannot open %1: %2\n")
                      .arg(QDir::toNativeSeparators(dbPath), oneLine(e.description()));
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace zq::cli
