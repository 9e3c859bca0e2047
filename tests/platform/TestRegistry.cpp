#include "TestSupport.h"
#include "platform/Registry.h"
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

class TestRegistry : public QObject {
    Q_OBJECT
private slots:
    void readsValues_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("keyPath");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected"); // null: not readable
        const QString product =
            QStringLiteral("\"ProductFolder\"=\"C:\\\\Program Files\\\\Olvenka\\\\\"\r\n");
        const QString k = QStringLiteral("SOFTWARE\\Olvenka\\Lumina 3.0");
        const QString winPath = QStringLiteral("C:\\Program Files\\Olvenka\\");

        QTest::newRow("UTF-16LE with mark, version 5 header")
            << utf16le(v5 + key + product, true) << k << "ProductFolder" << winPath;
        QTest::newRow("UTF-16LE without mark")
            << utf16le(v5 + key + product, false) << k << "ProductFolder" << winPath;
        QTest::newRow("UTF-8 without mark")
            << (v5 + key + product).toUtf8() << k << "ProductFolder" << winPath;
        QTest::newRow("UTF-8 with mark, REGEDIT4")
            << QByteArray("\xEF\xBB\xBF") + QStringLiteral("REGEDIT4\n\n").toUtf8() + (key + product).toUtf8()
            << k << "ProductFolder" << winPath;
        QTest::newRow("REGEDIT4 in the ANSI code page with Chinese")
            << gbk(QStringLiteral("REGEDIT4\r\n\r\n") + key +
                   QStringLiteral("\"DATAfolder\"=\"D:\\\\财务 数据\\\\\"\r\n"))
            << k << "DATAfolder" << QStringLiteral("D:\\财务 数据\\");
        QTest::newRow("UTF-16 with Chinese")
            << utf16le(v5 + key + QStringLiteral("\"DATAfolder\"=\"D:\\\\财务数据\"\r\n"), true) << k
            << "DATAfolder" << QStringLiteral("D:\\财务数据");
        QTest::newRow("key path in other letter case")
            << (v5 + key + product).toUtf8() << "software\\OLVENKA\\lumina 3.0"
            << "ProductFolder" << winPath;
        QTest::newRow("value name in other letter case")
            << (v5 + key + product).toUtf8() << k << "productfolder" << winPath;
        QTest::newRow("escaped quote and backslash")
            << (v5 + key + QStringLiteral("\"Name\"=\"say \\\"hi\\\" \\\\ done\"\r\n")).toUtf8() << k
            << "Name"
            << "say \"hi\" \\ done";
        QTest::newRow("empty string")
            << (v5 + key + QStringLiteral("\"Empty\"=\"\"\r\n")).toUtf8() << k << "Empty"
            << "";
        QTest::newRow("default value") << (v5 + key + QStringLiteral("@=\"dflt\"\r\n")).toUtf8() << k << "@"
                                       << "dflt";
        QTest::newRow("blanks around the equals sign")
            << (v5 + key + QStringLiteral("\"A\" = \"x\"\r\n")).toUtf8() << k << "A"
            << "x";
        QTest::newRow("dword is not a string")
            << (v5 + key + QStringLiteral("\"ProductFolder\"=dword:00000001\r\n")).toUtf8() << k
            << "ProductFolder" << QString();
        QTest::newRow("expandable string (hex) is ignored")
            << (v5 + key +
                QStringLiteral("\"P\"=hex(2):43,00,3a,00,\\\r\n  5c,00,00,00\r\n\"Q\"=\"after\"\r\n"))
                   .toUtf8()
            << k << "Q"
            << "after";
        QTest::newRow("later value wins")
            << (v5 + key + QStringLiteral("\"A\"=\"1\"\r\n\"A\"=\"2\"\r\n")).toUtf8() << k << "A"
            << "2";
        QTest::newRow("deleted value")
            << (v5 + key + QStringLiteral("\"A\"=\"1\"\r\n\"A\"=-\r\n")).toUtf8() << k << "A" << QString();
        QTest::newRow("deleted key")
            << (v5 + key + product + QStringLiteral("[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Olvenka]\r\n")).toUtf8()
            << k << "ProductFolder" << QString();
        QTest::newRow("value of another key")
            << (v5 + key + product).toUtf8() << "SOFTWARE\\Olvenka\\Lumina 2.0"
            << "ProductFolder" << QString();
        QTest::newRow("another root is not the machine")
            << (v5 + QStringLiteral("[HKEY_CURRENT_USER\\SOFTWARE\\Olvenka\\Lumina 3.0]\r\n") + product)
                   .toUtf8()
            << k << "ProductFolder" << QString();
        QTest::newRow("32-bit view of a 64-bit export")
            << (v5 + key + QStringLiteral("\"A\"=\"64\"\r\n") +
                QStringLiteral(
                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Olvenka\\Lumina 3.0]\r\n\"A\"=\"32\"\r\n"))
                   .toUtf8()
            << k << "A"
            << "32";
        QTest::newRow("unclosed quote skips only its line")
            << (v5 + key + QStringLiteral("\"A\"=\"open\r\n\"B\"=\"fine\"\r\n")).toUtf8() << k << "B"
            << "fine";
        QTest::newRow("comment lines")
            << (v5 + QStringLiteral("; exported\r\n") + key + QStringLiteral(";\"A\"=\"no\"\r\n")).toUtf8()
            << k << "A" << QString();
        // Only hex values go on over lines ending in a backslash.
        QTest::newRow("comment ending in a backslash")
            << (v5 + key + QStringLiteral("; folder C:\\\r\n") + product).toUtf8() << k << "ProductFolder"
            << winPath;
        QTest::newRow("hex value over three lines, then a value")
            << (v5 + key + QStringLiteral("\"B\"=hex:01,02,\\\r\n  03,\\\r\n  04\r\n\"Q\"=\"after\"\r\n"))
                   .toUtf8()
            << k << "Q"
            << "after";
        QTest::newRow("trailing backslash on the key")
            << (v5 + QStringLiteral("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Olvenka\\Lumina 3.0\\]\r\n") + product)
                   .toUtf8()
            << k << "ProductFolder" << winPath;
    }
    void readsValues()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, keyPath);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QTemporaryDir windows;
        writeFile(windows.filePath("registry.reg"), file);
        QString value = QStringLiteral("stale");
        const bool ok = ReadRegistryValue(windows.path(), keyPath, name, value);
        QCOMPARE(ok, !expected.isNull());
        QCOMPARE(value, expected.isNull() ? QString() : expected);
    }

    void missingFileIsAnEmptyRegistry()
    {
        QTemporaryDir windows;
        QString value = QStringLiteral("stale");
        QVERIFY(
            !ReadRegistryValue(windows.path(), QStringLiteral("SOFTWARE\\X"), QStringLiteral("A"), value));
        QCOMPARE(value, QString());
    }

    void brokenFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("number");
        QTest::newRow("no header") << (key + QStringLiteral("\"A\"=\"1\"\r\n")).toUtf8()
                                   << PlatformError::RegistryCorrupt;
        QTest::newRow("empty file") << QByteArray() << PlatformError::RegistryCorrupt;
        QTest::newRow("misspelt header")
            << QByteArray("Windows Registry Editor 5\r\n") << PlatformError::RegistryCorrupt;
        QTest::newRow("binary rubbish")
            << QByteArray("\x00\x01\x02\xff\xfe\x80", 6) << PlatformError::RegistryCorrupt;
    }
    void brokenFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, number);
        QTemporaryDir windows;
        writeFile(windows.filePath("registry.reg"), file);
        QString value;
        try {
            ReadRegistryValue(windows.path(), QStringLiteral("SOFTWARE\\X"), QStringLiteral("A"), value);
            QFAIL("a broken registry file was read");
        } catch (const PlatformError& e) {
            QCOMPARE(e.number(), number);
            QVERIFY2(e.description().contains(QStringLiteral("不是注册表导出文件")),
                     qPrintable(e.description()));
        }
    }

    void unreadableFile()
    {
        QTemporaryDir windows;
        QVERIFY(QDir(windows.path()).mkdir("registry.reg"));
        QString value;
        try {
            ReadRegistryValue(windows.path(), QStringLiteral("SOFTWARE\\X"), QStringLiteral("A"), value);
            QFAIL("a folder was read as the registry file");
        } catch (const PlatformError& e) {
            QCOMPARE(e.number(), PlatformError::RegistryIoFailed);
        }
    }
};

ZQ_TEST(TestRegistry)
#include "TestRegistry.moc"
