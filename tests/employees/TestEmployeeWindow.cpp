#include "EmployeeFixture.h"
#include "ui/EmployeeList.h"
#include "ui/GridView.h"
#include "ui/StringTableModel.h"
#include "ui/WarningList.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>

using namespace zq;
using namespace zq::test;
using namespace zq::ui;

namespace {

// The unit combo receiving the input focus as when the user tabs or clicks into it.
void focusCombo(EmployeeList& list, Qt::FocusReason reason = Qt::MouseFocusReason)
{
    QFocusEvent in(QEvent::FocusIn, reason);
    QApplication::sendEvent(list.unitCombo(), &in);
}

// Types into the current cell through its editor and ends the edit with Enter.
void typeCell(GridView* grid, const QString& text)
{
    grid->edit(grid->currentIndex());
    QWidget* editor = grid->gridDelegate()->openEditor();
    QVERIFY(editor);
    QLineEdit* line = qobject_cast<QLineEdit*>(editor);
    if (!line)
        line = editor->findChild<QLineEdit*>();
    QVERIFY(line);
    line->setText(text);
    QTest::keyClick(line, Qt::Key_Return);
}

} // namespace

class TestEmployeeWindow : public QObject {
    Q_OBJECT
private slots:
    void withoutUnits()
    {
        EmployeeFixture f;
        execOrFail(f.tax.db(), "delete from UnitInfo");
        EmployeeList list(f.ctx);
        list.addRow();
        list.deleteRow();
        QCOMPARE(f.prompter.texts(),
                 QStringList({"请先退出本界面，单击主界面工具栏上的“单位”进行单位信息设置。",
                              "请先选择要增加员工的单位。", "请先选中您要删除的行，然后再单击删除。"}));
        QCOMPARE(list.model()->rowCount(), 0);
    }

    void enterMovesOnAndAddsRows()
    {
        EmployeeFixture f;
        EmployeeList list(f.ctx);
        list.show();
        GridView* grid = list.grid();
        list.addRow();
        list.addRow(); // nothing typed: still one empty row
        QCOMPARE(list.model()->rowCount(), 1);
        QCOMPARE(grid->currentIndex(), list.model()->index(0, EmpColId));
        QVERIFY(!list.DataChanged());
        // the nation picked from the drop-down is stored as its code; a typed profession code is kept
        const QStringList values{"001", "张三", "110101198001010015", "156", "9999"};
        for (int c = 0; c < EmployeeColumnCount; ++c) {
            QCOMPARE(grid->currentIndex().column(), c);
            if (c != EmpColNation) {
                typeCell(grid, values[c]);
                continue;
            }
            grid->edit(grid->currentIndex());
            auto* combo = qobject_cast<QComboBox*>(grid->gridDelegate()->openEditor());
            QVERIFY(combo);
            combo->setCurrentIndex(combo->findData("156"));
            QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        }
        QVERIFY(list.DataChanged());
        // Enter in the last column of the last row added a row and went to its number
        QCOMPARE(grid->currentIndex(), list.model()->index(1, EmpColId));
        QCOMPARE(lines(list.rows()), (QStringList{values.join('\t'), "\t\t\t\t"}));
        // an unfinished last row (a number, no name) is removed by the next Add
        typeCell(grid, "002");
        list.addRow();
        QCOMPARE(lines(list.rows()), (QStringList{values.join('\t'), "\t\t\t\t"}));
        list.reject();
    }

    // Opened on the first unit, its employees by number; a delete is stored at once, without a question.
    void opensOnTheFirstUnitAndDeletesAtOnce()
    {
        EmployeeFixture f;
        f.addEmployee("002", "李四", "2");
        f.addEmployee("001", "张三", QVariant());
        EmployeeList list(f.ctx);
        QCOMPARE(list.unitCombo()->currentText(), QString("演示科技有限公司"));
        QCOMPARE(list.UnitIDs(), (QList<qint64>{1, 2}));
        QCOMPARE(lines(list.rows()), (QStringList{"001\t张三\t\t156\t0101", "002\t李四\t2\t156\t0101"}));
        QVERIFY(!list.DataChanged());
        list.addRow();
        list.grid()->setCurrentIndex(list.model()->index(2, EmpColName));
        list.deleteRow(); // no number: only the grid row
        QCOMPARE(list.model()->rowCount(), 2);
        QCOMPARE(f.stored().size(), 2);
        list.model()->setText(0, EmpColId, " 001 ");
        list.grid()->setCurrentIndex(list.model()->index(0, EmpColName));
        list.deleteRow();
        QCOMPARE(f.stored(), QStringList{"002\t李四\t2\t156\t0101"}); // stored at once, before any save
        QCOMPARE(lines(list.rows()), QStringList{"002\t李四\t2\t156\t0101"});
        QCOMPARE(f.prompter.records().size(), 0);
        QVERIFY(!list.DataChanged());
        list.unitCombo()->setCurrentIndex(1);
        QCOMPARE(lines(list.rows()), QStringList());
    }

    // A number with a wrong check character: the save asks and goes on only with Yes; 检查 lists it.
    void warningsBeforeSaving()
    {
        EmployeeFixture f;
        f.addEmployee("001", "张三", "1");
        EmployeeList list(f.ctx);
        list.model()->setData(list.model()->index(0, EmpColIdCard), "110105194912310020", Qt::EditRole);
        f.prompter.setWarningAnswer(Prompter::Answer::No);
        QVERIFY(!list.save());
        QCOMPARE(f.stored(), QStringList{"001\t张三\t1\t156\t0101"});
        QVERIFY(list.DataChanged());
        f.prompter.setWarningAnswer(Prompter::Answer::Yes);
        QVERIFY(list.save());
        QCOMPARE(f.prompter.warningActions(), QStringList({"保存", "保存"}));
        QCOMPARE(f.stored(), QStringList{"001\t张三\t110105194912310020\t156\t0101"});
        QVERIFY(!list.DataChanged());

        list.findChild<QAction*>("m_Check")->trigger();
        auto* shown = list.findChild<WarningList*>();
        QVERIFY(shown);
        QCOMPARE(shown->model()->row(0),
                 QStringList({"1", "身份证件号码", "校验码“0”错误", "按前17位计算的校验码“X”"}));
    }

    // Going to the unit combo with changes asks the question of closing, without Cancel.
    void leavingForTheUnitCombo()
    {
        EmployeeFixture f;
        EmployeeList list(f.ctx);
        focusCombo(list); // nothing changed: no question
        QCOMPARE(f.prompter.records().size(), 0);
        list.addRow();
        list.model()->setData(list.model()->index(0, EmpColId), "009", Qt::EditRole);
        focusCombo(list, Qt::ActiveWindowFocusReason); // focus coming back after a message: no question
        QCOMPARE(f.prompter.records().size(), 0);
        f.prompter.queue(Prompter::Answer::No);
        focusCombo(list);
        QCOMPARE(f.prompter.records().size(), 1);
        QCOMPARE(f.prompter.last().buttons, Prompter::Buttons::YesNo);
        QVERIFY(f.stored().isEmpty());
        QVERIFY(list.DataChanged());
        list.unitCombo()->setCurrentIndex(1); // another unit: the edits are gone
        QVERIFY(!list.DataChanged());
        list.unitCombo()->setCurrentIndex(0);
        QCOMPARE(list.model()->rowCount(), 0);
    }

    // Closing with unstored changes asks the question of a change of unit, with Cancel; a save that fails (a
    // number too long, a write the database refuses and rolls back) keeps the window open.
    void closingWithChanges_data()
    {
        QTest::addColumn<QString>("change"); // "import", or the number typed into a new row
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("failure"); // in the failed save's message
        using A = Prompter::Answer;
        QTest::newRow("import, yes saves") << "import" << int(A::Yes) << true << 3 << QString();
        QTest::newRow("import, no discards") << "import" << int(A::No) << true << 1 << QString();
        QTest::newRow("import, cancel stays") << "import" << int(A::Cancel) << false << 1 << QString();
        QTest::newRow("number too long")
            << "123456789" << int(A::Yes) << false << 1 << QString("员工编号最长");
        QTest::newRow("write refused") << "BAD" << int(A::Yes) << false << 1 << QString("读取账套信息出错");
        QTest::newRow("no change, no question") << "" << -1 << true << 1 << QString();
    }
    void closingWithChanges()
    {
        QFETCH(QString, change);
        QFETCH(int, answer);
        QFETCH(QString, failure);
        EmployeeFixture f;
        f.addEmployee("001", "张三", "1");
        f.addPayroll("0001", "张三", "A1", 0, {"110101198001010015"});
        f.addPayroll("0002", "李四", "A2", 0, {"220101198001010011"});
        execOrFail(f.tax.db(), "create trigger refuse before insert on Employee when new.EmpID = 'BAD' "
                               "begin select raise(abort, 'refused BAD'); end");
        EmployeeList list(f.ctx);
        list.show();
        if (change == u"import") {
            list.toolbarAction("Import")->trigger();
        } else if (!change.isEmpty()) {
            list.addRow();
            list.model()->setData(list.model()->index(1, EmpColId), change, Qt::EditRole);
        }
        f.prompter.clear();
        if (answer >= 0)
            f.prompter.queue(Prompter::Answer(answer));
        list.toolbarAction("Exit")->trigger();
        QTEST(!list.isVisible(), "closed");
        QTEST(int(f.stored().size()), "stored");
        QCOMPARE(f.prompter.records().size(), answer < 0 ? 0 : failure.isEmpty() ? 1 : 2);
        if (answer < 0)
            return;
        const auto& q = f.prompter.records().first();
        QCOMPARE(q.title + q.text, QString("员工信息维护此单位员工信息已改变，是否保存？"));
        QCOMPARE(q.buttons, Prompter::Buttons::YesNoCancel);
        if (!failure.isEmpty()) {
            QVERIFY2((f.prompter.last().title + f.prompter.last().text).contains(failure),
                     qPrintable(failure));
            QVERIFY(list.DataChanged());
        }
    }
};

ZQ_TEST(TestEmployeeWindow)
#include "TestEmployeeWindow.moc"
