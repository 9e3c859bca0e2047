#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "UploadFixtures.h"
#include "declarations/UploadExport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>

using namespace zq;
using namespace zq::test;
using Answer = Prompter::Answer;
using Status = UploadExport::Status;

Q_DECLARE_METATYPE(zq::UploadExport::Status)
Q_DECLARE_METATYPE(zq::Prompter::Answer)

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// The declaration every test exports: AppID 5 with two rows, exported once before to "previous.csv".
struct Fixture {
    TempTaxDatabase t;
    ScriptedPrompter prompter;
    QString dir;
    Fixture()
    {
        dir = QDir(t.dir()).filePath(QStringLiteral("out"));
        QDir().mkpath(dir);
        QVariantMap h = standardHeader();
        h["UploadResult"] = QStringLiteral("previous.csv");
        storeDeclaration(
            t.db(), 5, h,
            {detailRow(1, "110101198001011234", QStringLiteral("张三"), "5000", "3400", "20", "555"),
             detailRow(2, "11010119900202002X", QStringLiteral("李四"), "6000", "4400", "20", "755")});
    }
    QString path(const QString& name) const { return QDir(dir).filePath(name); }
    QVariant uploadResult()
    {
        return t.db().scalar(QStringLiteral("select UploadResult from ApplT where AppID = 5"));
    }
    QByteArray expectedBytes()
    {
        QByteArray bytes;
        const auto problem = UploadFileWriter(t.db()).build(5, bytes);
        return problem ? QByteArray() : bytes;
    }
    UploadExport::Outcome run() { return UploadExport(t.db(), prompter).run(5); }
};

void verifyRecord(const ScriptedPrompter::Record& r, const QString& title, const QString& text,
                  Prompter::Icon icon, Prompter::Buttons buttons)
{
    QCOMPARE(r.kind, QStringLiteral("message"));
    QCOMPARE(r.title, title);
    QCOMPARE(r.text, text);
    QCOMPARE(r.icon, icon);
    QCOMPARE(r.buttons, buttons);
}

// A small tmpfs mounted over a folder for the life of the object (needs root; mounted() tells).
class ScratchMount {
public:
    ScratchMount(const QString& folder, const char* options) : m_folder(QFile::encodeName(folder))
    {
        m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, options) == 0;
    }
    ~ScratchMount()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    bool remountReadOnly()
    {
        return ::mount(nullptr, m_folder.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};

} // namespace

class TestUploadExport : public QObject {
    Q_OBJECT
private slots:
    void noRowSelected()
    {
        Fixture f;
        const auto outcome = UploadExport(f.t.db(), f.prompter).run(std::nullopt);
        QCOMPARE(outcome.status, Status::NoSelection);
        QCOMPARE(f.prompter.records().size(), 1);
        verifyRecord(f.prompter.last(), "提示信息", "请选择申报表！", Prompter::Icon::None,
                     Prompter::Buttons::Ok);
    }

    void cancelledDialog_data()
    {
        QTest::addColumn<QVariant>("bookNo");
        QTest::addColumn<QVariant>("month");
        QTest::addColumn<QString>("proposed");
        QTest::addColumn<QVariant>("answer");
        QTest::newRow("blank-padded book number, dialog closed")
            << QVariant("  A123  ") << QVariant("2005-11-01") << "A123.CSV" << QVariant();
        QTest::newRow("no book number: the month, empty name")
            << QVariant() << QVariant("2005-11-01") << "2005-11-01.CSV" << QVariant(QString(""));
        QTest::newRow("blank book number, proposal returned unchanged")
            << QVariant("   ") << QVariant("2006-01-01") << "2006-01-01.CSV" << QVariant("2006-01-01.CSV");
        QTest::newRow("folder separators never reach the proposal")
            << QVariant("12/34:56") << QVariant("2005-11-01") << "12_34_56.CSV" << QVariant();
    }
    void cancelledDialog()
    {
        QFETCH(QVariant, bookNo);
        QFETCH(QVariant, month);
        QFETCH(QString, proposed);
        QFETCH(QVariant, answer);
        Fixture f;
        execOrFail(f.t.db(), QStringLiteral("update ApplT set BookNo = ?, Month = ? where AppID = 5"),
                   {bookNo, month});
        f.prompter.queueText(answer.isNull() ? std::nullopt : std::optional<QString>(answer.toString()));
        const auto outcome = f.run();
        QCOMPARE(outcome.status, Status::Cancelled);
        QCOMPARE(f.prompter.records().size(), 1);
        const auto& r = f.prompter.last();
        QCOMPARE(r.kind, QStringLiteral("save"));
        QCOMPARE(r.title, QStringLiteral("生成上传文件"));
        QCOMPARE(r.defaultText, proposed);
        QCOMPARE(r.filter, QStringLiteral("CSV文件(逗号分割) (*.csv)"));
        QCOMPARE(QDir(f.dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
        QCOMPARE(f.uploadResult(), QVariant("previous.csv"));
    }

    // The declaration's identity numbers and taxes give warnings; they are shown before the file dialog and
    // only No stops the export.
    void warningsBeforeTheFileDialog_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("status");
        QTest::newRow("go on") << int(Prompter::Answer::Yes) << int(Status::Written);
        QTest::newRow("stop") << int(Prompter::Answer::No) << int(Status::Cancelled);
    }
    void warningsBeforeTheFileDialog()
    {
        QFETCH(int, answer);
        QFETCH(int, status);
        Fixture f;
        f.prompter.setWarningAnswer(Prompter::Answer(answer));
        f.prompter.queueText(f.path("A.CSV"));
        QCOMPARE(int(f.run().status), status);
        QCOMPARE(f.prompter.warningActions(), QStringList{"生成上传文件"});
        QVERIFY(!f.prompter.warningsShown().first().isEmpty());
        const bool written = status == int(Status::Written);
        QCOMPARE(f.prompter.records().size(), written ? 2 : 0); // the file dialog and "生成成功！"
        QCOMPARE(QFileInfo::exists(f.path("A.CSV")), written);
    }

    void writesAndStoresThePath_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain name") << "A123.CSV";
        QTest::newRow("single quote and Chinese in the path") << "王's 申报'.csv";
    }
    void writesAndStoresThePath()
    {
        QFETCH(QString, name);
        Fixture f;
        const QString target = f.path(name);
        f.prompter.queueText(target);
        const auto outcome = f.run();
        QCOMPARE(outcome.status, Status::Written);
        QCOMPARE(outcome.path, QDir::toNativeSeparators(target));
        QCOMPARE(f.prompter.records().size(), 2);
        verifyRecord(f.prompter.last(), "提示信息", "生成成功！", Prompter::Icon::None,
                     Prompter::Buttons::Ok);
        QCOMPARE(readFile(target), f.expectedBytes());
        QVERIFY(readFile(target).size() > 1000);
        QCOMPARE(f.uploadResult(), QVariant(outcome.path));
        QCOMPARE(f.prompter.unexpected(), 0);
    }

    void existingFile_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<Status>("status");
        QTest::newRow("No keeps the file") << Answer::No << Status::Declined;
        QTest::newRow("Yes replaces it") << Answer::Yes << Status::Written;
    }
    void existingFile()
    {
        QFETCH(Answer, answer);
        QFETCH(Status, status);
        Fixture f;
        const QString target = f.path(QStringLiteral("A123.CSV"));
        writeFile(target, "old");
        f.prompter.queueText(target);
        f.prompter.queue(answer);
        const auto outcome = f.run();
        QCOMPARE(outcome.status, status);
        QCOMPARE(f.prompter.records().size(), status == Status::Written ? 3 : 2);
        verifyRecord(f.prompter.records()[1], "提示信息", "文件已存在是否覆盖？", Prompter::Icon::Question,
                     Prompter::Buttons::YesNo);
        if (status == Status::Written) {
            QCOMPARE(f.prompter.last().text, QStringLiteral("生成成功！"));
            QCOMPARE(readFile(target), f.expectedBytes());
            QCOMPARE(f.uploadResult(), QVariant(QDir::toNativeSeparators(target)));
        } else {
            QCOMPARE(readFile(target), QByteArray("old"));
            QCOMPARE(f.uploadResult(), QVariant("previous.csv"));
        }
    }

    void secondExportKeepsTheNewestPath()
    {
        Fixture f;
        f.prompter.queueText(f.path("first.csv"));
        f.prompter.queueText(f.path("second.csv"));
        QCOMPARE(f.run().status, Status::Written);
        QCOMPARE(f.run().status, Status::Written);
        QCOMPARE(f.uploadResult(), QVariant(QDir::toNativeSeparators(f.path("second.csv"))));
        QCOMPARE(readFile(f.path("first.csv")), readFile(f.path("second.csv")));
    }

    void failure_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message");
        // %1 is the output folder.
        QTest::newRow("missing folder") << "%1/missing/x.csv"
                                        << "文件夹“%1/missing”不存在，上传文件没有生成。";
        QTest::newRow("parent is a file (no rights to make it a folder)")
            << "%1/plain.txt/x.csv"
            << "“%1/plain.txt”不是文件夹，上传文件没有生成。";
        QTest::newRow("target is a folder") << "%1/sub"
                                            << "“%1/sub”是一个文件夹，不能写成上传文件。";
        QTest::newRow("the own database") << "%B"
                                          << "“%B”是本系统的数据库文件，不能用作上传文件。";
        QTest::newRow("unencodable character")
            << "%1/x.csv"
            << "第2行“姓名”中的字符“😀”（U+1F600）在GBK编码中不存在，不能写入上传文件。请修改申报表后再生成。";
        // Refused characters that GBK lacks leave the old file at the chosen name as it was.
        QTest::newRow("Extension A surname over an old file")
            << "%1/plain.txt"
            << "第2行“姓名”中的字符“䶮”（U+4DAE）在GBK编码中不存在，不能写入上传文件。请修改申报表后再生成。";
        QTest::newRow("Korean name over an old file")
            << "%1/plain.txt"
            << "第2行“姓名”中的字符“김”（U+AE40）在GBK编码中不存在，不能写入上传文件。请修改申报表后再生成。";
        QTest::newRow("wave dash over an old file")
            << "%1/plain.txt"
            << "第2行“姓名”中的字符“〜”（U+301C）在GBK编码中不存在，不能写入上传文件。请修改申报表后再生成。";
    }
    void failure()
    {
        QFETCH(QString, target);
        QFETCH(QString, message);
        Fixture f;
        writeFile(f.path("plain.txt"), "plain");
        QDir(f.dir).mkdir("sub");
        const auto refused = QRegularExpression(QStringLiteral("字符“(.+)”（U\\+")).match(message);
        if (refused.hasMatch())
            execOrFail(f.t.db(), QStringLiteral("update ApplTInfo set EmpName = ? where RowId = 2"),
                       {QStringLiteral("李") + refused.captured(1)});
        const QString before = QDir(f.dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).join(u'|');
        target.replace(QStringLiteral("%1"), f.dir).replace(QStringLiteral("%B"), f.t.path());
        message.replace(QStringLiteral("%1"), f.dir).replace(QStringLiteral("%B"), f.t.path());
        const QByteArray database = readFile(f.t.path());
        f.prompter.queueText(target);
        const bool exists = QFileInfo(target).isFile();
        if (exists)
            f.prompter.queue(Answer::Yes); // overwrite it
        const auto outcome = f.run();
        QCOMPARE(outcome.status, Status::Failed);
        QCOMPARE(f.prompter.records().size(), exists ? 3 : 2);
        verifyRecord(f.prompter.last(), "提示信息", message, Prompter::Icon::Exclamation,
                     Prompter::Buttons::Ok);
        QCOMPARE(QDir(f.dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).join(u'|'), before);
        QCOMPARE(readFile(f.path("plain.txt")), QByteArray("plain"));
        QCOMPARE(readFile(f.t.path()), database);
        QCOMPARE(f.uploadResult(), QVariant("previous.csv"));
    }

    void failedWriteKeepsThePreviousFile()
    {
        // A write that fails half-way (here: the file size limit of the process) replaces nothing.
        Fixture f;
        const QString target = f.path("A123.CSV");
        f.prompter.queueText(target);
        QCOMPARE(f.run().status, Status::Written);
        const QByteArray previous = readFile(target);
        execOrFail(f.t.db(), QStringLiteral("update ApplT set UploadResult = 'previous.csv', FactTax = 1"));
        f.prompter.clear();
        f.prompter.queueText(target);
        f.prompter.queue(Answer::Yes);

        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 600;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const auto outcome = f.run();
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(outcome.status, Status::Failed);
        QCOMPARE(f.prompter.records().size(), 3);
        const auto& r = f.prompter.last();
        QVERIFY2(r.text.startsWith(QStringLiteral("不能写入上传文件“%1”：").arg(target)), qPrintable(r.text));
        QCOMPARE(r.icon, Prompter::Icon::Exclamation);
        QCOMPARE(readFile(target), previous);
        QCOMPARE(QDir(f.dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"A123.CSV"});
        QCOMPARE(f.uploadResult(), QVariant("previous.csv"));
    }

    // A real file system that is full or read-only under the previous upload file: the export fails with one
    // message, the previous file stays as it was and the declaration keeps its stored path.
    void faultyFileSystem_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("message"); // %1 is the target
        QTest::newRow("full disk") << false << "不能写入上传文件“%1”：";
        QTest::newRow("read-only folder") << true << "不能创建上传文件“%1”：";
    }
    void faultyFileSystem()
    {
        QFETCH(bool, readOnly);
        QFETCH(QString, message);
        Fixture f;
        ScratchMount scratch(f.dir, "size=64k");
        if (!scratch.mounted())
            QSKIP("mounting a tmpfs needs root; failedWriteKeepsThePreviousFile covers a write cut short");
        const QString target = f.path("A123.CSV");
        f.prompter.queueText(target);
        QCOMPARE(f.run().status, Status::Written);
        const QByteArray previous = readFile(target);
        if (readOnly) {
            QVERIFY(scratch.remountReadOnly());
        } else {
            // Fill the file system to the last byte.
            QFile filler(f.path("filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            const QByteArray block(4096, 'x');
            while (filler.write(block) > 0) {
            }
            filler.close();
        }
        const QStringList entries = QDir(f.dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
        execOrFail(f.t.db(), QStringLiteral("update ApplT set UploadResult = 'previous.csv', FactTax = 1"));
        f.prompter.clear();
        f.prompter.queueText(target);
        f.prompter.queue(Answer::Yes);

        const auto outcome = f.run();
        QCOMPARE(outcome.status, Status::Failed);
        QCOMPARE(f.prompter.records().size(), 3);
        const auto& r = f.prompter.last();
        QVERIFY2(r.text.startsWith(message.arg(target)), qPrintable(r.text));
        QCOMPARE(r.icon, Prompter::Icon::Exclamation);
        QCOMPARE(readFile(target), previous);
        QCOMPARE(QDir(f.dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), entries);
        QCOMPARE(f.uploadResult(), QVariant("previous.csv"));
    }

    void deletedDeclaration()
    {
        Fixture f;
        const auto outcome = UploadExport(f.t.db(), f.prompter).run(6);
        QCOMPARE(outcome.status, Status::Failed);
        QCOMPARE(f.prompter.records().size(), 1);
        verifyRecord(f.prompter.last(), "提示信息", "找不到这张申报表（编号 6），它可能已被删除。",
                     Prompter::Icon::Exclamation, Prompter::Buttons::Ok);
    }
};

ZQ_TEST(TestUploadExport)
#include "TestUploadExport.moc"
