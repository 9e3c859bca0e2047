#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "UploadFixtures.h"
#include "declarations/UploadExport.h"

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
    UploadExport::Outcome run(std::optional<qint64> appId = 5)
    {
        return UploadExport(t.db(), prompter).run(appId);
    }
};

} // namespace

class TestUploadExport : public QObject {
    Q_OBJECT
private slots:
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
        QTest::newRow("character GBK lacks, in the declarer")
            << "update ApplT set DeclarePerson = '王𠀀'" << QStringList{"%1/x.csv"} << Status::Failed
            << QStringList{save, "表头“声明人”中的字符“𠀀”（U+"
                                 "20000）在GBK编码中不存在，不能写入上传文件。请修改申报表后再生成。"};
        QTest::newRow("comma in a name")
            << "update ApplTInfo set EmpName = '张,三' where RowId = 2" << QStringList{"%1/x.csv"}
            << Status::Failed
            << QStringList{
                   save,
                   "第2行“姓名”的内容含有逗号或换行，会打乱上传文件的列，不能写入。请修改申报表后再生成。"};
        QTest::newRow("line break in the phone")
            << "update ApplT set Phone = '010' || char(10) || '8888'" << QStringList{"%1/x.csv"}
            << Status::Failed
            << QStringList{save, "表头“有效联系电话”的内容含有逗号或换行，会打乱上传文件的列，不能写入。请修"
                                 "改申报表后再生成。"};
        QTest::newRow("fraction in a detail amount")
            << "update ApplTInfo set TaxRadio = 20.5 where RowId = 2" << QStringList{"%1/x.csv"}
            << Status::Failed
            << QStringList{save, "第2行“税率(％)”的值“20.5”不是有效的金额，不能写入上传文件。"};
        QTest::newRow("unencodable character over an old file")
            << "update ApplTInfo set EmpName = '李䶮' where RowId = 2" << QStringList{"%1/plain.txt", "Yes"}
            << Status::Failed
            << QStringList{save, exists,
                           "第2行“姓名”中的字符“䶮”（U+"
                           "4DAE）在GBK编码中不存在，不能写入上传文件。请修改申报表后再生成。"};
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
        QTest::addColumn<QString>("message"); // %1 is the target
        QTest::newRow("file size limit of the process") << "limit"
                                                        << "不能写入上传文件“%1”：";
        QTest::newRow("full disk") << "full"
                                   << "不能写入上传文件“%1”：";
        QTest::newRow("read-only folder") << "read-only"
                                          << "不能创建上传文件“%1”：";
    }
    void faultyWrite()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
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
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = fault == "limit" ? 600 : old.rlim_cur;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const auto outcome = f.run();
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(outcome.status, Status::Failed);
        QCOMPARE(f.prompter.records().size(), 3);
        QVERIFY2(f.prompter.last().text.startsWith(message.arg(target)), qPrintable(f.prompter.last().text));
        QCOMPARE(readFile(target), exportedFile());
        QCOMPARE(f.entries(), entries);
        QCOMPARE(f.uploadResult(), QVariant("previous.csv"));
    }
};

ZQ_TEST(TestUploadExport)
#include "TestUploadExport.moc"
