#include "ModalDriver.h"
#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/AppSettings.h"
#include "core/PasswordStore.h"
#include "core/TaxDatabase.h"
#include "platform/SingleInstance.h"
#include "ui/MainWindow.h"
#include "ui/Startup.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace zq;
using namespace zq::test;

namespace {

const QString kPassword = QStringLiteral("Pw'9 口令");

qint64 lockOwner(const SingleInstance& instance)
{
    QLockFile lock(instance.lockFilePath());
    qint64 pid = 0;
    QString host, app;
    return lock.getLockInfo(&pid, &host, &app) ? pid : 0;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    // Which password dialog start-up shows, and what confirming or cancelling it leads to.
    void passwordBranches_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<bool>("confirm");
        const QVariant null(QMetaType(QMetaType::QString));
        const QVariant hash(PasswordStore::encode(kPassword));
        QTest::newRow("null value: create, confirmed") << null << "FrmCrePass" << true;
        QTest::newRow("empty value: create, cancelled") << QVariant(QString("")) << "FrmCrePass" << false;
        QTest::newRow("password: login, confirmed") << hash << "FrmLogIn" << true;
    }
    void passwordBranches()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, dialog);
        QFETCH(bool, confirm);
        TempTaxDatabase t;
        execOrFail(t.db(), "update Sundries set Value=? where Name='Password'", {stored});
        t.close();

        ScriptedPrompter prompter;
        AppSettings settings(m_settingsDir.filePath("startup.ini"));
        ModalDriver driver(dialog, {[&](QDialog* d) {
                               for (QLineEdit* b : d->findChildren<QLineEdit*>())
                                   typeText(b, kPassword);
                               button(d, confirm ? "cmdOK" : "cmdCancel")->click();
                           }});

        std::unique_ptr<ui::MainWindow> window = ui::startUp(t.path(), prompter, settings);
        QCOMPARE(driver.stepsRun(), 1);
        QCOMPARE(driver.leftOpen() + prompter.records().size(), 0);
        QCOMPARE(window != nullptr, confirm);
        if (window) {
            QVERIFY(!window->isVisible()); // the caller shows it
            QVERIFY(PasswordStore(*window->context().db).check(kPassword));
            QCOMPARE(window->context().programFolder, t.dir());
        }
    }

    // A failure to open the own database: its message, no password dialog, the file as it was, and the
    // program ends.
    void openFailures_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("message"); // the whole text, or its start when it ends with "…"
        const QString foreign = "不能打开数据库\r\n“%1”不是本系统的数据库。";
        QTest::newRow("folder does not exist") << "no-folder" << QString("系统配置文件有误, 请检查!");
        QTest::newRow("file missing") << "missing" << QString("不能打开数据库\r\n…");
        QTest::newRow("locked by another program")
            << "locked" << QString("数据所在目录用户无权限, 请管理员设置数据目录的权限!");
        QTest::newRow("not a database") << "garbage" << QString("在程序中\r\n发生类型 26错误。\r\n…");
        QTest::newRow("database without the Sundries table") << "no-sundries" << foreign;
    }
    void openFailures()
    {
        QFETCH(QString, setup);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QString path = dir.filePath(setup == "no-folder" ? "gone/x.db" : "x.db");
        std::unique_ptr<TempTaxDatabase> holder;
        if (setup == "garbage") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'x'));
        } else if (setup == "locked" || setup == "no-sundries") {
            holder = std::make_unique<TempTaxDatabase>();
            path = holder->path();
            execOrFail(holder->db(), setup == "locked" ? "begin exclusive" : "drop table Sundries");
        }
        const QByteArray before = fileBytes(path);

        ScriptedPrompter prompter;
        AppSettings settings(m_settingsDir.filePath("failures.ini"));
        ModalDriver create("FrmCrePass", {}), login("FrmLogIn", {});
        QVERIFY(!ui::startUp(path, prompter, settings));
        QCOMPARE(create.leftOpen() + login.leftOpen(), 0);
        QCOMPARE(prompter.records().size(), 1);
        const auto& r = prompter.last();
        message.replace(QStringLiteral("%1"), QDir::toNativeSeparators(path));
        if (message.endsWith(u'…'))
            QVERIFY2(r.text.startsWith(message.chopped(1)) && r.text.size() >= message.size(),
                     qPrintable(r.text));
        else
            QCOMPARE(r.text, message);
        QCOMPARE(QFile::exists(path), setup != "missing" && setup != "no-folder"); // never created
        if (setup != "locked")
            QCOMPARE(fileBytes(path), before);
        else
            execOrFail(holder->db(), "rollback");
    }

    // The real program, copied into an installation of its own (the lock is kept per installation): a second
    // start ends at once without a word or a window; a killed first one's lock does not keep the next one
    // out.
    void twoProcesses()
    {
        QTemporaryDir installation, runtime; // runtime: the session's, shared by the copies and this test
        QVERIFY(
            QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        const auto restore = qScopeGuard([&] { qputenv("XDG_RUNTIME_DIR", savedRuntime); });
        const QString exe = installation.filePath("zqsaltax");
        QVERIFY(QFile::copy(QStringLiteral(ZQ_BIN_DIR "/zqsaltax"), exe));
        TaxDatabase::create(QDir(installation.path()).filePath(TaxDatabase::fileName()));
        const SingleInstance probe(installation.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", installation.filePath("config"));
        QProcess first, second, third;
        for (QProcess* p : {&first, &second, &third}) {
            p->setProcessEnvironment(env);
            p->setProgram(exe);
        }
        const auto stop = qScopeGuard([&] {
            for (QProcess* p : {&first, &third}) {
                p->kill();
                p->waitForFinished(30000);
            }
        });
        first.start();
        // The first copy holds the lock while its create-password dialog waits for the user.
        QTRY_COMPARE_WITH_TIMEOUT(lockOwner(probe), first.processId(), 30000);
        second.start();
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(second.readAllStandardOutput() + second.readAllStandardError(), QByteArray());
        QCOMPARE(first.state(), QProcess::Running);
        first.kill(); // a crash: the lock file stays behind
        QVERIFY(first.waitForFinished(30000));
        QVERIFY(QFile::exists(probe.lockFilePath()));
        third.start();
        QTRY_COMPARE_WITH_TIMEOUT(lockOwner(probe), third.processId(), 30000);
    }

private:
    QTemporaryDir m_settingsDir;
};

ZQ_TEST(TestStartup)
#include "TestStartup.moc"
