#include "AccessFile.h"

#include "core/Money.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <limits>
#include <mdbtools.h>
#include <sqlite3.h>
#include <vector>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace zq::finance {
namespace {

// The generic failure of the data providers: the number a failure of a finance file carries.
constexpr int ReadFailure = -2147467259;
constexpr qsizetype Jet3PageSize = 2048;
constexpr qsizetype JetPageSize = 4096;
// Long enough for every text column and for the memos the finance link meets; a longer memo is cut here.
constexpr size_t BindSize = 65536;
// The low bits of a row's offset in a data page; the high ones are the row's flags.
constexpr int RowOffsetMask = 0x1fff;
// An amount with at most this many digits (four of them decimals) is exact as a double's shortest form.
constexpr qint64 ExactAsDouble = 1000000000000000LL; // 10^15 ten-thousandths

DatabaseError fileError(const QString& shown, const QString& what,
                        DatabaseError::Kind kind = DatabaseError::Kind::Other)
{
    int number = ReadFailure;
    if (kind == DatabaseError::Kind::CannotOpen)
        number = DatabaseError::CannotOpenNumber;
    else if (kind == DatabaseError::Kind::NoPermission)
        number = DatabaseError::NoPermissionNumber;
    return DatabaseError(kind, number, what.arg(shown));
}

DatabaseError damaged(const QString& shown, const QString& detail)
{
    return DatabaseError(ReadFailure, QStringLiteral("文件“") + shown +
                                          QStringLiteral("”已损坏，无法读取：") + detail + u'。');
}

qsizetype pageSizeOf(FileKind kind)
{
    return kind == FileKind::Jet3 ? Jet3PageSize : JetPageSize;
}

// Without its page usage map libmdb follows a null pointer when it looks for a table's next data page.
bool hasUsageMap(const MdbTableDef& def)
{
    return def.usage_map && def.map_sz > 0;
}

// The checks made before libmdb sees a file: it must be an Access file of whole pages, at least the header
// page, the free-space map and the catalog's definition.
FileKind checkHeader(QByteArrayView head, qint64 size, const QString& shown)
{
    if (size == 0)
        throw fileError(shown, QStringLiteral("文件“%1”是空的，不是财务软件的数据库文件。"));
    const FileKind kind = detectFileKind(head);
    if (kind == FileKind::NotADatabase || kind == FileKind::Sqlite)
        throw fileError(shown, QStringLiteral("文件“%1”不是财务软件的数据库文件。"));
    const qsizetype page = pageSizeOf(kind);
    if (size % page != 0 || size < 3 * page)
        throw DatabaseError(ReadFailure, QStringLiteral("文件“%1”不完整：长度 %2 字节不是整数个 %3 字节的页，"
                                                        "文件可能在复制时被截断。")
                                             .arg(shown)
                                             .arg(size)
                                             .arg(page));
    return kind;
}

// The text of a column as libmdb binds it, and what it is.
struct Value {
    enum Kind { Null, Integer, Real, Money, Text } kind = Null;
    qint64 i = 0; // Integer; Money in ten-thousandths
    double d = 0;
    const char* s = nullptr; // Text (UTF-8, not terminated at len)
    int len = 0;
};

// "-12345.6789" as ten-thousandths; false for anything else (more than four decimals included).
bool parseMoney(const char* s, int len, qint64& raw)
{
    int p = 0;
    bool negative = false;
    if (p < len && (s[p] == '-' || s[p] == '+'))
        negative = s[p++] == '-';
    qint64 v = 0;
    int digits = 0;
    int decimals = -1;
    for (; p < len; ++p) {
        const char c = s[p];
        if (c == '.' && decimals < 0) {
            decimals = 0;
            continue;
        }
        if (c < '0' || c > '9')
            return false;
        if (decimals >= 0 && ++decimals > 4)
            return false;
        if (v > (std::numeric_limits<qint64>::max() - 9) / 10)
            return false;
        v = v * 10 + (c - '0');
        ++digits;
    }
    if (digits == 0)
        return false;
    for (int k = std::max(decimals, 0); k < 4; ++k) {
        if (v > std::numeric_limits<qint64>::max() / 10)
            return false;
        v *= 10;
    }
    raw = negative ? -v : v;
    return true;
}

// An amount with its four decimals, as exact text.
QString moneyText(qint64 raw)
{
    return Money::fromRaw(raw).format(u"0.0000");
}

ColumnType columnTypeOf(const MdbColumn& c)
{
    switch (c.col_type) {
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_REPID:
        return ColumnType::Text;
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        return ColumnType::Integer;
    case MDB_FLOAT:
    case MDB_DOUBLE:
        return ColumnType::Real;
    case MDB_MONEY:
        return ColumnType::Money;
    case MDB_NUMERIC:
        return c.col_scale <= 4 ? ColumnType::Money : ColumnType::Real;
    case MDB_DATETIME:
        return ColumnType::Date;
    default:
        return ColumnType::Skipped;
    }
}

QString quoted(const QString& name)
{
    QString n = name;
    n.replace(u'"', QStringLiteral("\"\""));
    return u'"' + n + u'"';
}

QString declaredType(ColumnType t)
{
    switch (t) {
    case ColumnType::Integer:
        return QStringLiteral(" INTEGER");
    case ColumnType::Real:
        return QStringLiteral(" REAL");
    case ColumnType::Money: // no affinity: a REAL and an exact TEXT both stay as they are
    case ColumnType::Skipped:
        return QString();
    case ColumnType::Text:
    case ColumnType::Date:
        break;
    }
    return QStringLiteral(" TEXT");
}

[[noreturn]] void throwSqlite(sqlite3* db, const QString& shown)
{
    throw DatabaseError(sqlite3_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)) +
                                                 QStringLiteral("（读取文件“%1”时）").arg(shown));
}

struct Statement {
    sqlite3_stmt* s = nullptr;
    ~Statement() { sqlite3_finalize(s); }
};

void execSql(sqlite3* db, const QString& sql, const QString& shown)
{
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throwSqlite(db, shown);
}

} // namespace

QString fileKindName(FileKind kind)
{
    switch (kind) {
    case FileKind::Sqlite:
        return QStringLiteral("SQLite");
    case FileKind::Jet3:
        return QStringLiteral("Jet 3");
    case FileKind::Jet4:
        return QStringLiteral("Jet 4");
    case FileKind::Ace:
        return QStringLiteral("ACE");
    case FileKind::NotADatabase:
        break;
    }
    return QStringLiteral("not a database");
}

QString columnTypeName(ColumnType type)
{
    switch (type) {
    case ColumnType::Text:
        return QStringLiteral("TEXT");
    case ColumnType::Integer:
        return QStringLiteral("INTEGER");
    case ColumnType::Real:
        return QStringLiteral("REAL");
    case ColumnType::Money:
        return QStringLiteral("exact money");
    case ColumnType::Date:
        return QStringLiteral("date");
    case ColumnType::Skipped:
        break;
    }
    return QStringLiteral("binary (not read)");
}

FileKind detectFileKind(QByteArrayView head)
{
    if (head.startsWith(QByteArrayView("SQLite format 3\0", 16)))
        return FileKind::Sqlite;
    if (head.size() < 0x18 || head[0] != 0 || head[1] != 1 || head[2] != 0 || head[3] != 0)
        return FileKind::NotADatabase;
    const QByteArrayView magic = head.sliced(4, 16);
    const auto version = quint8(head[0x14]);
    if (magic == QByteArrayView("Standard Jet DB\0", 16)) {
        if (version == MDB_VER_JET3)
            return FileKind::Jet3;
        if (version == MDB_VER_JET4)
            return FileKind::Jet4;
    } else if (magic == QByteArrayView("Standard ACE DB\0", 16)) {
        if (version >= MDB_VER_ACCDB_2007 && version <= MDB_VER_ACCDB_2019)
            return FileKind::Ace;
    }
    return FileKind::NotADatabase;
}

namespace {

// The first page of a file (enough for its header) and the file's size; a missing or unreadable file is
// refused with the reader's own messages.
QByteArray readHead(const QString& path, const QString& shown, qint64* size = nullptr)
{
    const QFileInfo fi(path);
    if (!fi.exists() || fi.isDir())
        throw fileError(shown, QStringLiteral("找不到文件“%1”。"), DatabaseError::Kind::CannotOpen);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw fileError(shown, QStringLiteral("不能读取文件“%1”：") + f.errorString(),
                        DatabaseError::Kind::NoPermission);
    if (size)
        *size = f.size();
    return f.read(JetPageSize);
}

} // namespace

FileKind detectFileKind(const QString& path)
{
    return detectFileKind(QByteArrayView(readHead(path, QDir::toNativeSeparators(path))));
}

struct AccessFile::Handle {
    MdbHandle* mdb = nullptr;
    QByteArray bytes; // the file's bytes when read from memory; libmdb reads them in place
    qint64 size = 0;
    ~Handle()
    {
        if (mdb)
            mdb_close(mdb);
    }
};

AccessFile::AccessFile(std::unique_ptr<Handle> handle, QString shown, FileKind kind)
    : m_handle(std::move(handle)), m_shown(std::move(shown)), m_kind(kind)
{
}

AccessFile::~AccessFile() = default;

namespace {

void prepareCharset(FileKind kind, const QString& jet3Charset)
{
    // libmdb takes the code page of Jet 3 text from the environment when it opens a file.
    if (kind == FileKind::Jet3)
        qputenv("MDB_JET3_CHARSET",
                (jet3Charset.trimmed().isEmpty() ? QStringLiteral("GBK") : jet3Charset.trimmed()).toLatin1());
}

} // namespace

std::unique_ptr<AccessFile> AccessFile::open(const QString& path, const QString& jet3Charset)
{
    const QString shown = QDir::toNativeSeparators(path);
    qint64 size = 0;
    const QByteArray head = readHead(path, shown, &size);
    const FileKind kind = checkHeader(QByteArrayView(head), size, shown);
    prepareCharset(kind, jet3Charset);
    auto handle = std::make_unique<Handle>();
    handle->size = size;
    // Read-only: libmdb opens the file for reading and never writes to it.
    handle->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!handle->mdb)
        throw fileError(shown, QStringLiteral("文件“%1”无法作为 Access 数据库打开。"));
    std::unique_ptr<AccessFile> file(new AccessFile(std::move(handle), shown, kind));
    file->readCatalog();
    return file;
}

std::unique_ptr<AccessFile> AccessFile::fromBytes(const QByteArray& bytes, const QString& shownName,
                                                  const QString& jet3Charset)
{
    const FileKind kind = checkHeader(QByteArrayView(bytes), bytes.size(), shownName);
    prepareCharset(kind, jet3Charset);
    auto handle = std::make_unique<Handle>();
    handle->bytes = bytes;
    handle->size = bytes.size();
    handle->mdb = mdb_open_buffer(handle->bytes.data(), size_t(handle->bytes.size()), MDB_NOFLAGS);
    if (!handle->mdb)
        throw fileError(shownName, QStringLiteral("文件“%1”无法作为 Access 数据库打开。"));
    std::unique_ptr<AccessFile> file(new AccessFile(std::move(handle), shownName, kind));
    file->readCatalog();
    return file;
}

void AccessFile::readCatalog()
{
    MdbHandle* mdb = m_handle->mdb;
    // A page-encoding key in the header: every page but the first is enciphered.
    if (mdb->f->db_key != 0)
        throw fileError(m_shown, QStringLiteral("文件“%1”已加密，无法读取。请在财务软件中撤销数据库的"
                                                "加密后再试。"));
    // The catalog's definition is page 2; enciphered pages (an encrypted ACE file) show no definition there.
    {
        const qsizetype page = pageSizeOf(m_kind);
        QByteArray second(2, '\0');
        if (!m_handle->bytes.isEmpty()) {
            second = m_handle->bytes.mid(2 * page, 2);
        } else if (mdb_read_alt_pg(mdb, 2) == page) {
            second = QByteArray(reinterpret_cast<const char*>(mdb->alt_pg_buf), 2);
        }
        if (second.size() < 1 || second[0] != MDB_PAGE_TABLE)
            throw fileError(m_shown, QStringLiteral("文件“%1”已加密或已损坏，无法读取（找不到表目录）。"));
    }
    mdb_set_date_fmt(mdb, "%Y-%m-%d %H:%M:%S");
    mdb_set_shortdate_fmt(mdb, "%Y-%m-%d %H:%M:%S");
    mdb_set_boolean_fmt_numbers(mdb);
    mdb_set_bind_size(mdb, BindSize);
    // libmdb reads the catalog as a table whose definition is page 2: its usage map is checked first.
    {
        MdbCatalogEntry catalog{};
        catalog.mdb = mdb;
        catalog.object_type = MDB_TABLE;
        catalog.table_pg = 2;
        std::snprintf(catalog.object_name, sizeof catalog.object_name, "%s", "MSysObjects");
        MdbTableDef* def = mdb_read_table(&catalog);
        const bool mapped = def && hasUsageMap(*def);
        if (def)
            mdb_free_tabledef(def);
        if (!mapped)
            throw damaged(m_shown, QStringLiteral("表目录的数据页索引无法读取"));
    }
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        throw damaged(m_shown, QStringLiteral("读不出表目录"));
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry))
            continue;
        AccessTable t;
        t.name = QString::fromUtf8(entry->object_name);
        MdbTableDef* def = mdb_read_table(entry);
        if (!def)
            throw damaged(m_shown, QStringLiteral("读不出表“%1”的定义").arg(t.name));
        if (!mdb_read_columns(def)) {
            mdb_free_tabledef(def);
            throw damaged(m_shown, QStringLiteral("读不出表“%1”的列").arg(t.name));
        }
        t.rows = def->num_rows;
        for (unsigned c = 0; c < def->num_cols; ++c) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, c));
            t.columns << AccessColumn{QString::fromUtf8(col->name), columnTypeOf(*col)};
        }
        mdb_free_tabledef(def);
        m_tables << std::move(t);
    }
}

const AccessTable* AccessFile::table(const QString& name) const
{
    for (const AccessTable& t : m_tables)
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

template <typename Sink> void AccessFile::readTable(const AccessTable& table, qint64 maxRows, Sink&& sink)
{
    MdbHandle* mdb = m_handle->mdb;
    const QByteArray name = table.name.toUtf8();
    MdbCatalogEntry* entry = nullptr;
    for (unsigned i = 0; i < mdb->num_catalog && !entry; ++i) {
        auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (e->object_type == MDB_TABLE && name == e->object_name)
            entry = e;
    }
    MdbTableDef* def = entry ? mdb_read_table(entry) : nullptr;
    if (!def)
        throw damaged(m_shown, QStringLiteral("读不出表“%1”的定义").arg(table.name));
    struct Guard {
        MdbTableDef* def;
        ~Guard() { mdb_free_tabledef(def); }
    } guard{def};
    if (!mdb_read_columns(def) || def->num_cols != unsigned(table.columns.size()) ||
        def->num_cols > MDB_MAX_COLS)
        throw damaged(m_shown, QStringLiteral("读不出表“%1”的列").arg(table.name));
    if (!hasUsageMap(*def))
        throw damaged(m_shown, QStringLiteral("表“%1”的数据页索引无法读取").arg(table.name));
    mdb_rewind_table(def);

    const int n = int(def->num_cols);
    std::vector<int> kinds(n);
    std::vector<int> lens(n, 0);
    std::vector<std::vector<char>> buffers(n);
    for (int c = 0; c < n; ++c) {
        const ColumnType t = table.columns[c].type;
        kinds[c] = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, c))->col_type;
        if (t == ColumnType::Skipped)
            continue;
        buffers[c].assign(BindSize + 1, '\0');
        mdb_bind_column(def, c + 1, buffers[c].data(), &lens[c]);
    }
    // A row needs at least its two-byte place on a page: more rows than that is a damaged table that
    // would otherwise be read without end.
    const qint64 limit = m_handle->size / 2;
    std::vector<Value> values(n);
    std::vector<MdbField> fields(MDB_MAX_COLS);
    qint64 count = 0;
    while ((maxRows < 0 || count < maxRows) && mdb_fetch_row(def)) {
        if (++count > limit)
            throw damaged(m_shown, QStringLiteral("表“%1”的行数超出了文件的容量").arg(table.name));
        bool cracked = false;
        for (int c = 0; c < n; ++c) {
            Value& v = values[c];
            v = Value{};
            const ColumnType t = table.columns[c].type;
            if (t == ColumnType::Skipped)
                continue;
            const int len = std::clamp(lens[c], 0, int(BindSize));
            const char* s = buffers[c].data();
            if (kinds[c] == MDB_BOOL) {
                v.kind = Value::Integer;
                v.i = (len > 0 && s[0] == '1') ? 1 : 0;
                continue;
            }
            if (len == 0) {
                // Nothing bound is NULL or an empty text; the row's null flags tell them apart.
                if (t == ColumnType::Text) {
                    if (!cracked) {
                        int start = 0;
                        size_t size = 0;
                        // A row's offset carries flags in its top bits (deleted, lookup), which
                        // the library masks off before cracking the row itself.
                        cracked = mdb_find_row(mdb, int(def->cur_row) - 1, &start, &size) == 0 &&
                                  mdb_crack_row(def, start & RowOffsetMask, size, fields.data()) == n;
                        if (!cracked)
                            throw damaged(
                                m_shown, QStringLiteral("读不出表“%1”的第 %2 行").arg(table.name).arg(count));
                    }
                    if (!fields[c].is_null) {
                        v.kind = Value::Text;
                        v.s = s;
                        v.len = 0;
                    }
                }
                continue;
            }
            switch (t) {
            case ColumnType::Integer: {
                bool ok = false;
                const qint64 i = QByteArray::fromRawData(s, len).toLongLong(&ok);
                if (ok) {
                    v.kind = Value::Integer;
                    v.i = i;
                } else {
                    v.kind = Value::Text;
                    v.s = s;
                    v.len = len;
                }
                break;
            }
            case ColumnType::Real: {
                bool ok = false;
                const double d = QByteArray::fromRawData(s, len).toDouble(&ok);
                if (ok && std::isfinite(d)) {
                    v.kind = Value::Real;
                    v.d = d;
                } else {
                    v.kind = Value::Text;
                    v.s = s;
                    v.len = len;
                }
                break;
            }
            case ColumnType::Money:
                if (parseMoney(s, len, v.i)) {
                    v.kind = Value::Money;
                } else {
                    v.kind = Value::Text;
                    v.s = s;
                    v.len = len;
                }
                break;
            case ColumnType::Text:
            case ColumnType::Date:
            case ColumnType::Skipped:
                v.kind = Value::Text;
                v.s = s;
                v.len = len;
                break;
            }
        }
        sink(values);
    }
}

void AccessFile::loadInto(sqlite3* db, const QStringList& names, bool missingIsError)
{
    QList<const AccessTable*> chosen;
    if (names.isEmpty()) {
        for (const AccessTable& t : m_tables)
            chosen << &t;
    } else {
        for (const QString& n : names) {
            const AccessTable* t = table(n);
            if (t && !chosen.contains(t))
                chosen << t;
            else if (!t && missingIsError)
                throw DatabaseError(ReadFailure, QStringLiteral("文件“%1”中没有表“%2”。").arg(m_shown, n));
        }
    }
    execSql(db, QStringLiteral("begin"), m_shown);
    try {
        for (const AccessTable* t : chosen) {
            QStringList defs;
            QStringList marks;
            for (const AccessColumn& c : t->columns) {
                if (c.type == ColumnType::Skipped)
                    continue;
                defs << quoted(c.name) + declaredType(c.type);
                marks << QStringLiteral("?");
            }
            if (defs.isEmpty())
                continue;
            execSql(db, QStringLiteral("create table ") + quoted(t->name) + u'(' + defs.join(u',') + u')',
                    m_shown);
            Statement ins;
            const QByteArray sql = (QStringLiteral("insert into ") + quoted(t->name) +
                                    QStringLiteral(" values(") + marks.join(u',') + u')')
                                       .toUtf8();
            if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &ins.s, nullptr) != SQLITE_OK)
                throwSqlite(db, m_shown);
            readTable(*t, -1, [&](const std::vector<Value>& values) {
                int p = 0;
                for (size_t c = 0; c < values.size(); ++c) {
                    if (t->columns[qsizetype(c)].type == ColumnType::Skipped)
                        continue;
                    const Value& v = values[c];
                    ++p;
                    switch (v.kind) {
                    case Value::Null:
                        sqlite3_bind_null(ins.s, p);
                        break;
                    case Value::Integer:
                        sqlite3_bind_int64(ins.s, p, v.i);
                        break;
                    case Value::Real:
                        sqlite3_bind_double(ins.s, p, v.d);
                        break;
                    case Value::Money:
                        if (v.i < ExactAsDouble && v.i > -ExactAsDouble) {
                            sqlite3_bind_double(ins.s, p, double(v.i) / 10000.0);
                        } else {
                            const QByteArray text = moneyText(v.i).toLatin1();
                            sqlite3_bind_text(ins.s, p, text.constData(), int(text.size()), SQLITE_TRANSIENT);
                        }
                        break;
                    case Value::Text:
                        sqlite3_bind_text(ins.s, p, v.s, v.len, SQLITE_TRANSIENT);
                        break;
                    }
                }
                if (sqlite3_step(ins.s) != SQLITE_DONE)
                    throwSqlite(db, m_shown);
                sqlite3_reset(ins.s);
            });
        }
        execSql(db, QStringLiteral("commit"), m_shown);
    } catch (...) {
        sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
        throw;
    }
}

std::unique_ptr<Database> AccessFile::load(const QStringList& names, bool missingIsError)
{
    auto result = Database::openMemory(QStringLiteral("zq-access-"));
    loadInto(result->sqliteHandle(), names, missingIsError);
    return result;
}

std::unique_ptr<Database> AccessFile::loadFileAsDatabase(const QString& path, const QStringList& names,
                                                         bool missingIsError, const QString& jet3Charset,
                                                         Loaded* loaded)
{
    auto result = Database::openMemory(QStringLiteral("zq-access-"));
    const Loaded l = loadFile(result->sqliteHandle(), path, jet3Charset, names, missingIsError);
    if (loaded)
        *loaded = l;
    return result;
}

QList<QVariantList> AccessFile::rows(const QString& tableName, qint64 maxRows)
{
    const AccessTable* t = table(tableName);
    if (!t)
        throw DatabaseError(ReadFailure, QStringLiteral("文件“%1”中没有表“%2”。").arg(m_shown, tableName));
    QList<QVariantList> out;
    readTable(*t, maxRows, [&](const std::vector<Value>& values) {
        QVariantList row;
        for (size_t c = 0; c < values.size(); ++c) {
            if (t->columns[qsizetype(c)].type == ColumnType::Skipped)
                continue;
            const Value& v = values[c];
            switch (v.kind) {
            case Value::Null:
                row << QVariant();
                break;
            case Value::Integer:
                row << QVariant(v.i);
                break;
            case Value::Real:
                row << QVariant(v.d);
                break;
            case Value::Money:
                row << QVariant(moneyText(v.i));
                break;
            case Value::Text:
                row << QVariant(QString::fromUtf8(v.s, v.len));
                break;
            }
        }
        out << std::move(row);
    });
    return out;
}

} // namespace zq::finance

namespace zq::finance {
namespace {

std::atomic<qint64> g_lastChildPeakKb{0};

void writeTables(QDataStream& out, FileKind kind, const QList<AccessTable>& tables)
{
    out << qint32(kind) << qint32(tables.size());
    for (const AccessTable& t : tables) {
        out << t.name << t.rows << qint32(t.columns.size());
        for (const AccessColumn& c : t.columns)
            out << c.name << qint32(c.type);
    }
}

AccessFile::Loaded readTables(QDataStream& in)
{
    AccessFile::Loaded loaded;
    qint32 kind = 0, count = 0;
    in >> kind >> count;
    loaded.kind = FileKind(kind);
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        AccessTable t;
        qint32 columns = 0;
        in >> t.name >> t.rows >> columns;
        for (qint32 c = 0; c < columns && in.status() == QDataStream::Ok; ++c) {
            AccessColumn col;
            qint32 type = 0;
            in >> col.name >> type;
            col.type = ColumnType(type);
            t.columns << col;
        }
        loaded.tables << t;
    }
    return loaded;
}

AccessFile::Loaded loadHere(sqlite3* db, const QString& path, const QString& jet3Charset,
                            const QStringList& names, bool missingIsError)
{
    const auto file = AccessFile::open(path, jet3Charset);
    file->loadInto(db, names, missingIsError);
    return AccessFile::Loaded{file->kind(), file->tables()};
}

#ifdef Q_OS_UNIX
bool writeAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

// The child's side: the loaded database's image, or the error, written to fd; never returns.
[[noreturn]] void childLoads(int fd, const QString& path, const QString& jet3Charset,
                             const QStringList& names, bool missingIsError)
{
    // libmdb reports what it finds odd on standard error, a damaged file in endless lines: not for the user.
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) {
        ::dup2(null, STDERR_FILENO);
        ::close(null);
    }
#if !defined(__SANITIZE_ADDRESS__) && !defined(ZQ_NO_CHILD_MEMORY_LIMIT)
    // libmdb can also allocate without end on some damaged files: the child may take 1 GB plus eight times
    // the file's size, and ends (as damaged) when it wants more. (Left out under AddressSanitizer, whose
    // shadow memory a limit of the address space would refuse.)
    {
        const qint64 size = QFileInfo(path).size();
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = rlim_t((qint64(1) << 30) + 8 * size);
        ::setrlimit(RLIMIT_AS, &limit);
    }
#endif
    // What is sent: the size and bytes of a message (the kind and tables, or the error), then on success the
    // size and bytes of the database's image, straight from the memory that holds it.
    QByteArray message;
    sqlite3* db = nullptr;
    unsigned char* image = nullptr;
    sqlite3_int64 imageSize = 0;
    try {
        if (sqlite3_open_v2("file:/zq-access-load?vfs=memdb", &db,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI,
                            nullptr) != SQLITE_OK)
            throw DatabaseError(ReadFailure, QStringLiteral("内存数据库不可用。"));
        const AccessFile::Loaded loaded = loadHere(db, path, jet3Charset, names, missingIsError);
        image = sqlite3_serialize(db, "main", &imageSize, SQLITE_SERIALIZE_NOCOPY);
        if (!image) // the child ends right after sending, so a copy needs no freeing
            image = sqlite3_serialize(db, "main", &imageSize, 0);
        if (!image)
            throw DatabaseError(ReadFailure, QStringLiteral("内存不足。"));
        QDataStream out(&message, QIODevice::WriteOnly);
        out << quint8(0);
        writeTables(out, loaded.kind, loaded.tables);
    } catch (const DatabaseError& e) {
        image = nullptr;
        message.clear();
        QDataStream out(&message, QIODevice::WriteOnly);
        out << quint8(1) << qint32(e.kind()) << qint32(e.number()) << e.description();
    } catch (...) {
        message.clear();
    }
    const qint64 size = message.size();
    bool ok = size > 0 && writeAll(fd, reinterpret_cast<const char*>(&size), sizeof size) &&
              writeAll(fd, message.constData(), size);
    if (ok && image) {
        const qint64 n = imageSize;
        ok = writeAll(fd, reinterpret_cast<const char*>(&n), sizeof n) &&
             writeAll(fd, reinterpret_cast<const char*>(image), n);
    }
    ::_exit(ok ? 0 : 1);
}

// Reads exactly size bytes before the deadline; false at the end of the data or when the time is up.
bool readExactly(int fd, char* into, qint64 size, const QDeadlineTimer& deadline, bool& timedOut)
{
    while (size > 0) {
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, int(std::min<qint64>(deadline.remainingTime(), 1000)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            if (deadline.hasExpired()) {
                timedOut = true;
                return false;
            }
            continue;
        }
        const ssize_t n = ::read(fd, into, size_t(std::min<qint64>(size, 1 << 20)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        into += n;
        size -= n;
    }
    return true;
}
#endif

} // namespace

qint64 AccessFile::lastChildPeakKb()
{
    return g_lastChildPeakKb;
}

AccessFile::Loaded AccessFile::loadFile(sqlite3* db, const QString& path, const QString& jet3Charset,
                                        const QStringList& names, bool missingIsError, int timeoutSeconds)
{
#ifndef Q_OS_UNIX
    Q_UNUSED(timeoutSeconds);
    return loadHere(db, path, jet3Charset, names, missingIsError);
#else
    const QString shown = QDir::toNativeSeparators(path);
    // What can be told without libmdb is told here, with the reader's own messages.
    {
        qint64 size = 0;
        const QByteArray head = readHead(path, shown, &size);
        checkHeader(QByteArrayView(head), size, shown);
        if (timeoutSeconds <= 0)
            timeoutSeconds = 30 + int(2 * (size >> 20));
    }
    int fds[2];
    if (::pipe(fds) != 0)
        return loadHere(db, path, jet3Charset, names, missingIsError);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return loadHere(db, path, jet3Charset, names, missingIsError);
    }
    if (pid == 0) {
        ::close(fds[0]);
        childLoads(fds[1], path, jet3Charset, names, missingIsError);
    }
    ::close(fds[1]);

    // The message, then the image read straight into memory that SQLite takes over.
    const QDeadlineTimer deadline{std::chrono::seconds(timeoutSeconds)};
    bool timedOut = false;
    QByteArray message;
    unsigned char* image = nullptr;
    qint64 imageSize = 0;
    {
        qint64 size = 0;
        if (readExactly(fds[0], reinterpret_cast<char*>(&size), sizeof size, deadline, timedOut) &&
            size > 0 && size < (qint64(1) << 30)) {
            message.resize(qsizetype(size));
            if (!readExactly(fds[0], message.data(), size, deadline, timedOut))
                message.clear();
        }
        if (!message.isEmpty() && message[0] == 0 &&
            readExactly(fds[0], reinterpret_cast<char*>(&imageSize), sizeof imageSize, deadline, timedOut) &&
            imageSize > 0) {
            image = static_cast<unsigned char*>(sqlite3_malloc64(sqlite3_uint64(imageSize)));
            if (image &&
                !readExactly(fds[0], reinterpret_cast<char*>(image), imageSize, deadline, timedOut)) {
                sqlite3_free(image);
                image = nullptr;
            }
        }
    }
    ::close(fds[0]);
    if (timedOut)
        ::kill(pid, SIGKILL);
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    g_lastChildPeakKb = qint64(usage.ru_maxrss);
    struct ImageGuard {
        unsigned char*& image;
        ~ImageGuard() { sqlite3_free(image); }
    } guard{image};
    if (timedOut)
        throw damaged(shown, QStringLiteral("读取超过了 %1 秒仍未结束").arg(timeoutSeconds));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || message.isEmpty())
        throw damaged(shown, QStringLiteral("读取程序意外中止"));
    QDataStream in(message);
    quint8 kind = 0;
    in >> kind;
    if (kind == 1) {
        qint32 errorKind = 0, number = 0;
        QString description;
        in >> errorKind >> number >> description;
        throw DatabaseError(DatabaseError::Kind(errorKind), number, description);
    }
    Loaded loaded = readTables(in);
    if (in.status() != QDataStream::Ok || !image)
        throw damaged(shown, QStringLiteral("读取程序意外中止"));
    unsigned char* taken = image;
    image = nullptr; // SQLite frees it from here on, also when it refuses it
    if (sqlite3_deserialize(db, "main", taken, imageSize, imageSize,
                            SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_RESIZEABLE) != SQLITE_OK)
        throwSqlite(db, shown);
    return loaded;
#endif
}

} // namespace zq::finance
