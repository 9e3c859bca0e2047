#include "TestSupport.h"
#include "UploadFixtures.h"
#include "declarations/UploadFileWriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

using namespace zq;
using namespace zq::test;

// zqsaltax-cli export and list, run as the user runs them.
class TestUploadCli : public QObject {
    Q_OBJECT

    struct Run {
        int code = -1;
        QString out;
        QString err;
    };
    static Run cli(const QStringList& args, const QString& workDir)
    {
        QProcess p;
        p.setWorkingDirectory(workDir);
        p.start(QStringLiteral(ZQ_BIN_DIR "/zqsaltax-cli"), args);
        if (!p.waitForFinished(60000))
            return {};
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }
    static QByteArray readFile(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
    }

private slots:
    void run_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QString>("uploadResult"); // of declaration 5 afterwards
        QTest::addColumn<QString>("file"); // "written", "old" or "absent": what %D/a.csv holds afterwards
        // %B is the database, %D the folder the command runs in; a.csv there holds "old" unless "fresh" is in
        // the row's name.
        const QString unchanged = QStringLiteral("previous.csv");

        QTest::newRow("export, fresh: writes, stores and prints the path")
            << QStringList{"export", "--db", "%B", "--app", "5", "--out", "%D/a.csv"} << 0 << "%D/a.csv\n"
            << ""
            << "%D/a.csv"
            << "written";
        QTest::newRow("export, fresh: a relative file becomes absolute")
            << QStringList{"export", "--app", "5", "--out", "a.csv", "--db", "%B"} << 0 << "%D/a.csv\n"
            << ""
            << "%D/a.csv"
            << "written";
        QTest::newRow("export refuses an existing file")
            << QStringList{"export", "--db", "%B", "--app", "5", "--out", "%D/a.csv"} << 1 << ""
            << "%D/a.csv already exists; use --force to overwrite it.\n"
            << unchanged << "old";
        QTest::newRow("export --force overwrites")
            << QStringList{"export", "--db", "%B", "--app", "5", "--out", "%D/a.csv", "--force"} << 0
            << "%D/a.csv\n"
            << ""
            << "%D/a.csv"
            << "written";
        QTest::newRow("export, fresh: no such declaration")
            << QStringList{"export", "--db", "%B", "--app", "6", "--out", "%D/a.csv"} << 2 << ""
            << "cannot export declaration 6: 找不到这张申报表（编号 6），它可能已被删除。\n"
            << unchanged << "absent";
        QTest::newRow("export, fresh: no such database")
            << QStringList{"export", "--db", "%D/none.db", "--app", "5", "--out", "%D/a.csv"} << 2 << ""
            << "cannot open %D/none.db: 找不到文件“%D/none.db”。\n"
            << unchanged << "absent";
        QTest::newRow("export: folder missing")
            << QStringList{"export", "--db", "%B", "--app", "5", "--out", "%D/missing/a.csv"} << 2 << ""
            << "cannot export declaration 5: 文件夹“%D/missing”不存在，上传文件没有生成。\n"
            << unchanged << "old";
        QTest::newRow("export: the file is a folder, even with --force")
            << QStringList{"export", "--db", "%B", "--app", "5", "--out", "%D", "--force"} << 2 << ""
            << "cannot export declaration 5: “%D”是一个文件夹，不能写成上传文件。\n"
            << unchanged << "old";
        QTest::newRow("export, fresh, emoji: unencodable character")
            << QStringList{"export", "--db", "%B", "--app", "5", "--out", "%D/a.csv"} << 2 << ""
            << "cannot export declaration 5: "
               "第2行“姓名”中的字符“😀”（U+1F600）在GBK编码中不存在，不能写入上传文件。"
               "请修改申报表后再生成。\n"
            << unchanged << "absent";
        QTest::newRow("export: --app is not a number")
            << QStringList{"export", "--db", "%B", "--app", "x5", "--out", "%D/a.csv"} << 2 << ""
            << "--app needs a declaration number, not \"x5\"\n"
            << unchanged << "old";
        QTest::newRow("export: --out missing")
            << QStringList{"export", "--db", "%B", "--app", "5"} << 2 << ""
            << "usage: zqsaltax-cli export [--db PATH] --app N --out FILE [--force]\n"
            << unchanged << "old";
        QTest::newRow("export: unknown option")
            << QStringList{"export", "--db", "%B", "--app", "5", "--out", "%D/a.csv", "--quiet"} << 2 << ""
            << "unknown option --quiet\n"
            << unchanged << "old";

        QTest::newRow("list: every declaration in AppID order")
            << QStringList{"list", "--db", "%B"} << 0
            << "5\t1\t2005-11\t2005-12-05\t1000.00\tA123\tprevious.csv\n"
               "9\t2\t2006-02\t2006-03-01\t-3.00\t\tC:\\报表\\it's.csv\n"
            << "" << unchanged << "old";
        QTest::newRow("list --unit") << QStringList{"list", "--unit", "2", "--db", "%B"} << 0
                                     << "9\t2\t2006-02\t2006-03-01\t-3.00\t\tC:\\报表\\it's.csv\n"
                                     << "" << unchanged << "old";
        QTest::newRow("list: a unit without declarations")
            << QStringList{"list", "--unit", "7", "--db", "%B"} << 0 << ""
            << "" << unchanged << "old";
        QTest::newRow("list: --unit is not a number")
            << QStringList{"list", "--unit", "two", "--db", "%B"} << 2 << ""
            << "--unit needs a unit number, not \"two\"\n"
            << unchanged << "old";
        QTest::newRow("list: no such database") << QStringList{"list", "--db", "%D/none.db"} << 2 << ""
                                                << "cannot read %D/none.db: 找不到文件“%D/none.db”。\n"
                                                << unchanged << "old";
    }
    void run()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QString, uploadResult);
        QFETCH(QString, file);
        const QString name = QString::fromUtf8(QTest::currentDataTag());

        TempTaxDatabase t;
        const QString dir = QDir(t.dir()).filePath(QStringLiteral("work"));
        QVERIFY(QDir().mkpath(dir));
        QVariantMap h = standardHeader();
        h["UploadResult"] = QStringLiteral("previous.csv");
        storeDeclaration(
            t.db(), 5, h,
            {detailRow(1, "110101198001011234", QStringLiteral("张三"), "5000", "3400", "20", "555"),
             detailRow(2, "11010119900202002X", QStringLiteral("李四"), "6000", "4400", "20", "755")});
        QVariantMap other = standardHeader();
        for (const auto& [k, v] : std::initializer_list<std::pair<const char*, QVariant>>{
                 {"UnitID", 2},
                 {"Month", "2006-02-01"},
                 {"ApplyDate", "2006-03-01"},
                 {"FactTax", amount("-3")},
                 {"BookNo", QVariant()},
                 {"UploadResult", QStringLiteral("C:\\报表\\it's.csv")}})
            other[k] = v;
        storeDeclaration(t.db(), 9, other);
        if (name.contains(QStringLiteral("emoji")))
            execOrFail(t.db(), QStringLiteral("update ApplTInfo set EmpName = '李😀' where RowId = 2"));
        const QString target = QDir(dir).filePath(QStringLiteral("a.csv"));
        if (!name.contains(QStringLiteral("fresh"))) {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("old");
        }
        const auto fill = [&](QString s) {
            return s.replace(QStringLiteral("%B"), t.path()).replace(QStringLiteral("%D"), dir);
        };
        for (QString& a : args)
            a = fill(a);

        const Run r = cli(args, dir);
        QCOMPARE(r.err, fill(err));
        QCOMPARE(r.out, fill(out));
        QCOMPARE(r.code, code);
        QCOMPARE(t.db().scalar(QStringLiteral("select UploadResult from ApplT where AppID = 5")).toString(),
                 fill(uploadResult));
        if (file == u"written") {
            QByteArray expected;
            QVERIFY(!UploadFileWriter(t.db()).build(5, expected));
            QCOMPARE(readFile(target), expected);
        } else {
            QCOMPARE(readFile(target), file == u"old" ? QByteArray("old") : QByteArray("<absent>"));
        }
    }
};

ZQ_TEST(TestUploadCli)
#include "TestUploadCli.moc"
