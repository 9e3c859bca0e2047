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
        const QString product = "\"ProductFolder\"=\"C:\\\\Program Files\\\\Olvenka\\\\\"\r\n";
        const QString k = "SOFTWARE\\Olvenka\\Lumina 3.0", folder = "ProductFolder", none;
        const QString winPath = "C:\\Program Files\\Olvenka\\";
        // An export in UTF-8 of the key above with the given lines.
        auto utf8 = [](const QString& lines) { return (v5 + key + lines).toUtf8(); };

        QTest::newRow("no file: an empty registry") << QByteArray() << k << folder << none;
        QTest::newRow("UTF-16LE with mark, version 5 header")
            << utf16le(v5 + key + product, true) << k << folder << winPath;
        QTest::newRow("UTF-8 with mark, REGEDIT4")
            << QByteArray("\xEF\xBB\xBF") + QString("REGEDIT4\n\n" + key + product).toUtf8() << k << folder
            << winPath;
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
        // Only hex values go on over lines ending in a backslash.
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
        if (!file.isNull())
            writeFile(windows.filePath("registry.reg"), file);
        QString value = QStringLiteral("stale");
        const bool ok = ReadRegistryValue(windows.path(), keyPath, name, value);
        QCOMPARE(ok, !expected.isNull());
        QCOMPARE(value, expected.isNull() ? QString() : expected);
    }

    void brokenFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("number");
        QTest::newRow("no header") << (key + QStringLiteral("\"A\"=\"1\"\r\n")).toUtf8()
                                   << PlatformError::RegistryCorrupt;
        QTest::newRow("a folder in its place") << QByteArray() << PlatformError::RegistryIoFailed;
    }
    void brokenFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, number);
        QTemporaryDir windows;
        if (number == PlatformError::RegistryIoFailed)
            QVERIFY(QDir(windows.path()).mkdir("registry.reg"));
        else
            writeFile(windows.filePath("registry.reg"), file);
        QString value;
        try {
            ReadRegistryValue(windows.path(), QStringLiteral("SOFTWARE\\X"), QStringLiteral("A"), value);
            QFAIL("a broken registry file was read");
        } catch (const PlatformError& e) {
            QCOMPARE(e.number(), number);
            QVERIFY2(number != PlatformError::RegistryCorrupt ||
                         e.description().contains("不是注册表导出文件"),
                     qPrintable(e.description()));
        }
    }
};

ZQ_TEST(TestRegistry)
#include "TestRegistry.moc"
