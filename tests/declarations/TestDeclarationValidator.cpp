#include "DeclarationFixtures.h"
#include "declarations/DeclarationValidator.h"
#include "declarations/DeclarationWarnings.h"
#include "declarations/WageTaxTable.h"
#include "employees/IdentityNumber.h"

#include <QTest>

using namespace zq;
using namespace zq::test;
using F = HeaderField;
using Target = ValidationProblem::Target;

namespace {

const QDate kToday(2026, 12, 7);

DocumentEdit header(F f, const QString& text)
{
    return [=](DeclarationDocument& d) { d.setHeader(f, text); };
}
DocumentEdit cell(int r, int c, const QString& text)
{
    return [=](DeclarationDocument& d) { d.setCellText(r, c, text); };
}
const DocumentEdit none = [](DeclarationDocument&) {};
const DocumentEdit clearRows = [](DeclarationDocument& d) { d.clearRows(); };
const DocumentEdit appendRow = [](DeclarationDocument& d) { d.appendRow(); };
DocumentEdit removeRow(int r)
{
    return [=](DeclarationDocument& d) { d.removeRow(r); };
}
DocumentEdit fill(int r, const QString& idCard, const QString& item = QStringLiteral("01"))
{
    return [=](DeclarationDocument& d) { fillRow(d, r, idCard, item); };
}
DocumentEdit all(std::initializer_list<DocumentEdit> edits)
{
    return [list = QList<DocumentEdit>(edits)](DeclarationDocument& d) {
        for (const DocumentEdit& e : list)
            e(d);
    };
}

// The monthly wage tables as published: upper bounds (the last bracket has none) and rates.
struct PublishedTable {
    const char* month;
    QList<int> bounds;
    QList<int> rates;
};
const PublishedTable kPublished[] = {
    {"2005-09", {500, 2000, 5000, 20000, 40000, 60000, 80000, 100000}, {5, 10, 15, 20, 25, 30, 35, 40, 45}},
    {"2011-09", {1500, 4500, 9000, 35000, 55000, 80000}, {3, 10, 20, 25, 30, 35, 45}},
    {"2018-10", {3000, 12000, 25000, 35000, 55000, 80000}, {3, 10, 20, 25, 30, 35, 45}},
};

} // namespace

class TestDeclarationValidator : public QObject {
    Q_OBJECT
private slots:
    // The save's check on validDocument() changed by one edit: the first refusal and where it points
    // ("message @ box N" for a header field, "message @ cell row,column"), or "" when it passes.
    void firstFailureWins_data()
    {
        QTest::addColumn<DocumentEdit>("edit");
        QTest::addColumn<QString>("expected");
        const DocumentEdit bookless = all({removeRow(1), removeRow(1), header(F::BookNo, "  ")});
        const QString code = "计算机代码必须是半角数字，6到10位! @ box 0";
        const QString book = "缴款书号必须是6到20个字 @ box 16", comma = "缴款书号中不能包含逗号 @ box 16";
        const QString rate = "税率必须界于1%与99%之间 @ cell 0,8";
        QTest::newRow("valid") << none << "";
        QTest::newRow("no rows") << clearRows << "您没有填写任何明细数据";
        QTest::newRow("only blank rows leave the trailing one")
            << all({clearRows, appendRow, appendRow}) << "";
        QTest::newRow("a zero amount leaves a row blank") << all({appendRow, cell(2, ColInComeM, "0")}) << "";
        QTest::newRow("a cent is not blank")
            << cell(2, ColTaxM1, "0.01") << "身份证件号码不能为空! @ cell 2,1";
        QTest::newRow("blanks in a text are not blank")
            << cell(2, ColEmpName, "  ") << "身份证件号码不能为空! @ cell 2,1";
        QTest::newRow("blank identity before blank code")
            << all({cell(0, ColIDCard, ""), header(F::ComputerCode, "")})
            << "身份证件号码不能为空! @ cell 0,1";
        QTest::newRow("blanks only count as empty")
            << cell(1, ColEmpName, "   ") << "姓名不能为空! @ cell 1,2";
        QTest::newRow("zero income") << cell(1, ColInComeM, "0")
                                     << "纳税人收入额应该填大于0的数字! @ cell 1,6";
        QTest::newRow("rate 0.5") << cell(0, ColTaxRadio, "0.5") << rate;
        QTest::newRow("rate 99.5") << cell(0, ColTaxRadio, "99.5") << rate;
        QTest::newRow("rates 1 and 99 pass")
            << all({cell(0, ColTaxRadio, "1"), cell(1, ColTaxRadio, "99")}) << "";
        QTest::newRow("bookless rate must be 0") << all({bookless, cell(0, ColTaxRadio, "3")})
                                                 << "对于没有缴款书号的申报表，税率只能为零 @ cell 0,8";
        QTest::newRow("one row and trailing row is not bookless")
            << all({removeRow(1), header(F::BookNo, "")}) << book;
        QTest::newRow("blank computer code") << header(F::ComputerCode, " ") << "计算机代码不能为空! @ box 0";
        QTest::newRow("code of 11") << header(F::ComputerCode, "12345678901") << code;
        QTest::newRow("code of 10 letters passes") << header(F::ComputerCode, "abcdefghij") << "";
        QTest::newRow("code of 6 passes") << header(F::ComputerCode, " 123456 ") << "";
        QTest::newRow("blank date") << header(F::ApplyDate, "") << "申报日期\r\n不能为空! @ box 12";
        QTest::newRow("date 2005-02-30")
            << header(F::ApplyDate, "2005-02-30") << "请填写正确格式的日期，如：2003-09-06 @ box 12";
        QTest::newRow("month 2005-13")
            << header(F::Month, "2005-13") << "请填写正确格式的日期，如：2003-09 @ box 7";
        QTest::newRow("month 2005-9 passes") << header(F::Month, "2005-9") << "";
        QTest::newRow("no persons") << header(F::UnitMen, "") << "本单位总人数\r\n应该填大于0的数字! @ box 2";
        QTest::newRow("taxpayers exceed persons")
            << header(F::UnitTaxMen, "6") << "不能大于本期本单位总人数 @ box 3";
        QTest::newRow("equal persons pass") << header(F::UnitTaxMen, "5") << "";
        QTest::newRow("other taxpayers exceed")
            << header(F::OthTaxMen, "1") << "不能大于本期非本单位总人数 @ box 5";
        QTest::newRow("no total income")
            << header(F::InComeM, "0.00") << "收入总额\r\n应该填大于0的数字! @ box 8";
        QTest::newRow("book number of 20 passes") << header(F::BookNo, QString(20, u'9')) << "";
        QTest::newRow("book number of 21") << header(F::BookNo, QString(21, u'9')) << book;
        QTest::newRow("comma") << header(F::BookNo, "1234567,89") << comma;
        QTest::newRow("full-width comma") << header(F::BookNo, "1234567，89") << comma;
        QTest::newRow("duplicate rows 2 and 4")
            << all({appendRow, appendRow, fill(2, "220101198001010011"), fill(3, "11010119800101003X")})
            << "第2行的身份证件号码及所得项目与第4行的一样！";
        QTest::newRow("same identity other item passes") << fill(1, "110101198001010015", "04") << "";
    }
    void firstFailureWins()
    {
        QFETCH(DocumentEdit, edit);
        DeclarationDocument doc = validDocument();
        edit(doc);
        const auto problem = DeclarationValidator::DoCheckDeclaration(doc);
        QString found = problem ? problem->message : QString();
        if (problem && problem->target == Target::Box)
            found += QString(" @ box %1").arg(int(problem->box));
        if (problem && problem->target == Target::Cell)
            found += QString(" @ cell %1,%2").arg(problem->row).arg(problem->column);
        QTEST(found, "expected");
    }

    // Every bracket boundary of the three tables: the bound itself is in the bracket, one cent more in the
    // next. Each cent from 0 up costs the rate of its bracket: the quick deductions keep the tax continuous.
    void wageTableBrackets_data()
    {
        QTest::addColumn<int>("table");
        QTest::addColumn<QString>("taxable");
        QTest::addColumn<int>("rate");
        for (int t = 0; t < 3; ++t) {
            const PublishedTable& p = kPublished[t];
            for (int i = 0; i < p.bounds.size(); ++i) {
                const QString bound = QString::number(p.bounds[i]);
                QTest::addRow("%s at %s", p.month, qPrintable(bound)) << t << bound << p.rates[i];
                QTest::addRow("%s above %s", p.month, qPrintable(bound))
                    << t << bound + ".01" << p.rates[i + 1];
            }
            QTest::addRow("%s first cent", p.month) << t << "0.01" << p.rates[0];
        }
    }
    void wageTableBrackets()
    {
        QFETCH(int, table);
        QFETCH(QString, taxable);
        QFETCH(int, rate);
        const WageTaxTable* t =
            WageTaxTable::forMonth(QDate::fromString(QString(kPublished[table].month) + "-01", "yyyy-MM-dd"));
        QVERIFY(t);
        const Money income = *Money::parse(taxable), cent = *Money::parse(u"0.01");
        QCOMPARE(t->bracketOf(income).rate, rate);
        QCOMPARE(*t->taxTimes100(income) - *t->taxTimes100(income - cent), cent.raw() * rate);
    }

    void wageTableMonths_data()
    {
        QTest::addColumn<QDate>("month");
        QTest::addColumn<QString>("period"); // "" when no table covers the month
        QTest::newRow("last of the first") << QDate(2011, 8, 31) << "2011-08 及以前";
        QTest::newRow("first of the second") << QDate(2011, 9, 1) << "2011-09 至 2018-09";
        QTest::newRow("first of the third") << QDate(2018, 10, 1) << "2018-10 至 2018-12";
        QTest::newRow("cumulative from 2019") << QDate(2019, 1, 1) << "";
        QTest::newRow("no month") << QDate() << "";
    }
    void wageTableMonths()
    {
        QFETCH(QDate, month);
        const WageTaxTable* t = WageTaxTable::forMonth(month);
        QTEST(t ? t->periodText() : QString(), "period");
    }

    void wageTableFileMistakes_data()
    {
        QTest::addColumn<QByteArray>("rows");
        QTest::addColumn<int>("tables");
        QTest::newRow("sound") << QByteArray(",2011-08,500,5,0\n,2011-08,,10,25\n") << 1;
        QTest::newRow("no top bracket") << QByteArray(",2011-08,500,5,0\n") << 0;
        QTest::newRow("bounds not rising")
            << QByteArray(",2011-08,500,5,0\n,2011-08,400,10,25\n,2011-08,,20,1\n") << 0;
        QTest::newRow("no month") << QByteArray(",,,5,0\n") << 0;
        QTest::newRow("four fields") << QByteArray(",2011-08,500,5\n,2011-08,,10,25\n") << 0;
    }
    void wageTableFileMistakes()
    {
        QFETCH(QByteArray, rows);
        QTEST(int(WageTaxTable::parse("From,Until,UpTo,Rate,QuickDeduction\n" + rows).size()), "tables");
    }

    void identityNumbers_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QStringList>("problems");
        const QString date = "第7至14位“%1”不是有效的出生日期";
        QTest::newRow("sound") << "320102199003070017" << QStringList();
        QTest::newRow("small x") << "11010519491231002x" << QStringList();
        QTest::newRow("blanks around") << " 440306198001011231 " << QStringList();
        QTest::newRow("wrong check character") << "110105194912310022" << QStringList{"校验码“2”错误"};
        QTest::newRow("30 February") << "110105194902300020" << QStringList{date.arg("19490230")};
        QTest::newRow("29 February 2000") << "110101200002290018" << QStringList();
        QTest::newRow("29 February 1900") << "110101190002290011" << QStringList{date.arg("19000229")};
        QTest::newRow("born in the future")
            << "11010520300101001X" << QStringList{"出生日期 2030-01-01 晚于今天"};
        QTest::newRow("born today") << "110105202612070010" << QStringList{"校验码“0”错误"};
        QTest::newRow("everything wrong")
            << "990105203013310020"
            << QStringList{"前两位“99”不是省级行政区代码", date.arg("20301331"), "校验码“0”错误"};
        QTest::newRow("15 digits, 29 February 1900")
            << "110105000229002" << QStringList{"第7至12位“000229”不是有效的出生日期"};
        QTest::newRow("letter inside") << "1101051949123100AX" << QStringList();
    }
    void identityNumbers()
    {
        QFETCH(QString, number);
        QStringList found;
        for (const auto& f : IdentityNumber::check(number, kToday))
            found << f.problem;
        QTEST(found, "problems");
    }

    void declarationWarnings_data()
    {
        QTest::addColumn<DocumentEdit>("edit");       // on the rows, before the totals are kept in step
        QTest::addColumn<DocumentEdit>("headerEdit"); // afterwards
        QTest::addColumn<QStringList>("places");
        QTest::newRow("clean") << none << none << QStringList();
        QTest::newRow("wrong check character")
            << cell(0, ColIDCard, "110101198001010015") << none << QStringList{"第1行 身份证件号码"};
        QTest::newRow("rate of the next bracket")
            << cell(1, ColTaxRadio, "20") << none << QStringList{"第2行 税率(％)"};
        QTest::newRow("a cent off passes") << cell(0, ColTaxM1, "325.01") << none << QStringList();
        QTest::newRow("two cents off")
            << cell(0, ColTaxM1, "324.98") << none << QStringList{"第1行 本张实缴税额"};
        QTest::newRow("reduction and foreign credit settle the tax")
            << all({cell(0, ColTaxM1, "300"), cell(0, ColReduTax, "20"), cell(0, ColNationTax, "5")}) << none
            << QStringList();
        QTest::newRow("without a payment book the rate is 0")
            << all({removeRow(2), removeRow(1), header(F::BookNo, ""), header(F::UnitTaxMen, "1"),
                    cell(0, ColTaxRadio, "0")})
            << none << QStringList();
        QTest::newRow("2011-09 table: 3000 × 10 % − 105")
            << all({header(F::Month, "2011-9"), cell(0, ColTaxRadio, "10"), cell(1, ColTaxRadio, "10"),
                    cell(0, ColTaxM1, "195"), cell(1, ColTaxM1, "195")})
            << none << QStringList();
        QTest::newRow("cumulative months cannot be judged")
            << header(F::Month, "2019-01") << none << QStringList{"税款所属月份"};
        QTest::newRow("header total against the rows")
            << none << header(F::TaxM, "5,000.00") << QStringList{"应纳税所得额"};
        QTest::newRow("other persons count as taxpayers too")
            << none << all({header(F::UnitTaxMen, "1"), header(F::OthMen, "1"), header(F::OthTaxMen, "1")})
            << QStringList();
        QTest::newRow("income below taxed income")
            << none << header(F::InComeM, "9,999.99") << QStringList{"收入总额"};
        QTest::newRow("owed tax") << none << header(F::OweTax, "10") << QStringList{"欠缴税额"};
        QTest::newRow("one number, two names")
            << all({cell(1, ColIDCard, "110101198001010010"), cell(1, ColProg, "04"),
                    cell(1, ColEmpName, "李四")})
            << header(F::UnitTaxMen, "1") << QStringList{"第2行 身份证件号码"};
    }
    void declarationWarnings()
    {
        QFETCH(DocumentEdit, edit);
        QFETCH(DocumentEdit, headerEdit);
        DeclarationDocument doc = cleanDocument();
        edit(doc);
        syncTotals(doc);
        headerEdit(doc);
        QStringList found;
        for (const Warning& w : DeclarationWarnings::check(doc, kToday))
            found << w.where();
        QTEST(found, "places");
        QVERIFY(!DeclarationValidator::DoCheckDeclaration(doc)); // warnings never stop the save's own check
    }
};

ZQ_TEST(TestDeclarationValidator)
#include "TestDeclarationValidator.moc"
