#include "BatchPrompter.h"
#include "Commands.h"
#include "Options.h"

#include "core/AppContext.h"
#include "core/AppSettings.h"
#include "core/Dates.h"
#include "core/TaxDatabase.h"
#include "declarations/DeclarationStore.h"
#include "declarations/DeclarationValidator.h"
#include "declarations/SalaryImport.h"
#include "declarations/UploadExport.h"
#include "employees/EmployeeImport.h"
#include "employees/EmployeeStore.h"
#include "finance/DemoPackage.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace zq::cli {
namespace {

// The month of the demo payroll package that the demo declaration is made for.
QString demoMonth()
{
    return QStringLiteral("%1-01").arg(finance::DemoPackage::Year);
}

// What a message shown on the way says, for standard error.
QString lastMessage(const BatchPrompter& prompter)
{
    return QString(prompter.lastNotice()).replace(QStringLiteral("\r\n"), QStringLiteral(" "));
}

} // namespace

// A month's work on the demo installation without windows: the first unit's employees taken over from the
// payroll package, the month's salary imported into a declaration that is checked and stored, and its upload
// file written. Each step is skipped when its result is already there, so it can run again.
int demo(const QStringList& args, Io io)
{
    QString error;
    const auto opts = parseOptions(
        args, {QStringLiteral("db"), QStringLiteral("windows"), QStringLiteral("out")}, {}, &error);
    if (!opts || !opts->positional.isEmpty()) {
        io.err << (opts ? QStringLiteral("usage: zqsaltax-cli demo [--db PATH] [--windows DIR] [--out FILE]")
                        : error)
               << '\n';
        return ExitFailure;
    }
    const QString dbPath = opts->databasePath();
    try {
        const auto db = TaxDatabase::open(dbPath);
        BatchPrompter prompter;
        // The user's settings are not this run's business: an empty threshold, like a fresh installation.
        QTemporaryDir settingsDir;
        AppSettings settings(settingsDir.filePath(QStringLiteral("demo.ini")));
        const AppContext ctx{db.get(), &prompter, &settings, QFileInfo(dbPath).absolutePath(),
                             opts->windowsFolder()};

        const QVariant firstUnit = db->scalar(QStringLiteral("select min(UnitID) from UnitInfo"));
        if (firstUnit.isNull()) {
            io.err << "the database has no unit; create it with zqsaltax-cli init-db --demo PATH\n";
            return ExitFailure;
        }
        const qint64 unitId = firstUnit.toLongLong();
        io.out
            << "unit\t" << unitId << '\t'
            << db->scalar(QStringLiteral("select UnitName from UnitInfo where UnitID=?"), {unitId}).toString()
            << '\n';

        EmployeeStore employees(*db);
        EmployeeRows staff = employees.load(unitId);
        if (staff.isEmpty()) {
            if (!EmployeeImport(ctx).run(unitId, staff)) {
                io.err << lastMessage(prompter) << '\n';
                return ExitFailure;
            }
            // The employee list's checks before its save; the first failing row is named by its place.
            if (const auto problem = EmployeeRowChecker::checkAll(staff)) {
                io.err << QStringLiteral("employee row %1: ").arg(problem->row + 1)
                       << QString(problem->text).replace(QStringLiteral("\r\n"), QStringLiteral(" ")) << '\n';
                return ExitRefused;
            }
            employees.save(unitId, staff);
        }
        io.out << "employees\t" << employees.load(unitId).size() << '\n';

        const QString monthStored = demoMonth() + QStringLiteral("-01");
        QVariant appId = db->scalar(QStringLiteral("select min(AppID) from ApplT where UnitID=? and Month=?"),
                                    {unitId, monthStored});
        if (appId.isNull()) {
            DeclarationDocument doc;
            DeclarationStore store(*db);
            store.loadNew(doc, unitId, QDate::currentDate());
            doc.setHeader(HeaderField::Month, demoMonth());
            SalaryImport salary(ctx, unitId);
            if (salary.ImportSalary(doc).status != SalaryImportResult::Status::Imported) {
                io.err << lastMessage(prompter) << '\n';
                return ExitFailure;
            }
            // What the accountant fills in by hand: the total income and the payment book.
            doc.setHeader(HeaderField::InComeM, doc.header(HeaderField::TaxMs));
            doc.setHeader(HeaderField::OutTaxM, doc.header(HeaderField::FactTax));
            doc.setHeader(HeaderField::BookNo,
                          QStringLiteral("DEMO%1").arg(QString(demoMonth()).remove(u'-')));
            if (const auto problem = DeclarationValidator::DoCheckDeclaration(doc)) {
                io.err << QString(problem->message).replace(QStringLiteral("\r\n"), QStringLiteral(" "))
                       << '\n';
                return ExitRefused;
            }
            const qint64 newId = store.newAppId();
            store.save(doc, newId, unitId);
            appId = newId;
        }
        io.out << "declaration\t" << appId.toLongLong() << '\t' << demoMonth() << '\n';

        const QString out = opts->value(
            QStringLiteral("out"),
            QDir(QFileInfo(dbPath).absolutePath()).filePath(QStringLiteral("demo-%1.CSV").arg(demoMonth())));
        QString stored;
        if (const auto problem = UploadExport::writeFile(*db, appId.toLongLong(), out, &stored)) {
            io.err << problem->message << '\n';
            return ExitFailure;
        }
        io.out << "upload file\t" << QDir::toNativeSeparators(stored) << '\n';
    } catch (const DatabaseError& e) {
        return databaseFailure(io, dbPath, e.description());
    }
    return ExitOk;
}

} // namespace zq::cli
