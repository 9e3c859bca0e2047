#include "TestSupport.h"
#include "platform/PrivateProfile.h"
#include "platform/Registry.h"
#include "platform/WindowsPaths.h"
#include "platform/WindowsText.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace zq;
using namespace zq::platform;

namespace {

const QString v5 = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n");
const QString key = QStringLiteral("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Olvenka\\Lumina 3.0]\r\n");

QByteArray utf16le(const QString& s, bool mark)
{
    QStringEncoder enc(QStringEncoder::Utf16LE);
    return (mark ? QByteArray("\xFF\xFE", 2) : QByteArray()) + QByteArray(enc.encode(s));
}

QByteArray gbk(const QString& s)
{
    QStringEncoder enc("GBK");
    return enc.encode(s);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

// The finance package's settings as its installation leaves them: registry exports, profile files and paths.
class TestRegistry : public QObject {
    Q_OBJECT
private slots:
    void readsValues_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("keyPath");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected"); // null: not readable; "error N": PlatformError N
        const QString product = "\"ProductFolder\"=\"C:\\\\Program Files\\\\Olvenka\\\\\"\r\n";
        const QString k = "SOFTWARE\\Olvenka\\Lumina 3.0", folder = "ProductFolder", none;
        const QString winPath = "C:\\Program Files\\Olvenka\\";
        auto utf8 = [](const QString& lines) { return (v5 + key + lines).toUtf8(); };

        QTest::newRow("no file: an empty registry") << QByteArray() << k << folder << none;
        QTest::newRow("no header") << (key + product).toUtf8() << k << folder
                                   << QStringLiteral("error %1").arg(PlatformError::RegistryCorrupt);
        QTest::newRow("a folder in its place")
            << QByteArray("folder") << k << folder
            << QStringLiteral("error %1").arg(PlatformError::RegistryIoFailed);
        QTest::newRow("UTF-16LE with mark, version 5 header")
            << utf16le(v5 + key + product, true) << k << folder << winPath;
        QTest::newRow("REGEDIT4 in the ANSI code page with Chinese")
            << gbk("REGEDIT4\r\n\r\n" + key + "\"DATAfolder\"=\"D:\\\\财务 数据\\\\\"\r\n") << k
            << "DATAfolder" << QString("D:\\财务 数据\\");
        QTest::newRow("key path and value name in other letter case")
            << utf8(product) << "software\\OLVENKA\\lumina 3.0"
            << "productfolder" << winPath;
        QTest::newRow("escaped quote and backslash") << utf8("\"Name\"=\"say \\\"hi\\\" \\\\ done\"\r\n") << k
                                                     << "Name" << QString("say \"hi\" \\ done");
        QTest::newRow("deleted value") << utf8("\"A\"=\"1\"\r\n\"A\"=-\r\n") << k << "A" << none;
        QTest::newRow("32-bit view of a 64-bit export")
            << utf8("\"A\"=\"64\"\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Olvenka\\Lumina 3.0]\r\n"
                    "\"A\"=\"32\"\r\n")
            << k << "A" << QString("32");
        QTest::newRow("comment ending in a backslash")
            << utf8("; folder C:\\\r\n" + product) << k << folder << winPath;
        QTest::newRow("hex value over three lines, then a value")
            << utf8("\"B\"=hex:01,02,\\\r\n  03,\\\r\n  04\r\n\"Q\"=\"after\"\r\n") << k << "Q"
            << QString("after");
    }
    void readsValues()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, keyPath);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QTemporaryDir windows;
        if (file == "folder")
            QVERIFY(QDir(windows.path()).mkdir("registry.reg"));
        else if (!file.isNull())
            writeFile(windows.filePath("registry.reg"), file);
        QString value = QStringLiteral("stale");
        try {
            const bool ok = ReadRegistryValue(windows.path(), keyPath, name, value);
            QCOMPARE(ok, !expected.isNull());
            QCOMPARE(value, expected.isNull() ? QString() : expected);
        } catch (const PlatformError& e) {
            QCOMPARE(QStringLiteral("error %1").arg(e.number()), expected);
        }
    }

    // Profile files in the ANSI code page; a missing file, section or key gives the default.
    void rules_data()
    {
        QTest::addColumn<QString>("ini"); // null: no file
        QTest::addColumn<QString>("key"); // in section "server"
        QTest::addColumn<QString>("expected");
        const QString name = "ServerName", password = "password";
        QTest::newRow("no file") << QString() << name << "dflt";
        QTest::newRow("section and key in other case") << "[SERVER]\nservername=SRV\n" << name << "SRV";
        QTest::newRow("blanks around names and value, Chinese")
            << QString("[ server ]\r\n  ServerName  =  账务 1  \r\n") << name << "账务 1";
        QTest::newRow("key of another section") << "[client]\nServerName=A\n[server]\nuserid=u\n"
                                                << name << "dflt";
        QTest::newRow("quotes dropped") << "[server]\npassword=\"p w\"\n" << password << "p w";
        QTest::newRow("one quote kept") << "[server]\npassword=\"p\n" << password << "\"p";
        QTest::newRow("line without equals sign") << "[server]\nServerName\nuserid=u\n" << name << "dflt";
        QTest::newRow("cut to the buffer") << "[server]\nServerName=" + QString(300, u'x') + "\n"
                                           << name << QString(254, u'x');
    }
    void rules()
    {
        QFETCH(QString, ini);
        QFETCH(QString, key);
        QTemporaryDir dir;
        if (!ini.isNull())
            writeFile(dir.filePath("WD.ini"), gbk(ini));
        QTEST(readPrivateProfileString("server", key, "dflt", dir.filePath("WD.ini")), "expected");
    }

    void accountSetFile()
    {
        QCOMPARE(accountSetFilePath("D:\\Data\\system.mda", "001", "2005.mdb", u'\\'),
                 QString("D:\\Data\\001\\2005.mdb"));
        // another name loses ten characters all the same
        QCOMPARE(accountSetFilePath("D:\\Data\\systemdb.mdb", "001", "2005.mdb", u'\\'),
                 QString("D:\\Data\\sy001\\2005.mdb"));
    }
};

ZQ_TEST(TestRegistry)
#include "TestRegistry.moc"
