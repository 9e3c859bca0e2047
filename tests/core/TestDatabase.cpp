#include "TestSupport.h"
#include "core/AppSettings.h"
#include "core/DatabaseCopy.h"
#include "core/PasswordStore.h"
#include "core/TaxDatabase.h"
#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace zq;
using zq::test::fileBytes;

namespace {

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList unitNames(const QString& path)
{
    QStringList names;
    for (const QVariantList& row :
         TaxDatabase::open(path)->select("select UnitName from UnitInfo order by UnitID").data)
        names << row.first().toString();
    return names;
}

// A file of the given kind at path: "junk" (not a database), "foreign" (another program's database),
// "missing table" or "damaged" (this program's without a table, or with a page of noise); others write
// nothing.
void makeFile(const QString& kind, const QString& path)
{
    if (kind == "junk")
        writeBytes(path, QByteArray(8192, 'x'));
    else if (kind == "foreign") {
        const QString name = Database::uniqueConnectionName("foreign-");
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", name);
            other.setDatabaseName(path);
            QVERIFY(other.open());
            QVERIFY(QSqlQuery(other).exec("create table Notes(Text)"));
        }
        QSqlDatabase::removeDatabase(name);
    } else if (kind == "missing table") {
        TaxDatabase::create(path);
        TaxDatabase::open(path)->exec("drop table ApplTInfo");
    }
    if (kind != "damaged")
        return;
    TaxDatabase::create(path);
    {
        const auto db = TaxDatabase::open(path);
        for (int i = 1; i <= 300; ++i)
            test::execOrFail(*db, "insert into UnitInfo(UnitID,UnitName) values(?,?)",
                             {i, QString(200, u'x')});
    }
    QByteArray bytes = fileBytes(path);
    QVERIFY(bytes.size() > 40000); // page 3 becomes noise, the header and the first pages stay readable
    for (int i = 8192; i < 8192 + 4096; ++i)
        bytes[i] = char(i * 31);
    writeBytes(path, bytes);
}

const QDateTime kNow(QDate(2026, 12, 7), QTime(3, 4, 5));

} // namespace

class TestDatabase : public QObject {
    Q_OBJECT
private slots:
    // A copy taken while another connection is in the middle of a save holds the committed data only, stands
    // alone (no log beside it) and is checked; a copy onto the database is refused.
    void backupDuringASave()
    {
        test::TempTaxDatabase t;
        t.db().exec("insert into UnitInfo(UnitID,UnitName) values(1,'甲')");
        t.db().exec("begin immediate");
        t.db().exec("insert into UnitInfo(UnitID,UnitName) values(2,'乙')");
        const QString out = QDir(t.dir()).filePath("copy.db");
        QCOMPARE(DatabaseCopy::backup(t.path(), out), std::nullopt);
        t.db().exec("commit");
        QVERIFY(!QFile::exists(out + "-wal") && !QFile::exists(out + ".part"));
        QCOMPARE(unitNames(out), QStringList{"甲"});
        QCOMPARE(DatabaseCopy::verify(out), std::nullopt);
        const QByteArray before = fileBytes(t.path());
        for (const QString& onto : {t.path(), t.path() + "-wal"})
            QVERIFY(DatabaseCopy::backup(t.path(), onto).value_or("").contains("是数据库本身"));
        QCOMPARE(fileBytes(t.path()), before);
    }

    // A restore refuses anything but an intact database of this program, and changes nothing.
    void restoreRefuses_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a database") << "junk" << QString("不是数据库文件");
        QTest::newRow("another program's database") << "foreign" << QString("不是本系统的数据库");
        QTest::newRow("a table missing") << "missing table" << QString("不是本系统的数据库");
        QTest::newRow("damaged") << "damaged" << QString();
        QTest::newRow("the database itself") << "itself" << QString("就是要替换的数据库");
    }
    void restoreRefuses()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        test::TempTaxDatabase t;
        t.db().exec("insert into UnitInfo(UnitID,UnitName) values(1,'甲')");
        t.close();
        const QDir dir(t.dir());
        const QString file = kind == "itself" ? t.path() : dir.filePath("source.db");
        makeFile(kind, file);
        const QByteArray before = fileBytes(t.path());
        QString kept;
        const auto problem = DatabaseCopy::restore(file, t.path(), kNow, &kept);
        QVERIFY2(problem && problem->contains(message), qPrintable(problem.value_or("no refusal")));
        QCOMPARE(fileBytes(t.path()), before);
        QCOMPARE(kept, QString());
        QCOMPARE(dir.entryList({"*.bak", "*.restoring*"}), QStringList());
    }

    // The replaced database is kept whole, including what only its log held after a crash.
    void restoreKeepsTheReplacedDatabase()
    {
        QTemporaryDir dir;
        const QString db = dir.filePath("ZqSalTax.db"), copy = dir.filePath("copy.db");
        TaxDatabase::create(copy);
        test::execOrFail(*TaxDatabase::open(copy), "insert into UnitInfo(UnitID,UnitName) values(1,'新')");
        TaxDatabase::create(db);
        { // a crashed run: the last save is in the log only
            const auto open = TaxDatabase::open(db);
            test::execOrFail(*open, "pragma wal_autocheckpoint=0");
            test::execOrFail(*open, "insert into UnitInfo(UnitID,UnitName) values(1,'旧')");
            for (const char* s : {"", "-wal", "-shm"})
                QVERIFY(QFile::copy(db + s, dir.filePath("crashed.db") + s));
        }
        QFile::remove(db);
        for (const char* s : {"", "-wal", "-shm"})
            QVERIFY(QFile::rename(dir.filePath("crashed.db") + s, db + s));
        QVERIFY(QFileInfo(db + "-wal").size() > 0);

        QString kept;
        QCOMPARE(DatabaseCopy::restore(copy, db, kNow, &kept), std::nullopt);
        QCOMPARE(kept, db + ".20261207-030405.bak");
        QCOMPARE(unitNames(db), QStringList{"新"});
        QCOMPARE(unitNames(kept), QStringList{"旧"});
        QVERIFY(!QFile::exists(db + ".restoring"));
        // A second restore in the same second keeps its own copy.
        QCOMPARE(DatabaseCopy::restore(kept, db, kNow, &kept), std::nullopt);
        QCOMPARE(kept, db + ".20261207-030405-2.bak");
        QCOMPARE(unitNames(db), QStringList{"旧"});
        QCOMPARE(unitNames(kept), QStringList{"新"});
    }

    // The 31st automatic copy drops the oldest; other files in the folder stay; 0 turns the copies off.
    void automaticBackupKeepsTheNewest()
    {
        test::TempTaxDatabase t;
        const QDate today(2026, 12, 7);
        const QDir folder(DatabaseCopy::automaticFolder(t.path()));
        QDir().mkpath(folder.path());
        for (int i = 1; i <= 30; ++i)
            writeBytes(folder.filePath(DatabaseCopy::automaticFileName(today.addDays(-i))), "old");
        writeBytes(folder.filePath("notes.txt"), "not a copy");
        QString written;
        QCOMPARE(DatabaseCopy::automaticBackup(t.path(), 0, today, &written), std::nullopt);
        QCOMPARE(written, QString());
        QCOMPARE(DatabaseCopy::automaticBackup(t.path(), 30, today, &written), std::nullopt);
        QCOMPARE(written, folder.filePath("ZqSalTax-20261207.db"));
        const QStringList copies = folder.entryList({"ZqSalTax-*.db"}, QDir::Files, QDir::Name);
        QCOMPARE(copies.size(), 30);
        QCOMPARE(copies.first(), DatabaseCopy::automaticFileName(today.addDays(-29)));
        QVERIFY(folder.exists("notes.txt"));
    }

    // The command-line restore refuses while the program runs on that database, then goes through.
    void commandLine()
    {
        test::TempTaxDatabase t;
        t.db().exec("insert into UnitInfo(UnitID,UnitName) values(1,'甲')");
        t.close();
        const QString out = QDir(t.dir()).filePath("copy.db");
        QCOMPARE(test::runCommandLine({"backup", "--db", t.path(), "--out", out}).code, 0);
        test::execOrFail(*TaxDatabase::open(t.path()), "update UnitInfo set UnitName='乙'");
        {
            SingleInstance running(t.dir());
            QVERIFY(running.tryAcquire());
            QCOMPARE(test::runCommandLine({"restore", out, "--db", t.path()}).code, 1);
            QCOMPARE(unitNames(t.path()), QStringList{"乙"});
        }
        QCOMPARE(test::runCommandLine({"restore", out, "--db", t.path()}).code, 0);
        QCOMPARE(unitNames(t.path()), QStringList{"甲"});
    }

    // The password is stored salted and hashed; a plain one of an older database opens once and is then
    // hashed; a damaged hash matches nothing, not even itself.
    void passwordStore()
    {
        test::TempTaxDatabase t;
        const auto raw = [&] { return t.db().scalar("select Value from Sundries where Name='Password'"); };
        test::execOrFail(t.db(), "update Sundries set Value=? where Name='Password'", {QString("Old'Pw")});
        PasswordStore store(t.db());
        QVERIFY(!store.check("old'pw")); // letter case counts, and a refusal changes nothing
        QCOMPARE(raw().toString(), QString("Old'Pw"));
        QVERIFY(store.check("Old'Pw"));
        QVERIFY(PasswordStore::isHash(raw().toString()));
        store.set("Ab'1 中");
        const QString stored = raw().toString();
        QVERIFY(PasswordStore::isHash(stored) && !stored.contains("Ab'1"));
        QVERIFY(store.check("Ab'1 中"));
        QCOMPARE(raw().toString(), stored); // checking a hashed password writes nothing
        QVERIFY(!store.check("ab'1 中"));
        QVERIFY(PasswordStore::encode("same") != PasswordStore::encode("same")); // the salt
        store.set(QString());
        QVERIFY(store.check(QString())); // no password: the empty entry opens, and it stays unset
        QCOMPARE(raw().toString(), QString(""));
        QVERIFY(!store.isSet());
        for (const QString damaged : {"pbkdf2-sha256$100000$abc", "pbkdf2-sha256$1000$c2FsdA==$a2V5"})
            QVERIFY(!PasswordStore::matches(damaged, "") && !PasswordStore::matches(damaged, damaged));
    }

    // Defaults, a value stored as given, and a file that cannot be written says so instead of dropping it.
    void settings()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("zqsaltax.ini");
        AppSettings s(file);
        s.setValue("Backup", "Keep", "abc");
        QCOMPARE(s.backupKeep(), 30); // not a number: the default
        s.setValue("Backup", "Keep", "-3");
        QCOMPARE(s.backupKeep(), 0);
        QVERIFY(s.setTaxThreshold("800元"));
        QCOMPARE(AppSettings(file).taxThreshold(), QString("800元"));
        QVERIFY(AppSettings(file).setTaxThreshold(QString())); // empty text is stored as it is, not removed
        QCOMPARE(QSettings(file, QSettings::IniFormat).value("Reg/RegInfoT"), QVariant(QString()));
        QVERIFY(!AppSettings(file + "/zqsaltax.ini").setTaxThreshold("800")); // its folder is a file
    }
};

ZQ_TEST(TestDatabase)
#include "TestDatabase.moc"
