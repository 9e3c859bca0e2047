#include "TestSupport.h"
#include "core/TaxDatabase.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

class TestDemoCommand : public QObject {
    Q_OBJECT

    static QString runCli(const QStringList& args, int* exitCode, const QString& language = QString())
    {
        QProcess p;
        if (!language.isEmpty()) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            for (const char* name : {"LANG", "LC_ALL", "LC_NUMERIC", "LC_TIME", "LANGUAGE"})
                env.insert(QString::fromLatin1(name), language);
            p.setProcessEnvironment(env);
        }
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

    // What a month stores and the upload file it writes never go through the system's language.
    void sameFileAndValuesInEveryLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("German: decimal comma, day first") << "de_DE.UTF-8";
        QTest::newRow("Chinese") << "zh_CN.UTF-8";
        QTest::newRow("English (United States)") << "en_US.UTF-8";
    }
    void sameFileAndValuesInEveryLanguage()
    {
        QFETCH(QString, language);
        const auto month = [](const QString& lang, QByteArray* file, QString* stored) {
            QTemporaryDir dir;
            const QString db = dir.filePath("ZqSalTax.db");
            int code = -1;
            runCli({"init-db", "--demo", db}, &code, lang);
            QCOMPARE(code, 0);
            runCli({"demo", "--db", db}, &code, lang);
            QCOMPARE(code, 0);
            *stored = runCli({"list", "--db", db}, &code, lang);
            QCOMPARE(code, 0);
            {
                QSqlDatabase sql = QSqlDatabase::addDatabase("QSQLITE", "language-check");
                sql.setDatabaseName(db);
                QVERIFY(sql.open());
                for (const char* table : {"ApplT", "ApplTInfo", "Employee", "UnitInfo"}) {
                    QSqlQuery q(QStringLiteral("select * from %1").arg(QLatin1String(table)), sql);
                    while (q.next())
                        for (int i = 0; i < q.record().count(); ++i)
                            *stored += q.value(i).toString() + (q.value(i).isNull() ? "<null>|" : "|");
                    *stored += '\n';
                }
            }
            QSqlDatabase::removeDatabase("language-check");
            stored->replace(dir.path(), "%D"); // the upload file's path, stored beside the rest
            QFile f(dir.filePath("demo-2012-01.CSV"));
            QVERIFY(f.open(QIODevice::ReadOnly));
            *file = f.readAll();
        };
        QByteArray plainFile, file;
        QString plainStored, stored;
        month("C.UTF-8", &plainFile, &plainStored);
        month(language, &file, &stored);
        QVERIFY(plainFile.size() > 100);
        QCOMPARE(file, plainFile);
        QCOMPARE(stored, plainStored);
    }

    // The employees taken over from the payroll package pass the employee list's row checks before they are
    // stored; a package whose employee number is longer than the list allows stores nobody.
    void refusesEmployeesTheListWouldRefuse()
    {
        QTemporaryDir dir;
        const QString db = dir.filePath("ZqSalTax.db");
        int code = -1;
        // The package in its SQLite form, which the test can change.
        runCli({"init-db", "--demo-sqlite", db}, &code);
        QCOMPARE(code, 0);
        {
            const QString name = zq::Database::uniqueConnectionName("demo-payroll-");
            {
                QSqlDatabase payroll = QSqlDatabase::addDatabase("QSQLITE", name);
                payroll.setDatabaseName(dir.filePath("windows/Olvenka/Lumina 3.0/Data/001/0012012.mdb"));
                QVERIFY(payroll.open());
                QSqlQuery q(payroll);
                QVERIFY(q.exec("select min(emp_id) from employee") && q.next());
                const QString first = q.value(0).toString();
                for (const char* table : {"employee", "salary"}) {
                    QVERIFY(q.prepare(QString("update %1 set emp_id='123456789' where emp_id=?").arg(table)));
                    q.addBindValue(first);
                    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
                }
            }
            QSqlDatabase::removeDatabase(name);
        }
        const QString out = runCli({"demo", "--db", db}, &code);
        QCOMPARE(code, 1);
        QVERIFY2(out.contains("员工编号最长不得超过八个字符。"), qPrintable(out));
        QCOMPARE(zq::TaxDatabase::open(db)->scalar("select count(*) from Employee").toInt(), 0);

        // A failure of the payroll link is a failure (2), not a refusing check (1).
        runCli({"finance", "--db", db, "--unit", "99"}, &code);
        QCOMPARE(code, 2);
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
