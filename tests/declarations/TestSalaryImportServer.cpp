#include "SalaryImportFixture.h"
#include "ServerPackage.h"
#include "declarations/SalaryImport.h"

using namespace zq;
using namespace zq::test;
using F = HeaderField;
using Status = SalaryImportResult::Status;

// The salary import from an account set on a real PostgreSQL server: numeric columns, NULLs and the session's
// end as the PostgreSQL driver gives them.
class TestSalaryImportServer : public QObject {
    Q_OBJECT

    TestServer m_server;

    // Unit 1 of the own database with two employees, linked to the account set on the server.
    struct Setup : SalaryImportFixture {
        explicit Setup(const TestServer& server)
        {
            addEmployee("E001", "张三", "110101198001010015");
            addEmployee("O'Neil", "奥尼尔", "11010119800101003X", "840", "0201");
            settings->setTaxThreshold("800");
            server.point(productFolder(), *settings, server.password);
        }
    };

    // Imports month 2012-03 into a declaration that holds one row typed by hand.
    static SalaryImportResult importMarch(Setup& f, DeclarationDocument& doc)
    {
        doc = SalaryImportFixture::newDeclaration("2012-03");
        doc.setCellText(0, ColEmpName, "手工");
        f.prompter.queue(Prompter::Answer::Yes);
        return SalaryImport(f.ctx, 1).ImportSalary(doc);
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        if (m_server.available())
            QVERIFY(m_server.createPackage(
                2012,
                {"create table salary (copy_month varchar(2), emp_id varchar(20), \"YFGZ\" numeric(14,2), "
                 "\"YNSSD\" numeric(14,2), \"JMS\" numeric(14,2), \"DMJWS\" numeric(14,2), \"Tax\" "
                 "numeric(14,2))",
                 "insert into salary values ('03', 'E001', 5000, 3200, 0, 0, 195), ('03', 'O''Neil', "
                 "8000.5, 6200.5, 100, 7, 745.05), ('03', 'E003', 3000, 1200, 0, 0, 0), ('03', 'E004', "
                 "123456789012.34, 99999.99, 0.01, 0, 1234.56), ('04', 'E001', 5000, 3200, 0, 0, 195)",
                 "create table taxsetup (levelmin numeric(12,2), \"Rate\" numeric(5,2))",
                 "insert into taxsetup values (500, 10), (0, 5), (2000, 15), (80000, 45)"}));
    }
    void init()
    {
        if (!m_server.available())
            QSKIP(TestServer::Missing);
    }

    // Runs before bracketNulls replaces the bracket table.
    void importsFromTheServer()
    {
        Setup f(m_server);
        DeclarationDocument doc;
        QCOMPARE(int(importMarch(f, doc).status), int(Status::Imported));
        QCOMPARE(f.prompter.texts(), QStringList({"导入工资数据将覆盖现有数据，是否继续？", "导入3条数据"}));
        QCOMPARE(
            gridLines(doc),
            QStringList({"1\t110101198001010015\t张三\t156\t0201\t01\t5000\t3200\t15\t0\t0\t195",
                         "2\t11010119800101003X\t奥尼尔\t840\t0201\t01\t8000.5\t6200.5\t15\t100\t7\t745.05",
                         "3\t\t\t\t\t01\t123456789012.34\t99999.99\t45\t0.01\t0\t1234.56"}));
        QCOMPARE(doc.header(F::UnitMen), QString("4"));
        QCOMPARE(doc.header(F::TaxMs), QString("123,456,802,012.84"));
    }

    // Missing values in the server's bracket table, in column types whose nulls come typed: a row without a
    // lower bound never gives its rate, a row that is used needs a rate.
    void bracketNulls_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("rates"); // of the three imported rows
        QTest::addColumn<QString>("message");   // the refusal, or empty
        // The bound as the driver gives it as text.
        const QList<QPair<QString, QString>> types{{"double precision", "7000"},
                                                   {"numeric(12,2)", "7000.00"}};
        for (const auto& [type, bound] : types) {
            QTest::addRow("%s: a row without a lower bound is skipped", qPrintable(type))
                << type << QStringList{"null, 99", "100000, 45", "null, null"} << QStringList{"", "", "45"}
                << "";
            QTest::addRow("%s: a used row without a rate is refused", qPrintable(type))
                << type << QStringList{"100000, 45", "7000, null"} << QStringList{}
                << QStringLiteral("财务软件的税率表中有一行的下限“%1”或税率“”不是数字，工资数据没有导入。")
                       .arg(bound);
        }
    }
    void bracketNulls()
    {
        QFETCH(QString, type);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, rates);
        QFETCH(QString, message);
        QVERIFY(m_server.run("ZqLum0012012",
                             {"drop table if exists taxsetup",
                              QStringLiteral("create table taxsetup (levelmin %1, \"Rate\" %1)").arg(type),
                              "insert into taxsetup values (" + rows.join("), (") + ")"}));
        Setup f(m_server);
        DeclarationDocument doc;
        const auto result = importMarch(f, doc);
        QCOMPARE(f.prompter.last().text, message.isEmpty() ? QString("导入3条数据") : message);
        if (!message.isEmpty()) {
            QCOMPARE(int(result.status), int(Status::Failed));
            QCOMPARE(gridLines(doc), QStringList({"1\t\t手工\t\t\t\t\t\t\t\t\t"}));
            return;
        }
        QCOMPARE(int(result.status), int(Status::Imported));
        QStringList got;
        for (int r = 0; r < doc.rowCount(); ++r)
            got << doc.cellText(r, ColTaxRadio);
        QCOMPARE(got, rates);
    }

    // The server ends the import's session between two of its queries.
    void serverConnectionLostBetweenSteps()
    {
        Setup f(m_server);
        DeclarationDocument doc = SalaryImportFixture::newDeclaration("2012-03");
        doc.setCellText(0, ColEmpName, "手工");
        SalaryImport salaryImport(f.ctx, 1);
        salaryImport.setProgress([&](SalaryImport::Stage s, qsizetype done, qsizetype) {
            if (s == SalaryImport::Stage::ReadingBrackets && done == 0)
                m_server.run("postgres",
                             {"select pg_terminate_backend(pid) from pg_stat_activity where datname = "
                              "'ZqLum0012012' and pid <> pg_backend_pid()"});
        });
        f.prompter.queue(Prompter::Answer::Yes);
        QCOMPARE(int(salaryImport.ImportSalary(doc).status), int(Status::Failed));
        QCOMPARE(gridLines(doc), QStringList({"1\t\t手工\t\t\t\t\t\t\t\t\t"}));
        QCOMPARE(f.prompter.records().size(), 2);
        QCOMPARE(f.prompter.last().title, QString("导入工资数据出错"));
        QVERIFY2(f.prompter.last().text.startsWith("错误类型："), qPrintable(f.prompter.last().text));
    }
};

ZQ_TEST(TestSalaryImportServer)
#include "TestSalaryImportServer.moc"
