#include "ModalDriver.h"
#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/AppSettings.h"
#include "core/DatabaseCopy.h"
#include "core/TaxDatabase.h"
#include "ui/DeclarationList.h"
#include "ui/MainWindow.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
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

    void menuEntries_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("change password") << "文件(&F)"
                                         << "numexport"
                                         << "修改密码";
        QTest::newRow("backup") << "文件(&F)"
                                << "numBackup"
                                << "备份数据…";
        QTest::newRow("restore") << "文件(&F)"
                                 << "numRestore"
                                 << "恢复数据…";
        QTest::newRow("exit") << "文件(&F)"
                              << "numexit"
                              << "退出(&X)";
        QTest::newRow("units") << "管理(&D)"
                               << "numUnit"
                               << "单位管理";
        QTest::newRow("employees") << "管理(&D)"
                                   << "numEmploer"
                                   << "员工管理";
        QTest::newRow("declarations") << "管理(&D)"
                                      << "numWrite"
                                      << "填报管理";
        QTest::newRow("threshold") << "管理(&D)"
                                   << "numbb"
                                   << "税率启征值";
        QTest::newRow("help") << "帮助(&H)"
                              << "numhelp_zt"
                              << "主题";
        QTest::newRow("about") << "帮助(&H)"
                               << "numabout"
                               << "关于...";
    }
    void menuEntries()
    {
        QFETCH(QString, menu);
        QFETCH(QString, name);
        QFETCH(QString, text);
        QCOMPARE(m_window->objectName(), QString("FrmMain"));
        QMenu* found = nullptr;
        for (QAction* a : m_window->menuBar()->actions())
            if (a->text() == menu)
                found = a->menu();
        QVERIFY(found);
        auto* entry = m_window->findChild<QAction*>(name);
        QVERIFY(entry);
        QCOMPARE(entry->text(), text);
        QVERIFY(found->actions().contains(entry));
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

        // A file that is not a copy is refused before anything closes.
        m_prompter->clear();
        const QString junk = QDir(m_data->dir()).filePath("junk.db");
        QFile f(junk);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        m_prompter->queueText(junk);
        m_window->findChild<QAction*>("numRestore")->trigger();
        QVERIFY(m_prompter->last().text.startsWith("不能用这个文件恢复"));
        QVERIFY(m_window->context().db);
        QVERIFY(!m_window->restoredData());

        // Said no: nothing changes.
        m_prompter->clear();
        m_prompter->queueText(copy);
        m_prompter->queue(Prompter::Answer::No);
        m_window->findChild<QAction*>("numRestore")->trigger();
        QVERIFY(m_window->context().db);

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
        const auto db = TaxDatabase::open(m_data->path());
        QCOMPARE(db->scalar("select count(*) from UnitInfo").toInt(), 0);
        QCOMPARE(QDir(m_data->dir()).entryList({"ZqSalTax.db.*.bak"}).size(), 1);
    }

    void toolbarButtons()
    {
        auto* band = m_window->findChild<QToolBar*>("CoolBar1");
        QVERIFY(band);
        QStringList captions, keys;
        for (QAction* a : band->actions()) {
            captions << a->text();
            keys << a->data().toString();
        }
        QCOMPARE(captions, (QStringList{"单位", "员工", "填报", "帮助", "退出"}));
        QCOMPARE(keys, (QStringList{"单位", "员工", "填报", "帮助", "Exit"}));
        m_window->show();
        QVERIFY(m_window->isToolbarBandVisible());
        m_window->setToolbarBandVisible(false);
        QVERIFY(!band->isVisible());
        m_window->setToolbarBandVisible(true);
        QVERIFY(band->isVisible());
    }

    void declarationButtonOpensOneListAndTheEditorHidesTheBand()
    {
        m_data->db().exec("insert into UnitInfo(UnitID,UnitName) values(1,'甲')");
        m_window->show();
        m_window->toolbarAction("填报")->trigger();
        auto* list = m_window->findChild<ui::DeclarationList*>("frmTb");
        QVERIFY(list);
        m_window->toolbarAction("填报")->trigger(); // a second press brings the same list to the front
        QCOMPARE(m_window->findChildren<ui::DeclarationList*>().size(), 1);
        QCOMPARE(m_window->mdiArea()->subWindowList().size(), 1);
        list->newDeclaration();
        QVERIFY(list->editor());
        QCOMPARE(m_window->mdiArea()->subWindowList().size(), 2);
        QVERIFY(!m_window->isToolbarBandVisible());
        QVERIFY(ui::closeHostedWindow(list->editor()));
        QVERIFY(m_window->isToolbarBandVisible());
        QCOMPARE(m_prompter->records().size(), 0);
    }

    void unitButtonOpensTheUnitListModally()
    {
        m_data->db().exec("insert into UnitInfo(UnitID,UnitName) values(1,'甲'),(2,'乙')");
        int rows = -1;
        test::ModalDriver driver("frmBmUnit", {[&](QDialog* d) {
                                     rows = d->findChild<QAbstractItemView*>()->model()->rowCount();
                                     d->reject();
                                 }});
        m_window->toolbarAction("单位")->trigger();
        QCOMPARE(driver.stepsRun(), 1);
        QCOMPARE(rows, 2);
    }

    void backgroundByScreenWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("wide");
        QTest::newRow("640") << 640 << false;
        QTest::newRow("800: the design-time picture stays") << 800 << false;
        QTest::newRow("801") << 801 << true;
        QTest::newRow("1920") << 1920 << true;
    }
    void backgroundByScreenWidth()
    {
        QFETCH(int, width);
        QFETCH(bool, wide);
        QCOMPARE(ui::backgroundFor(width) == ui::BackgroundKind::Wide, wide);
    }

    // The threshold box stores exactly what it returns; a cancelled box returns, and so stores, empty text.
    void taxThreshold_data()
    {
        QTest::addColumn<QVariant>("answer"); // invalid: cancelled
        QTest::addColumn<QString>("stored");
        QTest::newRow("a number") << QVariant("1600") << "1600";
        QTest::newRow("kept as typed, unchecked") << QVariant(" 1,600元 ") << " 1,600元 ";
        QTest::newRow("emptied") << QVariant("") << "";
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
        const auto& r = m_prompter->last();
        QCOMPARE(r.kind, QString("input"));
        QCOMPARE(r.title, QString("税率启征值"));
        QCOMPARE(r.text, QString("税率启征值"));
        QCOMPARE(r.defaultText, QString("800"));
        QCOMPARE(AppSettings(m_dir.filePath("main.ini")).taxThreshold(), stored);
        QCOMPARE(AppSettings(m_dir.filePath("main.ini")).value("Reg", "RegInfoT"), stored);
    }

    void changePasswordEntryOpensTheDialog()
    {
        ModalDriver driver("frmChanPass", {[](QDialog* d) { button(d, "cmdCancel")->click(); }});
        m_window->findChild<QAction*>("numexport")->trigger();
        QCOMPARE(driver.stepsRun(), 1);
        QCOMPARE(driver.leftOpen(), 0);
    }

    void closingClosesEveryWindowThenTheDatabase()
    {
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

        m_window->findChild<QAction*>("numexit")->trigger();
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

    void toolbarExitCloses()
    {
        m_window->show();
        m_window->toolbarAction("Exit")->trigger();
        QVERIFY(!m_window->isVisible());
        QVERIFY(!m_window->context().db);
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
