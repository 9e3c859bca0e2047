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
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("focusGrid");
        const QString tip = QStringLiteral("提示信息");
        const QString longNumber = QStringLiteral("员工编号最长不得超过八个字符。");
        const QString longName = QStringLiteral("员工姓名最长不得超过五十个字符。");
        const QString longId = QStringLiteral("员工证件号码最长不得超过五十个字符。");
        const QString dup = QStringLiteral("员工信息保存");
        const QString han50 = QString(50, QChar(0x5F20)), han51 = QString(51, QChar(0x5F20));
        QString ext50; // characters outside the basic plane count once each
        for (int i = 0; i < 50; ++i)
            ext50 += QString::fromUcs4(U"\U00020000");
        const auto passes = [](const char* row, const EmployeeRows& rows) {
            QTest::newRow(row) << rows << -1 << QString() << QString() << true;
        };
        // A length refusal puts the focus in the grid; a duplicate number does not.
        const auto refused = [](const char* row, const EmployeeRows& rows, int at, const QString& title,
                                const QString& text) {
            QTest::newRow(row) << rows << at << title << text << (title == QStringLiteral("提示信息"));
        };
        passes("number of 8 passes", {{"12345678", "王"}});
        refused("number of 9 refused", {{"1", "a"}, {"123456789", "王"}}, 1, tip, longNumber);
        passes("blanks around a number of 8 pass", {{"  12345678 ", "王"}});
        passes("name of 50 Chinese characters passes", {{"1", han50}});
        passes("name of 50 characters beyond the basic plane passes", {{"1", ext50}});
        passes("a lone surrogate at the end counts once",
               {{"1", QString(49, QChar(0x5F20)) + QChar(0xD840)}});
        refused("name of 51 Chinese characters refused", {{"1", han51}}, 0, tip, longName);
        passes("identity number of 50 passes", {{"1", "王", QString(50, u'1')}});
        refused("identity number of 51 refused", {{"1", "王", QString(51, u'1')}}, 0, tip, longId);
        refused("the number is checked before the name", {{"123456789", han51}}, 0, tip, longNumber);
        refused("numbers equal up to surrounding blanks", {{"001", "甲"}, {" 001 ", "乙"}}, 1, dup,
                "第1行的员工编号已经是： 001 ，同一个单位员工编码不能重复。");
        refused("two empty numbers", {{"1", "甲"}, {"", "乙"}, {" ", "丙"}}, 2, dup,
                "第2行的员工编号已经是： ，同一个单位员工编码不能重复。");
        passes("one empty number passes", {{"", "乙"}, {"1", "甲"}});
        refused("the first row with the number is named", {{"A", "1"}, {"B", "2"}, {"A", "3"}, {"A", "4"}}, 2,
                dup, "第1行的员工编号已经是：A，同一个单位员工编码不能重复。");
        refused("a long number above stops before a duplicate below",
                {{"1", "1"}, {"123456789", "2"}, {"1", "3"}}, 1, tip, longNumber);
    }
    void checks()
    {
        QFETCH(EmployeeRows, rows);
        QFETCH(int, row);
        const auto problem = EmployeeRowChecker::checkAll(rows);
        QCOMPARE(problem.has_value(), row >= 0);
        if (!problem)
            return;
        QCOMPARE(problem->row, row);
        QCOMPARE(problem->column, int(EmpColId));
        QTEST(problem->title, "title");
        QTEST(problem->text, "text");
        QTEST(problem->focusGrid, "focusGrid");
    }

    void warnings_data()
    {
        QTest::addColumn<EmployeeRows>("rows");
        QTest::addColumn<QStringList>("found"); // "row: problem" with 1-based rows
        QTest::newRow("sound numbers and other documents") << EmployeeRows{{"1", "甲", "11010519491231002X"},
                                                                           {"2", "乙", "110105491231002"},
                                                                           {"3", "丙", "E1234567"},
                                                                           {"4", "丁", ""}}
                                                           << QStringList();
        QTest::newRow("check character")
            << EmployeeRows{{"1", "甲", "110105194912310020"}} << QStringList{"1: 校验码“0”错误"};
        QTest::newRow("one number, two names") << EmployeeRows{{"1", "甲", "11010519491231002X"},
                                                               {"2", "乙", "440306198001011231"},
                                                               {"3", " 乙 ", "11010519491231002x"}}
                                               << QStringList{"3: 与第1行号码相同，姓名却是“乙”而非“甲”"};
        QTest::newRow("one number, one name twice")
            << EmployeeRows{{"1", "甲", "11010519491231002X"}, {"2", "甲", " 11010519491231002X"}}
            << QStringList();
        QTest::newRow("short rows") << EmployeeRows{{"1"}, {}} << QStringList();
    }
    void warnings()
    {
        QFETCH(EmployeeRows, rows);
        QFETCH(QStringList, found);
        QStringList actual;
        for (const Warning& w : EmployeeWarnings::check(rows, QDate(2026, 12, 7))) {
            QCOMPARE(w.column, int(EmpColIdCard));
            actual << QStringLiteral("%1: %2").arg(w.row + 1).arg(w.problem);
        }
        QCOMPARE(actual, found);
        // A warning never stops a save.
        QVERIFY(!EmployeeRowChecker::checkAll(rows));
    }

    void saveReplacesTheUnitsEmployees()
    {
        EmployeeFixture f;
        f.addEmployee("OLD", "旧", "1");
        f.addEmployee("KEEP", "乙单位", "2", "156", "0101", 2);
        QCOMPARE(EmployeeStore(f.tax.db()).deleteEmployee(2, "OLD"), 0); // another unit's number
        const int n = EmployeeStore(f.tax.db())
                          .save(1, {{" 002 ", " 王'五 ", "110101198001010015 ", "156", "0201"},
                                    {"", "没有编号", "", "", ""},
                                    {"001", "O'Neil", "", "", ""}});
        QCOMPARE(n, 2);
        QCOMPARE(f.stored(1),
                 (QStringList{"001\tO'Neil\t\t\t", "002\t王'五\t110101198001010015\t156\t0201"}));
        QCOMPARE(f.stored(2), (QStringList{"KEEP\t乙单位\t2\t156\t0101"}));
        EmployeeStore(f.tax.db()).save(1, {}); // no rows: the unit has no employees left
        QCOMPARE(f.stored(1), QStringList());
        QCOMPARE(f.stored(2).size(), 1);
    }
};

ZQ_TEST(TestEmployeeStore)
#include "TestEmployeeStore.moc"
