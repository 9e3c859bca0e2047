#pragma once

#include "core/Database.h"

#include <QString>
#include <QStringList>

namespace zq::finance {

// A small payroll package to try the program with: an edition "Olvenka 3.X" installation in a windows folder
// (registry.reg, config.ini, WD.ini, a system database and two account sets of one year each), and two units
// of the own database linked to it. The databases are Access (Jet 4) files as the real package keeps them,
// or SQLite files with the same tables and rows (their source, and what tests change at will).
class DemoPackage {
public:
    static QString edition() { return QStringLiteral("Olvenka 3.X"); }
    static QString registryKey() { return QStringLiteral("SOFTWARE\\Olvenka\\Lumina 3.0"); }
    static constexpr int Year = 2012;
    static constexpr int EmployeesPerAccountSet = 40;

    struct AccountSetInfo {
        QString copyId;
        QString copyName;
        QString dataFile;
    };
    static QList<AccountSetInfo> accountSets();

    enum class Format { Sqlite, Access };

    // Writes the package into windowsFolder (created when missing). Refuses (DatabaseError) when the folder
    // already holds registry.reg; a failure removes what it wrote. Returns the files written. The Access
    // files are made from the SQLite ones by data/demo/make.sh and travel inside the program.
    static QStringList create(const QString& windowsFolder, Format format = Format::Sqlite);

    // Adds the two demo units linked to the package to the own database, in one transaction.
    static void addUnits(Database& taxDb);

    // The last character of an 18-character identity number for its first 17 digits ("0"-"9" or "X").
    static QChar identityCheckCharacter(QStringView first17);
    static bool isValidIdentityNumber(QStringView id);
};

} // namespace zq::finance
