#include "ModalDriver.h"
#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/AppSettings.h"
#include "core/DatabaseCopy.h"
#include "core/TaxDatabase.h"
#include "ui/MainWindow.h"
#include "ui/QtPrompter.h"

#include <QCloseEvent>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTest>

using namespace zq;
using namespace zq::test;

namespace {

// A child window that keeps itself open while told to, as an editor with unsaved work the user keeps.
struct StubbornWindow : QWidget {
    bool stay = true;
    void closeEvent(QCloseEvent* e) override { e->setAccepted(!stay); }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_window.reset(); // the last test's window goes before its database
        m_data = std::make_unique<TempTaxDatabase>();
        m_settings = std::make_unique<AppSettings>(m_dir.filePath("main.ini"));
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_window = std::make_unique<ui::MainWindow>(TaxDatabase::open(m_data->path()), *m_prompter,
                                                    *m_settings, m_data->dir());
    }

    void backupAndRestoreFromTheFileMenu()
    {
        m_data->close(); // the window's connection is the only one, as in the program
        const QString copy = QDir(m_data->dir()).filePath("copy.db");
        m_prompter->queueText(copy);
        m_window->findChild<QAction*>("numBackup")->trigger();
        QVERIFY(m_prompter->records().first().defaultText.startsWith(
            QDir(m_data->dir()).filePath("backup/ZqSalTax-")));
        QCOMPARE(m_prompter->last().text, QString("数据已备份到“%1”。").arg(QDir::toNativeSeparators(copy)));
        QCOMPARE(DatabaseCopy::verify(copy), std::nullopt);
        m_window->context().db->exec("insert into UnitInfo(UnitID,UnitName) values(1,'备份后')");

        m_prompter->clear();
        m_prompter->queueText(copy);
        m_prompter->queue(Prompter::Answer::Yes);
        m_window->show();
        m_window->findChild<QAction*>("numRestore")->trigger();
        QCOMPARE(m_prompter->unexpected(), 0);
        QVERIFY(m_prompter->last().text.startsWith("数据已经恢复。原来的数据库保存为"));
        QVERIFY(m_window->restoredData());
        QVERIFY(!m_window->isVisible());
        QVERIFY(!m_window->context().db);
        QCOMPARE(TaxDatabase::open(m_data->path())->scalar("select count(*) from UnitInfo").toInt(), 0);
        QCOMPARE(QDir(m_data->dir()).entryList({"ZqSalTax.db.*.bak"}).size(), 1);
    }

    // The threshold box stores exactly what it returns; a cancelled box returns, and so stores, empty text.
    void taxThreshold()
    {
        m_settings->setTaxThreshold("800");
        m_prompter->queueText(" 1,600元 ");
        m_prompter->queueText(std::nullopt);
        for (const QString stored : {" 1,600元 ", ""}) {
            const QString shown = AppSettings(m_dir.filePath("main.ini")).taxThreshold();
            m_window->findChild<QAction*>("numbb")->trigger();
            QCOMPARE(m_prompter->last().defaultText, shown);
            QCOMPARE(AppSettings(m_dir.filePath("main.ini")).taxThreshold(), stored);
        }
        QCOMPARE(m_prompter->records().size(), 2);
    }

    // A child that stays open keeps the frame and the database; once it lets go, closing closes every window,
    // the frame's and the program's loose ones, then the database.
    void closing()
    {
        const QStringList before = QSqlDatabase::connectionNames();
        m_window->show();
        auto* stubborn = new StubbornWindow;
        stubborn->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<QMdiSubWindow> sub = m_window->mdiArea()->addSubWindow(stubborn);
        sub->show();
        auto* second = new QWidget;
        m_window->mdiArea()->addSubWindow(second)->show();
        QWidget loose;
        loose.show();
        QVERIFY(!m_window->close());
        QVERIFY(m_window->isVisible() && stubborn->isVisible());
        QVERIFY(m_window->context().db);
        stubborn->stay = false;
        m_window->toolbarAction("Exit")->trigger();
        QVERIFY(!m_window->isVisible() && !loose.isVisible() && !second->isVisible());
        QVERIFY(!sub || !sub->isVisible());
        QVERIFY(!m_window->context().db);
        QCOMPARE(QSqlDatabase::connectionNames().size(), before.size() - 1);
    }

    // Qt's own dialogs speak Chinese whatever the system's language; a cancelled save dialog gives no file,
    // an accepted one the file chosen.
    void saveDialogInChinese()
    {
        ui::QtPrompter prompter;
        QTemporaryDir folder;
        QStringList buttons;
        const QString proposed = folder.filePath("2005-09.CSV");
        {
            ModalDriver driver("QFileDialog", {[&](QDialog* d) {
                                   for (auto* b : d->findChildren<QAbstractButton*>())
                                       buttons << b->text();
                               }});
            QCOMPARE(prompter.saveFileName("保存上传文件", proposed, "上传文件 (*.CSV)"), std::nullopt);
            QCOMPARE(driver.leftOpen(), 1); // cancelled by the driver after the step
        }
        QVERIFY2(buttons.contains("取消"), qPrintable(buttons.join(u" | ")));
        ModalDriver driver("QFileDialog", {[](QDialog* d) { d->accept(); }});
        QCOMPARE(prompter.saveFileName("保存上传文件", proposed, "上传文件 (*.CSV)"), proposed);
    }

    // The program's own message box answers with the button pressed.
    void messageBoxAnswers_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QString>("press"); // the button's text
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << int(Prompter::Buttons::YesNo) << "是(&Y)" << int(Prompter::Answer::Yes);
        QTest::newRow("no") << int(Prompter::Buttons::YesNo) << "否(&N)" << int(Prompter::Answer::No);
        QTest::newRow("cancel of three")
            << int(Prompter::Buttons::YesNoCancel) << "取消" << int(Prompter::Answer::Cancel);
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
    QTemporaryDir m_dir;
    std::unique_ptr<TempTaxDatabase> m_data;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<ui::MainWindow> m_window;
};

ZQ_TEST(TestMainWindow)
#include "TestMainWindow.moc"
