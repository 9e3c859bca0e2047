#include "SalaryImportFixture.h"
#include "ServerPackage.h"
#include "declarations/SalaryImport.h"
#include "finance/FinanceLocator.h"

#include <QRandomGenerator>

using namespace zq;
using namespace zq::test;
using F = HeaderField;
using Status = SalaryImportResult::Status;
using Answer = Prompter::Answer;

Q_DECLARE_METATYPE(SalaryImportResult::Status)

class TestSalaryImport : public QObject {
    Q_OBJECT

    TestServer m_server;

    // Unit 1 of the own database with two employees, linked to the account set on the server, and a
    // declaration of March that holds one row typed by hand.
    struct ServerSetup : SalaryImportFixture {
        DeclarationDocument doc = newDeclaration("2012-03");
        explicit ServerSetup(const TestServer& server)
        {
            addEmployees("(1,'E001','张三','110101198001010015','156','0201'), "
                         "(1,'O''Neil','奥尼尔','11010119800101003X','840','0201')");
            settings->setTaxThreshold("800");
            server.point(productFolder(), *settings, server.password);
            doc.setCellText(0, ColEmpName, "手工");
            prompter.queue(Prompter::Answer::Yes);
        }
        Status importMarch(const SalaryImport::Progress& progress = {})
        {
            SalaryImport salaryImport(ctx, 1);
            salaryImport.setProgress(progress);
            return salaryImport.ImportSalary(doc).status;
        }
    };

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
                 "123456789012.34, 99999.99, 0.01, 0, 1234.56), ('04', 'E001', 5000, 3200, 0, 0, 195)"}));
    }
    void init()
    {
        if (QByteArray(QTest::currentTestFunction()).startsWith("server") && !m_server.available())
            QSKIP(TestServer::Missing);
    }

    // The month number alone picks the rows: another year and a one-digit month read March. A month without
    // taxed rows keeps the grid and recounts its rows. UnitMen counts every row of the month, taxed or not.
    // An import that ends otherwise leaves the document as it was.
    void imports_data()
    {
        // On the account set; "own:" on the own database; "month:" the month, else 2012-03.
        QTest::addColumn<QString>("setup");
        QTest::addColumn<Status>("status");
        QTest::addColumn<QString>("message");  // the start of the closing message
        QTest::addColumn<QStringList>("grid"); // empty: the typed rows stay
        QTest::addColumn<QString>("header");   // empty: the typed header stays
        QTest::newRow("March")
            << "month:1999-3" << Status::Imported << "导入3条数据"
            << QStringList{"1\t110101198001010015\t张三\t156\t0201\t01\t5000\t3200\t15\t0\t\t195",
                           "2\t11010119800101003X\t王 五\t\t0201\t01\t8000.5\t6200.5\t20\t100\t\t745.05",
                           "3\t\t\t\t\t01\t4000\t2000\t15\t0\t\t25"}
            << "||4|3||||1999-3||17,000.50|11,400.50|100.00|||965.05||BK123456";
        QTest::newRow("June without taxed rows")
            << "month:2012-06" << Status::Imported << "导入0条数据" << QStringList()
            << "||2|0||||2012-06||1,123.45|0.00|0.00|||6.00||BK123456";
        const auto refused = [](const char* name, const QString& setup, Status status,
                                const QString& message) {
            QTest::newRow(name) << setup << status << message << QStringList() << QString();
        };
        refused("No at the question", "", Status::Declined, "导入工资数据将覆盖现有数据，是否继续？");
        refused("blank month", "month:   ", Status::MonthRefused, "税款所属月份 \r\n不能为空!");
        refused("unit without a link", "own:update UnitInfo set CopyYear=null", Status::NoConnection,
                finance::msg::incompleteLink());
        refused("mapped item names no column", "own:update UnitInfo set SaCode3='QTJ'", Status::Failed,
                "财务软件的工资表中没有工资项目“QTJ”（对应减免税额），请在单位信息中重新设置。");
        refused("null salary value", "update salary set JMS=null where emp_id='E002'", Status::Failed,
                "职工“E002”的工资项目“JMS”没有数值，工资数据没有导入。");
        refused("text salary value", "update salary set YFGZ='五千' where emp_id='E002'", Status::Failed,
                "职工“E002”的工资项目“YFGZ”的值“五千”不是数字，工资数据没有导入。");
        refused("13-digit salary value", "update salary set YFGZ=1234567890123 where emp_id='E004'",
                Status::Failed,
                "职工“E004”的工资项目“YFGZ”的值“1234567890123”超过12位整数，工资数据没有导入。");
        refused("bracket bound that is no number", "insert into taxsetup(levelmin,Rate) values('x',3)",
                Status::Failed, "财务软件的税率表中有一行的下限“x”或税率“3”不是数字，工资数据没有导入。");
        refused("salary table without Tax",
                "create table s2 as select copy_month,emp_id,YFGZ,YNSSD,JMS,DMJWS from salary;"
                "drop table salary;alter table s2 rename to salary",
                Status::Failed, "财务软件的salary表中没有Tax列，工资数据没有导入。");
    }
    void imports()
    {
        QFETCH(QString, setup);
        QFETCH(Status, status);
        QFETCH(QString, message);
        QFETCH(QStringList, grid);
        QFETCH(QString, header);
        SalaryImportFixture f;
        f.fillMarch();
        f.addSalary("('06','E001',1000,0,0,0,0), ('06','E002',1000,0,0,0,0)");
        if (setup.startsWith("own:"))
            execOrFail(f.tax.db(), setup.mid(4) + " where UnitID=1");
        else if (!setup.isEmpty() && !setup.startsWith("month:"))
            f.onAccountSet(setup.split(u';'));
        DeclarationDocument doc =
            SalaryImportFixture::newDeclaration(setup.startsWith("month:") ? setup.mid(6) : "2012-03");
        doc.setCellText(0, ColEmpName, "手工");
        doc.setCellText(0, ColInComeM, "123.45");
        doc.setCellText(0, ColTaxM1, "6");
        doc.appendRow();
        doc.setCellText(1, ColInComeM, "1000");
        doc.setHeader(F::UnitMen, "9");
        doc.setHeader(F::TaxMs, "1,123.45");
        doc.setHeader(F::BookNo, "BK123456");
        const QStringList typed = gridLines(doc);
        const QString typedHeader = headerTexts(doc);
        f.prompter.queue(status == Status::Declined ? Answer::No : Answer::Yes);
        const SalaryImportResult result = SalaryImport(f.ctx, 1).ImportSalary(doc);
        QCOMPARE(result.status, status);
        QCOMPARE(result.rowsReplaced, !grid.isEmpty());
        QCOMPARE(result.changedDocument(), status == Status::Imported);
        QCOMPARE(result.focus, status == Status::MonthRefused ? std::optional(F::Month) : std::nullopt);
        QCOMPARE(gridLines(doc), grid.isEmpty() ? typed : grid);
        QCOMPARE(headerTexts(doc), header.isEmpty() ? typedHeader : header);
        QCOMPARE(f.prompter.texts().first(), QString("导入工资数据将覆盖现有数据，是否继续？"));
        QCOMPARE(f.prompter.records().size(), status == Status::Declined ? 1 : 2);
        QVERIFY2(f.prompter.last().text.startsWith(message), qPrintable(f.prompter.last().text));
    }

    // Brackets stored out of order with lower bounds 0, 500 and 2000; the rate is that of the first bracket,
    // largest bound first, whose bound is strictly below threshold + taxable income.
    void rateLookup_data()
    {
        QTest::addColumn<QString>("threshold");
        QTest::addColumn<double>("taxable");
        QTest::addColumn<QString>("rate"); // the rate cell's text
        QTest::newRow("800 + 1200 = 2000 is not above 2000") << "800" << 1200.0 << "10";
        QTest::newRow("800 + 1200.01 is above 2000") << "800" << 1200.01 << "15";
        QTest::newRow("threshold 1,600 counts as 1") << "1,600" << 1700.0 << "10";
        QTest::newRow("A = 0 qualifies for no bracket") << "" << 0.0 << "";
    }
    void rateLookup()
    {
        QFETCH(QString, threshold);
        QFETCH(double, taxable);
        SalaryImportFixture f;
        // Rows without a lower bound are never below A, whatever their rate holds.
        f.onAccountSet({"insert into taxsetup(levelmin,Rate) values (null,99),(500,10),(0,5),(null,null),"
                        "(2000,15),(null,'x')"});
        f.addSalary("('05','E001',9000," + QString::number(taxable) + ",0,0,80)");
        f.settings->setTaxThreshold(threshold);
        DeclarationDocument doc = SalaryImportFixture::newDeclaration("2012-05");
        f.prompter.queue(Answer::Yes);
        QCOMPARE(SalaryImport(f.ctx, 1).ImportSalary(doc).status, Status::Imported);
        QTEST(doc.cellText(0, ColTaxRadio), "rate");
        QCOMPARE(doc.cellText(0, ColTaxM), QString::number(taxable));
    }

    // EmpIDs repeated (older databases lack their uniqueness) and quoted, in two units, more employees than
    // salary rows (the index grows): each salary row takes the first Employee row of the unit with its EmpID.
    void findsTheFirstEmployeeOfTheUnit()
    {
        SalaryImportFixture f;
        execOrFail(f.tax.db(), "drop table Employee");
        execOrFail(f.tax.db(),
                   "create table Employee (UnitID INTEGER, EmpID TEXT, EmpName TEXT, IDCard TEXT, "
                   "NationCode TEXT, ProfCode TEXT)");
        for (int i = 0; i < 90; ++i) // E'0 to E'29 three times; every seventh row in unit 2
            f.addEmployees(
                QString::asprintf("(%d,'E''%d','职工%d','1','156','0201')", i % 7 ? 1 : 2, i % 30, i));
        f.addSalary("('01','E''0',100,0,0,0,1), ('01','E''7',100,0,0,0,1), ('01','E''29',100,0,0,0,1), "
                    "('01','E''30',100,0,0,0,1)");
        DeclarationDocument doc = SalaryImportFixture::newDeclaration("2012-01");
        f.prompter.queue(Answer::Yes);
        QCOMPARE(SalaryImport(f.ctx, 1).ImportSalary(doc).status, Status::Imported);
        QStringList names;
        for (int r = 0; r < doc.rowCount(); ++r)
            names << doc.cellText(r, ColEmpName);
        QCOMPARE(names, QStringList({"职工30", "职工37", "职工29", ""}));
    }

    // The import reads a double as the finance package means it, and a null of any type as no amount.
    void amountsReadAsFromForeign()
    {
        QRandomGenerator rng(7);
        QList<double> values{-0.0, 0.00005, -0.00005, 0.00015, 99999999999.9999, 1e-9, 3.0e15, 1.0 / 3.0};
        for (int i = 0; i < 20000; ++i)
            values << double(qint64(rng.generate64() % 100000000000000LL) - 50000000000000LL) / 10000.0
                   << (rng.generateDouble() - 0.5) * 1e6;
        for (double d : values)
            QVERIFY2(SalaryImport::amountOf(QVariant(d)) == Money::fromForeign(QVariant(d)),
                     qPrintable(QString::number(d, 'g', 17)));
        QCOMPARE(SalaryImport::amountOf(QVariant(QString("12.5"))),
                 std::optional<Money>(Money::parse(u"12.5")));
        for (const QMetaType t :
             {QMetaType(), QMetaType::fromType<double>(), QMetaType::fromType<qlonglong>(),
              QMetaType::fromType<int>(), QMetaType::fromType<QString>()})
            QVERIFY2(!SalaryImport::amountOf(QVariant(t)), t.name());
    }

    // From the test PostgreSQL, whose driver gives numeric columns, typed NULLs and the session's end its own
    // way: the package's brackets, then missing values in column types whose nulls come typed: a row without
    // a lower bound never gives its rate, a row that is used needs a rate.
    void serverImports_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QStringList>("brackets");
        QTest::addColumn<QStringList>("rates"); // of the three imported rows; empty: refused
        QTest::addColumn<QString>("message");
        QTest::newRow("the package's brackets")
            << "numeric(12,2)" << QStringList{"500, 10", "0, 5", "2000, 15", "80000, 45"}
            << QStringList{"15", "15", "45"} << "导入3条数据";
        // The bound as the driver gives it as text.
        const QList<QPair<QString, QString>> types{{"double precision", "7000"},
                                                   {"numeric(12,2)", "7000.00"}};
        for (const auto& [type, bound] : types) {
            QTest::addRow("%s: a row without a lower bound is skipped", qPrintable(type))
                << type << QStringList{"null, 99", "100000, 45", "null, null"} << QStringList{"", "", "45"}
                << "导入3条数据";
            QTest::addRow("%s: a used row without a rate is refused", qPrintable(type))
                << type << QStringList{"100000, 45", "7000, null"} << QStringList{}
                << QStringLiteral("财务软件的税率表中有一行的下限“%1”或税率“”不是数字，工资数据没有导入。")
                       .arg(bound);
        }
    }
    void serverImports()
    {
        QFETCH(QString, type);
        QFETCH(QStringList, brackets);
        QFETCH(QStringList, rates);
        QFETCH(QString, message);
        QVERIFY(m_server.run("ZqLum0012012",
                             {"drop table if exists taxsetup",
                              QStringLiteral("create table taxsetup (levelmin %1, \"Rate\" %1)").arg(type),
                              "insert into taxsetup values (" + brackets.join("), (") + ")"}));
        ServerSetup f(m_server);
        QCOMPARE(f.importMarch(), rates.isEmpty() ? Status::Failed : Status::Imported);
        QCOMPARE(f.prompter.texts(), QStringList({"导入工资数据将覆盖现有数据，是否继续？", message}));
        QStringList grid{"1\t\t手工\t\t\t\t\t\t\t\t\t"};
        if (!rates.isEmpty())
            grid =
                QString("1\t110101198001010015\t张三\t156\t0201\t01\t5000\t3200\t%1\t0\t0\t195\n"
                        "2\t11010119800101003X\t奥尼尔\t840\t0201\t01\t8000.5\t6200.5\t%2\t100\t7\t745.05\n"
                        "3\t\t\t\t\t01\t123456789012.34\t99999.99\t%3\t0.01\t0\t1234.56")
                    .arg(rates[0], rates[1], rates[2])
                    .split(u'\n');
        QCOMPARE(gridLines(f.doc), grid);
        QCOMPARE(f.doc.header(HeaderField::UnitMen) + u'|' + f.doc.header(HeaderField::TaxMs),
                 rates.isEmpty() ? "|" : "4|123,456,802,012.84");
    }

    // The server ends the import's session between two of its queries.
    void serverConnectionLostBetweenSteps()
    {
        ServerSetup f(m_server);
        const auto cut = [&](SalaryImport::Stage s, qsizetype done, qsizetype) {
            if (s == SalaryImport::Stage::ReadingBrackets && done == 0)
                m_server.run("postgres",
                             {"select pg_terminate_backend(pid) from pg_stat_activity where datname = "
                              "'ZqLum0012012' and pid <> pg_backend_pid()"});
        };
        QCOMPARE(f.importMarch(cut), Status::Failed);
        QCOMPARE(gridLines(f.doc), QStringList({"1\t\t手工\t\t\t\t\t\t\t\t\t"}));
        QCOMPARE(QString::number(f.prompter.records().size()) + f.prompter.last().title +
                     f.prompter.last().text.left(5),
                 "2导入工资数据出错错误类型：");
    }
};

ZQ_TEST(TestSalaryImport)
#include "TestSalaryImport.moc"
