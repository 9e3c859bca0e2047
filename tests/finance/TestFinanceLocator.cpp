#include "FakeInstallation.h"
#include "core/AppSettings.h"
#include "finance/FinanceLocator.h"
#include "finance/PayrollCatalog.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QTest>
#include <functional>

using namespace zq;
using namespace zq::finance;
using zq::test::FakeInstallation;
using F = FakeInstallation;

namespace {

// The connections that are open anywhere in the process, to see that a failed resolution leaves none behind.
int openConnections()
{
    int n = 0;
    for (const QString& name : QSqlDatabase::connectionNames())
        if (QSqlDatabase::database(name, false).isOpen())
            ++n;
    return n;
}

// What makes the condition of one row of the failure table real.
using Arrange = std::function<void(FakeInstallation&)>;

} // namespace

class TestFinanceLocator : public QObject {
    Q_OBJECT
private slots:
    // The unit's edition finds its row of the edition table as Access compared texts. 3.X finds its files
    // through the registry; 2.X through WD.ini, never the registry (a broken registry file and a server in
    // config.ini would both be noticed if they were read).
    void resolvesFiles_data()
    {
        QTest::addColumn<QString>("suffix"); // of both folders in the registry
        QTest::addColumn<QString>("stored"); // the unit's edition
        QTest::addColumn<bool>("config");    // config.ini present
        QTest::newRow("folders without separator, edition in lower case")
            << QString() << "olvenka 3.x" << true;
        QTest::newRow("folders with separator, edition with trailing blanks, no config.ini")
            << QString("/") << "Olvenka 3.X  " << false;
        QTest::newRow("2.X") << QString() << "Olvenka 2.X" << true;
    }
    void resolvesFiles()
    {
        QFETCH(QString, suffix);
        QFETCH(QString, stored);
        QFETCH(bool, config);
        const bool ini = stored.contains("2.X");
        FakeInstallation f;
        f.writeRegistry(f.productFolder() + suffix, f.dataFolder() + suffix);
        f.setUnit(stored, "001", "2005");
        // user and password of config.ini count only with a server
        f.writeConfig(ini ? "dbhost" : "", "sa", "secret");
        if (ini) {
            f.writeWdIni(f.dataFolder(), "system.mda");
            F::writeFile(f.registryPath(), "rubbish");
        }
        if (!config)
            QVERIFY(QFile::remove(f.productFolder() + "/config.ini"));
        const int before = openConnections();
        QString edition;
        auto db = GetFinanceConnection(f.context(), 1, &edition);
        QVERIFY(db);
        QCOMPARE(f.prompter().records().size(), 0);
        // the unit's own edition text; the system database was closed once the data file was known
        QCOMPARE((QStringList{edition, db->connection().databaseName(),
                              QString::number(openConnections() - before),
                              db->scalar("select count(*) from salary_items").toString()}),
                 (QStringList{stored, f.accountSetPath(), "1", "4"}));
        // finance files are only read
        QVERIFY_THROWS_EXCEPTION(DatabaseError, db->exec("delete from salary_items"));

        SystemDbLocation loc;
        if (ini) {
            // "sys.db" is shorter than "system.mda": cutting ten characters for the data folder reaches into
            // the folder name
            f.writeWdIni(f.dataFolder() + "/", "sys.db");
            QVERIFY(GetSystemDbFromIni(f.context(), loc));
            QCOMPARE(loc.systemDb, f.dataFolder() + "/sys.db");
            QCOMPARE(AccountSetDatabase(loc, "001", "2005.mdb"), f.dataFolder().chopped(3) + "001/2005.mdb");
            return;
        }
        QVERIFY(GetSystemDbFromRegistry(f.context(), "SOFTWARE\\Olvenka\\Lumina 3.0", loc));
        const auto where = [&] { return QStringList{loc.systemDb, loc.server, loc.user, loc.password}; };
        QCOMPARE(where(), (QStringList{f.systemDbPath(), "", "", ""}));
        // With a server the system database is its database; the key in any letter case.
        f.writeConfig("dbhost,1433", "sa", "pw;x");
        QVERIFY(GetSystemDbFromRegistry(f.context(), "software\\olvenka\\LUMINA 3.0", loc));
        QCOMPARE(where(), (QStringList{"ZqLumSys", "dbhost,1433", "sa", "pw;x"}));
        QCOMPARE(AccountSetDatabase(loc, "001", "0012005"), QString("ZqLum0012005"));
        QCOMPARE(f.prompter().records().size(), 0);
    }

    void linkYear_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("year");
        QTest::newRow("blanks") << " 20 05 " << 2005;
        QTest::newRow("trailing text") << "2005年" << 2005;
        QTest::newRow("half to even, down") << "2004.5" << 2004;
        QTest::newRow("half to even, up") << "2005.5" << 2006;
        QTest::newRow("largest") << "32767" << 32767;
    }
    void linkYear()
    {
        QFETCH(QString, text);
        QFETCH(int, year);
        FakeInstallation f;
        f.setUnit("Olvenka 3.X", "001", text);
        FinanceLink link;
        QVERIFY(GetUnitFinanceLink(f.context(), 1, link));
        QCOMPARE(QStringLiteral("%1 %2").arg(link.copyId).arg(link.year), QStringLiteral("001 %1").arg(year));
        QCOMPARE(f.prompter().records().size(), 0);
    }

    // The salary items the unit editor offers: those of the salary table with an index above 0. The year goes
    // into the query as text: copy_year of the fake system database has no type, so a number 2005 would not
    // match the text '2005'.
    void catalogQueries()
    {
        FakeInstallation f;
        QStringList codes;
        for (const auto& item : listSalaryItems(*Database::openSqlite(f.accountSetPath())).value)
            codes << item.code + u' ' + item.name;
        QCOMPARE(codes, QStringList({"YFGZ 应发工资", "Tax 代扣税"}));
        auto sys = Database::openSqlite(f.systemDbPath(), Database::Access::ReadOnly);
        QString dataFile;
        QVERIFY(GetCopyDataFile(f.prompter(), *sys, "001", 2005, dataFile));
        QCOMPARE(dataFile, QString("2005.mdb"));
    }

    void failures_data()
    {
        QTest::addColumn<Arrange>("arrange");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text"); // the exact message, or the start of an error-number message
        QTest::addColumn<QString>("part"); // a part of the error description shown
        const auto notice = [](const char* row, const char* title, const char* text, const Arrange& a) {
            QTest::newRow(row) << a << QString(title) << QString(text) << QString();
        };
        const auto error = [](const char* row, const char* title, int number, const char* part,
                              const Arrange& a) {
            QTest::newRow(row) << a << QString(title) << QString("错误类型：%1\r\n错误描述：").arg(number)
                               << QString(part);
        };
        const auto unit = [](const QVariant& edition, const QVariant& copyId, const QVariant& year) {
            return Arrange([=](F& f) { f.setUnit(edition, copyId, year); });
        };
        const char* tip = "提示信息";
        const char* unitTitle = "单位信息维护";
        const char* link = "建立账务连接出错";
        const char* incomplete = "请先设置您使用的财务软件的版本、账套、年度！";
        const QString v3 = "Olvenka 3.X";
        notice("no edition", tip, incomplete, unit(QVariant(), "001", "2005"));
        notice("empty account set", tip, incomplete, unit(v3, "", "2005"));
        notice("year without a number", tip, incomplete, unit(v3, "001", "abc"));
        error("year out of range", "读取版本、账套信息出错", 6, "溢出", unit(v3, "001", "40000"));
        error("no such unit", "读取版本、账套信息出错", 3021, "没有编号为 1 的单位",
              [](F& f) { f.taxDb().exec("delete from UnitInfo"); });
        notice("edition not listed", tip, "您设置的（财务软件的）版本信息不正确。",
               unit("Olvenka 9.X", "001", "2005"));
        error("own edition table unreadable", link, 1, "lumfver",
              [](F& f) { f.taxDb().exec("drop table lumfver"); });
        const char* noConfig = "无法读出财务软件配置文件位置。";
        notice("no registry file", unitTitle, noConfig, [](F& f) { QFile::remove(f.registryPath()); });
        notice("no ProductFolder", unitTitle, noConfig,
               [](F& f) { f.writeRegistry(QString(), f.dataFolder()); });
        notice("no DATAfolder with a server", unitTitle, "无法读出系统数据库文件夹位置。", [](F& f) {
            f.writeConfig("127.0.0.1,1", "sa", "pw");
            f.writeRegistry(f.productFolder(), QString());
        });
        error("registry file without header", "读取版本信息出错", 1009, "不是注册表导出文件", [](F& f) {
            F::writeFile(f.registryPath(),
                         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Olvenka\\Lumina 3.0]\r\n\"DATAfolder\"=\"/x\"\r\n");
        });
        error("registry file unreadable", "读取版本信息出错", 1016, "无法读取注册表文件", [](F& f) {
            QFile::remove(f.registryPath());
            QDir().mkdir(f.registryPath());
        });
        notice("no WD.ini", tip, "读取配置信息错误。", unit("Olvenka 2.X", "001", "2005"));
        notice("year not in copyinfo", tip, "您设置的账套不正确，不能读出文件位置。", [](F& f) {
            f.setUnit("Olvenka 3.X", "001", "2006");
            QFile::remove(f.accountSetPath()); // would give a second, different message if it were tried
        });
        error("system database missing", link, 3024, "找不到文件",
              [](F& f) { QFile::remove(f.systemDbPath()); });
        error("copyinfo missing", link, 1, "copyinfo",
              [](F& f) { Database::openSqlite(f.systemDbPath())->exec("drop table copyinfo"); });
        error("account set file is no database", link, 26, "不是财务软件的数据库文件",
              [](F& f) { F::writeFile(f.accountSetPath(), "Standard Jet DB, but not really"); });
        error("unknown server engine", link, -2147467259, "oracle", [](F& f) {
            f.writeConfig("dbhost", "sa", "pw");
            f.settings().setValue("Finance", "ServerEngine", "oracle");
        });
    }
    void failures()
    {
        QFETCH(Arrange, arrange);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(QString, part);
        FakeInstallation f;
        arrange(f);
        const auto state = [&] {
            return QList<int>{openConnections(), QFile::exists(f.systemDbPath()),
                              QFile::exists(f.accountSetPath())};
        };
        const QList<int> before = state();

        QString edition = "stale";
        QVERIFY(!GetFinanceConnection(f.context(), 1, &edition));
        QCOMPARE(f.prompter().records().size(), 1);
        const auto& shown = f.prompter().last();
        QCOMPARE(shown.title, title);
        QCOMPARE(shown.buttons, Prompter::Buttons::Ok);
        if (part.isEmpty())
            QCOMPARE(shown.text, text);
        else
            QVERIFY2(shown.text.startsWith(text) && shown.text.contains(part), qPrintable(shown.text));
        if (title == "读取版本、账套信息出错" || text == "请先设置您使用的财务软件的版本、账套、年度！")
            QCOMPARE(edition, QString());
        // nothing stays open and no missing file was created
        QCOMPARE(state(), before);
    }
};

ZQ_TEST(TestFinanceLocator)
#include "TestFinanceLocator.moc"
