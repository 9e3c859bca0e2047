#include "TestSupport.h"
#include "platform/PrivateProfile.h"
#include "platform/WindowsPaths.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace zq::platform;

class TestPrivateProfile : public QObject {
    Q_OBJECT
private slots:
    void rules_data()
    {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("key"); // in section "server"
        QTest::addColumn<QString>("expected");
        const QString name = "ServerName", password = "password";
        QTest::newRow("section and key in other case") << "[SERVER]\nservername=SRV\n" << name << "SRV";
        QTest::newRow("blanks around names and value") << "[ server ]\n  ServerName  =  SRV 1  \n"
                                                       << name << "SRV 1";
        QTest::newRow("first key wins") << "[server]\nServerName=A\nServerName=B\n" << name << "A";
        QTest::newRow("key of another section") << "[client]\nServerName=A\n[server]\nuserid=u\n"
                                                << name << "";
        QTest::newRow("quotes dropped") << "[server]\npassword=\"p w\"\n" << password << "p w";
        QTest::newRow("one quote kept") << "[server]\npassword=\"p\n" << password << "\"p";
        QTest::newRow("backslashes, commas and equals signs are plain text")
            << "[server]\npassword=D:\\Data\\a,b=c\n"
            << password << "D:\\Data\\a,b=c";
        QTest::newRow("line without equals sign") << "[server]\nServerName\nuserid=u\n" << name << "";
        QTest::newRow("cut to the buffer") << "[server]\nServerName=" + QString(300, u'x') + "\n"
                                           << name << QString(254, u'x');
    }
    void rules()
    {
        QFETCH(QString, ini);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QCOMPARE(privateProfileValue(ini, "server", key, QString()), expected);
    }

    void files_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        const QString text = QStringLiteral("[Options]\r\nDatadir=D:\\账务\\\r\n");
        QStringEncoder u16(QStringEncoder::Utf16LE);
        QStringEncoder gbk("GBK");
        QTest::newRow("ANSI code page") << QByteArray(gbk.encode(text)) << QStringLiteral("D:\\账务\\");
        QTest::newRow("UTF-16 with mark")
            << QByteArray("\xFF\xFE", 2) + QByteArray(u16.encode(text)) << QStringLiteral("D:\\账务\\");
        QTest::newRow("no file: the default") << QByteArray() << QStringLiteral("dflt");
    }
    void files()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QFile f(dir.filePath("WD.ini"));
        if (!bytes.isNull()) {
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
            f.close();
        }
        QCOMPARE(readPrivateProfileString("options", "DATADIR", "dflt", f.fileName()), expected);
    }

    void accountSetFile_data()
    {
        QTest::addColumn<QString>("systemDb");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Windows") << "D:\\Data\\system.mda"
                                 << "D:\\Data\\001\\2005.mdb";
        QTest::newRow("another name loses ten characters all the same") << "D:\\Data\\systemdb.mdb"
                                                                        << "D:\\Data\\sy001\\2005.mdb";
    }
    void accountSetFile()
    {
        QFETCH(QString, systemDb);
        QFETCH(QString, expected);
        QCOMPARE(accountSetFilePath(systemDb, "001", "2005.mdb", u'\\'), expected);
    }
};

ZQ_TEST(TestPrivateProfile)
#include "TestPrivateProfile.moc"
