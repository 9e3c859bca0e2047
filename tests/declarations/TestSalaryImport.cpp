#include "SalaryImportFixture.h"
#include "core/Dates.h"
#include "core/TextHelpers.h"
#include "declarations/SalaryImport.h"
#include "finance/FinanceLocator.h"

#include <QFile>
#include <QRandomGenerator>

using namespace zq;
using namespace zq::test;
using F = HeaderField;
using Status = SalaryImportResult::Status;

namespace {

// The import as its rules read, row by row: every recordset read whole, a search of the unit's Employee rows
// from the top for each salary row, the bracket rows walked from the largest lower bound for each row, and
// every cell set from the text of its value. The real import must give the same document.
DeclarationDocument rowByRow(Database& taxDb, Database& financeDb, qint64 unit, const QString& mm,
                             Money threshold, DeclarationDocument doc)
{
    const Rows salary = financeDb.select("select * from salary where copy_month=? and Tax>0", {mm});
    const Rows employees = taxDb.select("select * from Employee where UnitID=?", {unit});
    const Rows unitRow = taxDb.select("select * from UnitInfo where UnitID=?", {unit});
    const Rows brackets = financeDb.select("SELECT * FROM taxsetup ORDER BY levelmin DESC");
    if (!salary.isEmpty())
        doc.clearRows();
    const auto mapped = [&](int r, const char* code, int column, qsizetype s) {
        const QString item = NullToText(unitRow.value(0, QString::fromLatin1(code)));
        if (!item.isEmpty())
            doc.setCellText(r, column, salary.value(s, item).toString());
    };
    for (qsizetype s = 0; s < salary.size(); ++s) {
        doc.appendRow();
        const int r = doc.rowCount() - 1;
        doc.setCellText(r, ColRowNo, QString::number(r + 1));
        for (qsizetype e = 0; e < employees.size(); ++e) {
            if (employees.value(e, u"EmpID").toString() == salary.value(s, u"emp_id").toString()) {
                doc.setCellText(r, ColIDCard, NullToText(employees.value(e, u"IDCard")));
                doc.setCellText(r, ColNation, NullToText(employees.value(e, u"NationCode")));
                doc.setCellText(r, ColProf, NullToText(employees.value(e, u"ProfCode")));
                doc.setCellText(r, ColEmpName, employees.value(e, u"EmpName").toString());
                break;
            }
        }
        doc.setCellText(r, ColProg, "01");
        mapped(r, "SaCode1", ColInComeM, s);
        mapped(r, "SaCode2", ColTaxM, s);
        const Money a = threshold + doc.cellNumber(r, ColTaxM);
        for (qsizetype b = 0; b < brackets.size(); ++b) {
            if (*Money::fromForeign(brackets.value(b, u"levelmin")) < a) {
                doc.setCellText(r, ColTaxRadio, brackets.value(b, u"Rate").toString());
                break;
            }
        }
        mapped(r, "SaCode3", ColReduTax, s);
        mapped(r, "SaCode4", ColNationTax, s);
        mapped(r, "SaCode5", ColTaxM1, s);
    }
    doc.setHeader(
        F::UnitMen,
        financeDb.scalar("select count(emp_id) as EmpCount from salary where copy_month=?", {mm}).toString());
    doc.setHeader(F::UnitTaxMen, QString::number(salary.size()));
    doc.setHeader(F::TaxMs, doc.columnSum(ColInComeM).format(u"#,##0.00"));
    doc.setHeader(F::TaxM, doc.columnSum(ColTaxM).format(u"#,##0.00"));
    doc.setHeader(F::ReduTaxM, doc.columnSum(ColReduTax).format(u"#,##0.00"));
    doc.setHeader(F::FactTax, doc.columnSum(ColTaxM1).format(u"#,##0.00"));
    return doc;
}

QStringList headerTexts(const DeclarationDocument& doc)
{
    QStringList h;
    for (int i = 0; i < HeaderFieldCount; ++i)
        h << doc.header(F(i));
    return h;
}

// A document with a typed row and header, to see that a refused import leaves it alone.
DeclarationDocument typedDocument(const QString& month)
{
    DeclarationDocument doc = SalaryImportFixture::newDeclaration(month);
    doc.setCellText(0, ColEmpName, "手工");
    doc.setCellText(0, ColInComeM, "123.45");
    doc.setCellText(0, ColTaxM1, "6");
    doc.appendRow();
    doc.setCellText(1, ColInComeM, "1000");
    doc.setHeader(F::UnitMen, "9");
    doc.setHeader(F::TaxMs, "1,123.45");
    return doc;
}

} // namespace

class TestSalaryImport : public QObject {
    Q_OBJECT

    // The salary rows of the main case: March with three taxed rows (one without an Employee row), one
    // untaxed row and April's rows.
    static void fillMarch(SalaryImportFixture& f)
    {
        f.addSalary({SalaryImportFixture::salary("03", "E001", 5000, 3200, 0, 0, 195),
                     SalaryImportFixture::salary("03", "E002", 8000.5, 6200.5, 100, 7, 745.05),
                     SalaryImportFixture::salary("03", "E003", 3000, 1200, 0, 0, 0),
                     SalaryImportFixture::salary("04", "E001", 5000, 3200, 0, 0, 195),
                     SalaryImportFixture::salary("03", "E004", 4000, 2000, 0, 0, 25)});
        f.setBrackets({{2000, 15}, {0, 5}, {5000, 20}, {500, 10}});
        f.addEmployee("E001", "张三", "110101198001010015");
        f.addEmployee("E002", "王 五", "  11010119800101003X ", QVariant(), "0201");
        f.addEmployee("E004", "别家", "440101198001010011", "156", "0201", 2); // another unit's employee
        f.mapItems({"YFGZ", "YNSSD", "JMS", QVariant(), "Tax"});
        f.settings->setTaxThreshold("800");
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void fillsRowsCountsAndTotals()
    {
        SalaryImportFixture f;
        fillMarch(f);
        DeclarationDocument doc = typedDocument("2012-03");
        doc.setHeader(F::BookNo, "BK123456");
        f.prompter.queue(Prompter::Answer::Yes);
        const SalaryImportResult result = SalaryImport(f.ctx, 1).ImportSalary(doc);

        QCOMPARE(int(result.status), int(Status::Imported));
        QVERIFY(result.rowsReplaced);
        QCOMPARE(result.imported, qsizetype(3));
        QCOMPARE(gridLines(doc),
                 QStringList({
                     "1\t110101198001010015\t张三\t156\t0201\t01\t5000\t3200\t15\t0\t\t195",
                     "2\t11010119800101003X\t王 五\t\t0201\t01\t8000.5\t6200.5\t20\t100\t\t745.05",
                     "3\t\t\t\t\t01\t4000\t2000\t15\t0\t\t25",
                 }));
        QCOMPARE(doc.header(F::UnitMen), QString("4")); // every March row, taxed or not
        QCOMPARE(doc.header(F::UnitTaxMen), QString("3"));
        QCOMPARE(doc.header(F::TaxMs), QString("17,000.50"));
        QCOMPARE(doc.header(F::TaxM), QString("11,400.50"));
        QCOMPARE(doc.header(F::ReduTaxM), QString("100.00"));
        QCOMPARE(doc.header(F::FactTax), QString("965.05"));
        QCOMPARE(doc.header(F::BookNo), QString("BK123456")); // untouched
        QCOMPARE(result.boxesSet,
                 QList<F>({F::UnitMen, F::UnitTaxMen, F::TaxMs, F::TaxM, F::ReduTaxM, F::FactTax}));

        QCOMPARE(f.prompter.records().size(), 2);
        const auto& ask = f.prompter.records()[0];
        QCOMPARE(ask.title, QString("提示信息"));
        QCOMPARE(ask.text, QString("导入工资数据将覆盖现有数据，是否继续？"));
        QCOMPARE(int(ask.icon), int(Prompter::Icon::Question));
        QCOMPARE(int(ask.buttons), int(Prompter::Buttons::YesNo));
        QCOMPARE(f.prompter.last().title, QString("提示信息"));
        QCOMPARE(f.prompter.last().text, QString("导入3条数据"));
        QCOMPARE(int(f.prompter.last().buttons), int(Prompter::Buttons::Ok));
        QCOMPARE(f.prompter.unexpected(), 0);
    }

    void noAtTheQuestionChangesNothing()
    {
        SalaryImportFixture f;
        fillMarch(f);
        DeclarationDocument doc = typedDocument("2012-03");
        const QStringList before = gridLines(doc);
        f.prompter.queue(Prompter::Answer::No);
        const auto result = SalaryImport(f.ctx, 1).ImportSalary(doc);
        QCOMPARE(int(result.status), int(Status::Declined));
        QVERIFY(!result.changedDocument());
        QCOMPARE(gridLines(doc), before);
        QCOMPARE(f.prompter.records().size(), 1);
    }

    void monthChecks_data()
    {
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("message"); // "" when the import goes ahead
        QTest::newRow("empty") << ""
                               << "税款所属月份 \r\n不能为空!";
        QTest::newRow("blanks") << "   "
                                << "税款所属月份 \r\n不能为空!";
        QTest::newRow("no month") << "abc"
                                  << "请填写正确格式的日期，如：2003-09";
        QTest::newRow("month 13") << "2012-13"
                                  << "请填写正确格式的日期，如：2003-09";
        QTest::newRow("a whole date") << "2012-03-05"
                                      << "请填写正确格式的日期，如：2003-09";
        QTest::newRow("one-digit month") << "2005-9"
                                         << "";
        QTest::newRow("another year, same month") << "1999-09"
                                                  << "";
    }
    void monthChecks()
    {
        QFETCH(QString, month);
        QFETCH(QString, message);
        SalaryImportFixture f;
        f.addSalary({SalaryImportFixture::salary("09", "E001", 5000, 3200, 0, 0, 195),
                     SalaryImportFixture::salary("10", "E002", 6000, 4200, 0, 0, 300)});
        f.setBrackets({{0, 5}});
        DeclarationDocument doc = typedDocument(month);
        const QStringList before = gridLines(doc);
        f.prompter.queue(Prompter::Answer::Yes);
        const auto result = SalaryImport(f.ctx, 1).ImportSalary(doc);
        QCOMPARE(f.prompter.records().size(), 2);
        if (message.isEmpty()) {
            // the month number alone picks the rows: September
            QCOMPARE(int(result.status), int(Status::Imported));
            QCOMPARE(doc.rowCount(), 1);
            QCOMPARE(doc.cellText(0, ColInComeM), QString("5000"));
            QCOMPARE(f.prompter.last().text, QString("导入1条数据"));
        } else {
            QCOMPARE(int(result.status), int(Status::MonthRefused));
            QCOMPARE(result.focus, std::optional<F>(F::Month));
            QCOMPARE(f.prompter.last().text, message);
            QCOMPARE(f.prompter.last().title, QString("提示信息"));
            QCOMPARE(gridLines(doc), before);
            QVERIFY(!result.changedDocument());
        }
    }

    // Brackets stored out of order with lower bounds 0, 500 and 2000; the rate is that of the first bracket,
    // largest bound first, whose bound is strictly below threshold + taxable income.
    void rateLookup_data()
    {
        QTest::addColumn<QString>("threshold");
        QTest::addColumn<QVariant>("taxable"); // the salary value; an invalid QVariant: SaCode2 unmapped
        QTest::addColumn<QString>("rate");     // the rate cell's text
        QTest::newRow("800 + 1700 = 2500 takes the 2000 bracket") << "800" << QVariant(1700) << "15";
        QTest::newRow("800 + 1200 = 2000 is not above 2000") << "800" << QVariant(1200) << "10";
        QTest::newRow("800 + 1200.01 is above 2000") << "800" << QVariant(1200.01) << "15";
        QTest::newRow("threshold 800元 counts as 800") << "800元" << QVariant(1700) << "15";
        QTest::newRow("threshold abc counts as 0") << "abc" << QVariant(1700) << "10";
        QTest::newRow("threshold 1,600 counts as 1") << "1,600" << QVariant(1700) << "10";
        QTest::newRow("no threshold set") << "" << QVariant(400) << "5";
        QTest::newRow("A = 0 qualifies for no bracket") << "" << QVariant(0) << "";
        QTest::newRow("taxable income unmapped, threshold 0") << "0" << QVariant() << "";
        QTest::newRow("taxable income unmapped, threshold 800") << "800" << QVariant() << "10";
        QTest::newRow("negative A") << "" << QVariant(-50) << "";
    }
    void rateLookup()
    {
        QFETCH(QString, threshold);
        QFETCH(QVariant, taxable);
        QFETCH(QString, rate);
        SalaryImportFixture f;
        // Rows without a lower bound are never below A, whatever their rate holds.
        f.setBrackets(
            {{QVariant(), 99}, {500, 10}, {0, 5}, {QVariant(), QVariant()}, {2000, 15}, {QVariant(), "x"}});
        f.addSalary(
            {SalaryImportFixture::salary("05", "E001", 9000, taxable.isValid() ? taxable : 0, 0, 0, 80)});
        f.mapItems(
            {"YFGZ", taxable.isValid() ? QVariant("YNSSD") : QVariant(), QVariant(), QVariant(), "Tax"});
        f.settings->setTaxThreshold(threshold);
        DeclarationDocument doc = SalaryImportFixture::newDeclaration("2012-05");
        f.prompter.queue(Prompter::Answer::Yes);
        QCOMPARE(int(SalaryImport(f.ctx, 1).ImportSalary(doc).status), int(Status::Imported));
        QCOMPARE(doc.cellText(0, ColTaxRadio), rate);
        if (!taxable.isValid()) {
            // unmapped items stay empty, mapped ones are filled
            QCOMPARE(doc.cellText(0, ColTaxM), QString());
            QCOMPARE(doc.cellText(0, ColReduTax), QString());
            QCOMPARE(doc.cellText(0, ColNationTax), QString());
            QCOMPARE(doc.cellText(0, ColInComeM), QString("9000"));
            QCOMPARE(doc.header(F::TaxM), QString("0.00"));
        }
    }

    void emptyBracketTableLeavesRatesEmpty()
    {
        SalaryImportFixture f;
        f.addSalary({SalaryImportFixture::salary("05", "E001", 9000, 7000, 0, 0, 80)});
        f.settings->setTaxThreshold("800");
        DeclarationDocument doc = SalaryImportFixture::newDeclaration("2012-05");
        f.prompter.queue(Prompter::Answer::Yes);
        QCOMPARE(int(SalaryImport(f.ctx, 1).ImportSalary(doc).status), int(Status::Imported));
        QCOMPARE(doc.cellText(0, ColTaxRadio), QString());
        QCOMPARE(f.prompter.last().text, QString("导入1条数据"));
    }

    void monthWithoutTaxedRowsKeepsTheGrid()
    {
        SalaryImportFixture f;
        fillMarch(f);
        f.addSalary({SalaryImportFixture::salary("06", "E001", 1000, 0, 0, 0, 0),
                     SalaryImportFixture::salary("06", "E002", 1000, 0, 0, 0, 0)});
        DeclarationDocument doc = typedDocument("2012-06");
        const QStringList before = gridLines(doc);
        f.prompter.queue(Prompter::Answer::Yes);
        const auto result = SalaryImport(f.ctx, 1).ImportSalary(doc);
        QCOMPARE(int(result.status), int(Status::Imported));
        QVERIFY(!result.rowsReplaced);
        QCOMPARE(gridLines(doc), before);
        QCOMPARE(doc.header(F::UnitMen), QString("2"));
        QCOMPARE(doc.header(F::UnitTaxMen), QString("0"));
        QCOMPARE(doc.header(F::TaxMs), QString("1,123.45")); // recomputed from the rows kept
        QCOMPARE(doc.header(F::FactTax), QString("6.00"));
        QCOMPARE(doc.header(F::TaxM), QString("0.00"));
        QCOMPARE(f.prompter.last().text, QString("导入0条数据"));
    }

    void importingTwiceReplacesTheRows()
    {
        SalaryImportFixture f;
        fillMarch(f);
        DeclarationDocument doc = SalaryImportFixture::newDeclaration("2012-03");
        f.prompter.queue(Prompter::Answer::Yes);
        SalaryImport(f.ctx, 1).ImportSalary(doc);
        const QStringList first = gridLines(doc);
        const QStringList firstHeader = headerTexts(doc);
        doc.setCellText(0, ColEmpName, "改过");
        f.prompter.queue(Prompter::Answer::Yes);
        SalaryImport(f.ctx, 1).ImportSalary(doc);
        QCOMPARE(gridLines(doc), first);
        QCOMPARE(headerTexts(doc), firstHeader);
        QCOMPARE(f.prompter.texts(), QStringList({"导入工资数据将覆盖现有数据，是否继续？", "导入3条数据",
                                                  "导入工资数据将覆盖现有数据，是否继续？", "导入3条数据"}));
    }

    // Values the import cannot use end it with a message and the document as it was.
    void badInputs_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("message"); // the start of the message
        QTest::newRow("mapped item names no column")
            << "update UnitInfo set SaCode3='QTJ' where UnitID=1"
            << "提示信息"
            << "财务软件的工资表中没有工资项目“QTJ”（对应减免税额），请在单位信息中重新设置。";
        QTest::newRow("null salary value") << "update salary set JMS=null where emp_id='E002'"
                                           << "提示信息"
                                           << "职工“E002”的工资项目“JMS”没有数值，工资数据没有导入。";
        QTest::newRow("text salary value")
            << "update salary set YFGZ='五千' where emp_id='E002'"
            << "提示信息"
            << "职工“E002”的工资项目“YFGZ”的值“五千”不是数字，工资数据没有导入。";
        QTest::newRow("13-digit salary value")
            << "update salary set YFGZ=1234567890123 where emp_id='E004'"
            << "提示信息"
            << "职工“E004”的工资项目“YFGZ”的值“1234567890123”超过12位整数，工资数据没有导入。";
        QTest::newRow("bracket bound that is no number")
            << "insert into taxsetup(levelmin,Rate) values('x',3)"
            << "提示信息"
            << "财务软件的税率表中有一行的下限“x”或税率“3”不是数字，工资数据没有导入。";
        QTest::newRow("bracket without a rate")
            << "insert into taxsetup(levelmin,Rate) values(100,null)"
            << "提示信息"
            << "财务软件的税率表中有一行的下限“100”或税率“”不是数字，工资数据没有导入。";
        QTest::newRow("no taxsetup table") << "drop table taxsetup"
                                           << "导入工资数据出错"
                                           << "错误类型：";
        QTest::newRow("salary table without Tax")
            << "create table s2 as select copy_month,emp_id,YFGZ,YNSSD,JMS,DMJWS from salary;"
               "drop table salary;alter table s2 rename to salary"
            << "提示信息"
            << "财务软件的salary表中没有Tax列，工资数据没有导入。";
    }
    void badInputs()
    {
        QFETCH(QString, setup);
        QFETCH(QString, title);
        QFETCH(QString, message);
        SalaryImportFixture f;
        fillMarch(f);
        const QStringList statements = setup.split(u';');
        if (setup.startsWith("update UnitInfo"))
            execOrFail(f.tax.db(), setup);
        else
            f.onAccountSet(statements);
        DeclarationDocument doc = typedDocument("2012-03");
        const QStringList before = gridLines(doc);
        const QStringList header = headerTexts(doc);
        f.prompter.queue(Prompter::Answer::Yes);
        const auto result = SalaryImport(f.ctx, 1).ImportSalary(doc);
        QCOMPARE(int(result.status), int(Status::Failed));
        QVERIFY(!result.changedDocument());
        QCOMPARE(gridLines(doc), before);
        QCOMPARE(headerTexts(doc), header);
        QCOMPARE(f.prompter.records().size(), 2);
        QCOMPARE(f.prompter.last().title, title);
        QVERIFY2(f.prompter.last().text.startsWith(message), qPrintable(f.prompter.last().text));
    }

    void unitWithoutLinkStopsAfterTheLinkMessage()
    {
        SalaryImportFixture f;
        fillMarch(f);
        execOrFail(f.tax.db(), "insert into UnitInfo(UnitID,UnitName) values(3,'没有链接')");
        DeclarationDocument doc = typedDocument("2012-03");
        const QStringList before = gridLines(doc);
        f.prompter.queue(Prompter::Answer::Yes);
        const auto result = SalaryImport(f.ctx, 3).ImportSalary(doc);
        QCOMPARE(int(result.status), int(Status::NoConnection));
        QCOMPARE(gridLines(doc), before);
        QCOMPARE(f.prompter.texts(),
                 QStringList({"导入工资数据将覆盖现有数据，是否继续？", finance::msg::incompleteLink()}));
    }

    // The finance database is replaced by a file that is no database while the import runs.
    void financeDatabaseGoesAway_data()
    {
        QTest::addColumn<int>("stage");
        QTest::newRow("before the salary rows") << int(SalaryImport::Stage::ReadingSalary);
        QTest::newRow("before the brackets") << int(SalaryImport::Stage::ReadingBrackets);
        QTest::newRow("before the count") << int(SalaryImport::Stage::Counting);
    }
    void financeDatabaseGoesAway()
    {
        QFETCH(int, stage);
        SalaryImportFixture f;
        fillMarch(f);
        DeclarationDocument doc = typedDocument("2012-03");
        const QStringList before = gridLines(doc);
        SalaryImport salaryImport(f.ctx, 1);
        salaryImport.setProgress([&](SalaryImport::Stage s, qsizetype done, qsizetype) {
            if (int(s) == stage && done == 0) {
                QFile file(f.accountSetPath());
                QVERIFY(file.open(QIODevice::ReadWrite));
                QByteArray junk(int(file.size()), 'x');
                file.write(junk);
            }
        });
        f.prompter.queue(Prompter::Answer::Yes);
        const auto result = salaryImport.ImportSalary(doc);
        QCOMPARE(int(result.status), int(Status::Failed));
        QCOMPARE(gridLines(doc), before);
        QCOMPARE(f.prompter.records().size(), 2);
        QCOMPARE(f.prompter.last().title, QString("导入工资数据出错"));
        QVERIFY2(f.prompter.last().text.startsWith("错误类型：") &&
                     f.prompter.last().text.contains("\r\n错误描述："),
                 qPrintable(f.prompter.last().text));
    }

    // Many rows with duplicate EmpIDs in Employee, a quote in an emp_id, rows without employees, unsorted
    // brackets: the hashed import gives exactly what the row-by-row rules give.
    void equalsTheRowByRowImport()
    {
        SalaryImportFixture f;
        // Employee as older databases have it: without the uniqueness of (UnitID, EmpID).
        execOrFail(f.tax.db(), "drop table Employee");
        execOrFail(f.tax.db(),
                   "create table Employee (UnitID INTEGER, EmpID TEXT, EmpName TEXT, IDCard TEXT, "
                   "NationCode TEXT, ProfCode TEXT)");
        QRandomGenerator rng(20120305);
        Transaction tx(f.tax.db());
        for (int i = 0; i < 400; ++i) {
            const QString id =
                i % 50 == 0 ? QStringLiteral("O'%1").arg(i % 7) : QStringLiteral("E%1").arg(rng.bounded(300));
            f.addEmployee(id, QStringLiteral("职工%1").arg(i), QStringLiteral(" %1 ").arg(100000 + i),
                          i % 3 ? QVariant(QStringLiteral("156")) : QVariant(), "0201",
                          1 + qint64(rng.bounded(2)));
        }
        tx.commit();
        QList<QVariantList> rows;
        for (int i = 0; i < 600; ++i) {
            const QString id =
                i % 40 == 0 ? QStringLiteral("O'%1").arg(i % 7) : QStringLiteral("E%1").arg(rng.bounded(330));
            const double income = rng.bounded(2000000) / 100.0;
            const double taxable = rng.bounded(3) == 0 ? 0.0 : rng.bounded(1500000) / 100.0;
            rows << SalaryImportFixture::salary(
                QStringLiteral("%1").arg(1 + rng.bounded(3), 2, 10, QLatin1Char('0')), id, income, taxable,
                rng.bounded(100), rng.bounded(10) / 4.0,
                rng.bounded(4) == 0 ? 0.0 : rng.bounded(500000) / 100.0);
        }
        // April: three taxed rows for the same employees, so the employee index starts small and grows
        rows << SalaryImportFixture::salary("04", "E7", 5000, 1000, 0, 0, 10)
             << SalaryImportFixture::salary("04", "O'3", 6000, 2000, 0, 0, 20)
             << SalaryImportFixture::salary("04", "E200", 7000, 3000, 0, 0, 30);
        f.addSalary(rows);
        f.setBrackets({{4500, 20}, {0, 3}, {80000, 45}, {1500, 10}, {9000, 25}, {35000, 30}, {55000, 35}});
        f.mapItems({"YFGZ", "YNSSD", "JMS", "DMJWS", "Tax"});
        f.settings->setTaxThreshold("3500");

        auto financeDb = Database::openSqlite(f.accountSetPath(), Database::Access::ReadOnly);
        for (const QString month : {"2012-01", "2012-02", "2012-3", "2012-04"}) {
            DeclarationDocument doc = typedDocument(month);
            const QString mm =
                QStringLiteral("%1").arg(Dates::parseMonth(month).month(), 2, 10, QLatin1Char('0'));
            const DeclarationDocument expected =
                rowByRow(f.tax.db(), *financeDb, 1, mm, Money::fromUnits(3500), doc);
            f.prompter.queue(Prompter::Answer::Yes);
            const auto result = SalaryImport(f.ctx, 1).ImportSalary(doc);
            QCOMPARE(int(result.status), int(Status::Imported));
            QVERIFY(doc.rowCount() > (month == "2012-04" ? 2 : 100));
            QCOMPARE(gridLines(doc), gridLines(expected));
            QCOMPARE(headerTexts(doc), headerTexts(expected));
        }
    }

    void amountsReadAsFromForeign()
    {
        QRandomGenerator rng(7);
        QList<double> values{0.0,
                             -0.0,
                             0.1,
                             0.00005,
                             -0.00005,
                             0.00015,
                             1234.56,
                             5000.5,
                             99999999999.9999,
                             1e11,
                             123456789012.34,
                             -745.05,
                             1e-9,
                             3.0e15,
                             1.0 / 3.0};
        for (int i = 0; i < 20000; ++i) {
            values << double(qint64(rng.generate64() % 100000000000000LL) - 50000000000000LL) / 10000.0
                   << double(rng.bounded(100000000)) / 100.0 << (rng.generateDouble() - 0.5) * 1e6;
        }
        for (double d : values) {
            const auto expected = Money::fromForeign(QVariant(d));
            QVERIFY2(SalaryImport::amountOf(QVariant(d)) == expected,
                     qPrintable(QString::number(d, 'g', 17)));
        }
        QCOMPARE(SalaryImport::amountOf(QVariant(QString("12.5"))),
                 std::optional<Money>(Money::parse(u"12.5")));
        QCOMPARE(SalaryImport::amountOf(QVariant()), std::optional<Money>());
        // A null of a number type, as a server driver gives a missing value, is no amount and never 0.
        for (const QMetaType t : {QMetaType::fromType<double>(), QMetaType::fromType<qlonglong>(),
                                  QMetaType::fromType<int>(), QMetaType::fromType<QString>()})
            QVERIFY2(!SalaryImport::amountOf(QVariant(t)), t.name());
    }

    void bracketsSortAndLookUp()
    {
        QList<SalaryImport::Bracket> b{{Money::fromUnits(500), Money::fromUnits(10)},
                                       {Money::fromUnits(2000), Money::fromUnits(15)},
                                       {Money::fromUnits(0), Money::fromUnits(5)}};
        SalaryImport::sortBrackets(b);
        QCOMPARE(b[0].levelMin, Money::fromUnits(2000));
        QCOMPARE(b[2].levelMin, Money::fromUnits(0));
        QCOMPARE(SalaryImport::rateFor(b, Money::fromUnits(2500)),
                 std::optional<Money>(Money::fromUnits(15)));
        QCOMPARE(SalaryImport::rateFor(b, Money::fromUnits(2000)),
                 std::optional<Money>(Money::fromUnits(10)));
        QCOMPARE(SalaryImport::rateFor(b, Money::fromUnits(0)), std::optional<Money>());
        QCOMPARE(SalaryImport::rateFor({}, Money::fromUnits(100)), std::optional<Money>());
    }
};

ZQ_TEST(TestSalaryImport)
#include "TestSalaryImport.moc"
