#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/AppContext.h"
#include "core/AppSettings.h"
#include "core/Money.h"
#include "declarations/DeclarationDocument.h"
#include "declarations/SalaryImport.h"
#include "employees/EmployeeImport.h"
#include "employees/IdentityNumber.h"
#include "finance/DemoPackage.h"
#include "finance/FinanceLocator.h"

#include <QTest>

using namespace zq;
using namespace zq::finance;

namespace {

// Opens both demo units' account sets and checks what an import relies on.
void checkInstallation(const QString& folder, Database& taxDb)
{
    test::ScriptedPrompter prompter;
    AppSettings settings(folder + "/settings.ini");
    AppContext ctx{&taxDb, &prompter, &settings, folder, QString()}; // the default windows folder
    const Rows units = taxDb.select("select UnitID from UnitInfo order by UnitID");
    QCOMPARE(units.size(), 2);
    QSet<QString> people;
    for (qsizetype u = 0; u < units.size(); ++u) {
        QString edition;
        auto db = GetFinanceConnection(ctx, units.value(u, u"UnitID").toLongLong(), &edition);
        QVERIFY2(db, qPrintable(prompter.texts().join(" | ")));
        QCOMPARE(edition, QString("Olvenka 3.X"));

        const Rows staff = db->select("select emp_id, emp_name, Audi_Code, dd_flag from employee");
        QCOMPARE(staff.size(), DemoPackage::EmployeesPerAccountSet);
        int endingInX = 0;
        int left = 0;
        for (qsizetype r = 0; r < staff.size(); ++r) {
            const QString id = staff.value(r, u"Audi_Code").toString();
            // numbers the employee list's own check finds sound
            QVERIFY2(id.size() == 18 && IdentityNumber::check(id, QDate(2026, 12, 7)).isEmpty(),
                     qPrintable(id));
            endingInX += id.endsWith(u'X');
            left += staff.value(r, u"dd_flag").toInt() != 0;
            QVERIFY(!people.contains(id));
            people.insert(id);
        }
        QVERIFY(endingInX >= 3);
        QVERIFY(left > 0 && left <= 5);

        // salary rows belong to current employees, and the identity item holds the number as text
        QCOMPARE(db->scalar("select count(*) from salary s join employee e on s.emp_id=e.emp_id "
                            "where e.dd_flag<>0 or s.SFZH<>e.Audi_Code")
                     .toInt(),
                 0);
        // the amounts add up as the package computed them
        const Rows row = db->select("select YFGZ, BX, YNSSD, Tax, SFGZ from salary where Tax>0 limit 1");
        const Money gross = *Money::fromForeign(row.value(0, u"YFGZ"));
        const Money insurance = *Money::fromForeign(row.value(0, u"BX"));
        const Money taxable = *Money::fromForeign(row.value(0, u"YNSSD"));
        const Money tax = *Money::fromForeign(row.value(0, u"Tax"));
        QCOMPARE(taxable, gross - insurance - Money::fromUnits(3500));
        QCOMPARE(*Money::fromForeign(row.value(0, u"SFGZ")), gross - insurance - tax);
    }
    QCOMPARE(prompter.records().size(), 0);
}

// Everything the imports give on an installation of the package in the given form: both units' employees,
// and every month's salary import (rows, amounts to the ten-thousandth, counts and totals), with the
// messages.
QStringList importEverything(DemoPackage::Format format)
{
    test::TempTaxDatabase tax;
    const QString windows = tax.dir() + "/windows";
    DemoPackage::create(windows, format);
    DemoPackage::addUnits(tax.db());
    test::ScriptedPrompter prompter;
    AppSettings settings(tax.dir() + "/settings.ini");
    settings.setTaxThreshold("3500");
    const AppContext ctx{&tax.db(), &prompter, &settings, tax.dir(), windows};
    QStringList out;
    for (qint64 unit = 1; unit <= 2; ++unit) {
        EmployeeRows staff;
        out << QString::number(EmployeeImport(ctx).run(unit, staff));
        for (const QStringList& r : staff)
            out << r.join(u'\t');
        for (int month = 1; month <= 12; ++month) {
            DeclarationDocument doc;
            doc.setHeader(HeaderField::Month, QStringLiteral("2012-%1").arg(month, 2, 10, QLatin1Char('0')));
            prompter.queue(Prompter::Answer::Yes);
            const SalaryImportResult result = SalaryImport(ctx, unit).ImportSalary(doc);
            out << QStringLiteral("month %1: status %2, %3 rows")
                       .arg(month)
                       .arg(int(result.status))
                       .arg(result.imported);
            for (const DetailRow& row : doc.rows()) {
                QStringList cells{QString::number(row.rowNo)};
                for (const QString& t : row.texts)
                    cells << t;
                for (const auto& a : row.amounts)
                    cells << (a ? QString::number(a->raw()) : QStringLiteral("-"));
                out << cells.join(u'\t');
            }
            QStringList header;
            for (int f = 0; f < HeaderFieldCount; ++f)
                header << doc.header(HeaderField(f));
            out << header.join(u'|');
        }
    }
    out << prompter.texts();
    return out;
}

} // namespace

class TestDemoPackage : public QObject {
    Q_OBJECT
private slots:
    void resolvesForBothUnits_data()
    {
        QTest::addColumn<DemoPackage::Format>("format");
        QTest::newRow("SQLite files") << DemoPackage::Format::Sqlite;
        QTest::newRow("Access files") << DemoPackage::Format::Access;
    }
    void resolvesForBothUnits()
    {
        QFETCH(DemoPackage::Format, format);
        test::TempTaxDatabase tax;
        const QString windows = tax.dir() + "/windows";
        DemoPackage::create(windows, format);
        DemoPackage::addUnits(tax.db());
        checkInstallation(tax.dir(), tax.db());
        // a second package never overwrites the first
        QVERIFY_THROWS_EXCEPTION(DatabaseError, DemoPackage::create(windows));
    }

    // The same package in Access files and in SQLite files gives the same employees, rows, amounts, counts,
    // totals and messages.
    void accessAndSqliteImportAlike()
    {
        const QStringList sqlite = importEverything(DemoPackage::Format::Sqlite);
        const QStringList access = importEverything(DemoPackage::Format::Access);
        QVERIFY(sqlite.size() > 500);
        QVERIFY(sqlite.contains("导入31条数据"));
        QCOMPARE(access, sqlite);
    }
};

ZQ_TEST(TestDemoPackage)
#include "TestDemoPackage.moc"
