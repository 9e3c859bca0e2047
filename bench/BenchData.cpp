#include "BenchData.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <fcntl.h>
#include <random>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace zq::bench {
namespace {

const char* const kSurnames[] = {
    "王", "李", "张", "刘", "陈", "杨", "黄", "赵",   "吴",   "周",   "徐",   "孙",  "马", "朱", "胡",
    "郭", "何", "高", "林", "罗", "郑", "梁", "谢",   "宋",   "唐",   "许",   "韩",  "冯", "邓", "曹",
    "彭", "曾", "肖", "田", "董", "袁", "潘", "于",   "蒋",   "蔡",   "余",   "杜",  "叶", "程", "苏",
    "魏", "吕", "丁", "任", "沈", "姚", "卢", "姜",   "崔",   "钟",   "谭",   "陆",  "汪", "范", "金",
    "石", "廖", "贾", "夏", "韦", "方", "白", "邹",   "孟",   "熊",   "秦",   "邱",  "江", "尹", "薛",
    "段", "雷", "侯", "龙", "史", "陶", "黎", "贺",   "顾",   "毛",   "郝",   "龚",  "邵", "万", "钱",
    "严", "武", "戴", "莫", "孔", "向", "汤", "欧阳", "司马", "诸葛", "上官", "皇甫"};
const char* const kGiven[] = {"伟", "芳", "娜", "秀", "英", "敏", "静", "丽", "强", "磊", "军", "洋",
                              "勇", "艳", "杰", "娟", "涛", "明", "超", "兰", "霞", "平", "刚", "桂",
                              "文", "华", "建", "国", "红", "玉", "志", "晓", "海", "燕", "鹏", "辉",
                              "俊", "婷", "雪", "琳", "浩", "宇", "欣", "怡", "博", "晨", "子", "轩",
                              "梓", "涵", "嘉", "瑞", "德", "慧", "珍", "斌"};
const char* const kRegions[] = {"110101", "110105", "120103", "310104", "310115", "320102", "330106",
                                "350203", "370202", "410105", "420106", "430104", "440106", "440305",
                                "500103", "510107", "610113", "210203", "230103", "530102"};
const char* const kProfessions[] = {"0100", "0200", "0201", "0202", "0300", "0400", "0500", "0600"};

// Monthly brackets on the taxable income: upper bound, rate in percent, quick deduction (yuan).
struct Bracket {
    qint64 upTo;
    int rate;
    qint64 deduction;
};
const Bracket kBrackets[] = {{500, 5, 0},       {2000, 10, 25},      {5000, 15, 125},
                             {20000, 20, 375},  {40000, 25, 1375},   {60000, 30, 3375},
                             {80000, 35, 6375}, {100000, 40, 10375}, {INT64_MAX / 10000, 45, 15375}};

QByteArray identityNumber(std::mt19937_64& rng)
{
    static const int weights[] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    static const char checks[] = "10X98765432";
    const int year = 1960 + int(rng() % 43);
    const int month = 1 + int(rng() % 12);
    const int day = 1 + int(rng() % 28);
    char body[18];
    std::snprintf(body, sizeof body, "%s%04d%02d%02d%03d", kRegions[rng() % std::size(kRegions)], year, month,
                  day, int(rng() % 1000));
    int sum = 0;
    for (int i = 0; i < 17; ++i)
        sum += (body[i] - '0') * weights[i];
    QByteArray id(body, 17);
    id += checks[sum % 11];
    return id;
}

QByteArray personName(std::mt19937_64& rng)
{
    QByteArray name = kSurnames[rng() % std::size(kSurnames)];
    const int given = 1 + int(rng() % 2);
    for (int i = 0; i < given; ++i)
        name += kGiven[rng() % std::size(kGiven)];
    return name;
}

// Cents to a stored amount.
Money cents(qint64 c)
{
    return Money::fromRaw(c * 100);
}

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

void check(sqlite3* db, int rc, int expected = SQLITE_OK)
{
    if (rc != expected)
        throw std::runtime_error(std::string("sqlite: ") + sqlite3_errmsg(db));
}

} // namespace

std::vector<GeneratedRow> generateRows(qint64 count)
{
    std::mt19937_64 rng(20051101);
    std::vector<GeneratedRow> rows;
    rows.reserve(size_t(count));
    QSet<QByteArray> used; // a declaration names every person once
    used.reserve(count);
    for (qint64 i = 1; i <= count; ++i) {
        GeneratedRow r;
        r.rowId = i;
        do
            r.idCard = identityNumber(rng);
        while (used.contains(r.idCard));
        used.insert(r.idCard);
        r.name = personName(rng);
        r.nationCode = "001";
        r.profCode = kProfessions[rng() % std::size(kProfessions)];
        r.progCode = "01";
        const qint64 incomeCents = 200000 + qint64(rng() % 4800000); // 2,000.00 to 50,000.00
        const qint64 taxableCents = std::max<qint64>(0, incomeCents - 160000);
        const Bracket* b = kBrackets;
        while (taxableCents > b->upTo * 100)
            ++b;
        const qint64 paidCents =
            std::max<qint64>(0, (taxableCents * b->rate + 50) / 100 - b->deduction * 100);
        r.income = cents(incomeCents);
        r.taxable = cents(taxableCents);
        r.rate = Money::fromUnits(b->rate);
        r.paid = cents(paidCents);
        rows.push_back(std::move(r));
    }
    return rows;
}

void insertRows(sqlite3* db, qint64 appId, const std::vector<GeneratedRow>& rows)
{
    check(db, sqlite3_exec(db, "begin", nullptr, nullptr, nullptr));
    try {
        Statement s;
        static const char sql[] =
            "insert into ApplTInfo(AppID, ID, RowId, IDCard, EmpName, NationCode, ProfCode, "
            "ProgCode, InComeM, TaxM, TaxRadio, ReduTax, NationTax, TaxM1) "
            "values(?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
        check(db, sqlite3_prepare_v2(db, sql, int(sizeof sql), &s.stmt, nullptr));
        for (const GeneratedRow& r : rows) {
            sqlite3_bind_int64(s.stmt, 1, appId);
            sqlite3_bind_int64(s.stmt, 2, r.rowId);
            sqlite3_bind_int64(s.stmt, 3, r.rowId);
            sqlite3_bind_text(s.stmt, 4, r.idCard.constData(), int(r.idCard.size()), SQLITE_STATIC);
            sqlite3_bind_text(s.stmt, 5, r.name.constData(), int(r.name.size()), SQLITE_STATIC);
            sqlite3_bind_text(s.stmt, 6, r.nationCode.constData(), int(r.nationCode.size()), SQLITE_STATIC);
            sqlite3_bind_text(s.stmt, 7, r.profCode.constData(), int(r.profCode.size()), SQLITE_STATIC);
            sqlite3_bind_text(s.stmt, 8, r.progCode.constData(), int(r.progCode.size()), SQLITE_STATIC);
            sqlite3_bind_int64(s.stmt, 9, r.income.raw());
            sqlite3_bind_int64(s.stmt, 10, r.taxable.raw());
            sqlite3_bind_int64(s.stmt, 11, r.rate.raw());
            sqlite3_bind_int64(s.stmt, 12, r.reduction.raw());
            sqlite3_bind_int64(s.stmt, 13, r.foreignCredit.raw());
            sqlite3_bind_int64(s.stmt, 14, r.paid.raw());
            check(db, sqlite3_step(s.stmt), SQLITE_DONE);
            sqlite3_reset(s.stmt);
        }
        check(db, sqlite3_exec(db, "commit", nullptr, nullptr, nullptr));
    } catch (...) {
        sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
        throw;
    }
}

qint64 readRows(sqlite3* db, qint64 appId)
{
    Statement s;
    static const char sql[] = "select RowId, IDCard, EmpName, NationCode, ProfCode, ProgCode, InComeM, TaxM, "
                              "TaxRadio, ReduTax, NationTax, TaxM1 from ApplTInfo where AppID = ?1 "
                              "order by RowId, _rowid_";
    check(db, sqlite3_prepare_v2(db, sql, int(sizeof sql), &s.stmt, nullptr));
    sqlite3_bind_int64(s.stmt, 1, appId);
    qint64 sum = 0;
    int rc;
    // Through each column's value: the sqlite3_column_* accessors take the connection's mutex on every call.
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
        sum += sqlite3_value_int64(sqlite3_column_value(s.stmt, 0));
        for (int c = 1; c <= 5; ++c) {
            sqlite3_value* v = sqlite3_column_value(s.stmt, c);
            const unsigned char* text = sqlite3_value_text(v);
            sum += sqlite3_value_bytes(v) + (text ? text[0] : 0);
        }
        for (int c = 6; c <= 11; ++c)
            sum += sqlite3_value_int64(sqlite3_column_value(s.stmt, c));
    }
    check(db, rc, SQLITE_DONE);
    return sum;
}

void writeSynced(const QString& path, const QByteArray& bytes)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + native.toStdString());
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0) {
            ::close(fd);
            throw std::runtime_error("cannot write " + native.toStdString());
        }
        done += n;
    }
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    if (!ok)
        throw std::runtime_error("cannot sync " + native.toStdString());
}

} // namespace zq::bench

namespace zq::bench {

QByteArray employeeNumber(qint64 i)
{
    return QByteArray::number(i + 1).rightJustified(6, '0');
}

void writePayroll(const QString& path, const std::vector<GeneratedRow>& rows, int months)
{
    sqlite3* db = nullptr;
    const QByteArray file = path.toUtf8();
    if (sqlite3_open(file.constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot create " + path.toStdString());
    }
    struct Closer {
        sqlite3* db;
        ~Closer() { sqlite3_close(db); }
    } closer{db};
    check(db,
          sqlite3_exec(db,
                       "create table employee (emp_id TEXT PRIMARY KEY, emp_name TEXT, Audi_Code TEXT, "
                       "dd_flag INTEGER);"
                       "create table salary (copy_month TEXT, emp_id TEXT, YFGZ REAL, Tax REAL, SFZH TEXT, "
                       "PRIMARY KEY (copy_month, emp_id));"
                       "begin",
                       nullptr, nullptr, nullptr));
    Statement employee, salary;
    static const char employeeSql[] = "insert into employee values(?,?,?,?)";
    static const char salarySql[] = "insert into salary values(?,?,?,?,?)";
    check(db, sqlite3_prepare_v2(db, employeeSql, int(sizeof employeeSql), &employee.stmt, nullptr));
    check(db, sqlite3_prepare_v2(db, salarySql, int(sizeof salarySql), &salary.stmt, nullptr));
    for (size_t i = 0; i < rows.size(); ++i) {
        const GeneratedRow& r = rows[i];
        const QByteArray id = employeeNumber(qint64(i));
        sqlite3_bind_text(employee.stmt, 1, id.constData(), int(id.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(employee.stmt, 2, r.name.constData(), int(r.name.size()), SQLITE_STATIC);
        sqlite3_bind_text(employee.stmt, 3, r.idCard.constData(), int(r.idCard.size()), SQLITE_STATIC);
        sqlite3_bind_int(employee.stmt, 4, i % 50 == 49 ? 1 : 0); // a few have left
        check(db, sqlite3_step(employee.stmt), SQLITE_DONE);
        sqlite3_reset(employee.stmt);
        for (int m = 1; m <= months; ++m) {
            const QByteArray month = QByteArray::number(m).rightJustified(2, '0');
            sqlite3_bind_text(salary.stmt, 1, month.constData(), 2, SQLITE_TRANSIENT);
            sqlite3_bind_text(salary.stmt, 2, id.constData(), int(id.size()), SQLITE_TRANSIENT);
            sqlite3_bind_double(salary.stmt, 3, double(r.income.raw()) / 10000.0);
            sqlite3_bind_double(salary.stmt, 4, double(r.paid.raw()) / 10000.0);
            sqlite3_bind_text(salary.stmt, 5, r.idCard.constData(), int(r.idCard.size()), SQLITE_STATIC);
            check(db, sqlite3_step(salary.stmt), SQLITE_DONE);
            sqlite3_reset(salary.stmt);
        }
    }
    check(db, sqlite3_exec(db, "commit", nullptr, nullptr, nullptr));
}

QString findSqlite2mdb()
{
    const QString set = qEnvironmentVariable("ZQ_SQLITE2MDB");
    if (!set.isEmpty())
        return QFileInfo(set).isExecutable() ? set : QString();
    for (const char* place :
         {ZQ_SOURCE_DIR "/../shared/tools/sqlite2mdb", ZQ_SOURCE_DIR "/../../shared/tools/sqlite2mdb"})
        if (QFileInfo(QString::fromUtf8(place)).isExecutable())
            return QString::fromUtf8(place);
    return QStandardPaths::findExecutable(QStringLiteral("sqlite2mdb"));
}

} // namespace zq::bench
