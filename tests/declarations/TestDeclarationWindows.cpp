#include "DeclarationFixtures.h"
#include "ui/DeclarationList.h"
#include "ui/StringTableModel.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

using namespace zq;
using namespace zq::test;
using namespace zq::ui;
using F = HeaderField;

class TestDeclarationWindows : public QObject {
    Q_OBJECT
private slots:
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
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        grid->setFocus();
        grid->setCurrentIndex(model->index(0, ColInComeM));
        QTest::keyClick(grid, '1');
        QVERIFY(grid->gridDelegate()->openEditor());
        QTest::keyClicks(QApplication::focusWidget(), "2a34.567");
        QTest::keyClick(grid->gridDelegate()->openEditor(), Qt::Key_Return);
        QCOMPARE(ed->document().cellText(0, ColInComeM), QString("1234.56"));
        QCOMPARE(grid->currentIndex().column(), int(ColTaxM));
        QTest::keyClick(grid, Qt::Key_Tab); // Tab moves within the grid too
        QCOMPARE(grid->currentIndex().column(), int(ColTaxM) + 1);
        QCOMPARE(ed->document().cellText(1, ColRowNo), QString("2"));
        QVERIFY(ed->isModified());
        model->setData(model->index(0, ColNation), "15", Qt::EditRole);
        QCOMPARE(ed->document().cellText(0, ColNation), QString("15")); // occurs in the list text
        model->setData(model->index(0, ColNation), "999", Qt::EditRole);
        QCOMPARE(ed->document().cellText(0, ColNation), QString());
        model->setData(model->index(1, ColInComeM), "500", Qt::EditRole);
        QCOMPARE(ed->box(F::TaxMs)->text() + u'|' + QString::number(ed->document().rowCount()), "1,734.56|3");
        grid->setCurrentIndex(model->index(0, ColEmpName));
        ed->DeleteRow();
        QCOMPARE(ed->box(F::TaxMs)->text() + u'|' + ed->document().cellText(1, ColRowNo), "500.00|2");

        // A click on a total the program writes gives it the focus: keys typed next change nothing, least of
        // all the grid's current cell (which may be out of view).
        QLineEdit* total = ed->box(F::FactTax);
        const QString shown = total->text();
        grid->setFocus();
        QTest::mouseClick(total, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), total);
        QTest::keyClicks(QApplication::focusWidget(), "9");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        QVERIFY(!grid->gridDelegate()->openEditor());
        QCOMPARE(QStringList({total->text(), ed->document().cellText(0, ColInComeM)}),
                 QStringList({shown, "500"}));
    }

    // The row numbers stay at the grid's left edge when the user scrolls right to the later columns, and
    // follow the rows when the grid scrolls down.
    void rowNumbersStayInViewWhenScrolledRight()
    {
        WindowFixture f;
        DeclarationDocument doc = validDocument();
        for (int i = 0; i < 40; ++i)
            doc.appendRow();
        DeclarationEditor* ed = f.open(false, doc);
        ed->resize(520, 420);
        QVERIFY(QTest::qWaitForWindowExposed(ed));
        GridView* grid = ed->grid();
        QScrollBar* across = grid->horizontalScrollBar();
        const int top = grid->frameWidth() + grid->horizontalHeader()->height();
        const QRect numbers(grid->frameWidth(), top, grid->columnWidth(0), grid->viewport()->height());
        const auto shown = [&] { return grid->grab(numbers).toImage(); };
        const QImage first = shown();
        across->setValue(across->maximum());
        QVERIFY(across->value() > 0);
        QCOMPARE(shown(), first);
        grid->verticalScrollBar()->setValue(5);
        QVERIFY(shown() != first);
    }

    // 插行 puts the cursor on the new blank row: a 删行 right after takes that row away, not the one that
    // moved.
    void insertRowPutsTheCursorOnTheNewRow()
    {
        const int row = 1, column = ColTaxM1;
        WindowFixture f;
        DeclarationEditor* ed = f.open(false, validDocument());
        const DeclarationDocument before = ed->document();
        QAbstractItemModelTester tester(ed->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        ed->grid()->setCurrentIndex(ed->model()->index(row, column));
        ed->action("插行")->trigger();
        QCOMPARE(ed->grid()->currentIndex(), ed->model()->index(row, column));
        QVERIFY(ed->document().IsBlankRow(row));
        QCOMPARE(ed->document().cellText(row, ColRowNo), QString::number(row + 1));
        ed->action("删行")->trigger();
        QCOMPARE(gridLines(ed->document()), gridLines(before));
        ed->grid()->setCurrentIndex(ed->model()->index(before.rowCount() - 1, column));
        ed->DeleteRow(); // the last row: nothing below it to renumber
        ed->model()->rebuild([&] { ed->document().clearRows(); });
        ed->InsertRow(); // no rows: nothing happens
        ed->DeleteRow();
        QCOMPARE(ed->document().rowCount(), 0);
        QVERIFY(ed->close()); // no detail row: closing never asks
        QCOMPARE(f.prompter.records().size(), 0);
    }

    // Warnings are shown before the save; No leaves everything as it was, Yes saves as without them. Loading
    // leaves the modified flag off, a key turns it on, a save off; 撤消 on a new declaration once saved goes
    // back to the blank one (modified) but keeps its key.
    void warningsNeverBlockASave()
    {
        WindowFixture f;
        DeclarationEditor* ed = f.open(false);
        QVERIFY(!ed->isModified());
        ed->model()->rebuild([&] { ed->document() = validDocument(); });
        ed->setModified(false);
        ed->box(F::OweTax)->setFocus();
        typeText(ed->box(F::OweTax), "1");
        QVERIFY(ed->isModified());
        f.prompter.setWarningAnswer(Prompter::Answer::No);
        QVERIFY(!ed->DoSave());
        QCOMPARE(f.prompter.warningActions(), QStringList{"保存"});
        QCOMPARE(f.t.db().scalar("select count(*) from ApplT").toInt(), 0);
        QVERIFY(ed->isModified());
        f.prompter.setWarningAnswer(Prompter::Answer::Yes);
        QVERIFY(ed->DoSave());
        QCOMPARE(f.t.db().scalar("select count(*) from ApplT").toInt(), 1);
        QVERIFY(!ed->isModified());
        QCOMPARE(f.prompter.records().size(), 0);
        ed->action("撤消")->trigger();
        QVERIFY(ed->isModified());
        QCOMPARE(QList<int>({ed->document().rowCount(), int(ed->appId())}), QList<int>({1, 1}));

        // A declaration without warnings is saved without a question.
        f.prompter.clear();
        ed->model()->rebuild([&] { ed->document() = cleanDocument(); });
        QVERIFY(ed->DoSave());
        QCOMPARE(f.prompter.warningActions(), QStringList());

        QVERIFY(ed->close());                          // saved: no question
        QVERIFY(!f.settings.columnWidths().isEmpty()); // widths stored on closing
    }

    // A new declaration opens on today without the toolbar band and, once saved, shows in the list. One
    // editor per declaration in the whole program: a list opened again finds the editor its predecessor
    // opened, a declaration open in an editor is not deleted under it, and an editor that refuses to close
    // keeps the other declaration from opening.
    void openingAndDeletingFromTheList()
    {
        WindowFixture f;
        auto* firstList = new DeclarationList(f.ctx, &f.host);
        firstList->newDeclaration();
        f.ed = firstList->editor();
        QVERIFY(!f.host.bandVisible);
        QCOMPARE(f.ed->box(F::Month)->text(), QDate::currentDate().toString("yyyy-MM"));
        f.ed->model()->rebuild([&] { f.ed->document() = validDocument(); });
        QVERIFY(f.ed->DoSave());
        QCOMPARE(firstList->model()->text(0, DeclarationList::ColAppId), QString("1"));
        DeclarationStore(f.t.db()).save(validDocument(), 2, 1);
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
        QVERIFY(f.ed->DoSave());
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
        QVERIFY(f.ed->close() && f.host.bandVisible);
        QCOMPARE(f.prompter.records().size(), 2); // unmodified: no question
    }
};

ZQ_TEST(TestDeclarationWindows)
#include "TestDeclarationWindows.moc"
