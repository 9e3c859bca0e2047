#include "BatchPrompter.h"
#include "Commands.h"
#include "Options.h"

#include "core/AppContext.h"
#include "core/AppSettings.h"
#include "core/TaxDatabase.h"
#include "declarations/DeclarationStore.h"
#include "declarations/SalaryImport.h"
#include "platform/WindowsPaths.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>

namespace zq::cli {
namespace {

QString usage()
{
    return QStringLiteral(
        "usage: zqsaltax-cli import-salary --db PATH --unit N --month yyyy-mm [--threshold X] "
        "[--windows DIR]");
}

// A message of the window on one or more lines of standard error.
QString asLines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

} // namespace

int importSalary(const QStringList& args, Io io)
{
    QString error;
    const auto opts = parseOptions(args,
                                   {QStringLiteral("db"), QStringLiteral("unit"), QStringLiteral("month"),
                                    QStringLiteral("threshold"), QStringLiteral("windows")},
                                   {}, &error);
    if (!opts || !opts->has(QStringLiteral("db")) || !opts->has(QStringLiteral("unit")) ||
        !opts->has(QStringLiteral("month")) || !opts->positional.isEmpty()) {
        io.err << (error.isEmpty() ? usage() : error) << '\n';
        return ExitFailure;
    }
    bool unitOk = false;
    const qint64 unitId = opts->value(QStringLiteral("unit")).toLongLong(&unitOk);
    if (!unitOk) {
        io.err << QStringLiteral("--unit needs a unit number, not “%1”\n")
                      .arg(opts->value(QStringLiteral("unit")));
        return ExitFailure;
    }
    // The stand-in for Windows lives beside the program unless told otherwise.
    const QString windows = opts->value(
        QStringLiteral("windows"), platform::defaultWindowsFolder(QCoreApplication::applicationDirPath()));
    try {
        const auto db = TaxDatabase::open(opts->databasePath());
        BatchPrompter prompter;
        AppSettings settings;
        AppContext ctx{db.get(), &prompter, &settings, QFileInfo(opts->databasePath()).absolutePath(),
                       windows};

        // As "导入" on a new declaration of the unit, for the month given.
        DeclarationDocument doc;
        DeclarationStore(*db).loadNew(doc, unitId, QDate::currentDate());
        doc.setHeader(HeaderField::Month, opts->value(QStringLiteral("month")));

        SalaryImport salaryImport(ctx, unitId);
        // --threshold stands in for the setting; without it the threshold is empty, that is 0.
        salaryImport.setThresholdText(opts->value(QStringLiteral("threshold")));
        const SalaryImportResult result = salaryImport.ImportSalary(doc);
        if (result.status != SalaryImportResult::Status::Imported) {
            io.err << asLines(prompter.lastNotice()) << '\n';
            return ExitFailure;
        }
        using F = HeaderField;
        for (F f : {F::UnitMen, F::UnitTaxMen, F::TaxMs, F::TaxM, F::ReduTaxM, F::FactTax})
            io.out << QString(DeclarationDocument::caption(f)).remove(QStringLiteral("\r\n")) << '\t'
                   << doc.header(f) << '\n';
        io.out << '\n';
        for (int r = 0; r < doc.rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < DetailColumnCount; ++c)
                cells << doc.cellText(r, c);
            io.out << cells.join(u'\t') << '\n';
        }
    } catch (const DatabaseError& e) {
        io.err << QStringLiteral("cannot read %1: %2\n")
                      .arg(QDir::toNativeSeparators(opts->databasePath()), e.description());
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace zq::cli
