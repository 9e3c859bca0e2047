#pragma once

#include "core/Money.h"

#include <QByteArray>
#include <QString>
#include <vector>

struct sqlite3;

namespace zq::bench {

// One detail row of the generated declaration, in the form the own database stores it.
struct GeneratedRow {
    qint64 rowId = 0;
    QByteArray idCard; // UTF-8, 18 characters with a valid check character
    QByteArray name;   // UTF-8, a Chinese name of two to four characters
    QByteArray nationCode;
    QByteArray profCode;
    QByteArray progCode;
    Money income;
    Money taxable;
    Money rate; // percent
    Money reduction;
    Money foreignCredit;
    Money paid;
};

// A month's salary declaration of one unit: realistic names, identity numbers and amounts with cents, always
// the same for the same row count.
std::vector<GeneratedRow> generateRows(qint64 count);

// The bare limits, straight through SQLite's C API on an open own database.
// Inserts the rows as declaration appId with one prepared statement in one transaction.
void insertRows(sqlite3* db, qint64 appId, const std::vector<GeneratedRow>& rows);
// Reads the declaration's rows back in RowId order, touching every value; returns a checksum.
qint64 readRows(sqlite3* db, qint64 appId);
// The converter that writes Access test files (../shared/tools/sqlite2mdb beside the checkout, or
// ZQ_SQLITE2MDB); empty when there is none.
QString findSqlite2mdb();
// The employee number of generated row i ("000001", ...).
QByteArray employeeNumber(qint64 i);
// A payroll package's account set with one employee per row (every 50th has left, dd_flag 1) and a salary
// row per employee and month, the identity number in the salary column SFZH.
void writePayroll(const QString& path, const std::vector<GeneratedRow>& rows, int months);
// Writes bytes to a new file and syncs it to disk, as a safe file write does.
void writeSynced(const QString& path, const QByteArray& bytes);

} // namespace zq::bench
