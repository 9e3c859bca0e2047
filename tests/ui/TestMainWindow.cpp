#include "ModalDriver.h"
#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/AppSettings.h"
#include "core/DatabaseCopy.h"
#include "core/TaxDatabase.h"
#include "ui/DeclarationEditor.h"
#include "ui/DeclarationList.h"
#include "ui/EmployeeList.h"
#include "ui/MainWindow.h"
#include "ui/QtPrompter.h"
#include "ui/UnitList.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHash>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

using namespace zq;
using namespace zq::test;

namespace {

// A child window that keeps itself open, as an editor with unsaved work does when the user says so.
class StubbornWindow : public QWidget {
protected:
    void closeEvent(QCloseEvent* e) override { e->ignore(); }
};

// The words in English among the texts a user reads in a window: labels, buttons and their tips, entries of
// drop-downs and menus, column titles, the places of a file dialog. Paths and file patterns are not words.
QStringList englishTexts(QWidget* window)
{
    QStringList texts;
    for (auto* l : window->findChildren<QLabel*>())
        texts << l->text();
    for (auto* b : window->findChildren<QAbstractButton*>())
        texts << b->text() << b->toolTip();
    for (auto* c : window->findChildren<QComboBox*>())
        if (c->objectName() != u"lookInCombo") // the folder's path
            for (int i = 0; i < c->count(); ++i)
                texts << c->itemText(i);
    for (auto* h : window->findChildren<QHeaderView*>())
        if (h->orientation() == Qt::Horizontal && h->model())
            for (int i = 0; i < h->count(); ++i)
                texts << h->model()->headerData(i, Qt::Horizontal).toString();
    if (auto* side = window->findChild<QAbstractItemView*>("sidebar"))
        for (int i = 0; i < side->model()->rowCount(); ++i) {
            const QModelIndex place = side->model()->index(i, 0);
            const QString path = place.data(Qt::UserRole + 1).toUrl().toLocalFile();
            // a folder of the user's own shows its own name
            if (path.isEmpty() || QFileInfo(path).fileName() != place.data().toString())
                texts << place.data().toString();
        }
    // the file list: kind, size and date of each entry (the names are the user's own)
    if (auto* list = window->findChild<QAbstractItemView*>("treeView"))
        for (int r = 0; r < list->model()->rowCount(list->rootIndex()); ++r)
            for (int c = 1; c < list->model()->columnCount(list->rootIndex()); ++c)
                texts << list->model()->index(r, c, list->rootIndex()).data().toString();
    for (auto* a : window->findChildren<QAction*>())
        texts << a->text().section(u'\t', 0, 0) << a->toolTip().section(u'\t', 0, 0);
    if (auto* m = qobject_cast<QMenu*>(window))
        for (QAction* a : m->actions())
            texts << a->text().section(u'\t', 0, 0); // the shortcut after the tab is a key's name
    static const QRegularExpression pattern(QStringLiteral("\\([^)]*\\*[^)]*\\)"));
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    QStringList english;
    // a file's suffix in its kind ("CSV 文件") and the size unit are no English words
    static const QRegularExpression kind(QStringLiteral("[A-Za-z0-9]+ 文件|\\d KB"));
    for (QString t : std::as_const(texts)) {
        t.remove(pattern);
        t.remove(kind);
        if (t.contains(word))
            english << t;
    }
    english.removeDuplicates();
    return english;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_data = std::make_unique<TempTaxDatabase>();
        m_settings = std::make_unique<AppSettings>(m_dir.filePath("main.ini"));
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_window = std::make_unique<ui::MainWindow>(TaxDatabase::open(m_data->path()), *m_prompter,
                                                    *m_settings, m_data->dir());
    }
    void cleanup()
    {
        m_window.reset();
        m_data.reset();
    }

    void backupAndRestoreFromTheFileMenu()
    {
        m_data->close(); // the window's connection is the only one, as in the program
        const QString copy = QDir(m_data->dir()).filePath("copy.db");
        m_prompter->queueText(copy);
        m_window->findChild<QAction*>("numBackup")->trigger();
        QCOMPARE(m_prompter->records().first().kind, QString("save"));
        QVERIFY(m_prompter->records().first().defaultText.startsWith(
            QDir(m_data->dir()).filePath("backup/ZqSalTax-")));
        QCOMPARE(m_prompter->last().text, QString("数据已备份到“%1”。").arg(QDir::toNativeSeparators(copy)));
        QCOMPARE(DatabaseCopy::verify(copy), std::nullopt);
        m_window->context().db->exec("insert into UnitInfo(UnitID,UnitName) values(1,'备份后')");

        // A file that is not a copy is refused before anything closes; said no, nothing changes either.
        const QString junk = QDir(m_data->dir()).filePath("junk.db");
        QFile f(junk);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(QByteArray(4096, 'x')) == 4096);
        f.close();
        m_prompter->clear();
        m_prompter->queueText(junk);
        m_window->findChild<QAction*>("numRestore")->trigger();
        QVERIFY(m_prompter->last().text.startsWith("不能用这个文件恢复"));
        m_prompter->queueText(copy);
        m_prompter->queue(Prompter::Answer::No);
        m_window->findChild<QAction*>("numRestore")->trigger();
        QVERIFY(m_window->context().db);
        QVERIFY(!m_window->restoredData());

        m_prompter->clear();
        m_prompter->queueText(copy);
        m_prompter->queue(Prompter::Answer::Yes);
        m_window->show();
        m_window->findChild<QAction*>("numRestore")->trigger();
        QCOMPARE(m_prompter->unexpected(), 0);
        QVERIFY(m_prompter->last().text.startsWith("数据已经恢复。原来的数据库保存为"));
        QVERIFY(m_prompter->last().text.endsWith("程序将退出，请重新启动。"));
        QVERIFY(m_window->restoredData());
        QVERIFY(!m_window->isVisible());
        QVERIFY(!m_window->context().db);
        QCOMPARE(TaxDatabase::open(m_data->path())->scalar("select count(*) from UnitInfo").toInt(), 0);
        QCOMPARE(QDir(m_data->dir()).entryList({"ZqSalTax.db.*.bak"}).size(), 1);
    }

    // The editor's 退出 does what its frame's close box does: the question, then the frame is gone with it.
    void editorExitLeavesNoFrame_data()
    {
        QTest::addColumn<QString>("change");  // typed into 联系电话 first, if anything
        QTest::addColumn<QVariant>("answer"); // to "申报表已修改，是否保存？"; invalid: not asked
        QTest::addColumn<int>("framesLeft");
        QTest::newRow("unchanged") << "" << QVariant() << 1;
        QTest::newRow("changed, not saved") << "010-9" << QVariant(false) << 1;
        QTest::newRow("changed, the save fails: the editor stays in its frame")
            << "010-9" << QVariant(true) << 2;
    }
    void editorExitLeavesNoFrame()
    {
        QFETCH(QString, change);
        QFETCH(QVariant, answer);
        QFETCH(int, framesLeft);
        QPointer<ui::DeclarationEditor> editor = openEditor();
        QVERIFY(editor);
        QVERIFY(!m_window->isToolbarBandVisible());
        if (!change.isEmpty())
            editor->setBoxText(HeaderField::Phone, change);
        if (answer.isValid())
            m_prompter->queue(answer.toBool() ? Prompter::Answer::Yes : Prompter::Answer::No);
        editor->action("Exit")->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(m_window->mdiArea()->subWindowList().size(), framesLeft);
        QCOMPARE(bool(editor), framesLeft == 2);
        QCOMPARE(m_prompter->unexpected(), 0);
        QCOMPARE(m_window->isToolbarBandVisible(), framesLeft == 1);
        if (framesLeft == 1) // the widths were stored as the close box stores them
            QCOMPARE(m_settings->columnWidths().split(',').size(), 12);
        if (editor) {
            m_prompter->queue(Prompter::Answer::No);
            QVERIFY(ui::closeHostedWindow(editor));
        }
    }

    // In a main window of 1280 x 800 the editor opens showing every column's title and its header boxes.
    void editorOpensShowingEveryColumn()
    {
        m_window->resize(1280, 800);
        ui::DeclarationEditor* editor = openEditor();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QCoreApplication::processEvents();
        auto* frame = qobject_cast<QMdiSubWindow*>(editor->parentWidget());
        QVERIFY(frame && m_window->mdiArea()->viewport()->rect().contains(frame->geometry()));
        const QHeaderView* titles = editor->grid()->horizontalHeader();
        for (int c = 0; c < titles->count(); ++c)
            QVERIFY2(titles->sectionViewportPosition(c) + titles->sectionSize(c) <=
                         editor->grid()->viewport()->width(),
                     qPrintable(QString::number(c)));
        for (int f = 0; f < HeaderFieldCount; ++f) {
            QLineEdit* box = editor->box(HeaderField(f));
            QVERIFY2(editor->rect().contains(QRect(box->mapTo(editor, QPoint()), box->size())),
                     qPrintable(QString::number(f)));
        }
        QVERIFY(ui::closeHostedWindow(editor));
    }

    // One command, one picture, in every window's toolbar; different commands look different.
    void oneIconPerCommand()
    {
        ui::DeclarationEditor* editor = openEditor();
        ui::UnitList units(m_window->context());
        ui::EmployeeList employees(m_window->context());
        // adding and deleting a row or a record are the same command to the user
        const auto command = [](QString caption) {
            return caption.replace("增行", "增加").replace("删行", "删除").replace("粘帖", "粘贴");
        };
        QHash<QString, QImage> pictures;
        for (QWidget* window : QList<QWidget*>{m_window.get(), editor, &units, &employees})
            for (QToolBar* bar : window->findChildren<QToolBar*>())
                for (QAction* a : bar->actions()) {
                    const QString name = command(a->text());
                    const QImage picture = a->icon().pixmap(24).toImage();
                    QVERIFY2(!picture.isNull(), qPrintable(name));
                    for (auto it = pictures.cbegin(); it != pictures.cend(); ++it)
                        QVERIFY2((it.key() == name) == (it.value() == picture),
                                 qPrintable(name + " and " + it.key()));
                    pictures.insert(name, picture);
                }
        QVERIFY(pictures.size() > 12);
        QVERIFY(ui::closeHostedWindow(editor));
    }

    // The help speaks of the payroll package by the word the rest of the program uses.
    void helpNamesTheFinancePackage()
    {
        m_window->toolbarAction("帮助")->trigger();
        QCOMPARE(m_prompter->records().size(), 1);
        QVERIFY(m_prompter->last().text.contains("财务软件"));
        QVERIFY(!m_prompter->last().text.contains("账务"));
    }

    void modalDialogsFromTheMainWindow()
    {
        m_data->db().exec("insert into UnitInfo(UnitID,UnitName) values(1,'甲'),(2,'乙')");
        int rows = -1;
        ModalDriver units("frmBmUnit", {[&](QDialog* d) {
                              rows = d->findChild<QAbstractItemView*>()->model()->rowCount();
                              d->reject();
                          }});
        m_window->toolbarAction("单位")->trigger();
        QCOMPARE(units.stepsRun(), 1);
        QCOMPARE(rows, 2);
        ModalDriver password("frmChanPass", {[](QDialog* d) { button(d, "cmdCancel")->click(); }});
        m_window->findChild<QAction*>("numexport")->trigger();
        QCOMPARE(password.stepsRun(), 1);
        QCOMPARE(password.leftOpen(), 0);
    }

    void backgroundByScreenWidth()
    {
        QVERIFY(ui::backgroundFor(800) != ui::BackgroundKind::Wide); // the design-time picture stays
        QVERIFY(ui::backgroundFor(801) == ui::BackgroundKind::Wide);
    }

    // The threshold box stores exactly what it returns; a cancelled box returns, and so stores, empty text.
    void taxThreshold_data()
    {
        QTest::addColumn<QVariant>("answer"); // invalid: cancelled
        QTest::addColumn<QString>("stored");
        QTest::newRow("kept as typed, unchecked") << QVariant(" 1,600元 ") << " 1,600元 ";
        QTest::newRow("cancelled") << QVariant() << "";
    }
    void taxThreshold()
    {
        QFETCH(QVariant, answer);
        QFETCH(QString, stored);
        m_settings->setTaxThreshold("800");
        m_prompter->queueText(answer.isValid() ? std::optional<QString>(answer.toString()) : std::nullopt);
        m_window->findChild<QAction*>("numbb")->trigger();
        QCOMPARE(m_prompter->records().size(), 1);
        QCOMPARE(m_prompter->last().kind, QString("input"));
        QCOMPARE(m_prompter->last().defaultText, QString("800"));
        QCOMPARE(AppSettings(m_dir.filePath("main.ini")).taxThreshold(), stored);
    }

    void taxThresholdThatCannotBeStored()
    {
        QFile plain(m_dir.filePath("plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        AppSettings unwritable(m_dir.filePath("plain/main.ini")); // its folder is a file
        ui::MainWindow window(TaxDatabase::open(m_data->path()), *m_prompter, unwritable, m_data->dir());
        m_prompter->queueText(std::optional<QString>("1600"));
        window.findChild<QAction*>("numbb")->trigger();
        QCOMPARE(m_prompter->records().size(), 2);
        QCOMPARE(m_prompter->last().text,
                 QStringLiteral("税率启征值没有保存：不能写入设置文件“%1”。")
                     .arg(QDir::toNativeSeparators(m_dir.filePath("plain/main.ini"))));
        QCOMPARE(m_prompter->last().icon, Prompter::Icon::Exclamation);
    }

    void closingClosesEveryWindowThenTheDatabase_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("menu") << "numexit";
        QTest::newRow("toolbar") << "Exit";
    }
    void closingClosesEveryWindowThenTheDatabase()
    {
        QFETCH(QString, how);
        const QStringList before = QSqlDatabase::connectionNames();
        m_window->show();
        auto* child = new QWidget;
        child->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<QMdiSubWindow> sub = m_window->mdiArea()->addSubWindow(child);
        sub->show();
        auto* second = new QWidget;
        m_window->mdiArea()->addSubWindow(second)->show();
        QWidget loose; // a window of the program outside the frame
        loose.show();
        QVERIFY(m_window->context().db);
        if (how == "Exit")
            m_window->toolbarAction(how)->trigger();
        else
            m_window->findChild<QAction*>(how)->trigger();
        QVERIFY(!m_window->isVisible());
        QVERIFY(!loose.isVisible());
        QVERIFY(!second->isVisible());
        QVERIFY(!sub || !sub->isVisible());
        QVERIFY(!m_window->context().db);
        QCOMPARE(QSqlDatabase::connectionNames().size(), before.size() - 1);
    }

    void aChildThatStaysOpenKeepsTheFrameAndTheDatabase()
    {
        m_window->show();
        auto* stubborn = new StubbornWindow;
        m_window->mdiArea()->addSubWindow(stubborn)->show();
        QVERIFY(!m_window->close());
        QVERIFY(m_window->isVisible());
        QVERIFY(m_window->context().db);
        QVERIFY(stubborn->isVisible());
    }

    // Qt's own dialogs and menus speak Chinese whatever the system's language.
    void qtOwnTextsInChinese_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("the save dialog of 生成上传文件") << "save";
        QTest::newRow("a text box's context menu") << "box menu";
        QTest::newRow("a read-only box's context menu") << "read-only menu";
    }
    void qtOwnTextsInChinese()
    {
        QFETCH(QString, window);
        QStringList english{"<not looked at>"};
        if (window == u"save") {
            ui::QtPrompter prompter;
            QTemporaryDir folder;
            QVERIFY(QDir(folder.path()).mkdir("申报"));
            QFile earlier(folder.filePath("2005-08.CSV"));
            QVERIFY(earlier.open(QIODevice::WriteOnly));
            earlier.write(QByteArray(2000, 'x'));
            earlier.close();
            ModalDriver driver("QFileDialog", {[&](QDialog* d) {
                                   auto* list = d->findChild<QAbstractItemView*>("treeView");
                                   QTRY_COMPARE(list->model()->rowCount(list->rootIndex()), 2);
                                   auto* files = qobject_cast<QFileDialog*>(d);
                                   QVERIFY(files && files->testOption(QFileDialog::DontUseNativeDialog));
                                   english = englishTexts(d);
                                   d->reject();
                               }});
            QCOMPARE(prompter.saveFileName(QStringLiteral("保存上传文件"), folder.filePath("2005-09.CSV"),
                                           QStringLiteral("上传文件 (*.CSV)")),
                     std::nullopt); // cancelled
            QCOMPARE(driver.stepsRun(), 1);
        } else {
            QLineEdit box(QStringLiteral("1234"));
            box.setReadOnly(window == u"read-only menu");
            std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
            QVERIFY(menu->actions().size() > 2);
            english = englishTexts(menu.get());
        }
        QVERIFY2(english.isEmpty(), qPrintable(english.join(u" | ")));
    }

    // The program's own message box answers with the button pressed.
    void messageBoxAnswers_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QString>("press"); // the button's text
        QTest::addColumn<int>("answer");
        using B = Prompter::Buttons;
        using A = Prompter::Answer;
        QTest::newRow("yes") << int(B::YesNo) << "是(&Y)" << int(A::Yes);
        QTest::newRow("no") << int(B::YesNo) << "否(&N)" << int(A::No);
        QTest::newRow("cancel of three") << int(B::YesNoCancel) << "取消" << int(A::Cancel);
    }
    void messageBoxAnswers()
    {
        QFETCH(int, buttons);
        QFETCH(QString, press);
        QFETCH(int, answer);
        ui::QtPrompter prompter;
        ModalDriver driver("", {[&](QDialog* d) {
                               for (auto* b : d->findChildren<QAbstractButton*>())
                                   if (b->text() == press)
                                       b->click();
                           }});
        const auto got = prompter.message("提示信息", "确实要删除吗", Prompter::Icon::Question,
                                          Prompter::Buttons(buttons));
        QCOMPARE(driver.stepsRun(), 1);
        QCOMPARE(int(got), answer);
    }

private:
    // The declaration list from the toolbar (a second press brings the same list forward) and a new
    // declaration's editor in its frame.
    ui::DeclarationEditor* openEditor()
    {
        m_data->db().exec("insert into UnitInfo(UnitID,UnitName) values(1,'甲')");
        m_window->show();
        m_window->toolbarAction("填报")->trigger();
        m_window->toolbarAction("填报")->trigger();
        auto* list = m_window->findChild<ui::DeclarationList*>("frmTb");
        if (!list || m_window->findChildren<ui::DeclarationList*>().size() != 1)
            return nullptr;
        list->newDeclaration();
        return m_window->mdiArea()->subWindowList().size() == 2 ? list->editor() : nullptr;
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TempTaxDatabase> m_data;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<ui::MainWindow> m_window;
};

ZQ_TEST(TestMainWindow)
#include "TestMainWindow.moc"
