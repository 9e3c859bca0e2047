#include "TestSupport.h"
#include "core/TaxDatabase.h"
#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace zq;

namespace {

qint64 lockOwner(const SingleInstance& instance)
{
    QLockFile lock(instance.lockFilePath());
    qint64 pid = 0;
    QString host, app;
    return lock.getLockInfo(&pid, &host, &app) ? pid : 0;
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    // The real program, started from a copy in a folder of its own (the lock is kept per installation, so
    // this never meets a copy the user is running): a second start ends at once without a word and without a
    // window; after the first one is killed, its left-over lock does not keep the next start from running.
    void twoProcesses()
    {
        QTemporaryDir installation;
        // A session's own runtime folder, as a desktop session has one; the copies and this test share it.
        QTemporaryDir runtime;
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
        auto start = [&](QProcess& p) {
            p.setProcessEnvironment(env);
            p.setProgram(exe);
            p.start();
            QVERIFY(p.waitForStarted());
        };

        QProcess first, second, third;
        const auto stop = qScopeGuard([&] {
            for (QProcess* p : {&first, &third})
                if (p->state() != QProcess::NotRunning) {
                    p->kill();
                    p->waitForFinished(30000);
                }
        });
        start(first);
        // The first copy holds the lock while its create-password dialog waits for the user.
        QTRY_COMPARE_WITH_TIMEOUT(lockOwner(probe), first.processId(), 30000);

        start(second);
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(second.readAllStandardOutput(), QByteArray());
        QCOMPARE(second.readAllStandardError(), QByteArray());
        QCOMPARE(first.state(), QProcess::Running);

        first.kill(); // a crash: the lock file stays behind
        QVERIFY(first.waitForFinished(30000));
        QVERIFY(QFile::exists(probe.lockFilePath()));

        start(third);
        QTRY_COMPARE_WITH_TIMEOUT(lockOwner(probe), third.processId(), 30000);
        QCOMPARE(third.state(), QProcess::Running);
    }
};

ZQ_TEST(TestSingleInstance)
#include "TestSingleInstance.moc"
