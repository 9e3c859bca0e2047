#include "DeclarationFixtures.h"
#include "core/CodeList.h"
#include "declarations/RowClipboard.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

using namespace zq;
using namespace zq::test;
using namespace zq::ui;
using F = HeaderField;

class TestDeclarationEditing : public QObject {
    Q_OBJECT
private slots:
    void pasteParsing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("problem");
        const QString kRow = rowText();
        QTest::newRow("windows line endings") << kRow + "\r\n" + kRow + "\r\n" << 2 << "";
        QTest::newRow("nothing") << "" << 0 << "剪贴板中没有可以粘贴的行。";
        QTest::newRow("too many columns")
            << kRow + "\n" + kRow + "\tx" << 0
            << "粘贴的第2行有12列，应为11列（身份证件号码到本张实缴税额），没有粘贴任何内容。";
        QTest::newRow("three decimals")
            << QString(kRow).replace("275", "275.125") << 0
            << "粘贴的第1行第11列（本张实缴税额）“275.125”不是可以输入的数字，没有粘贴任何内容。";
        QTest::newRow("unknown nationality")
            << QString(kRow).replace("\t156\t", "\t999\t") << 0
            << "粘贴的第1行第3列（国籍）“999”不在代码表中，没有粘贴任何内容。";
        QTest::newRow("negative amount") << QString(kRow).replace("5000", "-5000.5") << 1 << "";
    }
    void pasteParsing()
    {
        QFETCH(QString, text);
        TempTaxDatabase t;
        const CodeList nations = CodeList::nations(t.db()), profs = CodeList::professions(t.db()),
                       items = CodeList::incomeItems(t.db());
        const CodeList* lists[3] = {&nations, &profs, &items};
        const auto result = RowClipboard::parse(text, lists);
        QTEST(result.problem, "problem");
        QTEST(int(result.rows.size()), "rows");
    }

    void copyThenPasteRoundTrips()
    {
        WindowFixture f;
        DeclarationEditor* ed = f.open(true);
        DeclarationDocument& doc = ed->document();
        ed->grid()->selectRow(0);
        ed->grid()->selectionModel()->select(ed->model()->index(1, 3), QItemSelectionModel::Select);
        ed->CopyRows();
        const DeclarationDocument before = doc;
        ed->grid()->setCurrentIndex(ed->model()->index(1, 1));
        ed->PasteRows();
        const QStringList rows = gridLines(before);
        QCOMPARE(gridLines(doc),
                 QStringList({rows[0], "2" + rows[0].mid(1), "3" + rows[1].mid(1), "4" + rows[1].mid(1)}));
        QCOMPARE(ed->box(F::TaxMs)->text(), QString("20,000.00"));
        QVERIFY(ed->isModified());
    }

    // Keys typed into an empty box, and edits as people make them, judged on the text after them and
    // refused whole. selLength < 0 selects leftwards from selStart (the caret ends at the selection's start,
    // as after Shift+Left).
    void boxEdits_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected");
        const QString full = QStringLiteral("123456789012.34"), zhang24(24, u'张');
        QTest::newRow("code eleventh character")
            << int(F::ComputerCode) << "" << 0 << 0 << "key:12345678901" << QString("1234567890");
        QTest::newRow("declarant 50 bytes")
            << int(F::DeclarePerson) << "" << 0 << 0 << "key:" + zhang24 + "abc" << zhang24 + "ab";
        QTest::newRow("amount two decimals")
            << int(F::InComeM) << "" << 0 << 0 << "key:12.345" << QString("12.34");
        QTest::newRow("key over the selected amount")
            << int(F::InComeM) << "12,345.60" << 0 << 9 << "key:5" << QString("5");
        QTest::newRow("backspace over decimals selected leftwards")
            << int(F::OweTax) << full << 15 << -2 << "backspace" << QString("123456789012.");
        QTest::newRow("cut of the point") << int(F::InComeM) << full << 12 << 1 << "cut" << full;
        QTest::newRow("input method 26 chinese for the declarant")
            << int(F::DeclarePerson) << "" << 0 << 0 << "im:" + QString(26, u'张') << QString();
        QTest::newRow("input method 25 chinese for the phone")
            << int(F::Phone) << "" << 0 << 0 << "im:" + QString(25, u'张') << QString(25, u'张');
        QTest::newRow("paste with a letter into an amount")
            << int(F::InComeM) << "" << 0 << 0 << "paste:12a" << QString();
        QTest::newRow("paste over the selected amount")
            << int(F::InComeM) << "12,345.60" << 0 << 9 << "paste:99.5" << QString("99.5");
        QTest::newRow("stored declarant longer than the box loses a character")
            << int(F::DeclarePerson) << QString(60, u'a') << 60 << 0 << "end;backspace" << QString(59, u'a');
    }
    void boxEdits()
    {
        QFETCH(int, box);
        QFETCH(QString, text);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(QString, steps);
        WindowFixture f;
        QLineEdit* b = f.open(false)->box(F(box));
        b->setFocus();
        b->setText(text);
        b->setSelection(selStart, selLength);
        userEdit(b, steps);
        QTEST(b->text(), "expected");
    }

    // A cell editor opened on a stored value (through the view, as a key or double click opens it), edited
    // and left with Enter. A code column's edit goes into its drop-down's line edit.
    void cellEdits_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected");
        const QString id = QStringLiteral("110101198001010015"),
                      longId = QStringLiteral("P12345678901234567890123");
        QTest::newRow("key over a stored amount")
            << int(ColInComeM) << QString("1234.56") << "key:7" << QString("7");
        QTest::newRow("third decimal")
            << int(ColTaxM) << QString("1234.56") << "end;key:7" << QString("1234.56");
        QTest::newRow("stored long identity number loses a character")
            << int(ColIDCard) << longId << "end;backspace" << longId.chopped(1);
        QTest::newRow("nineteenth identity character") << int(ColIDCard) << id << "end;key:1" << id;
        QTest::newRow("typed part of a nationality code")
            << int(ColNation) << QString() << "key:15" << QString("15");
        QTest::newRow("picked code shorter than the limit")
            << int(ColProf) << QString() << "down" << QString("0");
    }
    void cellEdits()
    {
        QFETCH(int, column);
        QFETCH(QString, stored);
        QFETCH(QString, steps);
        WindowFixture f;
        // A profession whose code is shorter than the column's four characters and whose name is longer.
        f.t.db().exec("insert into BmProfes(ProfCode,ProfName) values('0','其他从业人员')");
        DeclarationEditor* ed = f.open(true);
        QVERIFY(QTest::qWaitForWindowActive(ed)); // the cell editor gets the focus, as for a user
        ed->model()->setCellText(0, column, stored);
        GridView* grid = ed->grid();
        grid->setCurrentIndex(ed->model()->index(0, column));
        grid->edit(grid->currentIndex());
        QWidget* editor = grid->gridDelegate()->openEditor();
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (auto* combo = qobject_cast<QComboBox*>(editor))
            line = combo->lineEdit();
        QVERIFY(line);
        const QString shown = line->text();
        userEdit(line, steps);
        QTest::keyClick(line, Qt::Key_Return);
        QCOMPARE(shown, stored); // shown whole
        QTEST(ed->document().cellText(0, column), "expected");
        // The window deleted while a cell is being typed in (the main window closing) closes the cell editor
        // while the document it writes into is still there.
        grid->edit(grid->currentIndex());
        typeText(QApplication::focusWidget(), "1");
        delete ed;
    }
};

ZQ_TEST(TestDeclarationEditing)
#include "TestDeclarationEditing.moc"
