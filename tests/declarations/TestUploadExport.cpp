#include "ScriptedPrompter.h"
#include "UploadFixtures.h"
#include "declarations/UploadExport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTest>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>

using namespace zq;
using namespace zq::test;
using Answer = Prompter::Answer;
using Status = UploadExport::Status;

Q_DECLARE_METATYPE(zq::UploadExport::Status)
using DetailRows = QList<QVariantMap>;
Q_DECLARE_METATYPE(DetailRows)

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The declaration of storeExported, exported into the folder "out" that holds a file plain.txt.
struct Fixture {
    TempTaxDatabase t;
    ScriptedPrompter prompter;
    QString dir = QDir(t.dir()).filePath(QStringLiteral("out"));
    Fixture()
    {
        QDir().mkpath(dir);
        QFile plain(path("plain.txt"));
        QVERIFY(plain.open(QIODevice::WriteOnly) && plain.write("plain") == 5);
        storeExported(t.db());
    }
    QString path(const QString& name) const { return QDir(dir).filePath(name); }
    QStringList entries() const { return QDir(dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries); }
    QVariant uploadResult() { return t.db().scalar("select UploadResult from ApplT where AppID = 5"); }
    UploadExport::Outcome run(std::optional<qint64> id = 5) { return UploadExport(t.db(), prompter).run(id); }
};

} // namespace

class TestUploadExport : public QObject {
    Q_OBJECT
private slots:
    // The upload file's bytes, compared with literal text: GBK, 13 cells a line, CR LF after each line.
    void wholeFile_data()
    {
        QTest::addColumn<QVariantMap>("header");
        QTest::addColumn<DetailRows>("rows");
        QTest::addColumn<QStringList>("expected");

        const QVariantMap header = standardHeader();
        const QStringList lines = standardHeaderLines();
        QTest::newRow("no detail rows: exactly the 15 header lines") << header << DetailRows{} << lines;
        {
            // Rows stored out of order come in RowId order, texts unchanged. Names go through a table of
            // characters already encoded; what it cannot serve takes the slow path.
            DetailRows rows;
            QStringList l = lines;
            const QStringList names{"阿依古丽·买买提", "Lü Wei", "€", "阿依古丽·买买提", " 欧阳 娜娜"};
            for (int i = 0; i < names.size(); ++i) {
                rows.prepend(
                    detailRow(i + 1, " 11010119900202002X ", names[i], "12345.6", "8345.6", "25", "1261.4"));
                l << QStringLiteral(
                         "%1, 11010119900202002X ,%2,001,0200,01,12345.60,8345.60,25.00,0.00,0.00,1261.40,")
                         .arg(QString::number(i + 1), names[i]);
            }
            QTest::newRow("non-ASCII names, out of order, untrimmed") << header << rows << l;
        }
        {
            // Amounts negative, ungrouped and rounded half away from zero; texts other than BookNo keep their
            // blanks, a blank BookNo is empty; a count is a plain number.
            QVariantMap h = header;
            h.insert(columns(
                {"InComeM", "OweTax", "ReduTaxM", "BookNo", "DeclarePerson", "ComputerCode", "UnitMen"},
                {amount("-12345.6"), amount("0.125"), amount("-0.004"), "      ", " 王会计 ", " 0012345",
                 12345}));
            QVariantMap r = detailRow(1, "110101198001011234", QStringLiteral("张三"), "-3", "1234567.891",
                                      "3.005", "-0.125");
            r["ReduTax"] = amount("999999999999.995");
            QStringList l = lines;
            l[2].replace("1234567", " 0012345");
            l[4].replace("王会计", " 王会计 ");
            l[8].replace("数,,2,", "数,,12345,").replace("12345.60,,本期应", "-12345.60,,本期应");
            l[10].replace("-3.00", "0.13");
            l[11].replace("A123", "");
            l << QStringLiteral(
                "1,110101198001011234,张三,001,0200,01,-3.00,1234567.89,3.01,1000000000000.00,0.00,-0.13,");
            QTest::newRow("rounded, negative, ungrouped; texts untrimmed") << h << DetailRows{r} << l;
        }
        {
            // A null field is written as empty text, a null count or amount too.
            QVariantMap h = header;
            for (const char* c : {"ComputerCode", "Phone", "Month", "ApplyDate", "DeclarePerson", "UnitMen",
                                  "InComeM", "OutTaxM", "BookNo"})
                h[c] = QVariant();
            QVariantMap r =
                detailRow(1, "110101198001011234", QStringLiteral("张三"), "5000", "3400", "20", "555");
            for (const char* c : {"EmpName", "ProfCode", "TaxRadio", "TaxM1"})
                r[c] = QVariant();
            QStringList l = lines;
            for (const char* gone : {"1234567", "010-88886666", "2005-11", "2005-12-05", "王会计", "A123"})
                l.replaceInStrings(QString::fromUtf8(gone), "");
            l[8] = QStringLiteral("本期本单位总人数,,,,,全部人员收入总额,,,,本期应扣缴税额,,,");
            l << QStringLiteral("1,110101198001011234,,001,,01,5000.00,3400.00,,0.00,0.00,,");
            QTest::newRow("null fields are empty cells") << h << DetailRows{r} << l;
        }
    }
    void wholeFile()
    {
        QFETCH(QVariantMap, header);
        QFETCH(DetailRows, rows);
        QFETCH(QStringList, expected);
        Fixture f; // declaration 5, not this one
        storeDeclaration(f.t.db(), 7, header, rows);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        const auto problem = UploadFileWriter(f.t.db()).write(7, buffer);
        QVERIFY2(!problem, qPrintable(problem ? problem->message : QString()));
        QCOMPARE(buffer.data(), gbkFile(expected));
    }

    void run_data()
    {
        QTest::addColumn<QString>("setup");       // on the own database; "none": no declaration selected
        QTest::addColumn<QStringList>("answers"); // in order: Yes, No, "closed" or the file chosen
        QTest::addColumn<Status>("status");
        QTest::addColumn<QStringList>("shown"); // messages; "save NAME" for the file dialog proposing NAME
        // %1 is the output folder, %B the database.
        const QString save = QStringLiteral("save A123.CSV"), done = QStringLiteral("生成成功！");
        const QString exists = QStringLiteral("文件已存在是否覆盖？");
        QTest::newRow("no row selected")
            << "none" << QStringList() << Status::NoSelection << QStringList{"请选择申报表！"};
        QTest::newRow("blank-padded book number, dialog closed")
            << "" << QStringList{"closed"} << Status::Cancelled << QStringList{save};
        // The declaration's identity numbers and taxes give warnings before the file dialog; No stops.
        QTest::newRow("No at the warnings")
            << "" << QStringList{"warnings: No", "%1/A123.CSV"} << Status::Cancelled << QStringList();
        QTest::newRow("single quote and Chinese in the path")
            << "" << QStringList{"%1/王's 申报'.csv"} << Status::Written << QStringList{save, done};
        QTest::newRow("Yes replaces an old file")
            << "" << QStringList{"%1/plain.txt", "Yes"} << Status::Written << QStringList{save, exists, done};
        QTest::newRow("No keeps the old file")
            << "" << QStringList{"%1/plain.txt", "No"} << Status::Declined << QStringList{save, exists};
        QTest::newRow("missing folder") << "" << QStringList{"%1/missing/x.csv"} << Status::Failed
                                        << QStringList{save, "文件夹“%1/missing”不存在，上传文件没有生成。"};
        QTest::newRow("the own database")
            << "" << QStringList{"%B", "Yes"} << Status::Failed
            << QStringList{save, exists, "“%B”是本系统的数据库文件，不能用作上传文件。"};
        // What the file cannot hold: refused before a byte is written.
        const QString gbk = QStringLiteral("）在GBK编码中不存在，不能写入上传文件。请修改申报表后再生成。");
        const QString cut =
            QStringLiteral("的内容含有逗号或换行，会打乱上传文件的列，不能写入。请修改申报表后再生成。");
        QTest::newRow("character GBK lacks, in the declarer")
            << "update ApplT set DeclarePerson = '王𠀀'" << QStringList{"%1/x.csv"} << Status::Failed
            << QStringList{save, "表头“声明人”中的字符“𠀀”（U+20000" + gbk};
        QTest::newRow("comma in a name")
            << "update ApplTInfo set EmpName = '张,三' where RowId = 2" << QStringList{"%1/x.csv"}
            << Status::Failed << QStringList{save, "第2行“姓名”" + cut};
        QTest::newRow("line break in the phone")
            << "update ApplT set Phone = '010' || char(10) || '8888'" << QStringList{"%1/x.csv"}
            << Status::Failed << QStringList{save, "表头“有效联系电话”" + cut};
        QTest::newRow("fraction in a detail amount")
            << "update ApplTInfo set TaxRadio = 20.5 where RowId = 2" << QStringList{"%1/x.csv"}
            << Status::Failed
            << QStringList{save, "第2行“税率(％)”的值“20.5”不是有效的金额，不能写入上传文件。"};
        QTest::newRow("unencodable character over an old file")
            << "update ApplTInfo set EmpName = '李䶮' where RowId = 2" << QStringList{"%1/plain.txt", "Yes"}
            << Status::Failed << QStringList{save, exists, "第2行“姓名”中的字符“䶮”（U+4DAE" + gbk};
    }
    void run()
    {
        QFETCH(QString, setup);
        QFETCH(QStringList, answers);
        QFETCH(Status, status);
        QFETCH(QStringList, shown);
        Fixture f;
        const bool selected = setup != "none";
        if (selected && !setup.isEmpty())
            execOrFail(f.t.db(), setup);
        const QStringList before = f.entries();
        const QByteArray database = readFile(f.t.path());
        QString target;
        for (QString a : answers) {
            a.replace("%1", f.dir).replace("%B", f.t.path());
            if (a == "warnings: No")
                f.prompter.setWarningAnswer(Answer::No);
            else if (a == "Yes" || a == "No")
                f.prompter.queue(a == "Yes" ? Answer::Yes : Answer::No);
            else
                f.prompter.queueText(a == "closed" ? std::nullopt : std::optional<QString>(target = a));
        }
        const auto outcome = f.run(selected ? std::optional<qint64>(5) : std::nullopt);
        QCOMPARE(outcome.status, status);
        QStringList got;
        for (const auto& r : f.prompter.records())
            got << (r.kind == "save" ? "save " + r.defaultText : r.text);
        QCOMPARE(got, shown.replaceInStrings("%1", f.dir).replaceInStrings("%B", f.t.path()));
        QCOMPARE(f.prompter.warningActions(), selected ? QStringList{"生成上传文件"} : QStringList());
        const bool written = status == Status::Written;
        QCOMPARE(outcome.path, written ? QDir::toNativeSeparators(target) : QString());
        QCOMPARE(f.uploadResult(), written ? QVariant(outcome.path) : QVariant("previous.csv"));
        QCOMPARE(readFile(f.path("plain.txt")),
                 written && target.endsWith("plain.txt") ? exportedFile() : "plain");
        if (written)
            QCOMPARE(readFile(target), exportedFile());
        else
            QCOMPARE(f.entries(), before);
        QCOMPARE(readFile(f.t.path()), database);
        QCOMPARE(f.prompter.unexpected(), 0);
    }

    // A write that fails half-way, a full file system or a read-only one under the previous upload file: the
    // export fails with one message, the previous file stays as it was and the declaration keeps its path.
    void faultyWrite_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("file size limit of the process") << QString("limit");
        QTest::newRow("full disk") << QString("full");
        QTest::newRow("read-only folder") << QString("read-only");
    }
    void faultyWrite()
    {
        QFETCH(QString, fault);
        Fixture f;
        const QByteArray folder = QFile::encodeName(f.dir);
        if (fault != "limit" && ::mount("tmpfs", folder.constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("mounting a tmpfs needs root; the file size limit covers a write cut short");
        const auto unmount = qScopeGuard([&] {
            if (fault != "limit")
                ::umount2(folder.constData(), MNT_DETACH);
        });
        const QString target = f.path("A123.CSV");
        f.prompter.queueText(target);
        QCOMPARE(f.run().status, Status::Written);
        if (fault == "read-only") {
            QCOMPARE(::mount(nullptr, folder.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
        } else if (fault == "full") {
            QFile filler(f.path("filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            while (filler.write(QByteArray(4096, 'x')) > 0) {
            }
        }
        const QStringList entries = f.entries();
        execOrFail(f.t.db(), "update ApplT set UploadResult = 'previous.csv', FactTax = 1");
        f.prompter.clear();
        f.prompter.queueText(target);
        f.prompter.queue(Answer::Yes);

        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const rlimit small{fault == "limit" ? rlim_t(600) : old.rlim_cur, old.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const auto outcome = f.run();
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(outcome.status, Status::Failed);
        QCOMPARE(f.prompter.records().size(), 3);
        const QString message = fault == "read-only" ? "不能创建上传文件“%1”：" : "不能写入上传文件“%1”：";
        QVERIFY2(f.prompter.last().text.startsWith(message.arg(target)), qPrintable(f.prompter.last().text));
        QCOMPARE(readFile(target), exportedFile());
        QCOMPARE(f.entries(), entries);
        QCOMPARE(f.uploadResult(), QVariant("previous.csv"));
    }
};

ZQ_TEST(TestUploadExport)
#include "TestUploadExport.moc"
