#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace zq {
class Database;
}

namespace zq::legacy {

// A value of the old database that cannot be taken over, with where it stands.
struct MigrationProblem {
    QString table;
    QString key;    // "UnitID=3, EmpID=0001", or the row's place when its key is unreadable
    QString column; // empty when the problem is the whole row (a duplicate key)
    QString value;  // as read: NULL, a number, or a text between quotes
    QString reason;
    // One line for the message: table, key, column, value and reason.
    QString toText() const;
};

// What a migration took over.
struct MigrationCounts {
    qint64 units = 0;
    qint64 employees = 0;
    qint64 declarations = 0;
    qint64 detailRows = 0;
    qint64 orphanEmployees = 0;    // employees whose unit the old database no longer has
    qint64 orphanDeclarations = 0; // declarations whose unit the old database no longer has
    qint64 codes = 0;              // code rows (nationalities, professions, income items, versions) added
    bool passwordTaken = false;    // the old database had a password; it is now this one's (hashed)
};

struct MigrationOutcome {
    enum class Status {
        Done,
        NotOldDatabase, // a table or column of the old program's database is missing
        OwnNotEmpty,    // the own database already holds units, employees or declarations
        BadValues,      // values that cannot be taken over; problems lists them
        Cancelled,
    };
    Status status = Status::Done;
    MigrationCounts counts;
    QList<MigrationProblem> problems; // the first MaxListed
    qint64 problemCount = 0;          // all of them
    // The one message for the user: the counts when done, else why nothing was taken over.
    QString message;

    bool ok() const { return status == Status::Done; }
};

// Takes the data of the old program's database over into the own database: units, employees, declarations
// with their rows, the login password and the code rows the own database lacks. Only into an own database
// without units, employees and declarations; everything in one transaction, so a refusal, a bad value or a
// cancel leaves the own database as it was. The old database is only read: it is the old file's tables loaded
// as the Access reader loads them (texts as TEXT, integers as INTEGER, doubles as REAL, Currency as the
// double whose shortest form is the amount or, beyond 15 digits, as its exact decimal text, dates as text),
// or a SQLite file that holds the same tables.
class LegacyMigration {
public:
    // Called as rows are taken over; returning false cancels.
    using Progress = std::function<bool(qint64 done, qint64 total)>;
    static constexpr int MaxListed = 50;

    // The tables of the old database that the migration reads.
    static const QStringList& tableNames();
    // Tables ("ApplT") and columns ("ApplT.Month") of the old program's database that db lacks.
    static QStringList missingParts(const Database& db);
    // Whether the own database holds no unit, employee, declaration or declaration row.
    static bool isEmptyOwnDatabase(const Database& own);
    // The refusal when it is not.
    static QString ownNotEmptyMessage();
    // What a cancel says.
    static QString cancelledMessage();

    // sourceName names the old file in the messages.
    LegacyMigration(const Database& old, Database& own, QString sourceName);

    // Runs the migration. Database failures of the own database throw DatabaseError after a rollback.
    MigrationOutcome run(const Progress& progress = {});

private:
    const Database& m_old;
    Database& m_own;
    QString m_source;
};

} // namespace zq::legacy
