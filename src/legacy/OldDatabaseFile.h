#pragma once

#include <QString>
#include <memory>

namespace zq {
class Database;
}

namespace zq::legacy {

// Opens the old program's database for reading only; the file itself is never written. It is recognised by
// its content: an Access file (Jet 3, Jet 4 or ACE) has the old tables loaded into a private in-memory
// database; a SQLite file that holds the same tables is opened read-only as it is. Tables the file lacks are
// simply not there (the migration says so). Throws DatabaseError with a message that names the file when it
// is missing, unreadable, encrypted, damaged or of another kind.
std::unique_ptr<Database> openOldDatabase(const QString& path);

} // namespace zq::legacy
