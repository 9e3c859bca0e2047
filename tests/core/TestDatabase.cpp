#include "TestSupport.h"
#include "core/TaxDatabase.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace zq;
using Kind = DatabaseError::Kind;

class TestDatabase : public QObject {
    Q_OBJECT
private slots:
    void freshDatabaseMatchesSchema()
    {
        test::TempTaxDatabase t;
        QCOMPARE(TaxDatabase::schemaProblems(t.db()), QStringList());
        const auto expected = TaxDatabase::expectedSchema();
        QCOMPARE(expected.value("ApplTInfo"),
                 QStringList({"AppID", "ID", "RowId", "IDCard", "EmpName", "NationCode", "ProfCode", "ProgCode",
                              "InComeM", "TaxM", "TaxRadio", "ReduTax", "NationTax", "TaxM1"}));
        QCOMPARE(expected.size(), 9);
    }

    void codeTablesAndPassword()
    {
        test::TempTaxDatabase t;
        auto& db = t.db();
        QCOMPARE(db.scalar("select NationName from BmNation where NationCode=?", {"156"}).toString(), QString("中国"));
        QVERIFY(db.scalar("select count(*) from BmNation where NationCode='001'").toInt() == 1);
        QCOMPARE(db.scalar("select NationName from BmNation where NationCode=?", {"336"}).toString(),
                 QString("梵蒂冈"));
        QVERIFY(db.scalar("select count(*) from BmProfes where ProfCode='0201'").toInt() == 1);
        QCOMPARE(db.scalar("select ProgName from BmItem where ProgCode='01'").toString(), QString("工资、薪金所得"));
        QCOMPARE(db.scalar("select count(*) from BmItem").toInt(), 11);
        QVERIFY(db.scalar("select count(*) from lumfver where lumfver='Olvenka 2.X'").toInt() == 1);
        QCOMPARE(db.scalar("select count(*) from lumfver").toInt(), 2);
        const Rows pw = db.select("select * from Sundries where Name='Password'");
        QCOMPARE(pw.size(), 1);
        QCOMPARE(pw.value(0, u"value").toString(), QString()); // column names ignore letter case
    }

    void keyAssignment()
    {
        test::TempTaxDatabase t;
        auto& db = t.db();
        const QString maxUnit = "select max(unitid) as maxUId from unitinfo";
        QCOMPARE(db.nextKey(maxUnit), 1);
        db.exec("insert into UnitInfo(UnitID,UnitName) values(?,?)", {1, "A"});
        db.exec("insert into UnitInfo(UnitID,UnitName) values(?,?)", {2, "B"});
        QCOMPARE(db.nextKey(maxUnit), 3);
        db.exec("delete from unitinfo where unitid=?", {2});
        QCOMPARE(db.nextKey(maxUnit), 2); // the key of a deleted last row is used again
        QCOMPARE(db.nextKey("select max(AppID) as MaxAppID from ApplT "), 1);
    }

    void quotesRoundTrip()
    {
        test::TempTaxDatabase t;
        const QString name = "O'Brien \"董\" 公司';--";
        t.db().exec("insert into UnitInfo(UnitID,UnitName) values(?,?)", {7, name});
        QCOMPARE(t.db().scalar("select UnitName from UnitInfo where UnitName=?", {name}).toString(), name);
    }

    void transactionRollsBackUnlessCommitted()
    {
        test::TempTaxDatabase t;
        auto& db = t.db();
        try {
            Transaction tx(db);
            db.exec("insert into ApplT(AppID) values(1)");
            db.exec("insert into ApplT(AppID) values(1)"); // primary key violation
            tx.commit();
            QFAIL("the duplicate key was accepted");
        } catch (const DatabaseError& e) {
            QVERIFY(!e.description().isEmpty());
        }
        QCOMPARE(db.scalar("select count(*) from ApplT").toInt(), 0);
        {
            Transaction tx(db);
            db.exec("insert into ApplT(AppID) values(1)");
            tx.commit();
        }
        QCOMPARE(db.scalar("select count(*) from ApplT").toInt(), 1);
    }

    void unitDeleteLeavesOtherRows()
    {
        test::TempTaxDatabase t;
        auto& db = t.db();
        db.exec("insert into UnitInfo(UnitID,UnitName) values(1,'A')");
        db.exec("insert into Employee(UnitID,EmpID,EmpName) values(1,'001','张三')");
        db.exec("insert into ApplT(AppID,UnitID) values(1,1)");
        db.exec("insert into ApplTInfo(AppID,ID,RowId) values(1,1,1)");
        db.exec(" delete from unitinfo where unitid=1");
        db.exec("delete from ApplT  where AppID=1");
        QCOMPARE(db.scalar("select count(*) from Employee").toInt(), 1);
        QCOMPARE(db.scalar("select count(*) from ApplTInfo").toInt(), 1);
    }

    void openFailures_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("kind");
        QTest::newRow("missing file") << "missing" << int(Kind::CannotOpen);
        QTest::newRow("folder does not exist") << "nofolder" << int(Kind::InvalidPath);
        QTest::newRow("empty path") << "empty" << int(Kind::InvalidPath);
        QTest::newRow("folder instead of file") << "folder" << int(Kind::CannotOpen);
        QTest::newRow("not a database") << "garbage" << int(Kind::Other);
        QTest::newRow("locked by another writer") << "locked" << int(Kind::NoPermission);
        QTest::newRow("empty file") << "zero" << int(Kind::CannotOpen);
        QTest::newRow("another program's database") << "foreign" << int(Kind::CannotOpen);
    }
    void openFailures()
    {
        QFETCH(QString, setup);
        QFETCH(int, kind);
        QTemporaryDir dir;
        QString path = dir.filePath(TaxDatabase::fileName());
        std::unique_ptr<Database> holder;
        if (setup == "nofolder")
            path = dir.filePath("no/such/folder/ZqSalTax.db");
        else if (setup == "empty")
            path.clear();
        else if (setup == "folder")
            QVERIFY(QDir().mkpath(path));
        else if (setup == "garbage") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'x'));
        } else if (setup == "zero") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
        } else if (setup == "foreign") {
            const QString name = Database::uniqueConnectionName("foreign-");
            {
                QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", name);
                other.setDatabaseName(path);
                QVERIFY(other.open());
                QSqlQuery q(other);
                QVERIFY(q.exec("create table Notes(Text)"));
                QVERIFY(q.exec("insert into Notes values('kept')"));
                q.finish();
                other.close();
            }
            QSqlDatabase::removeDatabase(name);
        } else if (setup == "locked") {
            TaxDatabase::create(path);
            holder = TaxDatabase::open(path);
            holder->begin();
            holder->exec("insert into ApplT(AppID) values(1)");
        }
        const QByteArray before = QFile::exists(path) && !QFileInfo(path).isDir() ? [&] {
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }() : QByteArray();
        QString description;
        try {
            auto db = TaxDatabase::open(path);
            QFAIL("the database opened");
        } catch (const DatabaseError& e) {
            QCOMPARE(int(e.kind()), kind);
            QVERIFY(!e.description().isEmpty());
            description = e.description();
        }
        if (setup == "missing")
            QVERIFY(!QFile::exists(path)); // never created by opening
        if (setup == "garbage" || setup == "zero" || setup == "foreign") {
            // Not this program's file: nothing written to it, no journal beside it.
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), before);
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{TaxDatabase::fileName()});
        }
        if (setup == "zero" || setup == "foreign")
            QCOMPARE(description,
                     QStringLiteral("“%1”不是本系统的数据库。").arg(QDir::toNativeSeparators(path)));
    }

    void createRefusesExistingFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("x.db");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep me");
        f.close();
        QVERIFY_THROWS_EXCEPTION(DatabaseError, TaxDatabase::create(path));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("keep me"));
    }

    void cliInitDb()
    {
        QTemporaryDir dir;
        const QString cli = QStringLiteral(ZQ_BIN_DIR) + "/zqsaltax-cli";
        const QString path = dir.filePath("x.db");
        // A file of someone else's beside the new database, with the name a half-made one might have.
        QFile unrelated(path + ".part");
        QVERIFY(unrelated.open(QIODevice::WriteOnly));
        unrelated.write("not the program's");
        unrelated.close();
        QProcess p;
        p.start(cli, {"init-db", path});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(unrelated.open(QIODevice::ReadOnly));
        QCOMPARE(unrelated.readAll(), QByteArray("not the program's"));
        unrelated.close();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"x.db", "x.db.part"}));
        auto db = TaxDatabase::open(path);
        QCOMPARE(TaxDatabase::schemaProblems(*db), QStringList());
        db.reset();
        p.start(cli, {"init-db", path});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(p.readAllStandardError().contains("already exists"));
    }
};

ZQ_TEST(TestDatabase)
#include "TestDatabase.moc"
