#include "DeclarationFixtures.h"
#include "UploadFixtures.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace zq;
using namespace zq::test;

// zqsaltax-cli export, list, summary, statement, check and demo, run as the user runs them.
class TestUploadCli : public QObject {
    Q_OBJECT

private slots:
    void run_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<bool>("written"); // the file a.csv and the stored path of declaration 5
        // %B is the database, %D the folder the command runs in; a.csv there holds "old" unless "fresh" is in
        // the row's name. For "check" declaration 1 passes, 2 has a refused book number and a warning, 3 only
        // the warning.
        const QStringList exportA{"export", "--db", "%B", "--app", "5", "--out", "%D/a.csv"};
        QTest::newRow("export, fresh: writes, stores and prints the path, made absolute")
            << QStringList{"export", "--app", "5", "--out", "a.csv", "--db", "%B"} << 0 << "%D/a.csv\n"
            << "" << true;
        QTest::newRow("export refuses an existing file")
            << exportA << 1 << ""
            << "%D/a.csv already exists; use --force to overwrite it.\n"
            << false;
        QTest::newRow("export --force overwrites") << exportA + QStringList{"--force"} << 0 << "%D/a.csv\n"
                                                   << "" << true;
        QTest::newRow("export, fresh: no such declaration")
            << QStringList{"export", "--db", "%B", "--app", "6", "--out", "%D/a.csv"} << 2 << ""
            << "cannot export declaration 6: 找不到这张申报表（编号 6），它可能已被删除。\n"
            << false;
        QTest::newRow("list: every declaration in AppID order")
            << QStringList{"list", "--db", "%B"} << 0
            << "5\t1\t2005-11\t2005-12-05\t1000.00\tA123\tprevious.csv\n"
               "9\t2\t2006-02\t2006-03-01\t-3.00\t\tC:\\报表\\it's.csv\n"
            << "" << false;
        QTest::newRow("summary counts what the database holds")
            << QStringList{"summary", "--db", "%B"} << 0
            << "database\t%B\nunits\t0\nemployees\t0\ndeclarations\t2\n"
            << "" << false;
        QTest::newRow("statement without a unit: the usage, nothing written")
            << QStringList{"statement", "--db", "%B", "--emp", "E1", "--year", "2005", "--out", "%D/s.csv"}
            << 2 << ""
            << "usage: zqsaltax-cli statement [--db PATH] --unit N --emp ID --year YYYY "
               "[--out FILE.pdf|FILE.csv] [--force]\n"
            << false;
        QTest::newRow("list: no such database") << QStringList{"list", "--db", "%D/none.db"} << 2 << ""
                                                << "cannot read %D/none.db: 找不到文件“%D/none.db”。\n"
                                                << false;
        const QString warning = "警告 第1行 身份证件号码：校验码“5”错误；应为：按前17位计算的校验码“0”\n";
        QTest::newRow("check passes") << QStringList{"check", "--db", "%B", "--app", "1"} << 0 << ""
                                      << "" << false;
        QTest::newRow("check: warnings do not fail")
            << QStringList{"check", "--db", "%B", "--app", "3", "--warnings"} << 0 << warning << "" << false;
        QTest::newRow("check: warnings first")
            << QStringList{"check", "--warnings", "--db", "%B", "--app", "2"} << 1
            << warning + "缴款书号中不能包含逗号\n"
            << "" << false;
        QTest::newRow("check: no such declaration")
            << QStringList{"check", "--db", "%B", "--app", "7"} << 2 << ""
            << "there is no declaration 7 in %B\n"
            << false;
    }
    void run()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, out);
        QFETCH(QString, err);
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
        if (name.startsWith("check")) {
            DeclarationStore store(t.db());
            store.save(validDocument(), 1, 1);
            DeclarationDocument doubtful = cleanDocument();
            doubtful.setCellText(0, ColIDCard, "110101198001010015");
            store.save(doubtful, 3, 1);
            doubtful.setHeader(HeaderField::BookNo, "BK,123456");
            store.save(doubtful, 2, 1);
        }
        const QString target = QDir(dir).filePath(QStringLiteral("a.csv"));
        const QByteArray before = name.contains("fresh") ? QByteArray() : QByteArray("old");
        QFile file(target);
        QVERIFY(before.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(before) == 3));
        file.close();
        const auto fill = [&](QString s) { return s.replace("%B", t.path()).replace("%D", dir); };
        for (QString& a : args)
            a = fill(a);

        const CommandRun run = runCommandLine(args, dir);
        QCOMPARE(run.out, fill(out));
        QCOMPARE(run.err, fill(err));
        QTEST(run.code, "code");
        QCOMPARE(t.db().scalar("select UploadResult from ApplT where AppID = 5").toString(),
                 written ? target : QStringLiteral("previous.csv"));
        QCOMPARE(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(),
                 written ? exportedFile() : before);
    }

    // A demo month, from the payroll package to the upload file: what it stores and writes never goes through
    // the system's language (German: a decimal comma and day-first dates).
    void demoInEveryLanguage()
    {
        QString plain; // what the C language gives
        for (const QString language : {"C.UTF-8", "de_DE.UTF-8"}) {
            QTemporaryDir dir;
            const QString db = dir.filePath("ZqSalTax.db");
            QCOMPARE(runCommandLine({"init-db", "--demo", db}, {}, language).code, 0);
            const CommandRun demo = runCommandLine({"demo", "--db", db}, {}, language);
            const CommandRun list = runCommandLine({"list", "--db", db}, {}, language);
            QVERIFY2(demo.out.contains("declaration\t1\t2012-01"), qPrintable(demo.out + demo.err));
            QCOMPARE(QList<int>({demo.code, list.code}), QList<int>({0, 0}));
            QFile file(dir.filePath("demo-2012-01.CSV"));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            QVERIFY(bytes.count("\r\n") > 16); // 15 header lines and the detail rows
            QString stored = demo.out + demo.err + list.out + list.err + QString::fromLatin1(bytes.toHex());
            stored.replace(dir.path(), "%D"); // the upload file's path, listed
            if (plain.isEmpty())
                plain = stored;
            QCOMPARE(stored, plain);
        }
    }
};

ZQ_TEST(TestUploadCli)
#include "TestUploadCli.moc"
