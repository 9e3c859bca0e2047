#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestDemoCommand : public QObject {
    Q_OBJECT

    static QString runCli(const QStringList& args, int* exitCode)
    {
        QProcess p;
        p.start(QStringLiteral(ZQ_BIN_DIR) + "/zqsaltax-cli", args);
        p.waitForFinished(120000);
        *exitCode = p.exitCode();
        return QString::fromUtf8(p.readAllStandardOutput()) + QString::fromUtf8(p.readAllStandardError());
    }

private slots:
    void aMonthOnTheDemoInstallation()
    {
        QTemporaryDir dir;
        const QString db = dir.filePath("ZqSalTax.db");
        int code = -1;
        runCli({"init-db", "--demo", db}, &code);
        QCOMPARE(code, 0);
        const QString first = runCli({"demo", "--db", db}, &code);
        QCOMPARE(code, 0);
        QVERIFY2(first.contains("declaration\t1\t2012-01"), qPrintable(first));
        const QString csv = dir.filePath("demo-2012-01.CSV");
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QVERIFY(lines.size() > 16); // 15 header lines and the detail rows
        QVERIFY(lines.first().endsWith("\r"));
        f.close();

        // A second run finds what the first stored and writes the same file again.
        const QString second = runCli({"demo", "--db", db}, &code);
        QCOMPARE(code, 0);
        QVERIFY(second.contains("declaration\t1\t2012-01"));
        runCli({"check", "--db", db, "--app", "1"}, &code);
        QCOMPARE(code, 0); // the stored demo declaration passes the full check
    }

    void refusesAnEmptyInstallation()
    {
        QTemporaryDir dir;
        const QString db = dir.filePath("ZqSalTax.db");
        int code = -1;
        runCli({"init-db", db}, &code);
        const QString out = runCli({"demo", "--db", db}, &code);
        QCOMPARE(code, 2);
        QVERIFY(out.contains("no unit"));
    }
};

ZQ_TEST(TestDemoCommand)
#include "TestDemoCommand.moc"
