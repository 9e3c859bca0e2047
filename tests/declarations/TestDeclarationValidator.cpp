#include "DeclarationFixtures.h"
#include "TestSupport.h"
#include "declarations/DeclarationValidator.h"

#include <QTest>

using namespace zq;
using namespace zq::test;
using F = HeaderField;
using Target = ValidationProblem::Target;

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
};

ZQ_TEST(TestDeclarationValidator)
#include "TestDeclarationValidator.moc"
