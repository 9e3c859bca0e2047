#include "SalaryImportFixture.h"
#include "ui/DeclarationEditor.h"
#include "ui/DeclarationTableModel.h"
#include "ui/WindowHost.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QLineEdit>
#include <QProgressDialog>

using namespace zq;
using namespace zq::test;
using namespace zq::ui;
using F = HeaderField;

namespace {

class Host : public WindowHost {
public:
    void showChild(QWidget* w) override { w->show(); }
    void setToolbarBandVisible(bool) override {}
};

// Notes at every message whether an import progress box is still about (shown, or due to show itself).
class ProgressWatcher : public ScriptedPrompter {
public:
    QWidget* window = nullptr;
    QList<bool> progressAbout;
    Answer message(const QString& title, const QString& text, Icon icon, Buttons buttons) override
    {
        progressAbout << !window->findChildren<QProgressDialog*>().isEmpty();
        return ScriptedPrompter::message(title, text, icon, buttons);
    }
};

} // namespace

// "导入" pressed in the real declaration editor.
class TestSalaryImportWindow : public QObject {
    Q_OBJECT

    Host m_host;

    static void fill(SalaryImportFixture& f)
    {
        f.addSalary({SalaryImportFixture::salary("03", "E001", 5000, 3200, 0, 0, 195),
                     SalaryImportFixture::salary("03", "E002", 8000.5, 6200.5, 100, 7, 745.05),
                     SalaryImportFixture::salary("03", "E003", 3000, 1200, 0, 0, 0)});
        f.setBrackets({{0, 5}, {2000, 15}, {500, 10}});
        f.addEmployee("E001", "张三", "110101198001010015");
        f.settings->setTaxThreshold("800");
    }

    // A new declaration of unit 1 for a month, unmodified.
    std::unique_ptr<DeclarationEditor> open(SalaryImportFixture& f, const QString& month)
    {
        auto ed = std::make_unique<DeclarationEditor>(f.ctx, &m_host, 1);
        ed->setAttribute(Qt::WA_DeleteOnClose, false);
        ed->StartWin(true, 0);
        ed->box(F::Month)->setText(month);
        ed->model()->setCellText(0, ColEmpName, "手工");
        ed->setModified(false);
        return ed;
    }

    static QStringList boxes(DeclarationEditor& ed)
    {
        QStringList texts;
        for (F b : {F::UnitMen, F::UnitTaxMen, F::TaxMs, F::TaxM, F::ReduTaxM, F::FactTax})
            texts << ed.box(b)->text();
        return texts;
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void importFillsTheGridAndTheBoxes()
    {
        SalaryImportFixture f;
        fill(f);
        auto ed = open(f, "2012-03");
        QAbstractItemModelTester tester(ed->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        ed->grid()->setCurrentIndex(ed->model()->index(0, ColTaxM1));
        f.prompter.queue(Prompter::Answer::Yes);
        ed->action("导入")->trigger();
        QCOMPARE(ed->grid()->currentIndex(), ed->model()->index(0, ColTaxM1)); // the user's cell stays

        QCOMPARE(f.prompter.texts(), QStringList({"导入工资数据将覆盖现有数据，是否继续？", "导入2条数据"}));
        QVERIFY(ed->isModified());
        QVERIFY(ed->action("保存")->isEnabled());
        QCOMPARE(ed->model()->rowCount(), 2);
        const auto cell = [&](int r, int c) {
            return ed->model()->index(r, c).data(Qt::DisplayRole).toString();
        };
        QCOMPARE(cell(0, ColRowNo), QString("1"));
        QCOMPARE(cell(0, ColIDCard), QString("110101198001010015"));
        QCOMPARE(cell(0, ColEmpName), QString("张三"));
        QCOMPARE(cell(0, ColProg), QString("01"));
        QCOMPARE(cell(0, ColInComeM), QString("5,000.00"));
        QCOMPARE(cell(0, ColTaxRadio), QString("15"));
        QCOMPARE(cell(1, ColEmpName), QString()); // no Employee row for E002
        QCOMPARE(cell(1, ColInComeM), QString("8,000.50"));
        QCOMPARE(cell(1, ColNationTax), QString("7.00"));
        QCOMPARE(ed->document().cellText(1, ColTaxM1), QString("745.05"));
        QCOMPARE(boxes(*ed), QStringList({"3", "2", "13,000.50", "9,400.50", "100.00", "940.05"}));
        // the boxes and the document agree
        QCOMPARE(ed->document().header(F::TaxMs), QString("13,000.50"));

        // saving is what stores it; the import has written nothing
        QCOMPARE(f.tax.db().scalar("select count(*) from ApplTInfo").toInt(), 0);
    }

    // The progress box is closed before the closing message, not only hidden: a hidden one that had not
    // appeared yet would still show itself while the message is up.
    void progressBoxClosedBeforeTheMessage()
    {
        SalaryImportFixture f;
        fill(f);
        ProgressWatcher watcher;
        f.ctx.prompter = &watcher;
        auto ed = open(f, "2012-03");
        watcher.window = ed.get();
        watcher.queue(Prompter::Answer::Yes);
        ed->action("导入")->trigger();
        QCOMPARE(watcher.texts(), QStringList({"导入工资数据将覆盖现有数据，是否继续？", "导入2条数据"}));
        QCOMPARE(watcher.progressAbout, (QList<bool>{false, false}));
        QVERIFY(ed->findChildren<QProgressDialog*>().isEmpty());
    }

    void noAtTheQuestionLeavesTheWindowAlone()
    {
        SalaryImportFixture f;
        fill(f);
        auto ed = open(f, "2012-03");
        const QStringList before = boxes(*ed);
        f.prompter.queue(Prompter::Answer::No);
        ed->action("导入")->trigger();
        QVERIFY(!ed->isModified());
        QCOMPARE(ed->document().rowCount(), 1);
        QCOMPARE(ed->document().cellText(0, ColEmpName), QString("手工"));
        QCOMPARE(boxes(*ed), before);
    }

    void refusedImportsLeaveTheWindowUnmodified_data()
    {
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("setup"); // on the account set
        QTest::addColumn<QString>("message");
        QTest::newRow("blank month") << ""
                                     << ""
                                     << "税款所属月份 \r\n不能为空!";
        QTest::newRow("bad month") << "2012-3x"
                                   << ""
                                   << "请填写正确格式的日期，如：2003-09";
        QTest::newRow("text salary value")
            << "2012-03"
            << "update salary set YFGZ='abc' where emp_id='E002'"
            << "职工“E002”的工资项目“YFGZ”的值“abc”不是数字，工资数据没有导入。";
    }
    void refusedImportsLeaveTheWindowUnmodified()
    {
        QFETCH(QString, month);
        QFETCH(QString, setup);
        QFETCH(QString, message);
        SalaryImportFixture f;
        fill(f);
        if (!setup.isEmpty())
            f.onAccountSet({setup});
        auto ed = open(f, month);
        const QStringList before = boxes(*ed);
        f.prompter.queue(Prompter::Answer::Yes);
        ed->action("导入")->trigger();
        QCOMPARE(f.prompter.last().text, message);
        QVERIFY(!ed->isModified());
        QCOMPARE(ed->document().rowCount(), 1);
        QCOMPARE(ed->document().cellText(0, ColEmpName), QString("手工"));
        QCOMPARE(boxes(*ed), before);
    }

    void monthWithoutTaxedRowsRecountsTheKeptRows()
    {
        SalaryImportFixture f;
        fill(f);
        auto ed = open(f, "2012-07");
        ed->model()->setCellText(0, ColInComeM, "250");
        ed->setModified(false);
        f.prompter.queue(Prompter::Answer::Yes);
        ed->action("导入")->trigger();
        QCOMPARE(f.prompter.last().text, QString("导入0条数据"));
        QCOMPARE(ed->document().cellText(0, ColEmpName), QString("手工"));
        QCOMPARE(boxes(*ed), QStringList({"0", "0", "250.00", "0.00", "0.00", "0.00"}));
        QVERIFY(ed->isModified());
    }

    void importThenSaveStoresTheRows()
    {
        SalaryImportFixture f;
        fill(f);
        f.addEmployee("E002", "李四", "11010119800101003X");
        auto ed = open(f, "2012-03");
        f.prompter.queue(Prompter::Answer::Yes);
        ed->action("导入")->trigger();
        ed->box(F::InComeM)->setText("13000.5");
        ed->box(F::BookNo)->setText("BK20120401");
        QVERIFY2(ed->DoSave(), qPrintable(f.prompter.texts().join(" | ")));
        QCOMPARE(f.tax.db().scalar("select count(*) from ApplTInfo").toInt(), 2);
        QCOMPARE(f.tax.db().scalar("select TaxRadio from ApplTInfo where RowId=2").toLongLong(),
                 15LL * 10000);
    }
};

ZQ_TEST(TestSalaryImportWindow)
#include "TestSalaryImportWindow.moc"
