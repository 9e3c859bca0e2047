#include "TestSupport.h"
#include "core/AppSettings.h"
#include "core/Dates.h"

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
        QTest::newRow("one-digit month and day") << "2005-9-1" << QDate(2005, 9, 1);
        QTest::newRow("blanks around") << " 2005-12-12 " << QDate(2005, 12, 12);
        QTest::newRow("leap day") << "2004-02-29" << QDate(2004, 2, 29);
        QTest::newRow("slashes") << "2005/09/01" << QDate();
        QTest::newRow("signed year") << "+2005-09-01" << QDate();
    }
    void parseDate()
    {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        QCOMPARE(Dates::parse(text), expected);
    }

    void monthsAndStoredDates()
    {
        QCOMPARE(Dates::formatMonth(Dates::fromStored(QVariant("2005-09-01"))), QString("2005-09"));
        QVERIFY(!Dates::fromStored(QVariant()).isValid());
        QCOMPARE(Dates::formatMonth(Dates::parseMonth("2005-9")), QString("2005-09"));
        QCOMPARE(Dates::formatMonth(Dates::parseMonth("2005-09-01")), QString()); // a full date is no month
    }

    // Defaults, a value stored as given, and a file that cannot be written says so instead of dropping it.
    void settings()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("zqsaltax.ini");
        {
            AppSettings s(file);
            QCOMPARE(s.taxThreshold(), QString());
            QCOMPARE(s.financeServerEngine(), QString("sqlserver"));
            QCOMPARE(s.backupKeep(), 30);
            s.setValue("Backup", "Keep", "abc");
            QCOMPARE(s.backupKeep(), 30); // not a number: the default
            s.setValue("Backup", "Keep", "-3");
            QCOMPARE(s.backupKeep(), 0);
            s.setTaxThreshold("800元");
        }
        QCOMPARE(AppSettings(file).taxThreshold(), QString("800元"));
        QVERIFY(AppSettings(file).setTaxThreshold(QString())); // empty text is stored as it is, not removed
        QCOMPARE(QSettings(file, QSettings::IniFormat).value("Reg/RegInfoT"), QVariant(QString()));
        QVERIFY(!AppSettings(file + "/zqsaltax.ini").setTaxThreshold("800")); // its folder is a file
    }
};

ZQ_TEST(TestDatesSettings)
#include "TestDatesSettings.moc"
