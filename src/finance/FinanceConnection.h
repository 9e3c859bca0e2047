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
// A server selects the server engine of the settings (section "Finance", key "ServerEngine": "sqlserver"
// through ODBC with the driver named by "OdbcDriver", or "postgresql"), the server being "host" or
// "host,port", with the given user and password and 60-second connect and command time-outs.
// Throws DatabaseError when the connection cannot be opened. settings may be null (the defaults apply).
std::unique_ptr<Database> OpenFinanceConnection(const QString& database, const QString& server,
                                                const QString& user, const QString& password,
                                                const AppSettings* settings);

// The server engines the settings may name.
inline constexpr const char* ServerEngineSqlServer = "sqlserver";
inline constexpr const char* ServerEnginePostgreSql = "postgresql";

} // namespace finance
} // namespace zq
