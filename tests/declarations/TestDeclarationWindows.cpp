#include "DeclarationFixtures.h"
#include "TestSupport.h"
#include "declarations/DeclarationStore.h"
#include "ui/DeclarationEditor.h"
#include "ui/DeclarationList.h"
#include "ui/DeclarationTableModel.h"
#include "ui/StringTableModel.h"
#include "ui/WarningList.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

using namespace zq;
using namespace zq::test;
using namespace zq::ui;
using F = HeaderField;

class TestDeclarationWindows : public QObject {
    Q_OBJECT
private slots:
    void modelPassesTester()
    {
        DeclarationDocument doc = validDocument();
        DeclarationTableModel model(&doc);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.appendRow();
        model.insertRow(1);
        model.removeRow(0);
        model.removeRow(model.rowCount() - 1); // nothing below it to renumber
        model.setCellText(0, ColInComeM, "12.5");
        model.rebuild([&] { doc.clearRows(); });
        QCOMPARE(model.rowCount(), 0);
    }

    // A new declaration opens on the unit's data and today, hides the toolbar band, and once saved shows in
    // the list, which follows its later saves under its own unit even when the list shows another.
    void newDeclarationFromTheList()
    {
        WindowFixture f;
        DeclarationList list(f.ctx, &f.host);
        list.newDeclaration();
        DeclarationEditor* ed = list.editor();
        QVERIFY(!f.host.bandVisible);
        QCOMPARE(ed->box(F::Month)->text(), QDate::currentDate().toString("yyyy-MM"));
        QCOMPARE(ed->box(F::ComputerCode)->text(), QString("1234567"));
        ed->model()->rebuild([&] { ed->document() = validDocument(); });
        QVERIFY(ed->DoSave());
        QCOMPARE(ed->appId(), 1);
        QVERIFY(!ed->isModified());
        QCOMPARE(list.model()->text(0, DeclarationList::ColAppId), QString("1"));
        list.unitCombo()->setCurrentIndex(1);
        QCOMPARE(list.model()->rowCount(), 0);
        ed->setBoxText(F::BookNo, "NEWBOOK123");
        QVERIFY(ed->DoSave());
        QCOMPARE(f.t.db().scalar("select count(*)||UnitID from ApplT").toString(), QString("11"));
        ed->close();
        QVERIFY(f.host.bandVisible);
        QCOMPARE(f.prompter.records().size(), 0); // unmodified: no question
    }

    // Keys typed into the grid, and values set into its cells: the first key opens the cell editor, letters
    // and a third decimal are refused, Enter moves on like Tab, a code must occur in its list, the last row
    // gets an empty row below, and the totals follow.
    void editingInTheGrid()
    {
        WindowFixture f;
        DeclarationEditor* ed = f.open(false);
        QVERIFY(QTest::qWaitForWindowActive(ed));
        GridView* grid = ed->grid();
        auto* model = ed->model();
        grid->setFocus();
        grid->setCurrentIndex(model->index(0, ColInComeM));
        QTest::keyClick(grid, '1');
        QVERIFY(grid->gridDelegate()->openEditor());
        QTest::keyClicks(QApplication::focusWidget(), "2a34.567");
        QTest::keyClick(grid->gridDelegate()->openEditor(), Qt::Key_Return);
        QCOMPARE(ed->document().cellText(0, ColInComeM), QString("1234.56"));
        QCOMPARE(grid->currentIndex().column(), int(ColTaxM));
        QCOMPARE(ed->document().cellText(1, ColRowNo), QString("2"));
        QVERIFY(ed->isModified());
        model->setData(model->index(0, ColNation), "15", Qt::EditRole);
        QCOMPARE(ed->document().cellText(0, ColNation), QString("15")); // occurs in the list text
        model->setData(model->index(0, ColNation), "999", Qt::EditRole);
        QCOMPARE(ed->document().cellText(0, ColNation), QString());
        model->setData(model->index(1, ColInComeM), "500", Qt::EditRole);
        QCOMPARE(ed->box(F::TaxMs)->text(), QString("1,734.56"));
        QCOMPARE(ed->document().rowCount(), 3);
        grid->setCurrentIndex(model->index(0, ColEmpName));
        ed->DeleteRow();
        QCOMPARE(ed->box(F::TaxMs)->text(), QString("500.00"));
        QCOMPARE(ed->document().cellText(1, ColRowNo), QString("2"));
    }

    // A click on a total the program writes gives it the focus: keys typed next change nothing, least of all
    // the grid's current cell (which may be out of view).
    void clickOnATotalKeepsKeysFromTheGrid()
    {
        WindowFixture f;
        DeclarationEditor* ed = f.open(false, validDocument());
        ed->RecalcTotals();
        ed->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(ed));
        const DeclarationDocument before = ed->document();
        GridView* grid = ed->grid();
        grid->setFocus();
        grid->setCurrentIndex(ed->model()->index(0, ColIDCard));
        QLineEdit* total = ed->box(F::FactTax);
        const QString shown = total->text();
        QTest::mouseClick(total, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), total);
        QTest::keyClicks(QApplication::focusWidget(), "9");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        QVERIFY(!grid->gridDelegate()->openEditor());
        QCOMPARE(ed->document().cellText(0, ColIDCard), before.cellText(0, ColIDCard));
        QCOMPARE(total->text(), shown);
    }

    // The row numbers stay at the grid's left edge when the user scrolls right to the later columns, and
    // follow the rows when the grid scrolls down.
    void rowNumbersStayInViewWhenScrolledRight()
    {
        WindowFixture f;
        DeclarationEditor* ed = f.open(false);
        ed->model()->rebuild([&] {
            ed->document() = validDocument();
            for (int i = 0; i < 40; ++i)
                ed->document().appendRow();
        });
        ed->resize(520, 420);
        QVERIFY(QTest::qWaitForWindowExposed(ed));
        GridView* grid = ed->grid();
        QScrollBar* across = grid->horizontalScrollBar();
        QScrollBar* down = grid->verticalScrollBar();
        const int top = grid->frameWidth() + grid->horizontalHeader()->height();
        const QRect numbers(grid->frameWidth(), top, grid->columnWidth(0), grid->viewport()->height());
        const auto shown = [&] { return grid->grab(numbers).toImage(); };
        const QImage first = shown();
        across->setValue(across->maximum());
        QVERIFY(across->value() > 0);
        QCOMPARE(shown(), first);
        down->setValue(5);
        const QImage lower = shown();
        QVERIFY(lower != first);

        // A cell reached leftwards comes out from under the numbers.
        across->setValue(across->maximum());
        grid->setCurrentIndex(ed->model()->index(6, ColIDCard));
        QVERIFY(grid->visualRect(grid->currentIndex()).left() >= grid->columnWidth(0));
    }

    // 插行 puts the cursor on the new blank row: a 删行 right after takes that row away, not the one that
    // moved.
    void insertRowPutsTheCursorOnTheNewRow()
    {
        const int row = 1, column = ColTaxM1;
        WindowFixture f;
        DeclarationEditor* ed = f.open(false, validDocument());
        const DeclarationDocument before = ed->document();
        ed->grid()->setCurrentIndex(ed->model()->index(row, column));
        ed->action("插行")->trigger();
        QCOMPARE(ed->grid()->currentIndex().row(), row);
        QCOMPARE(ed->grid()->currentIndex().column(), column);
        QVERIFY(ed->document().IsBlankRow(row));
        QCOMPARE(ed->document().cellText(row, ColRowNo), QString::number(row + 1));
        ed->action("删行")->trigger();
        QCOMPARE(ed->document().rowCount(), before.rowCount());
        for (int r = 0; r < before.rowCount(); ++r)
            for (int c = 0; c < DetailColumnCount; ++c)
                QCOMPARE(ed->document().cellText(r, c), before.cellText(r, c));
        ed->model()->rebuild([&] { ed->document().clearRows(); });
        ed->InsertRow(); // no rows: nothing happens
        ed->DeleteRow();
        QCOMPARE(ed->document().rowCount(), 0);
        QVERIFY(ed->close()); // no detail row: closing never asks
        QCOMPARE(f.prompter.records().size(), 0);
    }

    // Warnings are shown before the save; Yes saves exactly as without them, No leaves everything as it was.
    void warningsNeverBlockASave_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("stored");
        QTest::newRow("go on") << int(Prompter::Answer::Yes) << true;
        QTest::newRow("stop") << int(Prompter::Answer::No) << false;
    }
    void warningsNeverBlockASave()
    {
        QFETCH(int, answer);
        QFETCH(bool, stored);
        WindowFixture f;
        DeclarationEditor* ed = f.open(false, validDocument());
        ed->setModified(true);
        f.prompter.setWarningAnswer(Prompter::Answer(answer));
        QCOMPARE(ed->DoSave(), stored);
        QCOMPARE(f.prompter.warningActions(), QStringList{"保存"});
        QCOMPARE(f.t.db().scalar("select count(*) from ApplT").toInt(), stored ? 1 : 0);
        QCOMPARE(ed->isModified(), !stored);
        QCOMPARE(f.prompter.records().size(), 0);

        // A declaration without warnings is saved without a question.
        f.prompter.clear();
        ed->model()->rebuild([&] { ed->document() = cleanDocument(); });
        QVERIFY(ed->DoSave());
        QCOMPARE(f.prompter.warningActions(), QStringList());
        ed->close();
    }

    void checkButtonListsWarningsAndGoesToTheCell()
    {
        WindowFixture f;
        DeclarationEditor* ed = f.open(false, cleanDocument());
        ed->action("检查")->trigger();
        QCOMPARE(f.prompter.texts(), QStringList{"没有发现问题。"});
        QVERIFY(!ed->findChild<WarningList*>());

        ed->model()->setData(ed->model()->index(1, ColTaxM1), "300", Qt::EditRole);
        ed->action("检查")->trigger();
        auto* shown = ed->findChild<WarningList*>();
        QVERIFY(shown);
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        // The tax owed in the header no longer follows, then the row's tax.
        QCOMPARE(shown->model()->rowCount(), 2);
        QCOMPARE(shown->model()->row(0),
                 QStringList({"表头", "欠缴税额", "欠缴税额 0.00 不等于应扣缴税额 650.00 − 实缴税额 625.00",
                              "25.00"}));
        QCOMPARE(shown->model()->text(1, 1), QString("本张实缴税额"));

        QTableView* view = shown->view();
        const QRect cell = view->visualRect(shown->model()->index(1, 2));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(ed->grid()->currentIndex().row(), 1);
        QCOMPARE(ed->grid()->currentIndex().column(), int(ColTaxM1));
    }

    void validationFailureFocusesAndKeepsOpen()
    {
        WindowFixture f;
        DeclarationEditor* ed = f.open(false, validDocument());
        ed->setBoxText(F::ApplyDate, "");
        f.prompter.queue(Prompter::Answer::Yes); // save on closing; the blank date stops it
        QVERIFY(!ed->close());
        QVERIFY(ed->isVisible());
        QCOMPARE(f.prompter.texts(),
                 QStringList({"申报表已修改，是否保存？", QString::fromUtf16(u"申报日期\r\n不能为空!")}));
        QCOMPARE(f.t.db().scalar("select count(*) from ApplT").toInt(), 0);

        f.prompter.queue(Prompter::Answer::No);
        QVERIFY(ed->close());
        QVERIFY(!f.settings.columnWidths().isEmpty()); // widths stored on closing
    }

    // One editor per declaration in the whole program: a list opened again finds the editor its predecessor
    // opened, a declaration open in an editor is not deleted under it, and an editor that refuses to close
    // keeps the other declaration from opening.
    void openingAndDeletingFromTheList()
    {
        WindowFixture f;
        DeclarationStore store(f.t.db());
        store.save(validDocument(), 1, 1);
        store.save(validDocument(), 2, 1);
        auto* firstList = new DeclarationList(f.ctx, &f.host);
        firstList->deleteCurrent();
        QCOMPARE(f.prompter.texts(), QStringList({"请选择申报表！"}));
        firstList->grid()->setCurrentIndex(firstList->model()->index(0, 0));
        firstList->openCurrent();
        f.ed = firstList->editor();
        QCOMPARE(f.ed->appId(), 1);
        delete firstList;

        DeclarationList list(f.ctx, &f.host);
        list.grid()->setCurrentIndex(list.model()->index(0, 0));
        list.openCurrent();
        QCOMPARE(list.editor(), f.ed.data());
        f.prompter.clear();
        list.deleteCurrent();
        QCOMPARE(f.prompter.texts(), QStringList({"这张申报表正在编辑，请先关闭它的编辑窗口再删除。"}));
        QCOMPARE(list.model()->rowCount(), 2);

        f.ed->setBoxText(F::BookNo, "BK20051009"); // the editor's saves now refresh this list
        QVERIFY2(f.ed->DoSave(), qPrintable(f.prompter.texts().join(u'|')));
        QCOMPARE(list.model()->text(0, DeclarationList::ColBookNo), QString("BK20051009"));

        f.ed->setBoxText(F::ApplyDate, ""); // unsaved and invalid
        list.grid()->setCurrentIndex(list.model()->index(1, 0));
        f.prompter.queue(Prompter::Answer::Yes);
        list.openCurrent();
        QCOMPARE(list.editor(), f.ed.data());
        QCOMPARE(f.ed->appId(), 1);
        f.prompter.queue(Prompter::Answer::No);
        list.openCurrent();
        QVERIFY(list.editor() != f.ed.data());
        f.ed = list.editor();
        QCOMPARE(f.ed->appId(), 2);

        list.grid()->setCurrentIndex(list.model()->index(0, 0));
        f.prompter.clear();
        f.prompter.queue(Prompter::Answer::No);
        list.deleteCurrent();
        QCOMPARE(list.model()->rowCount(), 2);
        f.prompter.queue(Prompter::Answer::Yes);
        list.deleteCurrent();
        QCOMPARE(list.model()->rowCount(), 1);
        QCOMPARE(f.t.db().scalar("select group_concat(AppID) from ApplT").toString(), QString("2"));
        QCOMPARE(f.t.db().scalar("select count(*) from ApplTInfo").toInt(), 4); // the header only
    }

    void emptyUnitTable()
    {
        WindowFixture f;
        f.t.db().exec("delete from UnitInfo");
        DeclarationList list(f.ctx, &f.host);
        list.newDeclaration();
        QCOMPARE(f.prompter.texts(), QStringList({"请选择单位"}));
        QVERIFY(!list.editor());
    }

    void exportButtonShowsThePath()
    {
        WindowFixture f;
        DeclarationStore(f.t.db()).save(validDocument(), 1, 1);
        DeclarationList list(f.ctx, &f.host);
        list.exportCurrent();
        QCOMPARE(f.prompter.texts(), QStringList({"请选择申报表！"}));
        list.grid()->setCurrentIndex(list.model()->index(0, 0));
        const QString path = f.t.dir() + "/it's.CSV";
        f.prompter.queueText(path);
        list.exportCurrent();
        QCOMPARE(f.prompter.last().text, QString("生成成功！"));
        QCOMPARE(list.model()->text(0, DeclarationList::ColUploadResult), path);
        QCOMPARE(f.t.db().scalar("select UploadResult from ApplT").toString(), path);
        QVERIFY(QFileInfo(path).size() > 0);
    }
};

ZQ_TEST(TestDeclarationWindows)
#include "TestDeclarationWindows.moc"
