#include "LegacyMigration.h"

#include "core/Database.h"
#include "core/Dates.h"
#include "core/Decimal.h"
#include "core/Money.h"
#include "core/PasswordStore.h"

#include <QDir>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QTime>
#include <cmath>
#include <limits>
#include <sqlite3.h>
#include <vector>

namespace zq::legacy {
namespace {

// What the own database keeps in a column, and so how an old value is read into it.
enum class Kind {
    Text,         // text as stored; NULL stays NULL
    RequiredText, // text that the own schema needs (NOT NULL)
    Key,          // a whole number that the own schema needs
    Integer,      // a whole number; NULL stays NULL
    Money,        // ten-thousandths; NULL stays NULL
    Date,         // yyyy-mm-dd
    Month,        // the first day of the month, yyyy-mm-01
};

struct ColumnSpec {
    const char* name;
    Kind kind;
};

struct TableSpec {
    const char* name;
    std::vector<ColumnSpec> columns;
    std::vector<int> keyColumns; // what names a row in the messages
    bool unique;                 // whether the key columns must be unique
};

const std::vector<TableSpec>& dataTables()
{
    static const std::vector<TableSpec> tables = {
        {"UnitInfo",
         {{"UnitID", Kind::Key},
          {"UnitName", Kind::Text},
          {"ComputerCode", Kind::Text},
          {"Phone", Kind::Text},
          {"DeclarePerson", Kind::Text},
          {"SoftVer", Kind::Text},
          {"CopyId", Kind::Text},
          {"copyyear", Kind::Text},
          {"SaCode1", Kind::Text},
          {"SaCode2", Kind::Text},
          {"SaCode3", Kind::Text},
          {"SaCode4", Kind::Text},
          {"SaCode5", Kind::Text},
          {"SaCode6", Kind::Text}},
         {0},
         true},
        {"Employee",
         {{"UnitID", Kind::Key},
          {"EmpID", Kind::RequiredText},
          {"EmpName", Kind::Text},
          {"IDCard", Kind::Text},
          {"NationCode", Kind::Text},
          {"ProfCode", Kind::Text}},
         {0, 1},
         true},
        {"ApplT",
         {{"AppID", Kind::Key},          {"UnitID", Kind::Integer},    {"ComputerCode", Kind::Text},
          {"Phone", Kind::Text},         {"Month", Kind::Month},       {"ApplyDate", Kind::Date},
          {"DeclarePerson", Kind::Text}, {"UnitMen", Kind::Integer},   {"UnitTaxMen", Kind::Integer},
          {"OthMen", Kind::Integer},     {"OthTaxMen", Kind::Integer}, {"InComeM", Kind::Money},
          {"TaxMs", Kind::Money},        {"TaxM", Kind::Money},        {"ReduTaxM", Kind::Money},
          {"OutTaxM", Kind::Money},      {"FactTax", Kind::Money},     {"OweTax", Kind::Money},
          {"BookNo", Kind::Text},        {"UploadResult", Kind::Text}},
         {0},
         true},
        {"ApplTInfo",
         {{"AppID", Kind::Integer},
          {"ID", Kind::Integer},
          {"RowId", Kind::Integer},
          {"IDCard", Kind::Text},
          {"EmpName", Kind::Text},
          {"NationCode", Kind::Text},
          {"ProfCode", Kind::Text},
          {"ProgCode", Kind::Text},
          {"InComeM", Kind::Money},
          {"TaxM", Kind::Money},
          {"TaxRadio", Kind::Money},
          {"ReduTax", Kind::Money},
          {"NationTax", Kind::Money},
          {"TaxM1", Kind::Money}},
         {0, 2},
         false},
    };
    return tables;
}

// The code tables: code column and name column. Rows whose code the own database lacks are added.
struct CodeTable {
    const char* name;
    const char* code;
    const char* label;
};
constexpr CodeTable kCodeTables[] = {
    {"BmNation", "NationCode", "NationName"},
    {"BmProfes", "ProfCode", "ProfName"},
    {"BmItem", "ProgCode", "ProgName"},
    {"lumfver", "lumfver", "lumfkey"},
};

// A statement on a SQLite handle, finalised when it goes out of scope.
class Statement {
public:
    Statement(const Database& db, const QString& sql) : m_db(db)
    {
        sqlite3* h = db.sqliteHandle();
        if (!h)
            throw DatabaseError(-1, QStringLiteral("数据库不是 SQLite 数据库。"));
        const int rc = sqlite3_prepare_v2(h, sql.toUtf8().constData(), -1, &m_stmt, nullptr);
        if (rc != SQLITE_OK)
            db.throwSqliteError(rc);
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool next()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            m_db.throwSqliteError(rc);
        return false;
    }
    // Runs a write to completion and resets for the next run.
    void exec()
    {
        const int rc = sqlite3_step(m_stmt);
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        if (rc != SQLITE_DONE)
            m_db.throwSqliteError(rc);
    }
    sqlite3_stmt* get() const { return m_stmt; }

private:
    const Database& m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// One value of the old database as SQLite holds it.
struct Cell {
    int type = SQLITE_NULL;
    qint64 integer = 0;
    double real = 0;
    QString text;

    static Cell read(sqlite3_stmt* s, int i)
    {
        Cell c;
        c.type = sqlite3_column_type(s, i);
        switch (c.type) {
        case SQLITE_INTEGER:
            c.integer = sqlite3_column_int64(s, i);
            break;
        case SQLITE_FLOAT:
            c.real = sqlite3_column_double(s, i);
            break;
        case SQLITE_TEXT:
            c.text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, i)),
                                       sqlite3_column_bytes(s, i));
            break;
        default:
            break;
        }
        return c;
    }
    bool isNull() const { return type == SQLITE_NULL; }
    // How the value is shown in a problem line.
    QString shown() const
    {
        switch (type) {
        case SQLITE_NULL:
            return QStringLiteral("NULL");
        case SQLITE_INTEGER:
            return QString::number(integer);
        case SQLITE_FLOAT:
            return QString::number(real, 'g', QLocale::FloatingPointShortest);
        case SQLITE_TEXT:
            return QStringLiteral("“%1”").arg(text);
        default:
            return QStringLiteral("(二进制数据)");
        }
    }
};

// A value for the own database: NULL, a whole number or a text.
struct Out {
    enum class Type { Null, Integer, Text } type = Type::Null;
    qint64 integer = 0;
    QString text;

    static Out null() { return {}; }
    static Out number(qint64 v) { return {Type::Integer, v, {}}; }
    static Out string(QString s) { return {Type::Text, 0, std::move(s)}; }
    QString keyPart() const
    {
        switch (type) {
        case Type::Null:
            return QStringLiteral("\x01");
        case Type::Integer:
            return QString::number(integer);
        case Type::Text:
            return text;
        }
        return {};
    }
    void bind(sqlite3_stmt* s, int i) const
    {
        switch (type) {
        case Type::Null:
            sqlite3_bind_null(s, i);
            break;
        case Type::Integer:
            sqlite3_bind_int64(s, i, integer);
            break;
        case Type::Text:
            sqlite3_bind_text16(s, i, text.utf16(), int(text.size() * sizeof(char16_t)), SQLITE_TRANSIENT);
            break;
        }
    }
};

// The reading of one value, or why it cannot be taken over.
struct Converted {
    Out value;
    QString problem;
};

Converted refused(const QString& why)
{
    return {Out::null(), why};
}

Converted toText(const Cell& c, bool required)
{
    switch (c.type) {
    case SQLITE_NULL:
        return required ? refused(QStringLiteral("不能为空")) : Converted{};
    case SQLITE_TEXT:
        return {Out::string(c.text), {}};
    case SQLITE_INTEGER:
        return {Out::string(QString::number(c.integer)), {}};
    case SQLITE_FLOAT:
        return {Out::string(QString::number(c.real, 'g', QLocale::FloatingPointShortest)), {}};
    default:
        return refused(QStringLiteral("不是文本"));
    }
}

Converted toInteger(const Cell& c, bool required)
{
    switch (c.type) {
    case SQLITE_NULL:
        return required ? refused(QStringLiteral("不能为空")) : Converted{};
    case SQLITE_INTEGER:
        return {Out::number(c.integer), {}};
    case SQLITE_FLOAT:
        // 2^63 itself is out of range, so compare below it.
        if (std::isfinite(c.real) && std::trunc(c.real) == c.real && std::fabs(c.real) < 9.2e18)
            return {Out::number(qint64(c.real)), {}};
        return refused(QStringLiteral("不是整数"));
    case SQLITE_TEXT: {
        if (c.text.trimmed().isEmpty())
            return required ? refused(QStringLiteral("不能为空")) : Converted{Out::number(0), {}};
        const auto d = Decimal::parse(c.text);
        if (!d || !Decimal{false, QString(), d->fracDigits}.isZero())
            return refused(QStringLiteral("不是整数"));
        QString digits = d->intDigits;
        while (digits.size() > 1 && digits.startsWith(u'0'))
            digits.remove(0, 1);
        bool ok = digits.size() <= 18;
        const qint64 v = ok ? digits.toLongLong(&ok) : 0;
        if (!ok)
            return refused(QStringLiteral("不是整数或超出范围"));
        return {Out::number(d->negative ? -v : v), {}};
    }
    default:
        return refused(QStringLiteral("不是整数"));
    }
}

Converted toMoney(const Cell& c)
{
    switch (c.type) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        if (c.integer > std::numeric_limits<qint64>::max() / zq::Money::Scale ||
            c.integer < std::numeric_limits<qint64>::min() / zq::Money::Scale)
            return refused(QStringLiteral("金额超出范围"));
        return {Out::number(c.integer * zq::Money::Scale), {}};
    case SQLITE_FLOAT: {
        // A double (and Currency of up to 15 digits) is read through its shortest decimal form and rounded
        // half away from zero to four places.
        const auto m = zq::Money::fromForeign(QVariant(c.real));
        if (!m)
            return refused(QStringLiteral("不是数字或超出范围"));
        return {Out::number(m->raw()), {}};
    }
    case SQLITE_TEXT: {
        // Currency beyond a double's digits comes as its exact decimal text; a text column is read by the
        // same number rules as an entry, and an empty entry counts as 0.
        if (c.text.trimmed().isEmpty())
            return {Out::number(0), {}};
        const auto m = zq::Money::parse(c.text);
        if (!m)
            return refused(QStringLiteral("不是数字或超出范围"));
        return {Out::number(m->raw()), {}};
    }
    default:
        return refused(QStringLiteral("不是数字"));
    }
}

Converted toDate(const Cell& c, bool month)
{
    if (c.isNull())
        return {};
    if (c.type != SQLITE_TEXT)
        return refused(QStringLiteral("不是日期"));
    // A Date/Time comes as "yyyy-MM-dd HH:mm:ss"; a text may hold "yyyy-m-d" or "yyyy/m/d", a month "yyyy-m".
    QString t = c.text.trimmed();
    QString time;
    const qsizetype cut = t.indexOf(QRegularExpression(QStringLiteral("[ T]")));
    if (cut > 0) {
        time = t.mid(cut + 1).trimmed();
        t.truncate(cut);
    }
    t.replace(u'/', u'-');
    QDate d = Dates::parse(t);
    if (!d.isValid() && month && t.count(u'-') == 1)
        d = Dates::parseMonth(t);
    if (!d.isValid())
        return refused(QStringLiteral("不是日期"));
    if (!time.isEmpty() && !QTime::fromString(time, QStringLiteral("H:mm:ss")).isValid() &&
        !QTime::fromString(time, QStringLiteral("H:mm")).isValid())
        return refused(QStringLiteral("不是日期"));
    if (month)
        d = QDate(d.year(), d.month(), 1);
    return {Out::string(Dates::formatDate(d)), {}};
}

Converted convert(const Cell& c, Kind kind)
{
    switch (kind) {
    case Kind::Text:
        return toText(c, false);
    case Kind::RequiredText:
        return toText(c, true);
    case Kind::Key:
        return toInteger(c, true);
    case Kind::Integer:
        return toInteger(c, false);
    case Kind::Money:
        return toMoney(c);
    case Kind::Date:
        return toDate(c, false);
    case Kind::Month:
        return toDate(c, true);
    }
    return {};
}

QString quoted(const QString& name)
{
    return u'"' + QString(name).replace(u'"', QLatin1String("\"\"")) + u'"';
}

QString columnList(const std::vector<ColumnSpec>& columns)
{
    QStringList names;
    for (const ColumnSpec& c : columns)
        names << quoted(QLatin1String(c.name));
    return names.join(u',');
}

// Lower-case names of a table's columns; empty when the table does not exist.
QSet<QString> columnsOf(const Database& db, const QString& table)
{
    QSet<QString> names;
    Statement s(db, QStringLiteral("pragma table_info(%1)").arg(quoted(table)));
    while (s.next())
        names.insert(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 1))).toLower());
    return names;
}

struct Required {
    QString table;
    QStringList columns;
};

const QList<Required>& requiredParts()
{
    static const QList<Required> parts = [] {
        QList<Required> r;
        for (const TableSpec& t : dataTables()) {
            Required q{QLatin1String(t.name), {}};
            for (const ColumnSpec& c : t.columns)
                q.columns << QLatin1String(c.name);
            r << q;
        }
        for (const CodeTable& t : kCodeTables)
            r << Required{QLatin1String(t.name), {QLatin1String(t.code), QLatin1String(t.label)}};
        r << Required{QStringLiteral("Sundries"), {QStringLiteral("Name"), QStringLiteral("Value")}};
        return r;
    }();
    return parts;
}

// Collects the problems: all are counted, the first MaxListed kept.
class Problems {
public:
    void add(MigrationProblem p)
    {
        if (m_list.size() < LegacyMigration::MaxListed)
            m_list << std::move(p);
        ++m_count;
    }
    bool any() const { return m_count > 0; }
    qint64 count() const { return m_count; }
    const QList<MigrationProblem>& list() const { return m_list; }

private:
    QList<MigrationProblem> m_list;
    qint64 m_count = 0;
};

class Cancelled {};

// Counts rows and asks the caller whether to go on.
class Ticker {
public:
    Ticker(const LegacyMigration::Progress& progress, qint64 total) : m_progress(progress), m_total(total) {}
    void step()
    {
        ++m_done;
        if ((m_done & 255) == 0)
            report();
    }
    void report()
    {
        if (m_progress && !m_progress(m_done, m_total))
            throw Cancelled();
    }

private:
    const LegacyMigration::Progress& m_progress;
    qint64 m_total;
    qint64 m_done = 0;
};

} // namespace

QString MigrationProblem::toText() const
{
    QString line = QStringLiteral("%1（%2）").arg(table, key);
    if (!column.isEmpty())
        line += QStringLiteral("%1 = %2").arg(column, value);
    return line + QStringLiteral("：") + reason;
}

const QStringList& LegacyMigration::tableNames()
{
    static const QStringList names = [] {
        QStringList n;
        for (const Required& r : requiredParts())
            n << r.table;
        return n;
    }();
    return names;
}

QStringList LegacyMigration::missingParts(const Database& db)
{
    QStringList missing;
    for (const Required& r : requiredParts()) {
        const QSet<QString> have = columnsOf(db, r.table);
        if (have.isEmpty()) {
            missing << r.table;
            continue;
        }
        for (const QString& c : r.columns)
            if (!have.contains(c.toLower()))
                missing << r.table + u'.' + c;
    }
    return missing;
}

bool LegacyMigration::isEmptyOwnDatabase(const Database& own)
{
    return own.scalar(
                  QStringLiteral("select (select count(*) from UnitInfo) + (select count(*) from Employee) + "
                                 "(select count(*) from ApplT) + (select count(*) from ApplTInfo)"))
               .toLongLong() == 0;
}

QString LegacyMigration::ownNotEmptyMessage()
{
    return QStringLiteral(
        "当前数据库中已有单位、员工或申报表。旧版数据只能导入到空的数据库中，什么也没有导入。");
}

QString LegacyMigration::cancelledMessage()
{
    return QStringLiteral("导入已取消，什么也没有导入。");
}

LegacyMigration::LegacyMigration(const Database& old, Database& own, QString sourceName)
    : m_old(old), m_own(own), m_source(std::move(sourceName))
{
}

MigrationOutcome LegacyMigration::run(const Progress& progress)
{
    using Status = MigrationOutcome::Status;
    MigrationOutcome outcome;
    const QString source = QDir::toNativeSeparators(m_source);

    const QStringList missing = missingParts(m_old);
    if (!missing.isEmpty()) {
        outcome.status = Status::NotOldDatabase;
        constexpr int shown = 8;
        QString list = missing.mid(0, shown).join(QStringLiteral("、"));
        if (missing.size() > shown)
            list += QStringLiteral(" 等 %1 项").arg(missing.size());
        outcome.message =
            QStringLiteral("“%1”不是旧版程序的数据库：缺少 %2。什么也没有导入。").arg(source, list);
        return outcome;
    }
    if (!isEmptyOwnDatabase(m_own)) {
        outcome.status = Status::OwnNotEmpty;
        outcome.message = ownNotEmptyMessage();
        return outcome;
    }

    qint64 total = 0;
    for (const QString& t : tableNames())
        total += m_old.scalar(QStringLiteral("select count(*) from %1").arg(quoted(t))).toLongLong();
    Ticker ticker(progress, total);
    Problems problems;
    MigrationCounts& counts = outcome.counts;

    Transaction tx(m_own);
    try {
        ticker.report();
        QSet<qint64> units;
        for (const TableSpec& t : dataTables()) {
            const QString table = QLatin1String(t.name);
            const QString cols = columnList(t.columns);
            Statement read(m_old, QStringLiteral("select %1 from %2").arg(cols, quoted(table)));
            QStringList marks;
            for (size_t i = 0; i < t.columns.size(); ++i)
                marks << QStringLiteral("?");
            Statement write(
                m_own, QStringLiteral("insert into %1 (%2) values (%3)").arg(table, cols, marks.join(u',')));
            QSet<QString> keys;
            std::vector<Cell> cells(t.columns.size());
            std::vector<Out> values(t.columns.size());
            qint64 rowNumber = 0;
            while (read.next()) {
                ++rowNumber;
                ticker.step();
                for (size_t i = 0; i < t.columns.size(); ++i)
                    cells[i] = Cell::read(read.get(), int(i));
                // The row's place in a message, made only when a problem is found.
                const auto key = [&] {
                    QStringList keyText;
                    for (int k : t.keyColumns)
                        keyText << QStringLiteral("%1=%2").arg(
                            QLatin1String(t.columns[k].name),
                            cells[k].type == SQLITE_TEXT ? cells[k].text : cells[k].shown());
                    return QStringLiteral("第 %1 行，").arg(rowNumber) + keyText.join(QStringLiteral(", "));
                };
                bool rowOk = true;
                for (size_t i = 0; i < t.columns.size(); ++i) {
                    Converted c = convert(cells[i], t.columns[i].kind);
                    if (!c.problem.isEmpty()) {
                        problems.add(
                            {table, key(), QLatin1String(t.columns[i].name), cells[i].shown(), c.problem});
                        rowOk = false;
                    }
                    values[i] = std::move(c.value);
                }
                if (!rowOk)
                    continue;
                if (t.unique) {
                    QString k;
                    for (int i : t.keyColumns)
                        k += values[i].keyPart() + u'\x1f';
                    if (keys.contains(k)) {
                        problems.add({table, key(), {}, {}, QStringLiteral("编号重复")});
                        continue;
                    }
                    keys.insert(k);
                }
                if (problems.any())
                    continue; // nothing will be written; the rest is only read for its problems
                for (size_t i = 0; i < values.size(); ++i)
                    values[i].bind(write.get(), int(i + 1));
                try {
                    write.exec();
                } catch (const DatabaseError& e) {
                    problems.add({table, key(), {}, {}, e.description()});
                    continue;
                }
                if (table == QLatin1String("UnitInfo")) {
                    units.insert(values[0].integer);
                    ++counts.units;
                } else if (table == QLatin1String("Employee")) {
                    ++counts.employees;
                    if (!units.contains(values[0].integer))
                        ++counts.orphanEmployees;
                } else if (table == QLatin1String("ApplT")) {
                    ++counts.declarations;
                    if (values[1].type == Out::Type::Null || !units.contains(values[1].integer))
                        ++counts.orphanDeclarations;
                } else {
                    ++counts.detailRows;
                }
            }
        }

        for (const CodeTable& t : kCodeTables) {
            const QString table = QLatin1String(t.name);
            QSet<QString> have;
            {
                Statement own(m_own,
                              QStringLiteral("select %1 from %2").arg(quoted(QLatin1String(t.code)), table));
                while (own.next()) {
                    const Cell c = Cell::read(own.get(), 0);
                    have.insert(c.text);
                }
            }
            Statement read(m_old, QStringLiteral("select %1, %2 from %3")
                                      .arg(quoted(QLatin1String(t.code)), quoted(QLatin1String(t.label)),
                                           quoted(table)));
            Statement write(m_own, QStringLiteral("insert into %1 (%2, %3) values (?, ?)")
                                       .arg(table, QLatin1String(t.code), QLatin1String(t.label)));
            qint64 rowNumber = 0;
            while (read.next()) {
                ++rowNumber;
                ticker.step();
                const Cell code = Cell::read(read.get(), 0);
                const Cell name = Cell::read(read.get(), 1);
                const QString key = QStringLiteral("第 %1 行，%2=%3")
                                        .arg(rowNumber)
                                        .arg(QLatin1String(t.code), code.isNull() ? code.shown() : code.text);
                const Converted c = toText(code, true);
                const Converted n = toText(name, false);
                if (!c.problem.isEmpty())
                    problems.add({table, key, QLatin1String(t.code), code.shown(), c.problem});
                if (!n.problem.isEmpty())
                    problems.add({table, key, QLatin1String(t.label), name.shown(), n.problem});
                if (problems.any() || have.contains(c.value.text))
                    continue; // a code the own database has keeps its own name
                have.insert(c.value.text);
                c.value.bind(write.get(), 1);
                n.value.bind(write.get(), 2);
                write.exec();
                ++counts.codes;
            }
        }

        // The login password: the first "Password" row, the name compared without letter case as before.
        QString password;
        {
            Statement read(m_old, QStringLiteral("select Name, Value from Sundries"));
            bool found = false;
            while (read.next()) {
                ticker.step();
                const Cell name = Cell::read(read.get(), 0);
                if (found || name.type != SQLITE_TEXT ||
                    name.text.compare(u"Password", Qt::CaseInsensitive) != 0)
                    continue;
                found = true;
                const Cell value = Cell::read(read.get(), 1);
                const Converted v = toText(value, false);
                if (!v.problem.isEmpty())
                    problems.add({QStringLiteral("Sundries"), QStringLiteral("Name=Password"),
                                  QStringLiteral("Value"), value.shown(), v.problem});
                else
                    password = v.value.text;
            }
        }
        ticker.report();
        if (problems.any()) {
            outcome.status = Status::BadValues;
            outcome.problems = problems.list();
            outcome.problemCount = problems.count();
            QStringList lines;
            for (const MigrationProblem& p : problems.list())
                lines << p.toText();
            outcome.message =
                QStringLiteral("旧版数据库“%1”中有 %2 个值不能转入，什么也没有导入：\r\n%3")
                    .arg(source, QString::number(problems.count()), lines.join(QStringLiteral("\r\n")));
            if (problems.count() > problems.list().size())
                outcome.message +=
                    QStringLiteral("\r\n……另有 %1 个未列出。").arg(problems.count() - problems.list().size());
            outcome.counts = {};
            return outcome; // the transaction rolls back
        }
        PasswordStore(m_own).set(password);
        counts.passwordTaken = !password.isEmpty();
        tx.commit();
    } catch (const Cancelled&) {
        outcome = {};
        outcome.status = Status::Cancelled;
        outcome.message = cancelledMessage();
        return outcome;
    }

    QString m =
        QStringLiteral("旧版数据库“%1”已导入：\r\n单位 %2 个，员工 %3 人，申报表 %4 张（明细 %5 行）。")
            .arg(source, QString::number(counts.units), QString::number(counts.employees),
                 QString::number(counts.declarations), QString::number(counts.detailRows));
    if (counts.orphanEmployees || counts.orphanDeclarations)
        m += QStringLiteral("\r\n其中 %1 名员工、%2 张申报表属于旧版中已删除的单位，照原样保留。")
                 .arg(counts.orphanEmployees)
                 .arg(counts.orphanDeclarations);
    if (counts.codes)
        m += QStringLiteral("\r\n补充代码 %1 条。").arg(counts.codes);
    m += counts.passwordTaken ? QStringLiteral("\r\n登录口令已转入：下次启动时请输入旧版的口令。")
                              : QStringLiteral("\r\n旧版没有设置口令：下次启动时请创建口令。");
    outcome.message = m;
    return outcome;
}

} // namespace zq::legacy
