#include "TestSupport.h"
#include "UploadFixtures.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

using namespace zq;
using namespace zq::test;

// zqsaltax-cli export and list, run as the user runs them.
class TestUploadCli : public QObject {
    Q_OBJECT

private slots:
    void run_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>(
            "printed");                    // standard output on success, else standard error; the other empty
        QTest::addColumn<bool>("written"); // the file a.csv and the stored path of declaration 5
        // %B is the database, %D the folder the command runs in; a.csv there holds "old" unless "fresh" is in
        // the row's name.
        const QStringList exportA{"export", "--db", "%B", "--app", "5", "--out", "%D/a.csv"};
        QTest::newRow("export, fresh: writes, stores and prints the path, made absolute")
            << QStringList{"export", "--app", "5", "--out", "a.csv", "--db", "%B"} << 0 << "%D/a.csv\n"
            << true;
        QTest::newRow("export refuses an existing file")
            << exportA << 1 << "%D/a.csv already exists; use --force to overwrite it.\n"
            << false;
        QTest::newRow("export --force overwrites") << exportA + QStringList{"--force"} << 0 << "%D/a.csv\n"
                                                   << true;
        QTest::newRow("export, fresh: no such declaration")
            << QStringList{"export", "--db", "%B", "--app", "6", "--out", "%D/a.csv"} << 2
            << "cannot export declaration 6: 找不到这张申报表（编号 6），它可能已被删除。\n"
            << false;

        const QString nine = QStringLiteral("9\t2\t2006-02\t2006-03-01\t-3.00\t\tC:\\报表\\it's.csv\n");
        QTest::newRow("list: every declaration in AppID order")
            << QStringList{"list", "--db", "%B"} << 0
            << "5\t1\t2005-11\t2005-12-05\t1000.00\tA123\tprevious.csv\n" + nine << false;
        QTest::newRow("summary counts what the database holds")
            << QStringList{"summary", "--db", "%B"} << 0
            << "database\t%B\nunits\t0\nemployees\t0\ndeclarations\t2\n"
            << false;
        QTest::newRow("statement without a unit: the usage, nothing written")
            << QStringList{"statement", "--db", "%B", "--emp", "E1", "--year", "2005", "--out", "%D/s.csv"}
            << 2
            << "usage: zqsaltax-cli statement [--db PATH] --unit N --emp ID --year YYYY "
               "[--out FILE.pdf|FILE.csv] [--force]\n"
            << false;
        QTest::newRow("list: no such database") << QStringList{"list", "--db", "%D/none.db"} << 2
                                                << "cannot read %D/none.db: 找不到文件“%D/none.db”。\n"
                                                << false;
    }
    void run()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, printed);
        QFETCH(bool, written);
        const QString name = QString::fromUtf8(QTest::currentDataTag());

        TempTaxDatabase t;
        const QString dir = QDir(t.dir()).filePath(QStringLiteral("work"));
        QVERIFY(QDir().mkpath(dir));
        storeExported(t.db());
        QVariantMap other = standardHeader();
        other.insert(
            columns({"UnitID", "Month", "ApplyDate", "FactTax", "BookNo", "UploadResult"},
                    {2, "2006-02-01", "2006-03-01", amount("-3"), QVariant(), "C:\\报表\\it's.csv"}));
        storeDeclaration(t.db(), 9, other);
        const QString target = QDir(dir).filePath(QStringLiteral("a.csv"));
        const QByteArray before = name.contains("fresh") ? QByteArray() : QByteArray("old");
        QFile file(target);
        QVERIFY(before.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(before) == 3));
        file.close();
        const auto fill = [&](QString s) { return s.replace("%B", t.path()).replace("%D", dir); };
        for (QString& a : args)
            a = fill(a);

        QProcess p;
        p.setWorkingDirectory(dir);
        p.start(QStringLiteral(ZQ_BIN_DIR "/zqsaltax-cli"), args);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(QString::fromUtf8(p.readAllStandardError()), code ? fill(printed) : QString());
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), code ? QString() : fill(printed));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), code);
        QCOMPARE(t.db().scalar("select UploadResult from ApplT where AppID = 5").toString(),
                 written ? target : QStringLiteral("previous.csv"));
        QCOMPARE(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(),
                 written ? exportedFile() : before);
    }
};

ZQ_TEST(TestUploadCli)
#include "TestUploadCli.moc"
