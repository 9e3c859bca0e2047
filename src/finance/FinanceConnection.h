#pragma once

#include "core/Database.h"

#include <QString>
#include <memory>

namespace zq {

class AppSettings;

namespace finance {

// Opens a connection on one of the finance package's databases; the caller owns and closes it.
//
// An empty server selects a file database: the file at the path in database, opened read-only and never
// created (a missing file and a file that is not a database are DatabaseErrors with a clear description).
// The file's header decides how it is read: an Access file (Jet 3, Jet 4, ACE) is read through AccessFile,
// and the tables the finance link reads (copys, copyinfo, salary, salary_items, taxsetup, employee, those
// present) are handed back in a private in-memory SQLite database; a SQLite file is opened as it is. The
// copy of an Access file is kept, so that opening the unchanged file again (same path, size and time) does
// not read it again. The setting "Finance/Jet3Charset" names the code page of Jet 3 text (default GBK).
// A server selects the server engine of the settings (section "Finance", key "ServerEngine": "sqlserver"
// through ODBC with the driver named by "OdbcDriver", or "postgresql"), the server being "host" or
// "host,port", with the given user and password and 60-second connect and command time-outs.
// Throws DatabaseError when the connection cannot be opened. settings may be null (the defaults apply).
std::unique_ptr<Database> OpenFinanceConnection(const QString& database, const QString& server,
                                                const QString& user, const QString& password,
                                                const AppSettings* settings);

// Forgets the kept copies of Access files.
void ClearAccessCache();

// The server engines the settings may name.
inline constexpr const char* ServerEngineSqlServer = "sqlserver";
inline constexpr const char* ServerEnginePostgreSql = "postgresql";

} // namespace finance
} // namespace zq
