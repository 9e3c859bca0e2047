#include "MigrationBench.h"

#include "BenchData.h"
#include "core/Database.h"
#include "core/TaxDatabase.h"
#include "legacy/LegacyMigration.h"
#include "legacy/OldDatabaseFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <mdbtools.h>
#include <sqlite3.h>
#include <stdexcept>
#include <vector>

namespace zq::bench {
namespace {

constexpr int kUnits = 100;
constexpr int kEmployees = 20000;
constexpr int kDeclarations = 120;
constexpr int kRowsPerDeclaration = 1000;

void check(int rc, sqlite3* db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string("sqlite: ") + sqlite3_errmsg(db));
}

void exec(sqlite3* db, const char* sql)
{
    check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db);
}

QByteArray amount(Money m)
{
    return m.format(u"0.0000").toUtf8();
}

// The old database in SQLite form, with the declared types that give the old file's Access types.
void writeOldSqlite(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    exec(db, "begin");
    exec(db,
         "create table UnitInfo (UnitID INTEGER PRIMARY KEY, UnitName VARCHAR(50), ComputerCode VARCHAR(10), "
         "Phone VARCHAR(30), DeclarePerson VARCHAR(20), SoftVer VARCHAR(50), CopyId VARCHAR(10), "
         "copyyear VARCHAR(4), SaCode1 VARCHAR(20), SaCode2 VARCHAR(20), SaCode3 VARCHAR(20), "
         "SaCode4 VARCHAR(20), SaCode5 VARCHAR(20), SaCode6 VARCHAR(20));"
         "create table Employee (UnitID INTEGER, EmpID VARCHAR(8), EmpName VARCHAR(50), IDCard VARCHAR(50), "
         "NationCode VARCHAR(3), ProfCode VARCHAR(4), primary key (UnitID, EmpID));"
         "create table ApplT (AppID INTEGER PRIMARY KEY, UnitID INTEGER, ComputerCode VARCHAR(10), "
         "Phone VARCHAR(30), Month DATETIME, ApplyDate DATETIME, DeclarePerson VARCHAR(20), UnitMen INTEGER, "
         "UnitTaxMen INTEGER, OthMen INTEGER, OthTaxMen INTEGER, InComeM CURRENCY TEXT, TaxMs CURRENCY TEXT, "
         "TaxM CURRENCY TEXT, ReduTaxM CURRENCY TEXT, OutTaxM CURRENCY TEXT, FactTax CURRENCY TEXT, "
         "OweTax CURRENCY TEXT, BookNo VARCHAR(20), UploadResult VARCHAR(255));"
         "create table ApplTInfo (AppID INTEGER, ID INTEGER, RowId INTEGER, IDCard VARCHAR(50), "
         "EmpName VARCHAR(50), NationCode VARCHAR(3), ProfCode VARCHAR(4), ProgCode VARCHAR(2), "
         "InComeM CURRENCY TEXT, TaxM CURRENCY TEXT, TaxRadio DOUBLE, ReduTax CURRENCY TEXT, "
         "NationTax CURRENCY TEXT, TaxM1 CURRENCY TEXT);"
         "create table BmNation (NationCode VARCHAR(3) PRIMARY KEY, NationName VARCHAR(50));"
         "create table BmProfes (ProfCode VARCHAR(4) PRIMARY KEY, ProfName VARCHAR(50));"
         "create table BmItem (ProgCode VARCHAR(2) PRIMARY KEY, ProgName VARCHAR(50));"
         "create table lumfver (lumfver VARCHAR(50), lumfkey VARCHAR(255));"
         "create table Sundries (Name VARCHAR(50), Value VARCHAR(50));"
         "insert into BmNation values ('156', '中国'); insert into BmProfes values ('0200', '专业技术人员');"
         "insert into BmItem values ('01', '工资、薪金所得');"
         "insert into Sundries values ('Password', 'secret');");
    sqlite3_stmt* s = nullptr;
    check(sqlite3_prepare_v2(db,
                             "insert into UnitInfo (UnitID, UnitName, ComputerCode, Phone, DeclarePerson) "
                             "values (?, ?, ?, '0571-88886666', '王会计')",
                             -1, &s, nullptr),
          db);
    for (int u = 1; u <= kUnits; ++u) {
        const QByteArray name = QStringLiteral("杭州第%1机械制造有限公司").arg(u).toUtf8();
        const QByteArray code = QByteArray::number(3301060000LL + u);
        sqlite3_bind_int(s, 1, u);
        sqlite3_bind_text(s, 2, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 3, code.constData(), int(code.size()), SQLITE_TRANSIENT);
        check(sqlite3_step(s), db);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);

    const std::vector<GeneratedRow> people = generateRows(kEmployees);
    check(sqlite3_prepare_v2(db, "insert into Employee values (?, ?, ?, ?, ?, ?)", -1, &s, nullptr), db);
    for (int i = 0; i < kEmployees; ++i) {
        const GeneratedRow& p = people[size_t(i)];
        const QByteArray number = employeeNumber(i);
        sqlite3_bind_int(s, 1, i % kUnits + 1);
        sqlite3_bind_text(s, 2, number.constData(), int(number.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 3, p.name.constData(), int(p.name.size()), SQLITE_STATIC);
        sqlite3_bind_text(s, 4, p.idCard.constData(), int(p.idCard.size()), SQLITE_STATIC);
        sqlite3_bind_text(s, 5, p.nationCode.constData(), int(p.nationCode.size()), SQLITE_STATIC);
        sqlite3_bind_text(s, 6, p.profCode.constData(), int(p.profCode.size()), SQLITE_STATIC);
        check(sqlite3_step(s), db);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);

    const std::vector<GeneratedRow> rows = generateRows(kRowsPerDeclaration);
    sqlite3_stmt* h = nullptr;
    check(sqlite3_prepare_v2(db,
                             "insert into ApplT values (?, ?, '3301061234', '0571-88886666', ?, ?, '王会计', "
                             "1000, 1000, 0, 0, '1234567.8900', '1234567.8900', '234567.8900', '0.0000', "
                             "'12345.6700', '12345.6700', '0.0000', ?, NULL)",
                             -1, &h, nullptr),
          db);
    check(sqlite3_prepare_v2(db, "insert into ApplTInfo values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                             -1, &s, nullptr),
          db);
    for (int a = 1; a <= kDeclarations; ++a) {
        const QByteArray month =
            QStringLiteral("%1-%2-01").arg(1996 + a / 12).arg(a % 12 + 1, 2, 10, QLatin1Char('0')).toUtf8();
        const QByteArray book = QByteArray::number(330106200500000000LL + a);
        sqlite3_bind_int(h, 1, a);
        sqlite3_bind_int(h, 2, a % kUnits + 1);
        sqlite3_bind_text(h, 3, month.constData(), int(month.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(h, 4, month.constData(), int(month.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(h, 5, book.constData(), int(book.size()), SQLITE_TRANSIENT);
        check(sqlite3_step(h), db);
        sqlite3_reset(h);
        for (const GeneratedRow& r : rows) {
            const QByteArray m[5] = {amount(r.income), amount(r.taxable), amount(r.reduction),
                                     amount(r.foreignCredit), amount(r.paid)};
            sqlite3_bind_int(s, 1, a);
            sqlite3_bind_int64(s, 2, r.rowId);
            sqlite3_bind_int64(s, 3, r.rowId);
            sqlite3_bind_text(s, 4, r.idCard.constData(), int(r.idCard.size()), SQLITE_STATIC);
            sqlite3_bind_text(s, 5, r.name.constData(), int(r.name.size()), SQLITE_STATIC);
            sqlite3_bind_text(s, 6, r.nationCode.constData(), int(r.nationCode.size()), SQLITE_STATIC);
            sqlite3_bind_text(s, 7, r.profCode.constData(), int(r.profCode.size()), SQLITE_STATIC);
            sqlite3_bind_text(s, 8, r.progCode.constData(), int(r.progCode.size()), SQLITE_STATIC);
            sqlite3_bind_text(s, 9, m[0].constData(), int(m[0].size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 10, m[1].constData(), int(m[1].size()), SQLITE_TRANSIENT);
            sqlite3_bind_double(s, 11, double(r.rate.raw()) / double(Money::Scale));
            sqlite3_bind_text(s, 12, m[2].constData(), int(m[2].size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 13, m[3].constData(), int(m[3].size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 14, m[4].constData(), int(m[4].size()), SQLITE_TRANSIENT);
            check(sqlite3_step(s), db);
            sqlite3_reset(s);
        }
    }
    sqlite3_finalize(s);
    sqlite3_finalize(h);
    exec(db, "commit");
    sqlite3_close(db);
}

} // namespace

MigrationBench::MigrationBench(const QString& folder) : m_folder(folder)
{
    const QString tool = findSqlite2mdb();
    if (tool.isEmpty()) {
        m_skip = QStringLiteral(
            "no sqlite2mdb beside the sources (set ZQ_SQLITE2MDB) to write the old Access file");
        return;
    }
    const QString sqlitePath = QDir(folder).filePath(QStringLiteral("old.sqlite"));
    m_old = QDir(folder).filePath(QStringLiteral("ZqSalTax.mdb"));
    writeOldSqlite(sqlitePath);
    QProcess p;
    p.start(tool, {sqlitePath, m_old, QStringLiteral("2000")});
    if (!p.waitForFinished(600000) || p.exitCode() != 0)
        throw std::runtime_error("sqlite2mdb failed: " + p.readAllStandardError().toStdString());
    QFile::remove(sqlitePath);
}

void MigrationBench::prepare()
{
    if (!m_own.isEmpty())
        QFile::remove(m_own);
    m_own = QDir(m_folder).filePath(QStringLiteral("own%1.db").arg(++m_generation));
    TaxDatabase::create(m_own);
}

void MigrationBench::runMigration()
{
    const auto own = TaxDatabase::open(m_own);
    const auto old = legacy::openOldDatabase(m_old);
    const auto outcome = legacy::LegacyMigration(*old, *own, m_old).run();
    if (!outcome.ok() || outcome.counts.detailRows != kDeclarations * kRowsPerDeclaration ||
        outcome.counts.employees != kEmployees)
        throw std::runtime_error("the migration did not take over every row: " +
                                 outcome.message.toStdString());
}

void MigrationBench::runBare()
{
    const auto own = TaxDatabase::open(m_own);
    sqlite3* out = own->sqliteHandle();
    MdbHandle* mdb = mdb_open(m_old.toLocal8Bit().constData(), MDB_NOFLAGS);
    if (!mdb)
        throw std::runtime_error("cannot open the old file");
    mdb_set_date_fmt(mdb, "%Y-%m-%d %H:%M:%S");
    mdb_read_catalog(mdb, MDB_TABLE);
    exec(out, "begin");
    for (const QString& name : legacy::LegacyMigration::tableNames()) {
        MdbTableDef* table = mdb_read_table_by_name(mdb, name.toUtf8().data(), MDB_TABLE);
        if (!table)
            throw std::runtime_error("a table is missing");
        mdb_read_columns(table);
        mdb_rewind_table(table);
        const int n = int(table->num_cols);
        std::vector<std::vector<char>> buffers(size_t(n), std::vector<char>(MDB_BIND_SIZE));
        std::vector<int> lengths(buffers.size());
        QStringList marks;
        for (int i = 0; i < n; ++i) {
            mdb_bind_column(table, i + 1, buffers[size_t(i)].data(), &lengths[size_t(i)]);
            marks << QStringLiteral("?");
        }
        sqlite3_stmt* s = nullptr;
        // Code rows the own database has are passed over, as the migration passes them over.
        const QByteArray sql =
            QStringLiteral("insert or ignore into %1 values (%2)").arg(name, marks.join(u',')).toUtf8();
        check(sqlite3_prepare_v2(out, sql.constData(), -1, &s, nullptr), out);
        while (mdb_fetch_row(table)) {
            for (int i = 0; i < n; ++i) {
                if (lengths[size_t(i)] == 0)
                    sqlite3_bind_null(s, i + 1);
                else
                    sqlite3_bind_text(s, i + 1, buffers[size_t(i)].data(), lengths[size_t(i)], SQLITE_STATIC);
            }
            check(sqlite3_step(s), out);
            sqlite3_reset(s);
        }
        sqlite3_finalize(s);
        mdb_free_tabledef(table);
    }
    exec(out, "commit");
    mdb_close(mdb);
}

} // namespace zq::bench
