#include "TestSupport.h"
#include "platform/WindowsPaths.h"

#include <QTest>

using namespace zq::platform;

class TestWindowsPaths : public QObject {
    Q_OBJECT
private slots:
    void accountSetFile_data()
    {
        QTest::addColumn<QString>("systemDb");
        QTest::addColumn<QString>("copyId");
        QTest::addColumn<QString>("dataFile");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("expected");
        const QString copy = "001", year = "2005.mdb";
        QTest::newRow("Windows") << "D:\\Data\\system.mda" << copy << year << QChar(u'\\')
                                 << "D:\\Data\\001\\2005.mdb";
        QTest::newRow("another name loses ten characters all the same")
            << "D:\\Data\\systemdb.mdb" << copy << year << QChar(u'\\') << "D:\\Data\\sy001\\2005.mdb";
    }
    void accountSetFile()
    {
        QFETCH(QString, systemDb);
        QFETCH(QString, copyId);
        QFETCH(QString, dataFile);
        QFETCH(QChar, separator);
        QFETCH(QString, expected);
        QCOMPARE(accountSetFilePath(systemDb, copyId, dataFile, separator), expected);
    }
};

ZQ_TEST(TestWindowsPaths)
#include "TestWindowsPaths.moc"
