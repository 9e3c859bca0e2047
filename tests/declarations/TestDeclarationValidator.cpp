#include "DeclarationFixtures.h"
#include "TestSupport.h"
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

// Tax of a taxable income computed bracket by bracket (no quick deduction), in ten-thousandths × 100.
qint64 progressiveTax100(const PublishedTable& t, Money taxable)
{
    qint64 tax = 0;
    qint64 lower = 0;
    for (int i = 0; i < t.rates.size(); ++i) {
        const qint64 upper = i < t.bounds.size() ? Money::fromUnits(t.bounds[i]).raw() : taxable.raw();
        const qint64 part = std::min(taxable.raw(), upper) - lower;
        if (part > 0)
            tax += part * t.rates[i];
        lower = upper;
    }
    return tax;
}

} // namespace

class TestDeclarationValidator : public QObject {
    Q_OBJECT
private slots:
    void firstFailureWins_data()
    {
        QTest::addColumn<DocumentEdit>("edit");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("target"); // Target
        QTest::addColumn<int>("where");  // header field, or row*100+column for a cell

        auto row = [](int r, int c) { return r * 100 + c; };
        QTest::newRow("valid") << DocumentEdit([](DeclarationDocument&) {}) << "" << int(Target::None) << 0;
        QTest::newRow("no rows") << DocumentEdit([](DeclarationDocument& d) { d.clearRows(); })
                                 << "您没有填写任何明细数据" << int(Target::None) << 0;
        QTest::newRow("only blank rows leave the trailing one") << DocumentEdit([](DeclarationDocument& d) {
            d.clearRows();
            d.appendRow();
            d.appendRow();
        }) << "" << int(Target::None) << 0;
        QTest::newRow("blank identity before blank code") << DocumentEdit([](DeclarationDocument& d) {
            d.setCellText(0, ColIDCard, "");
            d.setHeader(F::ComputerCode, "");
        }) << "身份证件号码不能为空!" << int(Target::Cell) << row(0, ColIDCard);
        QTest::newRow("blanks only count as empty")
            << DocumentEdit([](DeclarationDocument& d) { d.setCellText(1, ColEmpName, "   "); })
            << "姓名不能为空!" << int(Target::Cell) << row(1, ColEmpName);
        QTest::newRow("zero income") << DocumentEdit([](DeclarationDocument& d) {
            d.setCellText(1, ColInComeM, "0");
        }) << "纳税人收入额应该填大于0的数字!"
                                     << int(Target::Cell) << row(1, ColInComeM);
        QTest::newRow("negative tax")
            << DocumentEdit([](DeclarationDocument& d) { d.setCellText(0, ColTaxM1, "-1"); })
            << "本张实缴税额应该填大于0的数字!" << int(Target::Cell) << row(0, ColTaxM1);
        QTest::newRow("rate 0.5") << DocumentEdit(
                                         [](DeclarationDocument& d) { d.setCellText(0, ColTaxRadio, "0.5"); })
                                  << "税率必须界于1%与99%之间" << int(Target::Cell) << row(0, ColTaxRadio);
        QTest::newRow("rate 99.5") << DocumentEdit([](DeclarationDocument& d) {
            d.setCellText(0, ColTaxRadio, "99.5");
        }) << "税率必须界于1%与99%之间"
                                   << int(Target::Cell) << row(0, ColTaxRadio);
        QTest::newRow("rates 1 and 99 pass") << DocumentEdit([](DeclarationDocument& d) {
            d.setCellText(0, ColTaxRadio, "1");
            d.setCellText(1, ColTaxRadio, "99");
        }) << "" << int(Target::None) << 0;
        QTest::newRow("bookless rate must be 0") << DocumentEdit([](DeclarationDocument& d) {
            d.removeRow(1);
            d.removeRow(1);
            d.setHeader(F::BookNo, "  ");
            d.setCellText(0, ColTaxRadio, "3");
        }) << "对于没有缴款书号的申报表，税率只能为零"
                                                 << int(Target::Cell) << row(0, ColTaxRadio);
        QTest::newRow("bookless with zero amounts passes") << DocumentEdit([](DeclarationDocument& d) {
            d.removeRow(1);
            d.removeRow(1);
            d.setHeader(F::BookNo, "");
            d.setHeader(F::InComeM, "");
            for (int c = ColInComeM; c <= ColTaxM1; ++c)
                d.setCellText(0, c, "");
        }) << "" << int(Target::None) << 0;
        QTest::newRow("one row and trailing row is not bookless") << DocumentEdit([](DeclarationDocument& d) {
            d.removeRow(1);
            d.setHeader(F::BookNo, "");
        }) << "缴款书号必须是6到20个字" << int(Target::Box) << int(F::BookNo);
        QTest::newRow("blank computer code")
            << DocumentEdit([](DeclarationDocument& d) { d.setHeader(F::ComputerCode, " "); })
            << "计算机代码不能为空!" << int(Target::Box) << int(F::ComputerCode);
        QTest::newRow("code of 5") << DocumentEdit([](DeclarationDocument& d) {
            d.setHeader(F::ComputerCode, "12345");
        }) << "计算机代码必须是半角数字，6到10位!"
                                   << int(Target::Box) << int(F::ComputerCode);
        QTest::newRow("code of 11") << DocumentEdit([](DeclarationDocument& d) {
            d.setHeader(F::ComputerCode, "12345678901");
        }) << "计算机代码必须是半角数字，6到10位!"
                                    << int(Target::Box) << int(F::ComputerCode);
        QTest::newRow("code of 10 letters passes")
            << DocumentEdit([](DeclarationDocument& d) { d.setHeader(F::ComputerCode, "abcdefghij"); }) << ""
            << int(Target::None) << 0;
        QTest::newRow("blank phone") << DocumentEdit(
                                            [](DeclarationDocument& d) { d.setHeader(F::Phone, ""); })
                                     << "联系电话不能为空!" << int(Target::Box) << int(F::Phone);
        QTest::newRow("blank date") << DocumentEdit(
                                           [](DeclarationDocument& d) { d.setHeader(F::ApplyDate, ""); })
                                    << "申报日期\r\n不能为空!" << int(Target::Box) << int(F::ApplyDate);
        QTest::newRow("date abc") << DocumentEdit([](DeclarationDocument& d) {
            d.setHeader(F::ApplyDate, "abc");
        }) << "请填写正确格式的日期，如：2003-09-06"
                                  << int(Target::Box) << int(F::ApplyDate);
        QTest::newRow("date 2005-02-30")
            << DocumentEdit([](DeclarationDocument& d) { d.setHeader(F::ApplyDate, "2005-02-30"); })
            << "请填写正确格式的日期，如：2003-09-06" << int(Target::Box) << int(F::ApplyDate);
        QTest::newRow("blank month") << DocumentEdit(
                                            [](DeclarationDocument& d) { d.setHeader(F::Month, ""); })
                                     << "税款所属月份 \r\n不能为空!" << int(Target::Box) << int(F::Month);
        QTest::newRow("month 2005-13")
            << DocumentEdit([](DeclarationDocument& d) { d.setHeader(F::Month, "2005-13"); })
            << "请填写正确格式的日期，如：2003-09" << int(Target::Box) << int(F::Month);
        QTest::newRow("month 2005-9 passes")
            << DocumentEdit([](DeclarationDocument& d) { d.setHeader(F::Month, "2005-9"); }) << ""
            << int(Target::None) << 0;
        QTest::newRow("blank declarant")
            << DocumentEdit([](DeclarationDocument& d) { d.setHeader(F::DeclarePerson, ""); })
            << "声明人不能为空!" << int(Target::Box) << int(F::DeclarePerson);
        QTest::newRow("no persons") << DocumentEdit([](DeclarationDocument& d) {
            d.setHeader(F::UnitMen, "");
        }) << "本单位总人数\r\n应该填大于0的数字!"
                                    << int(Target::Box) << int(F::UnitMen);
        QTest::newRow("taxpayers exceed persons") << DocumentEdit([](DeclarationDocument& d) {
            d.setHeader(F::UnitMen, "5");
            d.setHeader(F::UnitTaxMen, "6");
        }) << "不能大于本期本单位总人数" << int(Target::Box)
                                                  << int(F::UnitTaxMen);
        QTest::newRow("equal persons pass") << DocumentEdit([](DeclarationDocument& d) {
            d.setHeader(F::UnitMen, "5");
            d.setHeader(F::UnitTaxMen, "5");
        }) << "" << int(Target::None) << 0;
        QTest::newRow("other taxpayers exceed")
            << DocumentEdit([](DeclarationDocument& d) { d.setHeader(F::OthTaxMen, "1"); })
            << "不能大于本期非本单位总人数" << int(Target::Box) << int(F::OthTaxMen);
        QTest::newRow("no total income")
            << DocumentEdit([](DeclarationDocument& d) { d.setHeader(F::InComeM, "0.00"); })
            << "收入总额\r\n应该填大于0的数字!" << int(Target::Box) << int(F::InComeM);
        QTest::newRow("book number of 20 passes")
            << DocumentEdit([](DeclarationDocument& d) { d.setHeader(F::BookNo, QString(20, u'9')); }) << ""
            << int(Target::None) << 0;
        QTest::newRow("book number of 21")
            << DocumentEdit([](DeclarationDocument& d) { d.setHeader(F::BookNo, QString(21, u'9')); })
            << "缴款书号必须是6到20个字" << int(Target::Box) << int(F::BookNo);
        QTest::newRow("book number with comma")
            << DocumentEdit([](DeclarationDocument& d) { d.setHeader(F::BookNo, "1234567,89"); })
            << "缴款书号中不能包含逗号" << int(Target::Box) << int(F::BookNo);
        QTest::newRow("book number with full-width comma")
            << DocumentEdit([](DeclarationDocument& d) { d.setHeader(F::BookNo, "1234567，89"); })
            << "缴款书号中不能包含逗号" << int(Target::Box) << int(F::BookNo);
        QTest::newRow("duplicate rows 2 and 4") << DocumentEdit([](DeclarationDocument& d) {
            d.insertRow(2);
            d.insertRow(2);
            fillRow(d, 2, "220101198001010011");
            fillRow(d, 3, "11010119800101003X");
            fillRow(d, 0, "330101198001010011");
        }) << "第2行的身份证件号码及所得项目与第4行的一样！"
                                                << int(Target::None) << 0;
        QTest::newRow("same identity other item passes")
            << DocumentEdit([](DeclarationDocument& d) { fillRow(d, 1, "110101198001010015", "04"); }) << ""
            << int(Target::None) << 0;
    }
    void firstFailureWins()
    {
        QFETCH(DocumentEdit, edit);
        QFETCH(QString, message);
        QFETCH(int, target);
        QFETCH(int, where);
        DeclarationDocument doc = validDocument();
        edit(doc);
        const auto problem = DeclarationValidator::DoCheckDeclaration(doc);
        QCOMPARE(problem ? problem->message : QString(), message);
        if (!problem)
            return;
        QCOMPARE(int(problem->target), target);
        if (problem->target == Target::Box)
            QCOMPARE(int(problem->box), where);
        if (problem->target == Target::Cell)
            QCOMPARE(problem->row * 100 + problem->column, where);
    }

    void tidyingDeletesBlankRowsButTheLast()
    {
        // rows 1 filled, 2 blank, 3 filled, 4 blank: row 2 goes, the last stays, rows renumber 1..3
        DeclarationDocument doc = validDocument(); // filled, filled, blank
        doc.insertRow(1);                          // filled, blank, filled, blank
        doc.setCellText(1, ColInComeM, "0");       // a zero amount still counts as blank
        QVERIFY(!DeclarationValidator::DoCheckDeclaration(doc));
        QCOMPARE(doc.rowCount(), 3);
        QCOMPARE(doc.cellText(0, ColRowNo), QString("1"));
        QCOMPARE(doc.cellText(2, ColRowNo), QString("3"));
        QVERIFY(doc.IsBlankRow(2));
    }

    void duplicateSearchMatchesNestedLoop()
    {
        // Random documents: the hashed search finds the same pair as the search of every pair.
        std::srand(7);
        for (int trial = 0; trial < 300; ++trial) {
            DeclarationDocument doc;
            const int n = 1 + std::rand() % 12;
            for (int r = 0; r < n; ++r) {
                doc.appendRow();
                doc.setCellText(r, ColIDCard, QString::number(std::rand() % 5));
                doc.setCellText(r, ColProg, QString::number(std::rand() % 2));
            }
            std::optional<std::pair<int, int>> expected;
            for (int i = 0; i < n && !expected; ++i)
                for (int j = i + 1; j < n && !expected; ++j)
                    if (doc.cellText(i, ColIDCard) == doc.cellText(j, ColIDCard) &&
                        doc.cellText(i, ColProg) == doc.cellText(j, ColProg))
                        expected = std::make_pair(i, j);
            QCOMPARE(DeclarationValidator::firstDuplicatePair(doc), expected);
        }
    }

    void blankRowRules_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("blank");
        QTest::newRow("nothing") << int(ColIDCard) << "" << true;
        QTest::newRow("zero amount") << int(ColInComeM) << "0" << true;
        QTest::newRow("zero rate") << int(ColTaxRadio) << "0.00" << true;
        QTest::newRow("amount") << int(ColTaxM1) << "0.01" << false;
        QTest::newRow("name") << int(ColEmpName) << "王五" << false;
        QTest::newRow("blanks in a text") << int(ColEmpName) << "  " << false;
        QTest::newRow("row number alone") << int(ColRowNo) << "7" << true;
    }
    void blankRowRules()
    {
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(bool, blank);
        DeclarationDocument doc;
        doc.appendRow();
        doc.setCellText(0, column, text);
        QCOMPARE(doc.IsBlankRow(0), blank);
    }

    // Every bracket boundary of the three tables: the bound itself is in the bracket, one cent more in the
    // next, and the quick deduction gives the tax of the progressive sum.
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
                    << t << bound + QStringLiteral(".01") << p.rates[i + 1];
            }
            QTest::addRow("%s first cent", p.month) << t << "0.01" << p.rates[0];
            QTest::addRow("%s a million", p.month) << t << "1000000" << p.rates.last();
        }
    }
    void wageTableBrackets()
    {
        QFETCH(int, table);
        QFETCH(QString, taxable);
        QFETCH(int, rate);
        const PublishedTable& p = kPublished[table];
        const WageTaxTable* t =
            WageTaxTable::forMonth(QDate::fromString(QString::fromLatin1(p.month) + "-01", "yyyy-MM-dd"));
        QVERIFY(t);
        const Money income = *Money::parse(taxable);
        QCOMPARE(t->bracketOf(income).rate, rate);
        QCOMPARE(t->taxTimes100(income), std::optional<qint64>(progressiveTax100(p, income)));
    }

    void wageTableMonths_data()
    {
        QTest::addColumn<QDate>("month");
        QTest::addColumn<QString>("period"); // "" when no table covers the month
        QTest::newRow("1994") << QDate(1994, 1, 1) << "2011-08 及以前";
        QTest::newRow("last month of the first") << QDate(2011, 8, 31) << "2011-08 及以前";
        QTest::newRow("first of the second") << QDate(2011, 9, 1) << "2011-09 至 2018-09";
        QTest::newRow("last of the second") << QDate(2018, 9, 30) << "2011-09 至 2018-09";
        QTest::newRow("first of the third") << QDate(2018, 10, 1) << "2018-10 至 2018-12";
        QTest::newRow("last of the third") << QDate(2018, 12, 31) << "2018-10 至 2018-12";
        QTest::newRow("cumulative from 2019") << QDate(2019, 1, 1) << "";
        QTest::newRow("no month") << QDate() << "";
    }
    void wageTableMonths()
    {
        QFETCH(QDate, month);
        QFETCH(QString, period);
        const WageTaxTable* t = WageTaxTable::forMonth(month);
        QCOMPARE(t ? t->periodText() : QString(), period);
    }

    void wageTableFileMistakes_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<int>("tables");
        const QByteArray head = "From,Until,UpTo,Rate,QuickDeduction\n";
        QTest::newRow("sound") << head + ",2011-08,500,5,0\n,2011-08,,10,25\n" << 1;
        QTest::newRow("no top bracket") << head + ",2011-08,500,5,0\n" << 0;
        QTest::newRow("bounds not rising") << head + ",2011-08,500,5,0\n,2011-08,400,10,25\n,2011-08,,20,1\n"
                                           << 0;
        QTest::newRow("no month") << head + ",,,5,0\n" << 0;
        QTest::newRow("letters") << head + ",2011-08,abc,5,0\n,2011-08,,10,25\n" << 0;
    }
    void wageTableFileMistakes()
    {
        QFETCH(QByteArray, csv);
        QFETCH(int, tables);
        QCOMPARE(WageTaxTable::parse(csv).size(), tables);
    }

    void identityNumbers_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QStringList>("problems");
        QTest::newRow("sound") << "320102199003070017" << QStringList();
        QTest::newRow("check character X") << "11010519491231002X" << QStringList();
        QTest::newRow("small x") << "11010519491231002x" << QStringList();
        QTest::newRow("blanks around") << " 440306198001011231 " << QStringList();
        QTest::newRow("wrong check character") << "110105194912310022" << QStringList{"校验码“2”错误"};
        QTest::newRow("X where a digit belongs") << "11010519850612004X" << QStringList{"校验码“X”错误"};
        QTest::newRow("30 February") << "110105194902300020"
                                     << QStringList{"第7至14位“19490230”不是有效的出生日期"};
        QTest::newRow("29 February 2000") << "110101200002290018" << QStringList();
        QTest::newRow("29 February 1900")
            << "110101190002290011" << QStringList{"第7至14位“19000229”不是有效的出生日期"};
        QTest::newRow("born in the future")
            << "11010520300101001X" << QStringList{"出生日期 2030-01-01 晚于今天"};
        QTest::newRow("born today") << "110105202612070010" << QStringList{"校验码“0”错误"};
        QTest::newRow("no province") << "990105194912310023" << QStringList{"前两位“99”不是省级行政区代码"};
        QTest::newRow("Hong Kong permit") << "810000199001010011" << QStringList{"校验码“1”错误"};
        QTest::newRow("everything wrong")
            << "990105203013310020"
            << QStringList{"前两位“99”不是省级行政区代码", "第7至14位“20301331”不是有效的出生日期",
                           "校验码“0”错误"};
        QTest::newRow("15 digits") << "110105491231002" << QStringList();
        QTest::newRow("15 digits, 29 February 1900")
            << "110105000229002" << QStringList{"第7至12位“000229”不是有效的出生日期"};
        QTest::newRow("15 digits, month 13")
            << "110105491331002" << QStringList{"第7至12位“491331”不是有效的出生日期"};
        QTest::newRow("passport") << "E12345678" << QStringList();
        QTest::newRow("17 digits") << "11010519491231002" << QStringList();
        QTest::newRow("letter inside") << "1101051949123100AX" << QStringList();
        QTest::newRow("empty") << "" << QStringList();
    }
    void identityNumbers()
    {
        QFETCH(QString, number);
        QFETCH(QStringList, problems);
        QStringList found;
        for (const auto& f : IdentityNumber::check(number, kToday))
            found << f.problem;
        QCOMPARE(found, problems);
    }

    void checkCharacterOfKnownNumbers()
    {
        QCOMPARE(IdentityNumber::checkCharacter(u"11010519491231002"), QChar(u'X'));
        QCOMPARE(IdentityNumber::checkCharacter(u"44030619800101123"), QChar(u'1'));
        QCOMPARE(IdentityNumber::checkCharacter(u"1101051949123100A"), QChar());
    }

    void declarationWarnings_data()
    {
        QTest::addColumn<DocumentEdit>("edit");       // on the rows, before the totals are kept in step
        QTest::addColumn<DocumentEdit>("headerEdit"); // afterwards
        QTest::addColumn<QStringList>("places");
        const DocumentEdit none = [](DeclarationDocument&) {};
        auto set = [](int r, int c, const char* text) {
            return DocumentEdit([=](DeclarationDocument& d) { d.setCellText(r, c, text); });
        };
        auto header = [](F f, const char* text) {
            return DocumentEdit([=](DeclarationDocument& d) { d.setHeader(f, text); });
        };
        QTest::newRow("clean") << none << none << QStringList();
        QTest::newRow("wrong check character")
            << set(0, ColIDCard, "110101198001010015") << none << QStringList{"第1行 身份证件号码"};
        QTest::newRow("rate of the next bracket")
            << set(1, ColTaxRadio, "20") << none << QStringList{"第2行 税率(％)"};
        QTest::newRow("a cent off passes") << set(0, ColTaxM1, "325.01") << none << QStringList();
        QTest::newRow("two cents off")
            << set(0, ColTaxM1, "324.98") << none << QStringList{"第1行 本张实缴税额"};
        QTest::newRow("reduction and foreign credit settle the tax")
            << DocumentEdit([](DeclarationDocument& d) {
                   d.setCellText(0, ColTaxM1, "300");
                   d.setCellText(0, ColReduTax, "20");
                   d.setCellText(0, ColNationTax, "5");
               })
            << none << QStringList();
        QTest::newRow("a declaration without a payment book has the rate 0")
            << DocumentEdit([](DeclarationDocument& d) {
                   d.removeRow(2);
                   d.removeRow(1);
                   d.setHeader(F::BookNo, "");
                   d.setHeader(F::UnitTaxMen, "1");
                   d.setCellText(0, ColTaxRadio, "0");
               })
            << none << QStringList();
        QTest::newRow("other income items are not judged") << set(0, ColProg, "04") << none << QStringList();
        QTest::newRow("2011-09 table") << DocumentEdit([](DeclarationDocument& d) {
            d.setHeader(F::Month, "2011-9");
            for (int r = 0; r < 2; ++r) {
                d.setCellText(r, ColTaxRadio, "10");
                d.setCellText(r, ColTaxM1, "195"); // 3000 × 10 % − 105
            }
        }) << none << QStringList();
        QTest::newRow("cumulative months cannot be judged")
            << DocumentEdit([](DeclarationDocument& d) { d.setHeader(F::Month, "2019-01"); }) << none
            << QStringList{"税款所属月份"};
        QTest::newRow("header total against the rows")
            << none << header(F::TaxM, "5,000.00") << QStringList{"应纳税所得额"};
        QTest::newRow("taxpayers against the rows")
            << none << header(F::UnitTaxMen, "3") << QStringList{"其中纳税总人数"};
        QTest::newRow("other persons count as taxpayers too")
            << none << DocumentEdit([](DeclarationDocument& d) {
                   d.setHeader(F::UnitTaxMen, "1");
                   d.setHeader(F::OthMen, "1");
                   d.setHeader(F::OthTaxMen, "1");
               })
            << QStringList();
        QTest::newRow("income below taxed income")
            << none << header(F::InComeM, "9,999.99") << QStringList{"收入总额"};
        QTest::newRow("owed tax") << none << header(F::OweTax, "10") << QStringList{"欠缴税额"};
        QTest::newRow("one number, two names") << DocumentEdit([](DeclarationDocument& d) {
            d.setCellText(1, ColIDCard, "110101198001010010");
            d.setCellText(1, ColEmpName, "李四");
            d.setCellText(1, ColProg, "04");
        }) << header(F::UnitTaxMen, "1") << QStringList{"第2行 身份证件号码"};
        QTest::newRow("one person, two items") << DocumentEdit([](DeclarationDocument& d) {
            d.setCellText(1, ColIDCard, "110101198001010010");
            d.setCellText(1, ColProg, "04");
        }) << header(F::UnitTaxMen, "1") << QStringList();
        QTest::newRow("blank rows are left out") << DocumentEdit([](DeclarationDocument& d) {
            d.insertRow(1);
            d.setCellText(1, ColIDCard, "");
        }) << none << QStringList();
    }
    void declarationWarnings()
    {
        QFETCH(DocumentEdit, edit);
        QFETCH(DocumentEdit, headerEdit);
        QFETCH(QStringList, places);
        DeclarationDocument doc = cleanDocument();
        edit(doc);
        syncTotals(doc);
        headerEdit(doc);
        QStringList found;
        for (const Warning& w : DeclarationWarnings::check(doc, kToday))
            found << w.where();
        QCOMPARE(found, places);
        // Warnings never stop the save's own check.
        QVERIFY(!DeclarationValidator::DoCheckDeclaration(doc));
    }

    void warningSaysWhatWasExpected()
    {
        DeclarationDocument doc = cleanDocument();
        doc.setCellText(0, ColTaxM, "4500.01");
        doc.setCellText(0, ColTaxRadio, "10");
        doc.setCellText(0, ColTaxM1, "450");
        doc.setCellText(1, ColTaxRadio, "10");
        doc.setCellText(1, ColTaxM1, "195");
        doc.setHeader(F::Month, "2012-03");
        syncTotals(doc);
        const Warnings w = DeclarationWarnings::check(doc, kToday);
        QCOMPARE(w.size(), 2);
        QCOMPARE(
            w[0].line(),
            QString("第1行 税率(％)：税率 10% 与应纳税所得额 4,500.01 不符；应为：20%（2011-09 至 2018-09 "
                    "的工资、薪金所得税率表，所得额超过 4,500.00 至 9,000.00）"));
        QCOMPARE(w[1].line(),
                 QString("第1行 本张实缴税额：实缴税额 450.00 + 减免税额 0.00 + 抵免境外税额 0.00 = "
                         "450.00；应为：4,500.01 × 20% − 555.00 = 345.00（2011-09 至 2018-09 "
                         "的工资、薪金所得税率表）"));
        QCOMPARE(w[1].row, 0);
        QCOMPARE(w[1].column, int(ColTaxM1));
    }
};

ZQ_TEST(TestDeclarationValidator)
#include "TestDeclarationValidator.moc"
