#include "TestSupport.h"
#include "core/AppSettings.h"
#include "core/Money.h"
#include "finance/AccessFile.h"
#include "finance/FinanceConnection.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <sqlite3.h>

using namespace zq;
using namespace zq::finance;

namespace {

QString fixture(const QString& name)
{
    return QStringLiteral(ZQ_TEST_DATA_DIR "/access/") + name;
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// What a file is before and after an operation: its bytes and its modification time.
struct Snapshot {
    QByteArray hash;
    QDateTime modified;
    explicit Snapshot(const QString& path)
        : hash(QCryptographicHash::hash(bytesOf(path), QCryptographicHash::Sha256)),
          modified(QFileInfo(path).lastModified())
    {
    }
    bool operator==(const Snapshot&) const = default;
};

struct Run {
    int code = -1;
    QString out;
    QString err;
};

Run run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(120000))
        return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

Run inspect(const QStringList& args)
{
    return run(QStringLiteral(ZQ_BIN_DIR "/zqsaltax-cli"), QStringList{QStringLiteral("inspect")} + args);
}

// The first row of a query, its values joined by "|", NULL shown as "NULL".
QString row(const Database& db, const QString& sql)
{
    QStringList cells;
    for (const QVariant& v : db.select(sql).data.value(0))
        cells << (v.isNull() ? QStringLiteral("NULL") : v.toString());
    return cells.join(u'|');
}

} // namespace

class TestAccessFile : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ClearAccessCache(); }

    void kinds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<FileKind>("kind");
        QTest::newRow("Jet 4 account set") << bytesOf(fixture("accountset.mdb")) << FileKind::Jet4;
        QTest::newRow("ACE") << bytesOf(fixture("accountset.accdb")) << FileKind::Ace;
        QByteArray jet3 = bytesOf(fixture("accountset.mdb")).left(2048);
        jet3[0x14] = 0;
        QTest::newRow("Jet 3 header") << jet3 << FileKind::Jet3;
        QTest::newRow("SQLite") << QByteArray("SQLite format 3\0rest", 20) << FileKind::Sqlite;
        QTest::newRow("empty") << QByteArray() << FileKind::NotADatabase;
        QByteArray future = bytesOf(fixture("accountset.accdb")).left(4096);
        future[0x14] = 0x40;
        QTest::newRow("unknown version") << future << FileKind::NotADatabase;
        QByteArray swapped = bytesOf(fixture("accountset.mdb")).left(4096);
        swapped[0x14] = 2; // a Jet header with an ACE version
        QTest::newRow("Jet magic, ACE version") << swapped << FileKind::NotADatabase;
        QByteArray badStart = bytesOf(fixture("accountset.mdb")).left(4096);
        badStart[1] = 2;
        QTest::newRow("Jet magic, wrong second byte") << badStart << FileKind::NotADatabase;
    }
    void kinds()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(FileKind, kind);
        QCOMPARE(detectFileKind(QByteArrayView(bytes)), kind);
    }

    // Every kind of value the reader maps, from Jet 4, ACE and a Jet 4 file with a password in its header.
    void values_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<FileKind>("kind");
        QTest::newRow("Jet 4") << "accountset.mdb" << FileKind::Jet4;
        QTest::newRow("ACE") << "accountset.accdb" << FileKind::Ace;
        QTest::newRow("password in header") << "password.mdb" << FileKind::Jet4;
    }
    void values()
    {
        QFETCH(QString, file);
        QFETCH(FileKind, kind);
        const Snapshot before(fixture(file));
        {
            const auto access = AccessFile::open(fixture(file));
            QCOMPARE(access->kind(), kind);
            QCOMPARE(access->tables().size(), 4);
            const AccessTable* employee = access->table("Employee");
            QVERIFY(employee);
            QCOMPARE(columnTypeName(employee->columns[6].type), QString("date"));
            const auto db = access->load({"Salary", "EMPLOYEE", "taxsetup"});
            // Currency: exact through Money, and numbers to the comparisons of the statements.
            const QVariantList first =
                db->select("select YFGZ, Tax from salary where emp_id='0001' and copy_month='01'").data[0];
            QCOMPARE(Money::fromForeign(first[0])->raw(), 123456789);
            QCOMPARE(Money::fromForeign(first[1])->raw(), 14141358);
            QCOMPARE(db->scalar("select count(*) from salary where copy_month='01' and Tax>0").toInt(), 2);
            QCOMPARE(row(*db, "select YFGZ, JMS, SFZH from salary where emp_id='0004'"), "-0.01|NULL|NULL");
            // More digits than a double holds: the exact text.
            QCOMPARE(db->scalar("select YFGZ from salary where copy_month='02' and emp_id='0002'"),
                     QVariant(QString("922337203685.4775")));

            // Text: Chinese exactly, an empty text apart from NULL (below); dates, Yes/No, Byte, Single.
            QCOMPARE(row(*db,
                         "select emp_name, notes, hired, active, grade, weight, dd_flag from EMPLOYEE where "
                         "EMP_ID='0001'"),
                     "王伟|长期合同；工资按月发放。|2001-03-15 08:30:00|1|3|1.5|0");
            QCOMPARE(row(*db, "select (select notes from employee where emp_id='0002'), notes, hired, weight "
                              "from employee where emp_id='0003'"),
                     "|NULL|NULL|NULL");
            QVERIFY_THROWS_EXCEPTION(DatabaseError, db->select("select * from salary_items"));

            // The display rows hold the same values, money as its four-decimal text.
            QCOMPARE(access->rows("salary", 2).value(1).value(4), QVariant("0.0100"));
        }
        QVERIFY(Snapshot(fixture(file)) == before);
    }

    // Every bad file ends in a DatabaseError whose description names the file, and the file is unchanged.
    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("table"); // loaded after opening; empty: only open
        QTest::addColumn<QString>("expected");
        const QByteArray good = bytesOf(fixture("accountset.mdb"));
        QTest::newRow("empty") << QByteArray() << QString() << "是空的";
        QTest::newRow("header only") << good.left(4096) << QString() << "不完整";
        QTest::newRow("cut at a page") << good.left(good.size() / 2 / 4096 * 4096) << "salary"
                                       << "文件";
        QTest::newRow("encoded pages") << bytesOf(fixture("encoded.mdb")) << QString() << "已加密";
        QByteArray ace = bytesOf(fixture("accountset.accdb"));
        for (qsizetype i = 4096; i < ace.size(); ++i)
            ace[i] = char(ace[i] ^ 0xA5); // every page enciphered, as a password-protected ACE file
        QTest::newRow("ACE enciphered") << ace << QString() << "已加密";
        QTest::newRow("missing table") << good << "payroll"
                                       << "没有表“payroll”";
        // Found by the fuzz target: libmdb followed a null pointer here.
        QTest::newRow("table without usage map")
            << bytesOf(fixture("no-usage-map.mdb")) << QString() << "数据页索引无法读取";
    }
    void badFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, table);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath("帐套 2005.mdb");
        writeBytes(path, bytes);
        const Snapshot before(path);
        const auto refusal = [&](const std::function<void()>& read) {
            try {
                read();
            } catch (const DatabaseError& e) {
                return e.description();
            }
            return QString("no DatabaseError");
        };
        QStringList descriptions{refusal(
            [&] { AccessFile::open(path)->load(table.isEmpty() ? QStringList() : QStringList{table}); })};
        // The finance link refuses the file with the same description (it does not read the table without a
        // usage map).
        if (table.isEmpty() && QByteArrayView(QTest::currentDataTag()) != "table without usage map")
            descriptions << refusal(
                [&] { OpenFinanceConnection(path, QString(), QString(), QString(), nullptr); });
        for (const QString& d : descriptions)
            QVERIFY2(d.contains(QDir::toNativeSeparators(path)) && d.contains(expected), qPrintable(d));
        QVERIFY(Snapshot(path) == before);
    }

    // The finance link reads Access files by their content, whatever their name, beside a lock file.
    void financeConnection_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("name");
        QTest::newRow("ACE as .mdb") << "accountset.accdb"
                                     << "2005.mdb";
        QTest::newRow("Jet 4 as .accdb") << "accountset.mdb"
                                         << "0012005.accdb";
    }
    void financeConnection()
    {
        QFETCH(QString, source);
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(QFile::copy(fixture(source), path));
        writeBytes(QFileInfo(path).path() + "/" + QFileInfo(path).completeBaseName() + ".ldb",
                   QByteArray(64, 'L'));
        const Snapshot before(path);
        {
            const auto db = OpenFinanceConnection(path, QString(), QString(), QString(), nullptr);
            QCOMPARE(db->scalar("select count(*) from salary").toInt(), 6);
            QCOMPARE(db->scalar("select sa_item from salary_items where sa_code='YFGZ'"),
                     QVariant("应发工资"));
            // A second connection on the unchanged file: the same content.
            const auto again = OpenFinanceConnection(path, QString(), QString(), QString(), nullptr);
            QCOMPARE(again->scalar("select count(*) from employee where dd_flag=0").toInt(), 3);
            // Read-only: the copy refuses nothing the finance link does, and the file stays as it was.
            again->exec("delete from salary");
            QCOMPARE(db->scalar("select count(*) from salary").toInt(), 6);
        }
        QVERIFY(Snapshot(path) == before);
        // A third connection after the delete above sees the file's rows, not a changed copy.
        const auto third = OpenFinanceConnection(path, QString(), QString(), QString(), nullptr);
        QCOMPARE(third->scalar("select count(*) from salary").toInt(), 6);
        // A file that changes is read again.
        QVERIFY(QFile::remove(path) && QFile::copy(fixture("system.mda"), path));
        const auto changed = OpenFinanceConnection(path, QString(), QString(), QString(), nullptr);
        QCOMPARE(changed->scalar("select count(*) from copys").toInt(), 2);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, changed->select("select * from salary"));
    }

    // zqsaltax-cli inspect sees what mdb-tables and mdb-export see: the tables, their row counts, and the
    // values of a table (an empty text shown as "" where mdb-export shows nothing).
    void inspectAgreesWithMdbTools_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("kind");
        QTest::newRow("Jet 4") << fixture("accountset.mdb") << "Jet 4";
        QTest::newRow("ACE") << fixture("accountset.accdb") << "ACE";
    }
    void inspectAgreesWithMdbTools()
    {
        QFETCH(QString, file);
        QFETCH(QString, kind);
        if (QStandardPaths::findExecutable("mdb-export").isEmpty())
            QSKIP("mdbtools' programs are not installed (scripts/test installs them)");
        const Run listing = inspect({file});
        QCOMPARE(listing.code, 0);
        QStringList lines = listing.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.takeFirst(), "kind\t" + kind);
        QStringList names;
        for (const QString& line : lines)
            names << line.section(u'\t', 0, 0);
        QCOMPARE(names, run("mdb-tables", {"-1", file}).out.split(u'\n', Qt::SkipEmptyParts));
        const QStringList exported = run("mdb-export", {"-d", "\t", "-Q", "-e", "-T", "%Y-%m-%d %H:%M:%S",
                                                        "-D", "%Y-%m-%d %H:%M:%S", file, "employee"})
                                         .out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.filter(QRegularExpression("^employee\t")).value(0).section(u'\t', 1, 1).toInt(),
                 exported.size() - 1);
        // The table's name in another letter case.
        const Run rows = inspect({file, "--table", "EMPLOYEE", "--rows", "100000"});
        QCOMPARE(rows.code, 0);
        QStringList shown = rows.out.split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(shown.takeFirst().startsWith("# employee: NULL is shown as an empty field"));
        QCOMPARE(shown.join(u'\n').replace("\"\"", ""), exported.join(u'\n'));
        QCOMPARE(inspect({file, "--table", "Salary", "--rows", "2"}).out.count(u'\n'), 4);
    }

    // A file on which the library loops for ever (found by the fuzz target) is read in a child process that
    // is stopped at its time limit: a DatabaseError naming the file, and the program goes on.
    void libraryHangIsStopped()
    {
#ifndef Q_OS_UNIX
        QSKIP("the reader runs in the program's own process here");
#endif
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(":memory:", &db), SQLITE_OK);
        const QString path = fixture("hang-catalog.mdb");
        const Snapshot before(path);
        try {
            AccessFile::loadFile(db, path, QString(), {}, false, 2);
            QFAIL("no DatabaseError");
        } catch (const DatabaseError& e) {
            QVERIFY2(e.description().contains(QDir::toNativeSeparators(path) +
                                              "”已损坏，无法读取：读取超过了 2 秒"),
                     qPrintable(e.description()));
        }
        // A file on which the library reads past its own buffer (found by the fuzz target): the child may die
        // of it (it does under AddressSanitizer); the program goes on with the file named as damaged.
        const QString overread = fixture("overread-catalog.mdb");
        try {
            AccessFile::loadFile(db, overread, QString(), {}, false, 20);
        } catch (const DatabaseError& e) {
            QVERIFY2(e.description().contains(QDir::toNativeSeparators(overread)),
                     qPrintable(e.description()));
        }
        sqlite3_close(db);
        QVERIFY(Snapshot(path) == before);
    }
};

ZQ_TEST(TestAccessFile)
#include "TestAccessFile.moc"
