#include "TestSupport.h"
#include "core/TaxDatabase.h"

#include <QDir>
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
    // decimal comma and day-first dates, where C has a point); a second run finds what the first stored and
    // writes the same file again.
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
            file.close();
            QVERIFY(bytes.count("\r\n") > 16); // 15 header lines and the detail rows
            stored += cli({"demo", "--db", db}, &code, language) + cli({"list", "--db", db}, &code, language);
            QCOMPARE(code, 0);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), bytes);
            stored += QString::fromLatin1(bytes.toHex());
            stored.replace(dir.path(), "%D"); // the upload file's path, listed
            if (plain.isEmpty())
                plain = stored;
            QCOMPARE(stored, plain);
        }
    }

    // The employees taken over from the payroll package pass the employee list's row checks before they are
    // stored; a package whose employee number is longer than the list allows stores nobody.
    void refusesEmployeesTheListWouldRefuse()
    {
        QTemporaryDir dir;
        const QString db = dir.filePath("ZqSalTax.db");
        int code = -1;
        cli({"init-db", "--demo-sqlite", db}, &code); // the package in SQLite form, which the test can change
        QCOMPARE(code, 0);
        const auto payroll =
            zq::Database::openSqlite(dir.filePath("windows/Olvenka/Lumina 3.0/Data/001/0012012.mdb"));
        for (const char* table : {"salary", "employee"})
            zq::test::execOrFail(*payroll, QString("update %1 set emp_id='123456789' where emp_id=(select "
                                                   "min(emp_id) from employee)")
                                               .arg(table));
        const QString out = cli({"demo", "--db", db}, &code);
        QCOMPARE(code, 1);
        QVERIFY2(out.contains("员工编号最长不得超过八个字符。"), qPrintable(out));
        QCOMPARE(zq::TaxDatabase::open(db)->scalar("select count(*) from Employee").toInt(), 0);
    }
};

ZQ_TEST(TestDemoCommand)
#include "TestDemoCommand.moc"
