#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/AppSettings.h"
#include "core/PasswordStore.h"
#include "core/TaxDatabase.h"
#include "legacy/LegacyMigration.h"
#include "legacy/OldDatabaseFile.h"
#include "ui/MainWindow.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <sqlite3.h>

using namespace zq;
using namespace zq::test;
using legacy::LegacyMigration;
using legacy::MigrationOutcome;
using Status = legacy::MigrationOutcome::Status;

namespace {

const QString kData = QStringLiteral(ZQ_TEST_DATA_DIR "/legacy/");

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

// The old database in SQLite form: the good fixture's SQL, then the row's changes.
QString makeOldSqlite(const QString& dir, const QString& changes)
{
    const QString path = dir + QStringLiteral("/old.sqlite");
    QFile::remove(path);
    sqlite3* h = nullptr;
    sqlite3_open(path.toUtf8().constData(), &h);
    const QByteArray sql = readBytes(kData + QStringLiteral("old-good.sql")) + changes.toUtf8();
    if (sqlite3_exec(h, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("fixture SQL failed: %s", sqlite3_errmsg(h));
    sqlite3_close(h);
    return path;
}

// Every row of the own database's tables, as text: "nothing changed" compares two of these.
QString dump(const Database& db, const QString& sql)
{
    QStringList lines;
    for (const QVariantList& row : db.select(sql).data) {
        QStringList cells;
        for (const QVariant& v : row)
            cells << (v.isNull() ? QStringLiteral("NULL") : v.toString());
        lines << cells.join(u'|');
    }
    return lines.join(u'\n');
}

QString dumpAll(const Database& db)
{
    QString all;
    for (const char* t : {"UnitInfo", "Employee", "ApplT", "ApplTInfo", "BmNation", "BmProfes", "BmItem",
                          "lumfver", "Sundries"})
        all += QLatin1String(t) + u'\n' + dump(db, QStringLiteral("select * from %1").arg(QLatin1String(t))) +
               u'\n';
    return all;
}

// What the good fixture gives in the own database.
const QString kUnits = QStringLiteral(
    "1|北京测试科技有限公司|1101234567|010-12345678|张三|Olvenka 2.X|001|2005|F001|F002|NULL|NULL|F005|F010\n"
    "2|O'Brien, 上海分公司|310098|021-8765 4321|李四|||||||||");
const QString kEmployees = QStringLiteral("1|0001|王小明|110101198001011234|156|0200\n"
                                          "1|0002|赵\"钱\",孙|110101198202022345|156|9901\n"
                                          "1|0003| 张 三 |11010119830303345X|999|0300\n"
                                          "2|0001|O'Neil, Mary|P1234567|840|0200\n"
                                          "3|0001|孤儿员工|440101197001011111|156|NULL");
const QString kDeclarations = QStringLiteral(
    "1|1|1101234567|010-12345678|2005-11-01|2005-12-05|张三|3|2|0|0|200005050|180000049|123456789|50|"
    "12345650|12345650|-30050| A123456 |C:\\ZqSalTax\\A123456.CSV\n"
    "2|2|310098|021-8765 4321|2005-12-01|2006-01-10|李四|1|1|1|0|99999999|99999999|49999999|0|4999950|"
    "4999950|0|B20051201|NULL\n"
    "4|3|440101|020-1|2004-02-01|2004-03-01|王五|1|0|0|0|8000000|0|0|0|0|0|0||NULL\n"
    "5|2|310098|021-8765 4321|2006-01-01|2006-02-10|李四|1|1|0|0|2000000|2000000|2000000|0|100000|100000|0|"
    "B20060101|NULL");
const QString kRows =
    QStringLiteral("1|1|1|110101198001011234|王小明|156|0200|01|100000000|84000000|200000|0|0|10550000\n"
                   "1|2|2|110101198202022345|赵\"钱\"孙|156|9901|01|80005050|39456789|150000|50|0|1795650\n"
                   "1|3|3|11010119830303345X| 张 三 |999|0300|04|20000000|16000000|201250|0|0|3200000\n"
                   "2|1|1|P1234567|O'Neil, Mary|840|0200|01|99999999|49999999|100000|0|-50|4999950\n"
                   "4|1|1|440101197001011111|孤儿员工|156|0200|01|8000000|0|0|0|0|0\n"
                   "5|1|1|P1234567|O'Neil Mary|840|0200|01|1000000|1000000|50000|0|0|50000\n"
                   "5|2|2|P1234567|O'Neil Mary|840|0200|01|1000000|1000000|50000|0|0|50000");

QString doneMessage(const QString& source)
{
    return QStringLiteral(
               "旧版数据库“%1”已导入：\r\n单位 2 个，员工 5 人，申报表 4 张（明细 7 行）。\r\n"
               "其中 1 名员工、1 张申报表属于旧版中已删除的单位，照原样保留。\r\n补充代码 3 条。\r\n"
               "登录口令已转入：下次启动时请输入旧版的口令。")
        .arg(source);
}

} // namespace

// Taking over the old program's database.
class TestLegacyMigration : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    MigrationOutcome migrate(const QString& oldPath, Database& own,
                             const LegacyMigration::Progress& progress = {})
    {
        const auto old = legacy::openOldDatabase(oldPath);
        return LegacyMigration(*old, own, oldPath).run(progress);
    }

private slots:
    // The Access file is taken over through 文件 → 导入旧版数据库… in the main window: the old file is only
    // read, a "%2" in its name stays in the message as it is, and once there is data the entry says so before
    // asking for a file.
    void takesOverEverything_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("SQLite form") << QString();
        QTest::newRow("Access file with its database password, in the window")
            << QStringLiteral("old-good.mdb");
    }
    void takesOverEverything()
    {
        QFETCH(QString, file);
        TempTaxDatabase own;
        if (file.isEmpty()) {
            const QString old = makeOldSqlite(m_dir.path(), {});
            QCOMPARE(migrate(old, own.db()).message, doneMessage(old));
        } else {
            AppSettings settings(m_dir.filePath(QStringLiteral("window.ini")));
            ScriptedPrompter prompter;
            ui::MainWindow w(TaxDatabase::open(own.path()), prompter, settings, own.dir());
            QAction* entry = w.findChild<QAction*>(QStringLiteral("numImportOld"));
            const QString old = m_dir.filePath(QStringLiteral("ZqSalTax%2.mdb"));
            QVERIFY(QFile::copy(kData + file, old));
            const QByteArray bytes = readBytes(old);
            prompter.queueText(old);
            entry->trigger();
            QCOMPARE(prompter.last().text, doneMessage(old));
            QCOMPARE(readBytes(old), bytes);
            entry->trigger();
            QCOMPARE(prompter.last().text, LegacyMigration::ownNotEmptyMessage());
            QCOMPARE(prompter.unexpected(), 0);
        }
        QCOMPARE(dump(own.db(), "select * from UnitInfo order by UnitID"), kUnits);
        QCOMPARE(dump(own.db(), "select * from Employee order by UnitID, EmpID"), kEmployees);
        QCOMPARE(dump(own.db(), "select * from ApplT order by AppID"), kDeclarations);
        QCOMPARE(dump(own.db(), "select * from ApplTInfo order by AppID, RowId"), kRows);
        // Codes the own database lacks are added; the names of the codes it has stay its own.
        QCOMPARE(dump(own.db(), "select * from BmNation where NationCode in ('156','840','999') order by 1"),
                 QStringLiteral("156|中国\n840|美国\n999|测试国"));
        // The password is hashed; the old one opens the program.
        PasswordStore store(own.db());
        QVERIFY(PasswordStore::isHash(store.stored().value_or(QString())));
        QVERIFY(store.check(QStringLiteral("Ab'c,1")));
        // The next declaration continues the old numbers.
        QCOMPARE(own.db().nextKey(QStringLiteral("select max(AppID) as MaxAppID from ApplT ")), 6);
    }

    // One value of the good fixture changed: how it is stored, or the problem that stops the migration.
    void values_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("expected");
        const auto add = [](const char* tag, const QString& change, const char* query,
                            const QString& expected) {
            QTest::newRow(tag) << change << QString(query) << expected;
        };
        const auto set = [](const char* column, const char* value) {
            return QStringLiteral("update ApplT set %1=%2 where AppID=1;")
                .arg(QLatin1String(column), QLatin1String(value));
        };
        const char* money = "select InComeM from ApplT where AppID=1";
        const QString app1 = QStringLiteral("ApplT（第 1 行，AppID=1）");
        add("Currency beyond a double's digits", set("InComeM", "'922337203685.4775'"), money,
            "9223372036854775");
        add("text money with grouping and blanks", set("InComeM", "' 1,234.5 '"), money, "12345000");
        add("double rounds half away from zero",
            "update ApplTInfo set TaxRadio=0.00005 where AppID=1 and RowId=1;",
            "select TaxRadio from ApplTInfo where AppID=1 and RowId=1", "1");
        add("money that is no number", set("InComeM", "'12a'"), money,
            app1 + "InComeM = “12a”：不是数字或超出范围");
        add("month within the month becomes its first day", set("Month", "'2005-11-15 08:00:00'"),
            "select Month from ApplT where AppID=1", "2005-11-01");
        add("date that is no date", set("ApplyDate", "'2005-02-30'"), "",
            app1 + "ApplyDate = “2005-02-30”：不是日期");
        add("count with a fraction", set("UnitMen", "2.5"), "", app1 + "UnitMen = 2.5：不是整数");
    }
    void values()
    {
        QFETCH(QString, change);
        QFETCH(QString, query);
        QFETCH(QString, expected);
        const QString old = makeOldSqlite(m_dir.path(), change);
        TempTaxDatabase own;
        const QString before = dumpAll(own.db());
        const MigrationOutcome outcome = migrate(old, own.db());
        if (outcome.ok()) {
            QCOMPARE(dump(own.db(), query), expected);
            return;
        }
        QCOMPARE(outcome.status, Status::BadValues);
        QCOMPARE(outcome.problemCount, 1);
        QCOMPARE(outcome.problems.value(0).toText(), expected);
        QCOMPARE(dumpAll(own.db()), before);
    }

    // Each refusal says why and leaves the own database and the old file as they were.
    void refusals_data()
    {
        QTest::addColumn<QString>("file"); // or the changes to the good fixture
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message"); // %1 is the old file
        QTest::newRow("the payroll package's file")
            << QStringLiteral("../access/accountset.mdb") << int(Status::NotOldDatabase)
            << "“%1”不是旧版程序的数据库：缺少 UnitInfo、Employee.UnitID、Employee.EmpID、Employee.EmpName、"
               "Employee.IDCard、Employee.NationCode、Employee.ProfCode、ApplT 等 14 项。什么也没有导入。";
        QTest::newRow("Access file with bad values")
            << QStringLiteral("old-bad.mdb") << int(Status::BadValues)
            << "旧版数据库“%1”中有 4 个值不能转入，什么也没有导入：\r\n"
               "Employee（第 2 行，UnitID=1, EmpID=0001）：编号重复\r\n"
               "Employee（第 3 行，UnitID=1, EmpID=NULL）EmpID = NULL：不能为空\r\n"
               "ApplT（第 2 行，AppID=2）Month = “2005-13”：不是日期\r\n"
               "ApplTInfo（第 1 行，AppID=1, RowId=1）InComeM = “12,34a”：不是数字或超出范围";
        QTest::newRow("600 more employees, cancelled")
            << QStringLiteral(
                   "with recursive n(i) as (select 1 union all select i+1 from n where i<600) "
                   "insert into Employee select 2, 'E' || i, '员工' || i, '', '156', '0200' from n;")
            << int(Status::Cancelled) << "导入已取消，什么也没有导入。";
    }
    void refusals()
    {
        QFETCH(QString, file);
        QFETCH(int, status);
        QFETCH(QString, message);
        const bool cancelled = status == int(Status::Cancelled);
        const QString old =
            cancelled ? makeOldSqlite(m_dir.path(), file) : QFileInfo(kData + file).absoluteFilePath();
        TempTaxDatabase own;
        PasswordStore(own.db()).set(QStringLiteral("new"));
        const QString before = dumpAll(own.db());
        const QByteArray oldBytes = readBytes(old);
        QList<qint64> seen;
        const MigrationOutcome outcome = migrate(old, own.db(), [&seen](qint64 done, qint64 total) {
            seen << done;
            return !(done >= 300 && total > 0);
        });
        QCOMPARE(outcome.message, message.arg(old));
        QCOMPARE(int(outcome.status), status);
        QCOMPARE(dumpAll(own.db()), before);
        QCOMPARE(readBytes(old), oldBytes);
        if (cancelled)
            QCOMPARE(seen.last(), 512);
    }
};

ZQ_TEST(TestLegacyMigration)
#include "TestLegacyMigration.moc"
