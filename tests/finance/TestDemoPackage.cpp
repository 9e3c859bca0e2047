#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/AppContext.h"
#include "core/AppSettings.h"
#include "declarations/DeclarationDocument.h"
#include "declarations/SalaryImport.h"
#include "employees/EmployeeImport.h"
#include "employees/EmployeeWarnings.h"
#include "finance/DemoPackage.h"

#include <QTest>

using namespace zq;
using namespace zq::finance;

namespace {

// Everything the imports give on an installation of the package in the given form, found in the default
// windows folder: both units' employees, and every month's salary import (rows, exact amounts, counts and
// totals), with the messages.
QStringList importEverything(DemoPackage::Format format)
{
    test::TempTaxDatabase tax;
    DemoPackage::create(tax.dir() + "/windows", format);
    DemoPackage::addUnits(tax.db());
    test::ScriptedPrompter prompter;
    AppSettings settings(tax.dir() + "/settings.ini");
    settings.setTaxThreshold("3500");
    const AppContext ctx{&tax.db(), &prompter, &settings, tax.dir(), QString()};
    QStringList out;
    for (qint64 unit = 1; unit <= 2; ++unit) {
        EmployeeRows staff;
        out << QString::number(EmployeeImport(ctx).run(unit, staff));
        // identity numbers the employee list's own check finds sound
        for (const auto& w : EmployeeWarnings::check(staff, QDate(2026, 12, 7)))
            out << "warning: " + w.problem;
        for (const QStringList& r : staff)
            out << r.join(u'\t');
        for (int month = 1; month <= 12; ++month) {
            DeclarationDocument doc;
            doc.setHeader(HeaderField::Month, QStringLiteral("2012-%1").arg(month, 2, 10, QLatin1Char('0')));
            prompter.queue(Prompter::Answer::Yes);
            const SalaryImportResult result = SalaryImport(ctx, unit).ImportSalary(doc);
            out << QString::number(int(result.status)) << QString::number(result.imported);
            for (int r = 0; r < doc.rowCount(); ++r) {
                QStringList cells;
                for (int c = 0; c <= ColTaxM1; ++c)
                    cells << doc.cellText(r, c);
                out << cells.join(u'\t');
            }
            for (int f = 0; f < HeaderFieldCount; ++f)
                out << doc.header(HeaderField(f));
        }
    }
    out << prompter.texts();
    return out;
}

} // namespace

class TestDemoPackage : public QObject {
    Q_OBJECT
private slots:
    // The same package in Access files and in SQLite files gives the same employees, rows, amounts, counts,
    // totals and messages.
    void accessAndSqliteImportAlike()
    {
        const QStringList sqlite = importEverything(DemoPackage::Format::Sqlite);
        const QStringList access = importEverything(DemoPackage::Format::Access);
        QVERIFY(sqlite.size() > 500);
        QVERIFY(sqlite.contains("导入31条数据"));
        QCOMPARE(sqlite.filter("warning: "), QStringList());
        QCOMPARE(access, sqlite);
        // A second package never overwrites the first.
        QTemporaryDir dir;
        DemoPackage::create(dir.path());
        QVERIFY_THROWS_EXCEPTION(DatabaseError, DemoPackage::create(dir.path()));
    }
};

ZQ_TEST(TestDemoPackage)
#include "TestDemoPackage.moc"
