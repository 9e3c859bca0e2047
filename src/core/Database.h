#pragma once

#include "DatabaseError.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <memory>

struct sqlite3;

namespace zq {

// Rows of a query read into memory, with case-insensitive column look-up.
class Rows {
public:
    QStringList columns;
    QList<QVariantList> data;

    qsizetype size() const { return data.size(); }
    bool isEmpty() const { return data.isEmpty(); }
    // Index of a column by name, ignoring letter case; -1 when there is none.
    int column(QStringView name) const;
    // The value of a named column in row r; an invalid QVariant when the column does not exist.
    QVariant value(qsizetype r, QStringView name) const;
};

// One connection to a database. Every statement binds its values; failures throw DatabaseError.
class Database {
public:
    enum class Access { ReadWrite, ReadOnly };

    // Opens an existing SQLite file. Never creates one: a missing file is the CannotOpen kind. A file that is
    // not a database, a locked file and a folder without rights are told apart by the error's kind.
    // With ownTable given, a file without that table is refused (CannotOpen) before anything is written to
    // it.
    static std::unique_ptr<Database> openSqlite(const QString& path, Access access = Access::ReadWrite,
                                                const QString& ownTable = QString());
    // A private, empty in-memory SQLite database (copies of tables read from elsewhere go there); the raw
    // handle is available through sqliteHandle().
    static std::unique_ptr<Database> openMemory(const QString& namePrefix);
    // Takes over a connection opened elsewhere (a server engine); it is removed when this object dies.
    static std::unique_ptr<Database> adopt(const QString& connectionName);
    // A name no other connection uses, for QSqlDatabase::addDatabase.
    static QString uniqueConnectionName(const QString& prefix);

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    QSqlDatabase connection() const;
    QString driverName() const;
    // Quotes an identifier taken from data (a column name) the way the driver wants it.
    QString escapeIdentifier(const QString& name) const;

    Rows select(const QString& sql, const QVariantList& binds = {}) const;
    // The first column of the first row, or an invalid QVariant when there is no row.
    QVariant scalar(const QString& sql, const QVariantList& binds = {}) const;
    // Runs a statement; returns the number of rows it changed.
    int exec(const QString& sql, const QVariantList& binds = {});
    // A prepared statement for many executions; run it with run().
    QSqlQuery prepare(const QString& sql) const;
    static void run(QSqlQuery& query);

    // Largest key + 1, or 1 for an empty table: the statement names the aggregate, e.g.
    // "select max(AppID) as MaxAppID from ApplT ".
    qint64 nextKey(const QString& maxStatement) const;

    void begin();
    void commit();
    void rollback();

    // The SQLite handle behind a QSQLITE connection (for bulk paths), or nullptr.
    sqlite3* sqliteHandle() const;
    // Throws the SQLite handle's current error as a DatabaseError.
    [[noreturn]] void throwSqliteError(int code) const;

private:
    explicit Database(QString connectionName);
    QString m_name;
};

// Rolls back in its destructor unless commit() was called.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& m_db;
    bool m_open = true;
};

} // namespace zq
