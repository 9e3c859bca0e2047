// zqsaltax-bench [ROWS]: times the program's bulk operations on a generated declaration and compares each
// with the bare limit of what it has to do, measured through SQLite's C API on the same data in the same run.
#include "BenchData.h"
#include "MigrationBench.h"
#include "SalaryImportBench.h"

#include "core/TaxDatabase.h"
#include "declarations/DeclarationStore.h"
#include "declarations/DeclarationValidator.h"
#include "declarations/UploadExport.h"
#include "declarations/UploadFileWriter.h"
#include "employees/EmployeeImport.h"
#include "employees/EmployeeStore.h"
#include "finance/AccessFile.h"
#include "finance/FinanceConnection.h"
#include "reports/DeclarationForm.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <stdexcept>
#include <sys/resource.h>

namespace {

using namespace zq;
using namespace zq::bench;

constexpr int kRuns = 5;
constexpr qint64 kDeclaration = 1; // the generated declaration
constexpr qint64 kScratch = 2;     // rows the bare insert writes and the next run deletes
constexpr double kPeakMemoryTargetMb = 300;
constexpr qint64 kEmployees = 20000;
constexpr qint64 kEmployeeUnit = 1;

// One measured operation. A limit has no limit of its own; an operation names the limit it is compared with
// and the largest ratio it may reach.
struct Operation {
    QString name;
    QString limit;
    double target = 0;
    std::function<void()> prepare; // untimed, before every run
    std::function<void()> run;
    double medianMs = 0;
    double maxMs = 0; // an operation without a limit may have a longest time instead
};

double medianMs(Operation& op)
{
    std::vector<double> ms;
    for (int i = 0; i < kRuns; ++i) {
        if (op.prepare)
            op.prepare();
        QElapsedTimer t;
        t.start();
        op.run();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

void storeHeader(Database& db, const std::vector<GeneratedRow>& rows)
{
    Money income, taxable, paid;
    for (const GeneratedRow& r : rows) {
        income += r.income;
        taxable += r.taxable;
        paid += r.paid;
    }
    const qlonglong n = qlonglong(rows.size());
    db.exec(QStringLiteral("insert into UnitInfo(UnitID, UnitName, ComputerCode, Phone, DeclarePerson) "
                           "values(1, ?, '3301061234', '0571-88886666', ?)"),
            {QStringLiteral("杭州明远机械制造有限公司"), QStringLiteral("王会计")});
    db.exec(QStringLiteral(
                "insert into ApplT(AppID, UnitID, ComputerCode, Phone, Month, ApplyDate, DeclarePerson, "
                "UnitMen, UnitTaxMen, OthMen, OthTaxMen, InComeM, TaxMs, TaxM, ReduTaxM, OutTaxM, FactTax, "
                "OweTax, BookNo) values(?, 1, '3301061234', '0571-88886666', '2005-11-01', '2005-12-05', ?, "
                "?, ?, 0, 0, ?, ?, ?, 0, ?, ?, 0, '330106200512050001')"),
            {QVariant::fromValue<qlonglong>(kDeclaration), QStringLiteral("王会计"), n, n, income.toStored(),
             income.toStored(), taxable.toStored(), paid.toStored(), paid.toStored()});
}

int run(qint64 rowCount)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        throw std::runtime_error("no temporary folder");
    const QString dbPath = dir.filePath(TaxDatabase::fileName());
    TaxDatabase::create(dbPath);
    const auto db = TaxDatabase::open(dbPath);
    sqlite3* handle = db->sqliteHandle();

    const std::vector<GeneratedRow> rows = generateRows(rowCount);
    storeHeader(*db, rows);
    insertRows(handle, kDeclaration, rows);

    QByteArray fileBytes;
    if (const auto problem = UploadFileWriter(*db).build(kDeclaration, fileBytes))
        throw std::runtime_error(problem->message.toStdString());
    const QString exportPath = dir.filePath(QStringLiteral("upload.csv"));
    const QString barePath = dir.filePath(QStringLiteral("bare.csv"));
    volatile qint64 sink = 0;

    // The editor's document: filled from the rows' texts as an import or a paste fills it, then validated,
    // saved new, loaded and saved again as the declaration editor does.
    DeclarationDocument filled;
    const auto fill = [&] {
        filled = DeclarationDocument();
        QVector<zq::DetailRow>& docRows = filled.rows();
        docRows.reserve(qsizetype(rows.size()) + 1);
        for (const GeneratedRow& g : rows) {
            zq::DetailRow r;
            r.rowNo = g.rowId;
            r.texts = {QString::fromUtf8(g.idCard), QString::fromUtf8(g.name),
                       QString::fromUtf8(g.nationCode), QString::fromUtf8(g.profCode),
                       QString::fromUtf8(g.progCode)};
            const Money amounts[6] = {g.income, g.taxable, g.rate, g.reduction, g.foreignCredit, g.paid};
            for (int k = 0; k < 6; ++k)
                r.amounts[k] = Money::parse(amounts[k].toPlainString());
            docRows.append(std::move(r));
        }
        filled.appendRow();
        using F = HeaderField;
        const QString n = QString::number(rows.size());
        filled.setHeader(F::ComputerCode, QStringLiteral("3301061234"));
        filled.setHeader(F::Phone, QStringLiteral("0571-88886666"));
        filled.setHeader(F::DeclarePerson, QStringLiteral("王会计"));
        filled.setHeader(F::Month, QStringLiteral("2005-11"));
        filled.setHeader(F::ApplyDate, QStringLiteral("2005-12-05"));
        filled.setHeader(F::UnitMen, n);
        filled.setHeader(F::UnitTaxMen, n);
        filled.setHeader(F::InComeM, filled.columnSum(ColInComeM).format(u"#,##0.00"));
        filled.setHeader(F::BookNo, QStringLiteral("330106200512050001"));
    };
    fill();
    DeclarationStore store(*db);
    constexpr qint64 kSaved = 3; // the declaration the editor's save writes
    DeclarationDocument loaded;

    std::vector<Operation> ops;
    ops.push_back({QStringLiteral("bare insert"),
                   {},
                   0,
                   [&] { db->exec(QStringLiteral("delete from ApplTInfo where AppID = ?"), {kScratch}); },
                   [&] { insertRows(handle, kScratch, rows); }});
    ops.push_back(
        {QStringLiteral("bare read"), {}, 0, nullptr, [&] { sink = sink + readRows(handle, kDeclaration); }});
    ops.push_back({QStringLiteral("bare read and write"), {}, 0, nullptr, [&] {
                       sink = sink + readRows(handle, kDeclaration);
                       writeSynced(barePath, fileBytes);
                   }});
    ops.push_back({QStringLiteral("export"), QStringLiteral("bare read and write"), 2.0, nullptr, [&] {
                       if (const auto problem = UploadExport::writeFile(*db, kDeclaration, exportPath))
                           throw std::runtime_error(problem->message.toStdString());
                   }});
    ops.push_back({QStringLiteral("fill document"), {}, 0, nullptr, fill});
    DeclarationDocument checked;
    Operation validate{QStringLiteral("validate"),
                       {},
                       0,
                       [&] {
                           checked = filled;
                           checked.rows().detach(); // the editor's document is its own, not shared
                       },
                       [&] {
                           if (const auto problem = DeclarationValidator::DoCheckDeclaration(checked))
                               throw std::runtime_error(problem->message.toStdString());
                       }};
    validate.maxMs = 200;
    ops.push_back(validate);
    ops.push_back({QStringLiteral("save new"), QStringLiteral("bare insert"), 2.0,
                   [&] {
                       db->exec(QStringLiteral("delete from ApplT where AppID = ?"), {kSaved});
                       db->exec(QStringLiteral("delete from ApplTInfo where AppID = ?"), {kSaved});
                   },
                   [&] { store.save(filled, kSaved, 1); }});
    ops.push_back({QStringLiteral("load"), QStringLiteral("bare read"), 2.0, nullptr,
                   [&] { store.loadStored(loaded, kSaved); }});
    ops.push_back({QStringLiteral("save again"), QStringLiteral("bare insert"), 0, nullptr,
                   [&] { store.save(loaded, kSaved, 1); }});

    // The salary import of as many rows for as many employees, on its own payroll package and own database.
    const QString salaryFolder = dir.filePath(QStringLiteral("salary"));
    if (!QDir().mkpath(salaryFolder))
        throw std::runtime_error("no folder for the salary import");
    SalaryImportBench salary(salaryFolder, rowCount);
    ops.push_back({QStringLiteral("bare salary read"), {}, 0, nullptr, [&] { salary.runBareRead(); }});
    ops.push_back({QStringLiteral("salary import"), QStringLiteral("bare salary read"), 3.0, nullptr,
                   [&] { salary.runImport(); }});

    // The salary import from the package's Access file: 20,000 employees and a year of salary rows (240,000),
    // one month imported, compared with mdb-export reading the whole salary table of the same file; then
    // another month from the same unchanged file.
    const QString accessFolder = dir.filePath(QStringLiteral("access"));
    if (!QDir().mkpath(accessFolder))
        throw std::runtime_error("no folder for the Access salary import");
    SalaryImportBench fromAccess(accessFolder, kEmployees, 12);
    QString whyNot;
    if (fromAccess.convertToAccess(&whyNot)) {
        const QString file = fromAccess.accountSet();
        ops.push_back({QStringLiteral("mdb-export salary"), {}, 0, nullptr, [file] {
                           QProcess p;
                           p.setStandardOutputFile(QProcess::nullDevice());
                           p.start(QStringLiteral("mdb-export"), {file, QStringLiteral("salary")});
                           if (!p.waitForFinished(-1) || p.exitCode() != 0)
                               throw std::runtime_error("mdb-export failed");
                       }});
        ops.push_back({QStringLiteral("salary import from Access"), QStringLiteral("mdb-export salary"), 1.5,
                       [] { finance::ClearAccessCache(); }, [&] { fromAccess.runImport(); }});
        ops.push_back({QStringLiteral("again, unchanged file"), QStringLiteral("salary import from Access"),
                       0.5, nullptr, [&] { fromAccess.runImport(QStringLiteral("2012-04")); }});
    } else {
        std::printf("(no Access salary import: %s)\n", qPrintable(whyNot));
    }

    // A unit's staff as the employee list holds them, and the same people in a payroll package with a year of
    // salary rows: the list's save and its import from the package.
    const std::vector<GeneratedRow> staff = generateRows(kEmployees);
    EmployeeRows staffRows;
    for (size_t i = 0; i < staff.size(); ++i)
        staffRows.append({QString::fromLatin1(employeeNumber(qint64(i))), QString::fromUtf8(staff[i].name),
                          QString::fromLatin1(staff[i].idCard), QString::fromLatin1(staff[i].nationCode),
                          QString::fromLatin1(staff[i].profCode)});
    const QString payrollPath = dir.filePath(QStringLiteral("0012012.mdb"));
    writePayroll(payrollPath, staff, 12);
    ops.push_back({QStringLiteral("save 20,000 employees"), {}, 0, nullptr, [&] {
                       if (EmployeeRowChecker::checkAll(staffRows))
                           throw std::runtime_error("the generated employees do not pass the row checks");
                       sink = sink + EmployeeStore(*db).save(kEmployeeUnit, staffRows);
                   }});
    ops.back().maxMs = 1000;
    ops.push_back({QStringLiteral("import 20,000 payroll employees"), {}, 0, nullptr, [&] {
                       // into the list as a unit change loads it, from the package's file
                       EmployeeRows rows = EmployeeStore(*db).load(kEmployeeUnit);
                       const auto payroll = finance::OpenFinanceConnection(payrollPath, QString(), QString(),
                                                                           QString(), nullptr);
                       sink = sink + ImportEmployees(*payroll, QStringLiteral("SFZH"), rows);
                       if (rows.size() != kEmployees)
                           throw std::runtime_error("the import did not merge every employee");
                   }});
    ops.back().maxMs = 1000;
    // The printed form of the whole declaration as PDF: loaded as the list's 打印 loads it, drawn page by
    // page.
    const QString pdfPath = dir.filePath(QStringLiteral("declaration.pdf"));
    int pdfPages = 0;
    ops.push_back({QStringLiteral("print PDF"), {}, 0, nullptr, [&] {
                       DeclarationDocument doc;
                       DeclarationStore(*db).loadStored(doc, kDeclaration);
                       DeclarationForm form(doc);
                       if (const auto problem = form.writePdfFile(pdfPath))
                           throw std::runtime_error(problem->toStdString());
                       pdfPages = form.pageCount();
                   }});
    ops.back().maxMs = 10000;

    // The take-over of a large old database (an Access file), against reading it with the library and
    // inserting its rows bare.
    const QString migrationFolder = dir.filePath(QStringLiteral("migration"));
    if (!QDir().mkpath(migrationFolder))
        throw std::runtime_error("no folder for the migration");
    MigrationBench migration(migrationFolder);
    if (migration.available()) {
        ops.push_back({QStringLiteral("bare old read and insert"),
                       {},
                       0,
                       [&] { migration.prepare(); },
                       [&] { migration.runBare(); }});
        ops.push_back({QStringLiteral("migrate old database"), QStringLiteral("bare old read and insert"),
                       2.0, [&] { migration.prepare(); }, [&] { migration.runMigration(); }});
    } else {
        std::printf("migration skipped: %s\n", qPrintable(migration.skipReason()));
    }

    std::printf("zqsaltax-bench: %lld detail rows, upload file %.1f MB, median of %d runs\n\n",
                static_cast<long long>(rowCount), double(fileBytes.size()) / (1024.0 * 1024.0), kRuns);
    std::printf("%-32s %10s   %-22s %7s %7s\n", "operation", "ms", "limit", "ratio", "target");
    bool allMet = true;
    for (Operation& op : ops) {
        op.medianMs = medianMs(op);
        const auto limit =
            std::find_if(ops.begin(), ops.end(), [&](const Operation& o) { return o.name == op.limit; });
        if (limit == ops.end() || limit->medianMs <= 0) {
            const bool met = op.maxMs <= 0 || op.medianMs <= op.maxMs;
            allMet = allMet && met;
            if (op.maxMs > 0)
                std::printf("%-32s %10.1f   %-22s %7s %7s%s\n", qPrintable(op.name), op.medianMs,
                            qPrintable(QStringLiteral("< %1 ms").arg(op.maxMs)), "", "", met ? "" : "  OVER");
            else
                std::printf("%-32s %10.1f\n", qPrintable(op.name), op.medianMs);
            continue;
        }
        const double ratio = op.medianMs / limit->medianMs;
        const bool met = op.target <= 0 || ratio <= op.target;
        allMet = allMet && met;
        // A ratio shown for information has no target to print.
        const QByteArray target = op.target > 0 ? QByteArray::number(op.target, 'f', 2) : QByteArray();
        std::printf("%-32s %10.1f   %-22s %7.2f %7s%s\n", qPrintable(op.name), op.medianMs,
                    qPrintable(limit->name), ratio, target.constData(), met ? "" : "  OVER");
    }
    if (QFile(exportPath).size() != fileBytes.size())
        throw std::runtime_error("the exported file differs in size from the built one");
    std::printf("\nprinted form: %d pages, %.1f MB of PDF\n", pdfPages,
                double(QFileInfo(pdfPath).size()) / (1024.0 * 1024.0));

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peakMb = double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    const bool memoryMet = peakMb <= kPeakMemoryTargetMb;
    std::printf("\npeak memory %.1f MB (target %.0f MB)%s\n", peakMb, kPeakMemoryTargetMb,
                memoryMet ? "" : "  OVER");
    if (const qint64 childKb = finance::AccessFile::lastChildPeakKb())
        std::printf("peak memory of the child process that read the Access file %.1f MB\n",
                    double(childKb) / 1024.0);
    return allMet && memoryMet ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    // The printed form needs fonts, which come with a GUI application; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    qint64 rows = 100000;
    const QStringList args = app.arguments().mid(1);
    if (args.size() > 1 || (args.size() == 1 && ((rows = args[0].toLongLong()) <= 0))) {
        std::fprintf(stderr, "usage: zqsaltax-bench [ROWS]   (ROWS a positive number, default 100000)\n");
        return 2;
    }
    try {
        return run(rows);
    } catch (const DatabaseError& e) {
        std::fprintf(stderr, "zqsaltax-bench: %s\n", qPrintable(e.description()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zqsaltax-bench: %s\n", e.what());
    }
    return 2;
}
