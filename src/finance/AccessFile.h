#pragma once

#include "core/Database.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

struct sqlite3;

namespace zq::finance {

// What a file holds, told by its first bytes and never by its name.
enum class FileKind {
    NotADatabase, // empty, too short, or neither header below
    Sqlite,       // "SQLite format 3"
    Jet3,         // Access 97 .mdb/.mda (2 KB pages, text in the file's code page)
    Jet4,         // Access 2000-2003 .mdb/.mda (4 KB pages, Unicode text)
    Ace,          // Access 2007 and later .accdb (4 KB pages, Unicode text)
};

// A file that the Access reader reads.
constexpr bool isAccess(FileKind kind)
{
    return kind == FileKind::Jet3 || kind == FileKind::Jet4 || kind == FileKind::Ace;
}

// "SQLite", "Jet 3", "Jet 4", "ACE", or "not a database".
QString fileKindName(FileKind kind);

// The kind of the bytes at the start of a file (the first 2 KB are enough).
FileKind detectFileKind(QByteArrayView header);
// The kind of the file at path. Throws DatabaseError (naming the file) when it is missing or cannot be read.
FileKind detectFileKind(const QString& path);

// How the values of a column reach the statements of the finance link.
enum class ColumnType {
    Text,    // Text, Memo, replication ids: TEXT
    Integer, // Byte, Integer, Long Integer; Yes/No as 0 and 1: INTEGER
    Real,    // Single, Double: REAL
    Money,   // Currency (and Decimal of up to four places): exact, see AccessFile::load
    Date,    // Date/Time: TEXT "yyyy-MM-dd HH:mm:ss"
    Skipped, // OLE objects, binary and attachment columns: not read
};

// "TEXT", "INTEGER", "REAL", "exact money", "date", "binary (not read)".
QString columnTypeName(ColumnType type);

struct AccessColumn {
    QString name;
    ColumnType type = ColumnType::Text;
};

struct AccessTable {
    QString name;
    qint64 rows = 0; // as the table's definition counts them
    QList<AccessColumn> columns;
};

// One Access (Jet 3, Jet 4, ACE) file opened read-only through libmdb. Nothing is ever written to the file;
// a lock file beside it does not matter. Every failure is a DatabaseError whose description names the file
// and what is wrong with it: missing, empty, not an Access file, truncated, encrypted, damaged, a table that
// is not there.
//
// Loading copies tables into a SQLite connection with these types (each column's declared type is the
// column type's SQLite name, and money columns have none):
//   Text, Memo     TEXT (UTF-8; Jet 3 text decoded from the code page given to open, GBK by default)
//   Byte, Integer, Long Integer, Yes/No     INTEGER (Yes/No as 0 and 1, never NULL)
//   Single, Double REAL
//   Currency       exact: the four-decimal amount as a REAL when it has at most 15 significant digits
//                  (the double whose shortest decimal form is exactly that amount, so Money::fromForeign and
//                  SalaryImport::amountOf give back every digit and comparisons such as Tax>0 work as
//                  numbers), otherwise as its exact decimal TEXT ("922337203685.4775")
//   Date/Time      TEXT "yyyy-MM-dd HH:mm:ss"
//   NULL stays NULL, and an empty text stays an empty text.
// Table and column names keep the file's spelling; SQLite matches them without regard to case.
class AccessFile {
public:
    // Opens the file at path. jet3Charset names the code page of Jet 3 text (empty: GBK).
    static std::unique_ptr<AccessFile> open(const QString& path, const QString& jet3Charset = QString());
    // The same over the bytes of a file held in memory; shownName stands for the file in messages.
    static std::unique_ptr<AccessFile> fromBytes(const QByteArray& bytes, const QString& shownName,
                                                 const QString& jet3Charset = QString());
    ~AccessFile();
    AccessFile(const AccessFile&) = delete;
    AccessFile& operator=(const AccessFile&) = delete;

    FileKind kind() const { return m_kind; }
    // The file as messages show it (native separators).
    QString shownName() const { return m_shown; }

    // The user tables in the file's order, with their row counts and mapped column types.
    const QList<AccessTable>& tables() const { return m_tables; }
    // A table by name, ignoring letter case.
    const AccessTable* table(const QString& name) const;

    // Creates and fills the named tables (letter case ignored; every user table when names is empty) in the
    // SQLite connection db, in one transaction. A name that the file lacks throws DatabaseError when
    // missingIsError, and is passed over otherwise. Skipped columns are left out of the copy.
    void loadInto(sqlite3* db, const QStringList& names = {}, bool missingIsError = true);
    // A private in-memory SQLite database holding the named tables (as loadInto).
    std::unique_ptr<Database> load(const QStringList& names = {}, bool missingIsError = true);

    // Reads the Access file at path and loads the named tables into the empty SQLite connection db, as
    // loadInto does, returning the file's kind and tables. Where the platform can start a copy of this
    // process (fork), the file is read in that child process, so that a file on which libmdb would crash or
    // loop for ever ends in a DatabaseError ("damaged") and never takes the program down: the child hands the
    // loaded database back as a SQLite image, and is stopped after timeoutSeconds (0: 30 s plus 2 s per MB of
    // file). Elsewhere the file is read in this process.
    struct Loaded {
        FileKind kind = FileKind::NotADatabase;
        QList<AccessTable> tables;
    };
    // loadFile into a new private in-memory SQLite database (every user table when names is empty).
    static std::unique_ptr<Database> loadFileAsDatabase(const QString& path, const QStringList& names = {},
                                                        bool missingIsError = true,
                                                        const QString& jet3Charset = QString(),
                                                        Loaded* loaded = nullptr);

    // The peak memory (KB) of the last child process that read a file, for the benchmark; 0 before the first.
    static qint64 lastChildPeakKb();
    static Loaded loadFile(sqlite3* db, const QString& path, const QString& jet3Charset,
                           const QStringList& names, bool missingIsError, int timeoutSeconds = 0);

    // Reads the rows of one table as the loader stores them (for display): NULL as an invalid QVariant.
    // At most maxRows rows (negative: all).
    QList<QVariantList> rows(const QString& tableName, qint64 maxRows = -1);

private:
    struct Handle;
    AccessFile(std::unique_ptr<Handle> handle, QString shown, FileKind kind);
    void readCatalog();
    template <typename Sink> void readTable(const AccessTable& table, qint64 maxRows, Sink&& sink);

    std::unique_ptr<Handle> m_handle;
    QString m_shown;
    FileKind m_kind;
    QList<AccessTable> m_tables;
};

} // namespace zq::finance
