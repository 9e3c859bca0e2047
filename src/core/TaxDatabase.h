#pragma once

#include "Database.h"

#include <QMap>
#include <QStringList>
#include <memory>

namespace zq::TaxDatabase {

// The own database's file name; it lives in the program's own folder.
QString fileName();
// The program's folder joined with the file name.
QString defaultPath();

// Opens the own database; a missing file is never created (DatabaseError of kind CannotOpen).
std::unique_ptr<Database> open(const QString& path);

// Creates a complete new database at path: every table, the code tables and the Sundries "Password" row
// with an empty value. Refuses (DatabaseError) when path already exists; a failure leaves no file behind.
void create(const QString& path);

// The tables and their columns as the program expects them, in order.
QMap<QString, QStringList> expectedSchema();
// Differences between a database and the expected schema, one line each; empty when it matches.
QStringList schemaProblems(const Database& db);

} // namespace zq::TaxDatabase
