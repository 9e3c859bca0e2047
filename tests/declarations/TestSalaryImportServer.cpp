#include "SalaryImportFixture.h"
#include "ServerPackage.h"
#include "declarations/SalaryImport.h"

using namespace zq;
using namespace zq::test;
using F = HeaderField;
using Status = SalaryImportResult::Status;

// The salary import from an account set on a real PostgreSQL server. The same rows in the package's files
// must give the same declaration.
class TestSalaryImportServer : public QObject {
    Q_OBJECT

    TestServer m_server;
    bool m_bracketsChanged = false;

    // The package's rows, the same on the server and in the files.
    static QList<QVariantList> salaryRows()
    {
        return {SalaryImportFixture::salary("03", "E001", 5000, 3200, 0, 0, 195),
                SalaryImportFixture::salary("03", "O'Neil", 8000.5, 6200.5, 100, 7, 745.05),
                SalaryImportFixture::salary("03", "E003", 3000, 1200, 0, 0, 0),
                SalaryImportFixture::salary("03", "E004", 123456789012.34, 99999.99, 0.01, 0, 1234.56),
                SalaryImportFixture::salary("04", "E001", 5000, 3200, 0, 0, 195)};
    }
    static QList<QPair<QVariant, QVariant>> brackets()
    {
        return {{500, 10}, {0, 5}, {2000, 15}, {80000, 45}};
    }

    static void employees(SalaryImportFixture& f)
    {
        f.addEmployee("E001", "张三", "110101198001010015");
        f.addEmployee("O'Neil", "奥尼尔", "11010119800101003X", "840", "0201");
        f.settings->setTaxThreshold("800");
    }

    void pointAtServer(SalaryImportFixture& f)
    {
        m_server.point(f.productFolder(), *f.settings, m_server.password);
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        if (!m_server.available())
            return;
        QStringList sql{
            "create table salary (copy_month varchar(2), emp_id varchar(20), \"YFGZ\" numeric(14,2), "
            "\"YNSSD\" numeric(14,2), \"JMS\" numeric(14,2), \"DMJWS\" numeric(14,2), \"Tax\" "
            "numeric(14,2))"};
        for (const QVariantList& r : salaryRows()) {
            QStringList values;
            for (const QVariant& v : r)
                values << (v.typeId() == QMetaType::QString ? "'" + v.toString().replace("'", "''") + "'"
                                                            : QString::number(v.toDouble(), 'f', 2));
            sql << "insert into salary values (" + values.join(',') + ")";
        }
        QVERIFY(m_server.createPackage(2012, sql + standardBrackets()));
    }

    // The bracket table as the other tests expect it.
    static QStringList standardBrackets()
    {
        QStringList sql{"drop table if exists taxsetup",
                        "create table taxsetup (levelmin numeric(12,2), \"Rate\" numeric(5,2))"};
        for (const auto& b : brackets())
            sql << QStringLiteral("insert into taxsetup values (%1, %2)")
                       .arg(b.first.toInt())
                       .arg(b.second.toInt());
        return sql;
    }

    void cleanup()
    {
        if (m_bracketsChanged) {
            m_bracketsChanged = false;
            QVERIFY(m_server.run("ZqLum0012012", standardBrackets()));
        }
    }

    void init()
    {
        if (!m_server.available())
            QSKIP(TestServer::Missing);
    }

    void sameDeclarationAsFromTheFiles()
    {
        SalaryImportFixture files;
        files.addSalary(salaryRows());
        files.setBrackets(brackets());
        employees(files);
        DeclarationDocument expected = SalaryImportFixture::newDeclaration("2012-03");
        files.prompter.queue(Prompter::Answer::Yes);
        QCOMPARE(int(SalaryImport(files.ctx, 1).ImportSalary(expected).status), int(Status::Imported));

        SalaryImportFixture server;
        employees(server);
        pointAtServer(server);
        DeclarationDocument doc = SalaryImportFixture::newDeclaration("2012-03");
        server.prompter.queue(Prompter::Answer::Yes);
        const auto result = SalaryImport(server.ctx, 1).ImportSalary(doc);
        QCOMPARE(server.prompter.texts(),
                 QStringList({"导入工资数据将覆盖现有数据，是否继续？", "导入3条数据"}));
        QCOMPARE(int(result.status), int(Status::Imported));
        QCOMPARE(gridLines(doc), gridLines(expected));
        QCOMPARE(gridLines(doc)[1],
                 QString("2\t11010119800101003X\t奥尼尔\t840\t0201\t01\t8000.5\t6200.5\t15\t100\t7\t745.05"));
        QCOMPARE(gridLines(doc)[2],
                 QString("3\t\t\t\t\t01\t123456789012.34\t99999.99\t45\t0.01\t0\t1234.56"));
        for (F b : {F::UnitMen, F::UnitTaxMen, F::TaxMs, F::TaxM, F::ReduTaxM, F::FactTax})
            QCOMPARE(doc.header(b), expected.header(b));
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
        QStringList sql{"drop table if exists taxsetup",
                        QStringLiteral("create table taxsetup (levelmin %1, \"Rate\" %1)").arg(type)};
        for (const QString& r : rows)
            sql << "insert into taxsetup values (" + r + ")";
        m_bracketsChanged = true;
        QVERIFY(m_server.run("ZqLum0012012", sql));

        SalaryImportFixture server;
        employees(server);
        pointAtServer(server);
        DeclarationDocument doc = SalaryImportFixture::newDeclaration("2012-03");
        doc.setCellText(0, ColEmpName, "手工");
        server.prompter.queue(Prompter::Answer::Yes);
        const auto result = SalaryImport(server.ctx, 1).ImportSalary(doc);
        QCOMPARE(server.prompter.last().text, message.isEmpty() ? QString("导入3条数据") : message);
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
        SalaryImportFixture server;
        employees(server);
        pointAtServer(server);
        DeclarationDocument doc = SalaryImportFixture::newDeclaration("2012-03");
        doc.setCellText(0, ColEmpName, "手工");
        SalaryImport salaryImport(server.ctx, 1);
        salaryImport.setProgress([&](SalaryImport::Stage s, qsizetype done, qsizetype) {
            if (s == SalaryImport::Stage::ReadingBrackets && done == 0)
                m_server.run("postgres",
                             {"select pg_terminate_backend(pid) from pg_stat_activity where datname = "
                              "'ZqLum0012012' and pid <> pg_backend_pid()"});
        });
        server.prompter.queue(Prompter::Answer::Yes);
        const auto result = salaryImport.ImportSalary(doc);
        QCOMPARE(int(result.status), int(Status::Failed));
        QCOMPARE(gridLines(doc), QStringList({"1\t\t手工\t\t\t\t\t\t\t\t\t"}));
        QCOMPARE(server.prompter.records().size(), 2);
        QCOMPARE(server.prompter.last().title, QString("导入工资数据出错"));
        QVERIFY2(server.prompter.last().text.startsWith("错误类型："),
                 qPrintable(server.prompter.last().text));
    }
};

ZQ_TEST(TestSalaryImportServer)
#include "TestSalaryImportServer.moc"
