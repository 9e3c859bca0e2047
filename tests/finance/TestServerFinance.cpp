#include "FakeInstallation.h"
#include "ServerPackage.h"
#include "core/Money.h"
#include "employees/EmployeeImport.h"
#include "finance/FinanceLocator.h"

#include <QTcpServer>
#include <QTest>

using namespace zq;
using namespace zq::finance;
using zq::test::FakeInstallation;

// The finance link and the employee import against a real PostgreSQL server.
class TestServerFinance : public QObject {
    Q_OBJECT

    test::TestServer m_server;

private slots:
    void initTestCase()
    {
        if (m_server.available())
            QVERIFY(m_server.createPackage(
                2005,
                {"create table employee (emp_id varchar(10), emp_name varchar(50), Audi_Code varchar(20), "
                 "dd_flag int)",
                 "insert into employee values ('0001', '张三', 'A1', 0), ('0002', '离职', 'A2', 1), "
                 "('O''Neil', null, 'A3', 0), ('0004', '李四', null, 0)",
                 "create table salary (copy_month varchar(2), emp_id varchar(10), \"YFGZ\" numeric(12,2), "
                 "\"SFZH\" varchar(20))",
                 "insert into salary values ('01', '0001', 5000.50, 'ID-1'), ('02', '0001', 1, 'ID-2'), "
                 "('01', '0002', 0, 'X'), ('01', 'O''Neil', null, null), ('03', '0001', 0, 'ID-2'), "
                 "('01', '0004', 0, '440305199001010011')"}));
    }
    void init()
    {
        if (!m_server.available())
            QSKIP(test::TestServer::Missing);
    }

    void opensTheAccountSetOnTheServer()
    {
        FakeInstallation f;
        m_server.point(f.productFolder(), f.settings(), m_server.password);
        auto db = GetFinanceConnection(f.context(), 1);
        QVERIFY(db);
        QCOMPARE(f.prompter().records().size(), 0);
        QCOMPARE(db->driverName(), QString("QPSQL"));
        QCOMPARE(db->connection().databaseName(), QString("ZqLum0012005"));
        QCOMPARE(db->scalar("select current_setting('statement_timeout')").toString(), QString("1min"));
        // a numeric column gives the amount to the cent
        const QVariant income =
            db->scalar("select \"YFGZ\" from salary where copy_month=? and emp_id=?", {"01", "0001"});
        QCOMPARE(Money::fromForeign(income).value_or(Money()).format(u"0.00"), QString("5000.50"));

        // The employee query and merge: NULLs from the driver become empty texts.
        EmployeeRows rows{{" 0001 ", "旧名", "旧号", "840", "0101"}};
        QList<qsizetype> totals;
        const qsizetype n =
            ImportEmployees(*db, "SFZH", rows, [&](qsizetype, qsizetype total) { totals << total; });
        QCOMPARE(n, 4); // 0001 twice (two identity values), O'Neil, 0004
        QCOMPARE(totals, QList<qsizetype>{4});
        QCOMPARE(rows.size(), 3);
        QVERIFY(rows[0][EmpColIdCard] == "ID-1" || rows[0][EmpColIdCard] == "ID-2");
        rows[0][EmpColIdCard].clear();
        QStringList merged;
        for (const QStringList& r : rows)
            merged << r.join(u'\t');
        merged.sort();
        QCOMPARE(merged, (QStringList{" 0001 \t张三\t\t840\t0101",
                                      "0004\t李四\t440305199001010011\t001\t0201", "O'Neil\t\t\t001\t0201"}));
        // The column is "SFZH": quoted names keep their case.
        QVERIFY_THROWS_EXCEPTION(DatabaseError, ImportEmployees(*db, "sfzh", rows));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("part"); // a part of the description
        QTest::newRow("wrong password") << "password authentication failed";
        QTest::newRow("unreachable server") << "";
        QTest::newRow("no database for the data file") << "ZqLum0012006";
        QTest::newRow("unreachable SQL Server through ODBC") << "";
    }
    void failures()
    {
        QFETCH(QString, part);
        const QByteArrayView condition(QTest::currentDataTag());
        FakeInstallation f;
        m_server.point(f.productFolder(), f.settings(),
                       m_server.password + (condition == "wrong password" ? "-" : ""));
        if (condition == "no database for the data file")
            f.setUnit("Olvenka 3.X", "001", "2006");
        if (condition.startsWith("unreachable")) {
            QTcpServer s; // nobody listens on its port once it is gone
            s.listen(QHostAddress::LocalHost, 0);
            f.writeConfig(QStringLiteral("127.0.0.1,%1").arg(s.serverPort()), m_server.user,
                          m_server.password);
        }
        if (condition.endsWith("ODBC"))
            f.settings().setValue("Finance", "ServerEngine", "sqlserver");
        QVERIFY(!GetFinanceConnection(f.context(), 1));
        QCOMPARE(f.prompter().records().size(), 1);
        QCOMPARE(f.prompter().last().title, QString("建立账务连接出错"));
        const QString text = f.prompter().last().text;
        QVERIFY2(text.startsWith("错误类型：") && text.contains("\r\n错误描述：") && text.contains(part),
                 qPrintable(text));
    }
};

ZQ_TEST(TestServerFinance)
#include "TestServerFinance.moc"
