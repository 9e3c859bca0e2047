#include "EmployeeFixture.h"
#include "employees/EmployeeWarnings.h"

using namespace zq;
using namespace zq::test;

Q_DECLARE_METATYPE(zq::EmployeeRows)

class TestEmployeeStore : public QObject {
    Q_OBJECT
private slots:
    void checks_data()
    {
        QTest::addColumn<EmployeeRows>("rows");
        QTest::addColumn<int>("row"); // -1: every row passes
        QTest::addColumn<QString>("text");
        const QString longNumber = QStringLiteral("员工编号最长不得超过八个字符。");
        const QString han50(50, QChar(0x5F20));
        const auto row = [](const char* name, const EmployeeRows& rows, int at = -1,
                            const QString& text = {}) { QTest::newRow(name) << rows << at << text; };
        // A number of 8, names of 50 (beyond the basic plane too, a lone surrogate once), an identity of 50.
        row("each at its limit passes", {{"12345678", "王"},
                                         {"1", han50},
                                         {"2", QString::fromUcs4(U"\U00020000").repeated(50)},
                                         {"3", han50.left(49) + QChar(0xD840)},
                                         {"4", "王", QString(50, u'1')}});
        row("number of 9 refused", {{"1", "a"}, {"123456789", "王"}}, 1, longNumber);
        row("name of 51 Chinese characters refused", {{"1", han50 + u'张'}}, 0,
            "员工姓名最长不得超过五十个字符。");
        row("identity number of 51 refused", {{"1", "王", QString(51, u'1')}}, 0,
            "员工证件号码最长不得超过五十个字符。");
        row("the first row with the number is named", {{"A", "1"}, {"B", "2"}, {"A", "3"}, {"A", "4"}}, 2,
            "第1行的员工编号已经是：A，同一个单位员工编码不能重复。");
    }
    void checks()
    {
        QFETCH(EmployeeRows, rows);
        QFETCH(int, row);
        QFETCH(QString, text);
        const auto problem = EmployeeRowChecker::checkAll(rows);
        QCOMPARE(problem.has_value(), row >= 0);
        if (!problem)
            return;
        QCOMPARE(problem->row, row);
        QCOMPARE(problem->text, text);
        // A length refusal puts the focus in the grid; a duplicate number does not.
        QCOMPARE(problem->focusGrid, text.contains(QStringLiteral("最长")));
        QCOMPARE(problem->title,
                 problem->focusGrid ? QStringLiteral("提示信息") : QStringLiteral("员工信息保存"));
    }

    // Identity numbers are checked elsewhere; here: a number given under two names, and short rows.
    void warnings()
    {
        const EmployeeRows rows{{"1", "甲", "11010519491231002X"},
                                {"2", "乙", "440306198001011231"},
                                {"3", " 乙 ", "11010519491231002x"},
                                {"4"},
                                {}};
        QStringList found;
        for (const Warning& w : EmployeeWarnings::check(rows, QDate(2026, 12, 7)))
            found << QStringLiteral("%1: %2").arg(w.row + 1).arg(w.problem);
        QCOMPARE(found, QStringList{"3: 与第1行号码相同，姓名却是“乙”而非“甲”"});
        QVERIFY(!EmployeeRowChecker::checkAll(rows)); // a warning never stops a save
    }

    void saveReplacesTheUnitsEmployees()
    {
        EmployeeFixture f;
        f.addEmployee("OLD", "旧", "1");
        f.addEmployee("KEEP", "乙单位", "2", 2);
        EmployeeStore store(f.tax.db());
        QCOMPARE(store.deleteEmployee(2, "OLD"), 0); // another unit's number
        const EmployeeRows rows{{" 002 ", " 王'五 ", "110101198001010015 ", "156", "0201"},
                                {"", "没有编号", "", "", ""},
                                {"001", "O'Neil", "", "", ""}};
        QCOMPARE(store.save(1, rows), 2);
        QCOMPARE(f.stored(1),
                 (QStringList{"001\tO'Neil\t\t\t", "002\t王'五\t110101198001010015\t156\t0201"}));
        QCOMPARE(f.stored(2), (QStringList{"KEEP\t乙单位\t2\t156\t0101"}));
        store.save(1, {}); // no rows: the unit has no employees left
        QCOMPARE(f.stored(1) + f.stored(2), QStringList{"KEEP\t乙单位\t2\t156\t0101"});
    }
};

ZQ_TEST(TestEmployeeStore)
#include "TestEmployeeStore.moc"
