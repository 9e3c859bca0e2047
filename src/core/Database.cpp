#include "Database.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <sqlite3.h>

namespace zq {
namespace {

DatabaseError::Kind kindOfSqliteCode(int code)
{
    switch (code & 0xFF) {
    case SQLITE_PERM:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
        return DatabaseError::Kind::NoPermission;
    case SQLITE_CANTOPEN:
        return DatabaseError::Kind::CannotOpen;
    default:
        return DatabaseError::Kind::Other;
    }
}

int kindNumber(DatabaseError::Kind kind, int native)
{
    switch (kind) {
    case DatabaseError::Kind::InvalidPath:
        return DatabaseError::InvalidPathNumber;
    case DatabaseError::Kind::CannotOpen:
        return DatabaseError::CannotOpenNumber;
    case DatabaseError::Kind::NoPermission:
        return DatabaseError::NoPermissionNumber;
    case DatabaseError::Kind::Other:
        break;
    }
    return native;
}

DatabaseError openError(const QSqlError& e, const QString& path)
{
    bool ok = false;
    const int native = e.nativeErrorCode().toInt(&ok);
    const auto kind = ok ? kindOfSqliteCode(native) : DatabaseError::Kind::CannotOpen;
    QString text = e.databaseText().trimmed();
    if (text.isEmpty())
        text = e.text().trimmed();
    return DatabaseError(kind, kindNumber(kind, native),
                         text + QStringLiteral(" (") + QDir::toNativeSeparators(path) + u')');
}

void bindAll(QSqlQuery& q, const QVariantList& binds)
{
    for (qsizetype i = 0; i < binds.size(); ++i)
        q.bindValue(int(i), binds[i]);
}

} // namespace

int Rows::column(QStringView name) const
{
    for (qsizetype i = 0; i < columns.size(); ++i)
        if (QStringView(columns[i]).compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

QVariant Rows::value(qsizetype r, QStringView name) const
{
    const int c = column(name);
    if (c < 0 || r < 0 || r >= data.size())
        return QVariant();
    return data[r][c];
}

QString Database::uniqueConnectionName(const QString& prefix)
{
    static QAtomicInt counter;
    return prefix + QString::number(counter.fetchAndAddRelaxed(1) + 1);
}

Database::Database(QString connectionName) : m_name(std::move(connectionName)) {}

Database::~Database()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

std::unique_ptr<Database> Database::adopt(const QString& connectionName)
{
    return std::unique_ptr<Database>(new Database(connectionName));
}

std::unique_ptr<Database> Database::openMemory(const QString& namePrefix)
{
    const QString name = uniqueConnectionName(namePrefix);
    // Owning the name from here on removes the connection again whatever happens below.
    auto result = adopt(name);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (!db.open())
            throw DatabaseError::fromSqlError(db.lastError());
    }
    if (!result->sqliteHandle())
        throw DatabaseError(DatabaseError::Kind::Other, -2147467259, QStringLiteral("内存数据库不可用。"));
    return result;
}

std::unique_ptr<Database> Database::openSqlite(const QString& path, Access access, const QString& ownTable)
{
    using Kind = DatabaseError::Kind;
    const QString shown = QDir::toNativeSeparators(path);
    if (path.trimmed().isEmpty())
        throw DatabaseError(Kind::InvalidPath, DatabaseError::InvalidPathNumber,
                            QStringLiteral("数据库路径为空。"));
    const QFileInfo fi(path);
    if (!QFileInfo(fi.absolutePath()).isDir())
        throw DatabaseError(Kind::InvalidPath, DatabaseError::InvalidPathNumber,
                            QStringLiteral("“%1”不是有效的路径。").arg(shown));
    if (fi.isDir())
        throw DatabaseError(Kind::CannotOpen, DatabaseError::CannotOpenNumber,
                            QStringLiteral("“%1”是一个文件夹，不是数据库文件。").arg(shown));
    if (!fi.exists())
        throw DatabaseError(Kind::CannotOpen, DatabaseError::CannotOpenNumber,
                            QStringLiteral("找不到文件“%1”。").arg(shown));
    if (!fi.isReadable() || (access == Access::ReadWrite && !fi.isWritable()))
        throw DatabaseError(Kind::NoPermission, DatabaseError::NoPermissionNumber,
                            QStringLiteral("没有读写文件“%1”的权限。").arg(shown));

    const QString name = uniqueConnectionName(QStringLiteral("zq-sqlite-"));
    std::unique_ptr<Database> result(new Database(name));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=1500");
        if (access == Access::ReadOnly)
            options += QStringLiteral(";QSQLITE_OPEN_READONLY");
        db.setConnectOptions(options);
        if (!db.open())
            throw openError(db.lastError(), path);
        // A file that is not a database opens fine and fails on its first read.
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("select count(*) from sqlite_master")))
            throw openError(probe.lastError(), path);
        probe.finish();
        if (!ownTable.isEmpty()) {
            // Another program's file (or an empty one) is left exactly as it is: no lock, no journal change.
            probe.prepare(QStringLiteral(
                "select count(*) from sqlite_master where type='table' and name=? collate nocase"));
            probe.addBindValue(ownTable);
            if (!probe.exec() || !probe.next())
                throw openError(probe.lastError(), path);
            const bool ours = probe.value(0).toInt() > 0;
            probe.finish();
            if (!ours)
                throw DatabaseError(Kind::CannotOpen, DatabaseError::CannotOpenNumber,
                                    QStringLiteral("“%1”不是本系统的数据库。").arg(shown));
        }
        if (access == Access::ReadWrite) {
            // Take the write lock once, so a locked or read-only file is reported now and not at the first
            // save.
            if (!probe.exec(QStringLiteral("begin immediate")))
                throw openError(probe.lastError(), path);
            probe.exec(QStringLiteral("rollback"));
            if (!probe.exec(QStringLiteral("pragma journal_mode=wal")))
                throw openError(probe.lastError(), path);
            probe.exec(QStringLiteral("pragma synchronous=full"));
        }
    }
    return result;
}

QSqlDatabase Database::connection() const
{
    return QSqlDatabase::database(m_name, false);
}

QString Database::driverName() const
{
    return connection().driverName();
}

QString Database::escapeIdentifier(const QString& name) const
{
    return connection().driver()->escapeIdentifier(name, QSqlDriver::FieldName);
}

QSqlQuery Database::prepare(const QString& sql) const
{
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw DatabaseError::fromSqlError(q.lastError());
    return q;
}

void Database::run(QSqlQuery& query)
{
    if (!query.exec())
        throw DatabaseError::fromSqlError(query.lastError());
}

Rows Database::select(const QString& sql, const QVariantList& binds) const
{
    QSqlQuery q = prepare(sql);
    bindAll(q, binds);
    run(q);
    Rows rows;
    const QSqlRecord rec = q.record();
    const int n = rec.count();
    rows.columns.reserve(n);
    for (int i = 0; i < n; ++i)
        rows.columns << rec.fieldName(i);
    while (q.next()) {
        QVariantList row;
        row.reserve(n);
        for (int i = 0; i < n; ++i)
            row << q.value(i);
        rows.data << std::move(row);
    }
    if (q.lastError().isValid())
        throw DatabaseError::fromSqlError(q.lastError());
    return rows;
}

QVariant Database::scalar(const QString& sql, const QVariantList& binds) const
{
    QSqlQuery q = prepare(sql);
    bindAll(q, binds);
    run(q);
    if (!q.next()) {
        if (q.lastError().isValid())
            throw DatabaseError::fromSqlError(q.lastError());
        return QVariant();
    }
    return q.value(0);
}

int Database::exec(const QString& sql, const QVariantList& binds)
{
    QSqlQuery q = prepare(sql);
    bindAll(q, binds);
    run(q);
    return q.numRowsAffected();
}

qint64 Database::nextKey(const QString& maxStatement) const
{
    const QVariant max = scalar(maxStatement);
    if (max.isNull() || !max.isValid())
        return 1;
    return max.toLongLong() + 1;
}

void Database::begin()
{
    QSqlDatabase db = connection();
    if (!db.transaction())
        throw DatabaseError::fromSqlError(db.lastError());
}

void Database::commit()
{
    QSqlDatabase db = connection();
    if (!db.commit())
        throw DatabaseError::fromSqlError(db.lastError());
}

void Database::rollback()
{
    connection().rollback();
}

sqlite3* Database::sqliteHandle() const
{
    const QVariant v = connection().driver()->handle();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3* const*>(v.constData());
    return nullptr;
}

void Database::throwSqliteError(int code) const
{
    sqlite3* h = sqliteHandle();
    const QString text = h ? QString::fromUtf8(sqlite3_errmsg(h)) : QString::fromUtf8(sqlite3_errstr(code));
    throw DatabaseError(code, text);
}

Transaction::Transaction(Database& db) : m_db(db)
{
    m_db.begin();
}

Transaction::~Transaction()
{
    if (m_open)
        m_db.rollback();
}

void Transaction::commit()
{
    m_db.commit();
    m_open = false;
}

} // namespace zq
