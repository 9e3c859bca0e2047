#include "TestSupport.h"
#include "core/AppSettings.h"
#include "core/Dates.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace zq;

class TestDatesSettings : public QObject {
    Q_OBJECT
private slots:
    void parseDate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected"); // invalid: not a date
        QTest::newRow("full") << "2003-09-06" << QDate(2003, 9, 6);
        QTest::newRow("one-digit month and day") << "2005-9-1" << QDate(2005, 9, 1);
        QTest::newRow("blanks around") << " 2005-12-12 " << QDate(2005, 12, 12);
        QTest::newRow("leap day") << "2004-02-29" << QDate(2004, 2, 29);
        QTest::newRow("no leap day") << "2005-02-29" << QDate();
        QTest::newRow("month 13") << "2005-13-01" << QDate();
        QTest::newRow("empty") << "" << QDate();
        QTest::newRow("slashes") << "2005/09/01" << QDate();
        QTest::newRow("signed year") << "+2005-09-01" << QDate();
    }
    void parseDate()
    {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        QCOMPARE(Dates::parse(text), expected);
    }

    void parseMonth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString none;
        QTest::newRow("two-digit") << "2005-09" << QString("2005-09");
        QTest::newRow("one-digit") << "2005-9" << QString("2005-09");
        QTest::newRow("month 13") << "2005-13" << none;
        QTest::newRow("full date is no month") << "2005-09-01" << none;
    }
    void parseMonth()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(Dates::formatMonth(Dates::parseMonth(text)), expected);
    }

    void storedDates()
    {
        QCOMPARE(Dates::formatMonth(Dates::fromStored(QVariant("2005-09-01"))), QString("2005-09"));
        QVERIFY(!Dates::fromStored(QVariant()).isValid());
    }

    void settingsDefaultsAndRoundTrip()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("zqsaltax.ini");
        {
            AppSettings s(file);
            QCOMPARE(s.taxThreshold(), QString());
            QCOMPARE(s.columnWidths(), QString());
            QCOMPARE(s.financeServerEngine(), QString("sqlserver"));
            QCOMPARE(s.backupKeep(), 30);
            s.setValue("Backup", "Keep", "abc");
            QCOMPARE(s.backupKeep(), 30); // not a number: the default
            s.setValue("Backup", "Keep", "-3");
            QCOMPARE(s.backupKeep(), 0);
            s.setBackupKeep(7);
            QCOMPARE(s.backupKeep(), 7);
            s.setTaxThreshold("800元");
            s.setColumnWidths("300,1200,1500");
        }
        AppSettings again(file);
        QCOMPARE(again.taxThreshold(), QString("800元"));
        QCOMPARE(again.columnWidths(), QString("300,1200,1500"));
        QVERIFY(again.setTaxThreshold(QString())); // empty text is stored as it is, not removed
        QCOMPARE(AppSettings(file).taxThreshold(), QString());
        QSettings raw(file, QSettings::IniFormat);
        QVERIFY(raw.contains("Reg/RegInfoT"));
        QCOMPARE(raw.value("Reg/RegInfoT"), QVariant(QString()));
    }

    // A settings file that cannot be written says so instead of dropping the value.
    void settingsWriteFailure()
    {
        QTemporaryDir dir;
        QFile plain(dir.filePath("plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        AppSettings s(dir.filePath("plain/zqsaltax.ini")); // its folder is a file
        QVERIFY(!s.setTaxThreshold("800"));
        QVERIFY(!s.setColumnWidths("300"));
    }
};

ZQ_TEST(TestDatesSettings)
#include "TestDatesSettings.moc"
