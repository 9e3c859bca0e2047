#include "FakeInstallation.h"
#include "core/Money.h"
#include "finance/AccessFile.h"
#include "finance/FinanceConnection.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <sqlite3.h>

using namespace zq;
using namespace zq::finance;
using zq::test::fileBytes;

namespace {

QString fixture(const QString& name)
{
    return QStringLiteral(ZQ_TEST_DATA_DIR "/access/") + name;
}

// The first size bytes of a fixture with the byte at `at` changed.
QByteArray patched(const char* file, qsizetype size, qsizetype at, char value)
{
    QByteArray bytes = fileBytes(fixture(file)).left(size);
    bytes[at] = value;
    return bytes;
}

// A file's bytes with the lookup flag (0x8000) in the offset of every live row of its data pages: the library
// masks the flags off and reads such rows as any other.
QByteArray withRowFlags(QByteArray bytes)
{
    for (qsizetype page = 0; page + 4096 <= bytes.size(); page += 4096) {
        uchar* p = reinterpret_cast<uchar*>(bytes.data()) + page;
        if (p[0] != 1 || p[1] != 1)
            continue;
        for (int r = 0, rows = p[12] | p[13] << 8; r < rows; ++r) {
            uchar* offset = p + 14 + 2 * r;
            if (!(offset[1] & 0x40))
                offset[1] |= 0x80;
        }
    }
    return bytes;
}

// What a file is before and after an operation: its bytes and its modification time.
QByteArray snapshot(const QString& path)
{
    return QCryptographicHash::hash(fileBytes(path), QCryptographicHash::Sha256) +
           QFileInfo(path).lastModified().toString(Qt::ISODateWithMs).toLatin1();
}

// The description of the DatabaseError that read throws.
QString refusal(const std::function<void()>& read)
{
    try {
        read();
    } catch (const DatabaseError& e) {
        return e.description();
    }
    return QStringLiteral("no DatabaseError");
}

std::unique_ptr<Database> financeLink(const QString& path)
{
    return OpenFinanceConnection(path, QString(), QString(), QString(), nullptr);
}

// The lines one of mdbtools' programs writes.
QStringList mdbTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    return QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
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

    // Headers of kinds the fixtures lack (the Jet 4 and ACE fixtures are read whole below).
    void kinds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<FileKind>("kind");
        QTest::newRow("Jet 3 header") << patched("accountset.mdb", 2048, 0x14, 0) << FileKind::Jet3;
        QTest::newRow("SQLite") << QByteArray("SQLite format 3\0rest", 20) << FileKind::Sqlite;
        QTest::newRow("empty") << QByteArray() << FileKind::NotADatabase;
        QTest::newRow("unknown version")
            << patched("accountset.accdb", 4096, 0x14, 0x40) << FileKind::NotADatabase;
        QTest::newRow("Jet magic, ACE version")
            << patched("accountset.mdb", 4096, 0x14, 2) << FileKind::NotADatabase;
        QTest::newRow("Jet magic, wrong second byte")
            << patched("accountset.mdb", 4096, 1, 2) << FileKind::NotADatabase;
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
        QTest::addColumn<bool>("rowFlags");
        QTest::newRow("Jet 4") << "accountset.mdb" << FileKind::Jet4 << false;
        QTest::newRow("ACE") << "accountset.accdb" << FileKind::Ace << false;
        QTest::newRow("password in header") << "password.mdb" << FileKind::Jet4 << false;
        QTest::newRow("rows with flags in their offsets") << "accountset.mdb" << FileKind::Jet4 << true;
    }
    void values()
    {
        QFETCH(QString, file);
        QFETCH(FileKind, kind);
        QFETCH(bool, rowFlags);
        QTemporaryDir dir;
        QString path = fixture(file);
        if (rowFlags) {
            path = dir.filePath(file);
            test::FakeInstallation::writeFile(path, withRowFlags(fileBytes(fixture(file))));
        }
        const QByteArray before = snapshot(path);
        {
            const auto access = AccessFile::open(path);
            QCOMPARE(access->kind(), kind);
            QCOMPARE(access->tables().size(), 4);
            QCOMPARE(columnTypeName(access->table("Employee")->columns[6].type), QString("date"));
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
        QCOMPARE(snapshot(path), before);
    }

    // Every bad file ends in a DatabaseError whose description names the file, and the file is unchanged;
    // the finance link refuses it with the same description (unless only a table's load fails).
    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("table"); // loaded after opening, if any ("*": all, not through the link)
        QTest::addColumn<QString>("expected");
        const QByteArray good = fileBytes(fixture("accountset.mdb"));
        QByteArray ace = fileBytes(fixture("accountset.accdb"));
        for (qsizetype i = 4096; i < ace.size(); ++i)
            ace[i] = char(ace[i] ^ 0xA5); // every page enciphered, as a password-protected ACE file
        const auto bad = [](const char* tag, const QByteArray& bytes, const char* table,
                            const char* expected) {
            QTest::newRow(tag) << bytes << QString(table) << QString(expected);
        };
        bad("empty", {}, "", "是空的");
        bad("header only", good.left(4096), "", "不完整");
        bad("cut at a page", good.left(good.size() / 2 / 4096 * 4096), "salary", "文件");
        bad("encoded pages", fileBytes(fixture("encoded.mdb")), "", "已加密");
        bad("ACE enciphered", ace, "", "已加密");
        bad("missing table", good, "payroll", "没有表“payroll”");
        // Found by the fuzz target: libmdb followed a null pointer here.
        bad("table without usage map", fileBytes(fixture("no-usage-map.mdb")), "*", "数据页索引无法读取");
        QByteArray catalogUnmapped = good;
        catalogUnmapped[2 * 4096 + 55] = char(255); // the catalog's usage map: a row its page does not have
        bad("catalog without usage map", catalogUnmapped, "", "表目录的数据页索引无法读取");
    }
    void badFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, table);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath("帐套 2005.mdb");
        test::FakeInstallation::writeFile(path, bytes);
        const QByteArray before = snapshot(path);
        const QStringList tables = table.isEmpty() || table == "*" ? QStringList() : QStringList{table};
        QStringList descriptions{refusal([&] { AccessFile::open(path)->load(tables); })};
        if (table.isEmpty())
            descriptions << refusal([&] { financeLink(path); });
        for (const QString& d : descriptions)
            QVERIFY2(d.contains(QDir::toNativeSeparators(path)) && d.contains(expected), qPrintable(d));
        QCOMPARE(snapshot(path), before);
    }

    // The finance link reads Access files by their content, whatever their name, beside a lock file; each
    // connection has its own copy, and a file that changes is read again.
    void financeConnection_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("name");
        QTest::newRow("ACE as .mdb") << QString("accountset.accdb") << "2005.mdb";
        QTest::newRow("Jet 4 as .accdb") << QString("accountset.mdb") << "0012005.accdb";
    }
    void financeConnection()
    {
        QFETCH(QString, source);
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(QFile::copy(fixture(source), path));
        test::FakeInstallation::writeFile(dir.filePath(QFileInfo(path).completeBaseName() + ".ldb"), "L");
        const QByteArray before = snapshot(path);
        {
            const auto db = financeLink(path);
            QCOMPARE(db->scalar("select sa_item from salary_items where sa_code='YFGZ'"),
                     QVariant("应发工资"));
            const auto again = financeLink(path);
            QCOMPARE(again->scalar("select count(*) from employee where dd_flag=0").toInt(), 3);
            again->exec("delete from salary");
            QCOMPARE(db->scalar("select count(*) from salary").toInt(), 6);
        }
        QCOMPARE(snapshot(path), before);
        QCOMPARE(financeLink(path)->scalar("select count(*) from salary").toInt(), 6);
        QVERIFY(QFile::remove(path) && QFile::copy(fixture("system.mda"), path));
        const auto changed = financeLink(path);
        QCOMPARE(changed->scalar("select count(*) from copys").toInt(), 2);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, changed->select("select * from salary"));
    }

    // zqsaltax-cli inspect sees what mdb-tables and mdb-export see: the tables, their row counts, and the
    // values of a table (an empty text shown as "" where mdb-export shows nothing).
    void inspectAgreesWithMdbTools_data()
    {
        QTest::addColumn<QString>("file"); // the row's name is the kind inspect names
        QTest::newRow("Jet 4") << fixture("accountset.mdb");
        QTest::newRow("ACE") << fixture("accountset.accdb");
    }
    void inspectAgreesWithMdbTools()
    {
        QFETCH(QString, file);
        if (QStandardPaths::findExecutable("mdb-export").isEmpty())
            QSKIP("mdbtools' programs are not installed (scripts/test installs them)");
        const test::CommandRun listing = test::runCommandLine({"inspect", file});
        QCOMPARE(listing.code, 0);
        QStringList lines = listing.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.takeFirst(), "kind\t" + QString::fromUtf8(QTest::currentDataTag()));
        QCOMPARE(lines.join(u'\n').remove(QRegularExpression("\t.*")).split(u'\n'),
                 mdbTool("mdb-tables", {"-1", file}));
        const QStringList exported = mdbTool("mdb-export", {"-d", "\t", "-Q", "-e", "-T", "%Y-%m-%d %H:%M:%S",
                                                            "-D", "%Y-%m-%d %H:%M:%S", file, "employee"});
        QCOMPARE(lines.filter(QRegularExpression("^employee\t")).value(0).section(u'\t', 1, 1).toInt(),
                 exported.size() - 1);
        // The table's name in another letter case.
        const test::CommandRun rows =
            test::runCommandLine({"inspect", file, "--table", "EMPLOYEE", "--rows", "100000"});
        QStringList shown = rows.out.split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(shown.takeFirst().startsWith("# employee: NULL is shown as an empty field"));
        QCOMPARE(shown.join(u'\n').replace("\"\"", ""), exported.join(u'\n'));
        QCOMPARE(test::runCommandLine({"inspect", file, "--table", "Salary", "--rows", "2"}).out.count(u'\n'),
                 4);
    }

    // A file on which the library loops for ever (found by the fuzz target) is read in a child process that
    // is stopped at its time limit; one on which it reads past its own buffer may kill the child (it does
    // under AddressSanitizer). Either way a DatabaseError names the file, and the program goes on.
    void libraryHangIsStopped()
    {
#ifndef Q_OS_UNIX
        QSKIP("the reader runs in the program's own process here");
#endif
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(":memory:", &db), SQLITE_OK);
        const QString path = fixture("hang-catalog.mdb");
        const QString hang = refusal([&] { AccessFile::loadFile(db, path, QString(), {}, false, 2); });
        QVERIFY2(hang.contains(QDir::toNativeSeparators(path) + "”已损坏，无法读取：读取超过了 2 秒"),
                 qPrintable(hang));
        const QString overread = fixture("overread-catalog.mdb");
        const QString d = refusal([&] { AccessFile::loadFile(db, overread, QString(), {}, false, 20); });
        QVERIFY2(d == "no DatabaseError" || d.contains(QDir::toNativeSeparators(overread)), qPrintable(d));
        sqlite3_close(db);
    }
};

ZQ_TEST(TestAccessFile)
#include "TestAccessFile.moc"
