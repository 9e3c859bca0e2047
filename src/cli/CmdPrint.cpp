#include "Commands.h"
#include "Options.h"

#include "core/TaxDatabase.h"
#include "declarations/DeclarationStore.h"
#include "reports/DeclarationForm.h"
#include "reports/EmployeeYear.h"

#include <QDir>
#include <QFileInfo>

namespace zq::cli {

int printDeclaration(const QStringList& args, Io io)
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
        io.err << "usage: zqsaltax-cli print [--db PATH] --app N --out FILE.pdf [--force]\n";
        return ExitFailure;
    }
    const auto appNumber = opts->number(QStringLiteral("app"), QStringLiteral("a declaration number"), io);
    if (!appNumber)
        return ExitFailure;
    const qint64 appId = *appNumber;
    if (opts->refusesToOverwrite(QStringLiteral("out"), io))
        return ExitRefused;
    const QFileInfo target(opts->value(QStringLiteral("out")));
    const QString shown = QDir::toNativeSeparators(target.absoluteFilePath());
    const QString dbPath = opts->databasePath();
    try {
        const auto db = TaxDatabase::open(dbPath);
        DeclarationDocument doc;
        if (!DeclarationStore(*db).loadStored(doc, appId)) {
            io.err << QStringLiteral(
                          "cannot print declaration %1: 找不到这张申报表（编号 %1），它可能已被删除。\n")
                          .arg(appId);
            return ExitFailure;
        }
        DeclarationForm form(doc);
        if (const auto problem = form.writePdfFile(target.absoluteFilePath())) {
            io.err << QStringLiteral("cannot print declaration %1: %2\n").arg(appId).arg(*problem);
            return ExitFailure;
        }
        io.out << QStringLiteral("%1\t%2 pages\n").arg(shown).arg(form.pageCount());
    } catch (const DatabaseError& e) {
        io.err
            << QStringLiteral("cannot open %1: %2\n").arg(QDir::toNativeSeparators(dbPath), e.description());
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace zq::cli

namespace zq::cli {

int statement(const QStringList& args, Io io)
{
    QString error;
    const auto opts = parseOptions(args,
                                   {QStringLiteral("db"), QStringLiteral("unit"), QStringLiteral("emp"),
                                    QStringLiteral("year"), QStringLiteral("out")},
                                   {QStringLiteral("force")}, &error);
    if (!opts) {
        io.err << error << '\n';
        return ExitFailure;
    }
    if (!opts->positional.isEmpty() || !opts->has(QStringLiteral("unit")) ||
        !opts->has(QStringLiteral("emp")) || !opts->has(QStringLiteral("year"))) {
        io.err << "usage: zqsaltax-cli statement [--db PATH] --unit N --emp ID --year YYYY "
                  "[--out FILE.pdf|FILE.csv] [--force]\n";
        return ExitFailure;
    }
    const auto unitNumber = opts->number(QStringLiteral("unit"), QStringLiteral("a unit number"), io);
    if (!unitNumber)
        return ExitFailure;
    const qint64 unitId = *unitNumber;
    bool ok = false;
    const int year = opts->value(QStringLiteral("year")).toInt(&ok);
    if (!ok || year < 1900 || year > 9999) {
        io.err << QStringLiteral("--year needs a year such as 2024, not \"%1\"\n")
                      .arg(opts->value(QStringLiteral("year")));
        return ExitFailure;
    }
    if (opts->refusesToOverwrite(QStringLiteral("out"), io))
        return ExitRefused;
    const bool toFile = opts->has(QStringLiteral("out"));
    const QFileInfo target(opts->value(QStringLiteral("out")));
    const QString dbPath = opts->databasePath();
    try {
        const auto db = TaxDatabase::open(dbPath);
        QString problem;
        const auto y = EmployeeYear::load(*db, unitId, opts->value(QStringLiteral("emp")), year, &problem);
        if (!y) {
            io.err << QStringLiteral("cannot make the statement: %1\n").arg(problem);
            return ExitFailure;
        }
        if (!toFile) {
            QByteArray csv = y->csv();
            csv.remove(0, 3); // the byte-order mark is for files
            io.out << QString::fromUtf8(csv).remove(u'\r');
            return ExitOk;
        }
        if (const auto failed = y->writeFile(target.absoluteFilePath())) {
            io.err << QStringLiteral("cannot make the statement: %1\n").arg(*failed);
            return ExitFailure;
        }
        io.out << QDir::toNativeSeparators(target.absoluteFilePath()) << '\n';
    } catch (const DatabaseError& e) {
        io.err
            << QStringLiteral("cannot open %1: %2\n").arg(QDir::toNativeSeparators(dbPath), e.description());
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace zq::cli
