#include "EmployeeFixture.h"
#include "ServerPackage.h"
#include "employees/EmployeeImport.h"
#include "finance/FinanceConnection.h"

using namespace zq;
using namespace zq::test;

// The employee query and merge on an account set held by a real PostgreSQL server, in a database of its own
// (the server tests of other folders may run at the same time).
class TestEmployeeImportServer : public QObject {
    Q_OBJECT

    TestServer m_server;
    QTemporaryDir m_dir;
    std::unique_ptr<AppSettings> m_settings;

    std::unique_ptr<Database> connect()
    {
        return finance::OpenFinanceConnection("ZqEmpImportTest", m_server.address(), m_server.user,
                                              m_server.password, m_settings.get());
    }

private slots:
    void initTestCase()
    {
        m_settings = std::make_unique<AppSettings>(m_dir.filePath("settings.ini"));
        m_settings->setValue("Finance", "ServerEngine", "postgresql");
        if (m_server.available())
            QVERIFY(m_server.recreate(
                "ZqEmpImportTest",
                {"create table employee (emp_id varchar(10), emp_name varchar(50), Audi_Code varchar(20), "
                 "dd_flag int)",
                 "create table salary (copy_month varchar(2), emp_id varchar(10), \"SFZH\" varchar(20), "
                 "\"Tax\" "
                 "numeric(12,2))",
                 "insert into employee values ('0001', '张三', 'A1', 0), ('0002', '离职', 'A2', 1), "
                 "('O''Neil', null, 'A3', 0), ('0004', '李四', null, 0)",
                 "insert into salary values ('01', '0001', 'ID-1', 1), ('02', '0001', 'ID-2', 1), "
                 "('01', '0002', 'X', 0), ('01', 'O''Neil', null, 0), ('03', '0001', 'ID-2', 0), "
                 "('01', '0004', '440305199001010011', 0)"}));
    }
    void init()
    {
        if (!m_server.available())
            QSKIP(TestServer::Missing);
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
