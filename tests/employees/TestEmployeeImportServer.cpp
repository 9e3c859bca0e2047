#include "EmployeeFixture.h"
#include "employees/EmployeeImport.h"
#include "finance/FinanceConnection.h"

#include <QSqlQuery>

using namespace zq;
using namespace zq::test;

// The employee query and merge on an account set held by a real PostgreSQL server; scripts/test starts one
// and names it in ZQ_TEST_PG_*. Its own database name keeps it apart from the other server tests.
class TestEmployeeImportServer : public QObject {
    Q_OBJECT

    QString m_host, m_port, m_user, m_password;
    QTemporaryDir m_dir;
    std::unique_ptr<AppSettings> m_settings;
    bool m_ready = false;

    static QString database() { return QStringLiteral("ZqEmpImportTest"); }

    bool onServer(const QString& db, const QStringList& statements)
    {
        const QString name = Database::uniqueConnectionName(QStringLiteral("zq-pg-emp-admin-"));
        bool ok = true;
        {
            QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            c.setHostName(m_host);
            c.setPort(m_port.toInt());
            c.setUserName(m_user);
            c.setPassword(m_password);
            c.setDatabaseName(db);
            if (!c.open()) {
                qWarning() << c.lastError().text();
                ok = false;
            }
            for (const QString& s : statements) {
                QSqlQuery q(c);
                if (ok && !q.exec(s)) {
                    qWarning() << s << q.lastError().text();
                    ok = false;
                }
            }
            c.close();
        }
        QSqlDatabase::removeDatabase(name);
        return ok;
    }

    std::unique_ptr<Database> connect()
    {
        return finance::OpenFinanceConnection(database(), m_host + u',' + m_port, m_user, m_password,
                                              m_settings.get());
    }

private slots:
    void initTestCase()
    {
        m_host = qEnvironmentVariable("ZQ_TEST_PG_HOST");
        m_port = qEnvironmentVariable("ZQ_TEST_PG_PORT");
        m_user = qEnvironmentVariable("ZQ_TEST_PG_USER", QStringLiteral("postgres"));
        m_password = qEnvironmentVariable("ZQ_TEST_PG_PASSWORD");
        // Each test skips on its own: a skip here would also empty the classes run after this one.
        if (m_host.isEmpty() || m_port.isEmpty())
            return;
        m_settings = std::make_unique<AppSettings>(m_dir.filePath(QStringLiteral("settings.ini")));
        m_settings->setValue(QStringLiteral("Finance"), QStringLiteral("ServerEngine"),
                             QStringLiteral("postgresql"));
        QVERIFY(onServer("postgres", {"drop database if exists \"" + database() + "\"",
                                      "create database \"" + database() + "\""}));
        QVERIFY(onServer(
            database(),
            {"create table employee (emp_id varchar(10), emp_name varchar(50), Audi_Code varchar(20), "
             "dd_flag int)",
             "create table salary (copy_month varchar(2), emp_id varchar(10), \"SFZH\" varchar(20), \"Tax\" "
             "numeric(12,2))",
             "insert into employee values ('0001', '张三', 'A1', 0), ('0002', '离职', 'A2', 1), "
             "('O''Neil', null, 'A3', 0), ('0004', '李四', null, 0)",
             "insert into salary values ('01', '0001', 'ID-1', 1), ('02', '0001', 'ID-2', 1), "
             "('01', '0002', 'X', 0), ('01', 'O''Neil', null, 0), ('03', '0001', 'ID-2', 0), "
             "('01', '0004', '440305199001010011', 0)"}));
        m_ready = true;
    }
    void init()
    {
        if (m_host.isEmpty() || m_port.isEmpty())
            QSKIP("No test PostgreSQL: ZQ_TEST_PG_HOST and ZQ_TEST_PG_PORT are not set (scripts/test starts "
                  "one "
                  "and sets them).");
        QVERIFY(m_ready);
    }

    void mergesFromTheSalaryColumn()
    {
        auto db = connect();
        QCOMPARE(db->driverName(), QString("QPSQL"));
        EmployeeRows rows{{" 0001 ", "旧名", "旧号", "840", "0101"}};
        QList<qsizetype> totals;
        const qsizetype n =
            ImportEmployees(*db, "SFZH", rows, [&](qsizetype, qsizetype total) { totals << total; });
        QCOMPARE(n, 4); // 0001 twice (two identity values), O'Neil, 0004
        QCOMPARE(totals, QList<qsizetype>{4});
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0][EmpColName], QString("张三"));
        QVERIFY(rows[0][EmpColIdCard] == "ID-1" || rows[0][EmpColIdCard] == "ID-2");
        QCOMPARE(rows[0][EmpColNation], QString("840"));
        QStringList appended = lines(rows.mid(1));
        appended.sort();
        QCOMPARE(appended,
                 (QStringList{"0004\t李四\t440305199001010011\t001\t0201", "O'Neil\t\t\t001\t0201"}));
    }

    void mergesFromAudiCode()
    {
        auto db = connect();
        EmployeeRows rows;
        ImportEmployees(*db, QString(), rows);
        QStringList got = lines(rows);
        got.sort();
        QCOMPARE(got, (QStringList{"0001\t张三\tA1\t001\t0201", "0004\t李四\t\t001\t0201",
                                   "O'Neil\t\tA3\t001\t0201"}));
    }

    void serversRefuseTheDistinctQueryOrderedByAnotherColumn()
    {
        // why the query orders by the employee.emp_id that it selects, not by salary.emp_id
        auto db = connect();
        QString sql = employeeImportStatement(*db, "SFZH");
        QVERIFY(sql.endsWith("order by employee.emp_id"));
        sql.replace("order by employee.emp_id", "order by salary.emp_id");
        QVERIFY_THROWS_EXCEPTION(DatabaseError, db->select(sql));
    }

    void aMissingColumnIsAnError()
    {
        auto db = connect();
        EmployeeRows rows{{"0001", "原名", "", "", ""}};
        try {
            ImportEmployees(*db, "sfzh", rows); // the column is "SFZH": quoted names keep their case
            QFAIL("no error");
        } catch (const DatabaseError& e) {
            QVERIFY2(e.description().contains("sfzh"), qPrintable(e.description()));
        }
        QCOMPARE(lines(rows), QStringList{"0001\t原名\t\t\t"});
    }
};

ZQ_TEST(TestEmployeeImportServer)
#include "TestEmployeeImportServer.moc"
