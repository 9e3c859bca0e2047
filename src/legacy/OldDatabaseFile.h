#pragma once

#include <QString>
#include <memory>

namespace zq {
class Database;
}

namespace zq::legacy {

// The old program's database file, recognised by its content: an Access file (Jet 4 or ACE) or a SQLite file
// that holds the same tables.
enum class OldFileKind { Access, Sqlite, Other };
OldFileKind oldFileKind(const QString& path);

// Opens the old database for reading only; the file itself is never written. Throws DatabaseError with a
// message that names the file when it is missing, unreadable or of another kind.
std::unique_ptr<Database> openOldDatabase(const QString& path);

} // namespace zq::legacy
