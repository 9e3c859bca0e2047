#include "TestSupport.h"
#include "platform/PrivateProfile.h"

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
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "[server]\r\nServerName=SRV\r\n"
                               << "server"
                               << "ServerName"
                               << "SRV";
        QTest::newRow("section in other case") << "[SERVER]\nServerName=SRV\n"
                                               << "server"
                                               << "ServerName"
                                               << "SRV";
        QTest::newRow("key in other case") << "[server]\nservername=SRV\n"
                                           << "server"
                                           << "ServerName"
                                           << "SRV";
        QTest::newRow("blanks around names and value") << "[ server ]\n  ServerName  =  SRV 1  \n"
                                                       << "server"
                                                       << "ServerName"
                                                       << "SRV 1";
        QTest::newRow("first key wins") << "[server]\nServerName=A\nServerName=B\n"
                                        << "server"
                                        << "ServerName"
                                        << "A";
        QTest::newRow("first section wins") << "[server]\nuserid=u\n[other]\n[server]\nServerName=B\n"
                                            << "server"
                                            << "ServerName"
                                            << "";
        QTest::newRow("key of another section") << "[client]\nServerName=A\n[server]\nuserid=u\n"
                                                << "server"
                                                << "ServerName"
                                                << "";
        QTest::newRow("double quotes dropped") << "[server]\npassword=\"p w\"\n"
                                               << "server"
                                               << "password"
                                               << "p w";
        QTest::newRow("single quotes dropped") << "[server]\npassword='p'\n"
                                               << "server"
                                               << "password"
                                               << "p";
        QTest::newRow("one quote kept") << "[server]\npassword=\"p\n"
                                        << "server"
                                        << "password"
                                        << "\"p";
        QTest::newRow("backslashes and commas are plain text") << "[Options]\nDatadir=D:\\Data\\a,b\n"
                                                               << "Options"
                                                               << "Datadir"
                                                               << "D:\\Data\\a,b";
        QTest::newRow("empty value") << "[server]\nServerName=\n"
                                     << "server"
                                     << "ServerName"
                                     << "";
        QTest::newRow("comment line") << "[server]\n;ServerName=X\n"
                                      << "server"
                                      << "ServerName"
                                      << "";
        QTest::newRow("line without equals sign") << "[server]\nServerName\nuserid=u\n"
                                                  << "server"
                                                  << "ServerName"
                                                  << "";
        QTest::newRow("equals sign in value") << "[server]\npassword=a=b\n"
                                              << "server"
                                              << "password"
                                              << "a=b";
        QTest::newRow("Chinese") << "[Options]\nDatadir=D:\\财务 数据\\\n"
                                 << "Options"
                                 << "Datadir"
                                 << "D:\\财务 数据\\";
        QTest::newRow("cut to the buffer") << "[s]\nk=" + QString(300, u'x') + "\n"
                                           << "s"
                                           << "k" << QString(254, u'x');
        QTest::newRow("254 characters fit") << "[s]\nk=" + QString(254, u'y') + "\n"
                                            << "s"
                                            << "k" << QString(254, u'y');
    }
    void rules()
    {
        QFETCH(QString, ini);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QCOMPARE(privateProfileValue(ini, section, key, QString()), expected);
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
        QTest::newRow("UTF-8") << text.toUtf8() << QStringLiteral("D:\\账务\\");
    }
    void files()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QFile f(dir.filePath("WD.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        QCOMPARE(readPrivateProfileString("options", "DATADIR", QString(), f.fileName()), expected);
    }

    void missingOrUnreadableFileGivesTheDefault()
    {
        QTemporaryDir dir;
        QCOMPARE(readPrivateProfileString("Options", "Datadir", QString(), dir.filePath("none.ini")),
                 QString());
        QCOMPARE(readPrivateProfileString("Options", "Datadir", "dflt", dir.filePath("none.ini")),
                 QString("dflt"));
        QVERIFY(QDir(dir.path()).mkdir("folder.ini"));
        QCOMPARE(readPrivateProfileString("Options", "Datadir", QString(), dir.filePath("folder.ini")),
                 QString());
    }
};

ZQ_TEST(TestPrivateProfile)
#include "TestPrivateProfile.moc"
