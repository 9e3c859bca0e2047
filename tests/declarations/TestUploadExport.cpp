#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "UploadFixtures.h"
#include "declarations/UploadExport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>

using namespace zq;
using namespace zq::test;
using Answer = Prompter::Answer;
using Icon = Prompter::Icon;
using Status = UploadExport::Status;

Q_DECLARE_METATYPE(zq::UploadExport::Status)
Q_DECLARE_METATYPE(zq::Prompter::Answer)
Q_DECLARE_METATYPE(zq::Prompter::Icon)

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

// The declaration of storeExported, exported into the folder "out".
struct Fixture {
    TempTaxDatabase t;
    ScriptedPrompter prompter;
    QString dir = QDir(t.dir()).filePath(QStringLiteral("out"));
    Fixture()
    {
        QDir().mkpath(dir);
        storeExported(t.db());
    }
    QString path(const QString& name) const { return QDir(dir).filePath(name); }
    QStringList entries() const { return QDir(dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries); }
    QVariant uploadResult() { return t.db().scalar("select UploadResult from ApplT where AppID = 5"); }
    UploadExport::Outcome run(std::optional<qint64> appId = 5)
    {
        return UploadExport(t.db(), prompter).run(appId);
    }
    // The last message: its text, with the icon and the OK button of a notice.
    void verifyNotice(const QString& text, Icon icon)
    {
        QCOMPARE(prompter.last().kind, QStringLiteral("message"));
        QCOMPARE(prompter.last().title, QStringLiteral("提示信息"));
        QCOMPARE(prompter.last().text, text);
        QCOMPARE(prompter.last().icon, icon);
        QCOMPARE(prompter.last().buttons, Prompter::Buttons::Ok);
    }
};

// A small tmpfs mounted over a folder for the life of the object (needs root; mounted() tells).
class ScratchMount {
public:
    ScratchMount(const QString& folder) : m_folder(QFile::encodeName(folder))
    {
        m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, "size=64k") == 0;
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
    void refusedBeforeTheDialog_data()
    {
        QTest::addColumn<qint64>("appId"); // 0: no row selected
        QTest::addColumn<Status>("status");
        QTest::addColumn<QString>("message");
        QTest::addColumn<Icon>("icon");
        QTest::newRow("no row selected")
            << qint64(0) << Status::NoSelection << "请选择申报表！" << Icon::None;
        QTest::newRow("deleted declaration")
            << qint64(6) << Status::Failed << "找不到这张申报表（编号 6），它可能已被删除。"
            << Icon::Exclamation;
    }
    void refusedBeforeTheDialog()
    {
        QFETCH(qint64, appId);
        QFETCH(Status, status);
        QFETCH(QString, message);
        QFETCH(Icon, icon);
        Fixture f;
        QCOMPARE(f.run(appId ? std::optional<qint64>(appId) : std::nullopt).status, status);
        QCOMPARE(f.prompter.records().size(), 1);
        f.verifyNotice(message, icon);
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
        execOrFail(f.t.db(), "update ApplT set BookNo = ?, Month = ? where AppID = 5", {bookNo, month});
        f.prompter.queueText(answer.isNull() ? std::nullopt : std::optional<QString>(answer.toString()));
        QCOMPARE(f.run().status, Status::Cancelled);
        QCOMPARE(f.prompter.records().size(), 1);
        const auto& r = f.prompter.last();
        QCOMPARE(r.kind, QStringLiteral("save"));
        QCOMPARE(r.title, QStringLiteral("生成上传文件"));
        QCOMPARE(r.defaultText, proposed);
        QCOMPARE(r.filter, QStringLiteral("CSV文件(逗号分割) (*.csv)"));
        QCOMPARE(f.entries(), QStringList());
        QCOMPARE(f.uploadResult(), QVariant("previous.csv"));
    }

    // The declaration's identity numbers and taxes give warnings; they are shown before the file dialog and
    // only No stops the export.
    void warningsBeforeTheFileDialog_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::newRow("go on") << Answer::Yes;
        QTest::newRow("stop") << Answer::No;
    }
    void warningsBeforeTheFileDialog()
    {
        QFETCH(Answer, answer);
        Fixture f;
        f.prompter.setWarningAnswer(answer);
        f.prompter.queueText(f.path("A.CSV"));
        const bool written = answer == Answer::Yes;
        QCOMPARE(f.run().status, written ? Status::Written : Status::Cancelled);
        QCOMPARE(f.prompter.warningActions(), QStringList{"生成上传文件"});
        QVERIFY(!f.prompter.warningsShown().first().isEmpty());
        QCOMPARE(f.prompter.records().size(), written ? 2 : 0); // the file dialog and "生成成功！"
        QCOMPARE(QFileInfo::exists(f.path("A.CSV")), written);
    }

    void written_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("old");      // a file "old" is at the name before
        QTest::addColumn<Answer>("answer"); // to "文件已存在是否覆盖？"
        QTest::addColumn<Status>("status");
        QTest::newRow("plain name") << "A123.CSV" << false << Answer::Ok << Status::Written;
        QTest::newRow("single quote and Chinese in the path")
            << "王's 申报'.csv" << false << Answer::Ok << Status::Written;
        QTest::newRow("Yes replaces an old file") << "A123.CSV" << true << Answer::Yes << Status::Written;
        QTest::newRow("No keeps the old file") << "A123.CSV" << true << Answer::No << Status::Declined;
    }
    void written()
    {
        QFETCH(QString, name);
        QFETCH(bool, old);
        QFETCH(Answer, answer);
        QFETCH(Status, status);
        Fixture f;
        const QString target = f.path(name);
        if (old)
            writeFile(target, "old");
        f.prompter.queueText(target);
        if (old)
            f.prompter.queue(answer);
        const auto outcome = f.run();
        QCOMPARE(outcome.status, status);
        const bool written = status == Status::Written;
        QCOMPARE(f.prompter.records().size(), 1 + int(old) + int(written));
        if (old) {
            QCOMPARE(f.prompter.records()[1].text, QStringLiteral("文件已存在是否覆盖？"));
            QCOMPARE(f.prompter.records()[1].icon, Icon::Question);
            QCOMPARE(f.prompter.records()[1].buttons, Prompter::Buttons::YesNo);
        }
        if (written)
            f.verifyNotice("生成成功！", Icon::None);
        QCOMPARE(readFile(target), written ? exportedFile() : QByteArray("old"));
        QCOMPARE(outcome.path, written ? QDir::toNativeSeparators(target) : QString());
        QCOMPARE(f.uploadResult(), written ? QVariant(outcome.path) : QVariant("previous.csv"));
        QCOMPARE(f.prompter.unexpected(), 0);
    }

    void failure_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message");
        // %1 is the output folder, %B the database.
        QTest::newRow("missing folder") << "%1/missing/x.csv"
                                        << "文件夹“%1/missing”不存在，上传文件没有生成。";
        QTest::newRow("parent is a file") << "%1/plain.txt/x.csv"
                                          << "“%1/plain.txt”不是文件夹，上传文件没有生成。";
        QTest::newRow("target is a folder") << "%1/sub"
                                            << "“%1/sub”是一个文件夹，不能写成上传文件。";
        QTest::newRow("the own database") << "%B"
                                          << "“%B”是本系统的数据库文件，不能用作上传文件。";
        // A character GBK lacks leaves the old file at the chosen name as it was.
        QTest::newRow("unencodable character over an old file")
            << "%1/plain.txt"
            << "第2行“姓名”中的字符“䶮”（U+4DAE）在GBK编码中不存在，不能写入上传文件。请修改申报表后再生成。";
    }
    void failure()
    {
        QFETCH(QString, target);
        QFETCH(QString, message);
        Fixture f;
        writeFile(f.path("plain.txt"), "plain");
        QDir(f.dir).mkdir("sub");
        execOrFail(f.t.db(), "update ApplTInfo set EmpName = '李䶮' where RowId = 2");
        const QStringList before = f.entries();
        target.replace("%1", f.dir).replace("%B", f.t.path());
        message.replace("%1", f.dir).replace("%B", f.t.path());
        const QByteArray database = readFile(f.t.path());
        f.prompter.queueText(target);
        const bool exists = QFileInfo(target).isFile();
        if (exists)
            f.prompter.queue(Answer::Yes); // overwrite it
        QCOMPARE(f.run().status, Status::Failed);
        QCOMPARE(f.prompter.records().size(), exists ? 3 : 2);
        f.verifyNotice(message, Icon::Exclamation);
        QCOMPARE(f.entries(), before);
        QCOMPARE(readFile(f.path("plain.txt")), QByteArray("plain"));
        QCOMPARE(readFile(f.t.path()), database);
        QCOMPARE(f.uploadResult(), QVariant("previous.csv"));
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
        ScratchMount scratch(fault == "limit" ? QString() : f.dir);
        if (fault != "limit" && !scratch.mounted())
            QSKIP("mounting a tmpfs needs root; the file size limit covers a write cut short");
        const QString target = f.path("A123.CSV");
        f.prompter.queueText(target);
        QCOMPARE(f.run().status, Status::Written);
        if (fault == "read-only") {
            QVERIFY(scratch.remountReadOnly());
        } else if (fault == "full") {
            QFile filler(f.path("filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            const QByteArray block(4096, 'x');
            while (filler.write(block) > 0) {
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
        QCOMPARE(f.prompter.last().icon, Icon::Exclamation);
        QCOMPARE(readFile(target), exportedFile());
        QCOMPARE(f.entries(), entries);
        QCOMPARE(f.uploadResult(), QVariant("previous.csv"));
    }
};

ZQ_TEST(TestUploadExport)
#include "TestUploadExport.moc"
