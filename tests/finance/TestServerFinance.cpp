#include "FakeInstallation.h"
#include "core/AppSettings.h"
#include "core/Money.h"
#include "finance/FinanceLocator.h"
#include "finance/PayrollCatalog.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTest>

using namespace zq;
using namespace zq::finance;
using zq::test::FakeInstallation;

// The finance link against a real PostgreSQL server; scripts/test starts one and names it in ZQ_TEST_PG_*.
class TestServerFinance : public QObject {
    Q_OBJECT

    QString m_host;
    QString m_port;
    QString m_user;
    QString m_password;

    // Runs statements on a database of the test server as its superuser.
    void onServer(const QString& database, const QStringList& statements)
    {
        const QString name = Database::uniqueConnectionName(QStringLiteral("zq-pg-admin-"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            db.setHostName(m_host);
            db.setPort(m_port.toInt());
            db.setUserName(m_user);
            db.setPassword(m_password);
            db.setDatabaseName(database);
            QVERIFY2(db.open(), qPrintable(db.lastError().text()));
            for (const QString& s : statements) {
                QSqlQuery q(db);
                QVERIFY2(q.exec(s), qPrintable(s + ": " + q.lastError().text()));
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }

    void point(FakeInstallation& f, const QString& server, const QString& password)
    {
        f.writeConfig(server, m_user, password);
        f.settings().setValue(QStringLiteral("Finance"), QStringLiteral("ServerEngine"),
                              QStringLiteral("postgresql"));
    }

    static int freePort()
    {
        QTcpServer s;
        s.listen(QHostAddress::LocalHost, 0);
        return s.serverPort(); // nobody listens there once s is gone
    }

private slots:
    void initTestCase()
    {
        m_host = qEnvironmentVariable("ZQ_TEST_PG_HOST");
        m_port = qEnvironmentVariable("ZQ_TEST_PG_PORT");
        m_user = qEnvironmentVariable("ZQ_TEST_PG_USER", QStringLiteral("postgres"));
        m_password = qEnvironmentVariable("ZQ_TEST_PG_PASSWORD");
        if (m_host.isEmpty() || m_port.isEmpty())
            QSKIP("No test PostgreSQL: ZQ_TEST_PG_HOST and ZQ_TEST_PG_PORT are not set (scripts/test starts "
                  "one "
                  "and sets them).");
        onServer("postgres",
                 {"drop database if exists \"ZqLumSys\"", "drop database if exists \"ZqLum0012005\"",
                  "create database \"ZqLumSys\"", "create database \"ZqLum0012005\""});
        onServer("ZqLumSys",
                 {"create table copys (copy_id varchar(10), copy_name varchar(50))",
                  "create table copyinfo (copy_id varchar(10), copy_year varchar(4), datafile varchar(50))",
                  "insert into copys values ('001', '甲公司')",
                  "insert into copyinfo values ('001', '2005', '0012005')",
                  "insert into copyinfo values ('001', '2006', '0012006')"});
        onServer("ZqLum0012005",
                 {"create table salary_items (sa_code varchar(20), sa_item varchar(50), item_index int, "
                  "sa_table varchar(20))",
                  "insert into salary_items values ('YFGZ', '应发工资', 1, 'salary'), ('XH', '序号', 0, "
                  "'salary'), "
                  "('Tax', '代扣税', 2, 'salary')",
                  "create table salary (copy_month varchar(2), emp_id varchar(10), \"YFGZ\" numeric(12,2), "
                  "\"Tax\" numeric(12,2))",
                  "insert into salary values ('01', '0001', 5000.50, 45.02)"});
    }

    void opensTheAccountSetOnTheServer()
    {
        FakeInstallation f;
        point(f, m_host + u',' + m_port, m_password);
        QString edition;
        auto db = GetFinanceConnection(f.context(), 1, &edition);
        QVERIFY(db);
        QCOMPARE(f.prompter().records().size(), 0);
        QCOMPARE(edition, QString("Olvenka 3.X"));
        QCOMPARE(db->driverName(), QString("QPSQL"));
        QCOMPARE(db->connection().databaseName(), QString("ZqLum0012005"));
        QCOMPARE(db->scalar("select current_setting('statement_timeout')").toString(), QString("1min"));
        const auto items = listSalaryItems(*db);
        QVERIFY(items.ok());
        QCOMPARE(items.value.size(), 2);
        // a salary item code is a column name in its own letter case: it only works quoted
        const QString column = db->escapeIdentifier(items.value[0].code);
        QCOMPARE(column, QString("\"YFGZ\""));
        const auto income =
            Money::fromForeign(db->scalar("select " + column + " from salary where copy_month=?", {"01"}));
        QVERIFY(income);
        QCOMPARE(income->format(u"0.00"), QString("5000.50"));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("part"); // a part of the description
        QTest::newRow("wrong password") << "wrong password"
                                        << "password authentication failed";
        QTest::newRow("unreachable server") << "unreachable server"
                                            << "";
        QTest::newRow("no database for the data file") << "no database for the data file"
                                                       << "ZqLum0012006";
        QTest::newRow("unreachable SQL Server through ODBC") << "unreachable SQL Server through ODBC"
                                                             << "";
    }
    void failures()
    {
        QFETCH(QString, condition);
        QFETCH(QString, part);
        FakeInstallation f;
        if (condition == "wrong password") {
            point(f, m_host + u',' + m_port, m_password + "-wrong");
        } else if (condition == "unreachable server") {
            point(f, QStringLiteral("127.0.0.1,%1").arg(freePort()), m_password);
        } else if (condition == "no database for the data file") {
            point(f, m_host + u',' + m_port, m_password);
            f.setUnit("Olvenka 3.X", "001", "2006");
        } else {
            point(f, QStringLiteral("127.0.0.1,%1").arg(freePort()), m_password);
            f.settings().setValue("Finance", "ServerEngine", "sqlserver");
        }
        auto db = GetFinanceConnection(f.context(), 1);
        QVERIFY(!db);
        QCOMPARE(f.prompter().records().size(), 1);
        QCOMPARE(f.prompter().last().title, QString("建立账务连接出错"));
        const QString text = f.prompter().last().text;
        QVERIFY2(text.startsWith("错误类型：") && text.contains("\r\n错误描述："), qPrintable(text));
        QVERIFY2(text.contains(part), qPrintable(text));
    }
};

ZQ_TEST(TestServerFinance)
#include "TestServerFinance.moc"
