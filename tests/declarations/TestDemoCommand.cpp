#include "TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// zqsaltax-cli demo: a month on the demo installation, from the payroll package to the upload file.
class TestDemoCommand : public QObject {
    Q_OBJECT

    // Standard output and error of zqsaltax-cli run under a language; the exit code in *code.
    static QString cli(const QStringList& args, int* code, const QString& language = "C.UTF-8")
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"LANG", "LC_ALL", "LC_NUMERIC", "LC_TIME", "LANGUAGE"})
            env.insert(QString::fromLatin1(name), language);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(ZQ_BIN_DIR) + "/zqsaltax-cli", args);
        p.waitForFinished(120000);
        *code = p.exitCode();
        return QString::fromUtf8(p.readAllStandardOutput()) + QString::fromUtf8(p.readAllStandardError());
    }

private slots:
    // What a month stores and the upload file it writes never go through the system's language (German: a
    // decimal comma and day-first dates, where C has a point).
    void aMonthInEveryLanguage()
    {
        QString plain; // what the C language gives
        for (const QString language : {"C.UTF-8", "de_DE.UTF-8"}) {
            QTemporaryDir dir;
            const QString db = dir.filePath("ZqSalTax.db");
            int code = -1;
            cli({"init-db", "--demo", db}, &code, language);
            QCOMPARE(code, 0);
            QString stored = cli({"demo", "--db", db}, &code, language);
            QCOMPARE(code, 0);
            QVERIFY2(stored.contains("declaration\t1\t2012-01"), qPrintable(stored));
            QFile file(dir.filePath("demo-2012-01.CSV"));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            QVERIFY(bytes.count("\r\n") > 16); // 15 header lines and the detail rows
            stored += cli({"list", "--db", db}, &code, language);
            QCOMPARE(code, 0);
            stored += QString::fromLatin1(bytes.toHex());
            stored.replace(dir.path(), "%D"); // the upload file's path, listed
            if (plain.isEmpty())
                plain = stored;
            QCOMPARE(stored, plain);
        }
    }
};

ZQ_TEST(TestDemoCommand)
#include "TestDemoCommand.moc"
