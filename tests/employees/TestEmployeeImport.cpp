#include "EmployeeFixture.h"
#include "employees/EmployeeImport.h"

using namespace zq;
using namespace zq::test;

// The import command over a payroll package in files: what it merges, what it tells the user.
class TestEmployeeImport : public QObject {
    Q_OBJECT
private slots:
    // Known numbers are updated in place (only the first row holding one), left employees and those without
    // salary rows are not met, an employee met twice fills one row with what the last record set, and a
    // number too long for a save comes in whole for the save's check to find.
    void mergesIntoTheGrid()
    {
        EmployeeFixture f;
        const QVariantList thrice{"ID-1", "ID-2", "ID-1"}; // three salary rows: met three times
        f.addPayroll("0001", "张三新", "A1", 0, thrice);
        f.addPayroll("0002", "李四", "A2", 0, thrice);
        f.addPayroll("0003", "已离职", "A3", 1, {"330101198001010011"});
        f.addPayroll("0004", QVariant(), "A4", 0, {QVariant()});
        f.addPayroll("123456789", "编号太长", "A5", 0, {"5"});
        f.addPayroll("0006", "无工资", "A6", 0);
        EmployeeRows rows{{" 0001 ", "张三", "旧证件", "840", "0101"},
                          {"X", "别人", "", "", ""},
                          {"0001", "b", "", "", ""}};
        QVERIFY(EmployeeImport(f.ctx).run(1, rows));
        QCOMPARE(lines(rows), (QStringList{" 0001 \t张三新\tID-2\t840\t0101", "X\t别人\t\t\t",
                                           "0001\tb\t\t\t", "0002\t李四\tID-2\t001\t0201",
                                           "0004\t\t\t001\t0201", "123456789\t编号太长\t5\t001\t0201"}));
        QCOMPARE(f.stored().size() + f.prompter.records().size(), 0); // nothing stored, nothing said
    }

    // Which identity the import takes with each mapping of the identity column, and where it stops.
    void outcomes_data()
    {
        QTest::addColumn<QString>("change"); // of unit 1, or "no unit" selected
        QTest::addColumn<QString>("title");  // "title|" and how the text starts of the one message, or empty
        QTest::addColumn<QString>("part");   // of its text
        QTest::addColumn<QString>("identity"); // of the merged row; empty: the import stops
        const QString tip = "提示信息|", error = "导入员工信息出错|错误类型：", none;
        QTest::newRow("none mapped: told, then Audi_Code")
            << "SaCode6=null" << tip << QString("您未设置那一列作为员工证件编号，不能导入") << "AUDI";
        QTest::newRow("empty: Audi_Code without a message") << "SaCode6=''" << none << none << "AUDI";
        QTest::newRow("mapped") << "" << none << none << "SALARY";
        QTest::newRow("mapped column does not exist")
            << "SaCode6='NoSuchColumn'" << error << QString("no such column") << none;
        QTest::newRow("no finance link")
            << "CopyId=null" << tip << QString("请先设置您使用的财务软件的版本、账套、年度！") << none;
        QTest::newRow("no unit selected") << "no unit" << error << QString("错误类型：9") << none;
    }
    void outcomes()
    {
        QFETCH(QString, change);
        QFETCH(QString, title);
        QFETCH(QString, identity);
        EmployeeFixture f;
        f.addPayroll("0001", "张三", "AUDI", 0, {"SALARY"});
        const bool noUnit = change == "no unit";
        if (!change.isEmpty() && !noUnit)
            execOrFail(f.tax.db(), "update UnitInfo set " + change + " where UnitID=1");
        EmployeeRows rows{{"0001", "原名", "", "", ""}};
        QCOMPARE(EmployeeImport(f.ctx).run(noUnit ? std::nullopt : std::optional<qint64>(1), rows),
                 !identity.isEmpty());
        QFETCH(QString, part);
        QCOMPARE(f.prompter.records().size(), title.isEmpty() ? 0 : 1);
        const QString said =
            title.isEmpty() ? QString() : f.prompter.last().title + '|' + f.prompter.last().text;
        QVERIFY2(said.startsWith(title) && said.contains(part), qPrintable(said));
        QCOMPARE(lines(rows),
                 QStringList{identity.isEmpty() ? "0001\t原名\t\t\t" : "0001\t张三\t" + identity + "\t\t"});
    }
};

ZQ_TEST(TestEmployeeImport)
#include "TestEmployeeImport.moc"
