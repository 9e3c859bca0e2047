#include "ModalDriver.h"
#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/AppSettings.h"
#include "core/TaxDatabase.h"
#include "ui/DeclarationList.h"
#include "ui/MainWindow.h"

#include <QAbstractItemView>
#include <QCloseEvent>
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
        QTest::newRow("import the old database") << "文件(&F)"
                                                 << "numImportOld"
                                                 << "导入旧版数据库…";
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
