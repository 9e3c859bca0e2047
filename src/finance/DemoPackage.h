#pragma once

#include "core/Database.h"

#include <QString>
#include <QStringList>

namespace zq::finance {

// A small payroll package to try the program with: an edition "Olvenka 3.X" installation in a windows folder
// (registry.reg, config.ini, WD.ini, a system database and two account sets of one year each, all SQLite
// files), and two units of the own database linked to it.
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

    // Writes the package into windowsFolder (created when missing). Refuses (DatabaseError) when the folder
    // already holds registry.reg; a failure removes what it wrote. Returns the files written.
    static QStringList create(const QString& windowsFolder);

    // Adds the two demo units linked to the package to the own database, in one transaction.
    static void addUnits(Database& taxDb);

    // The last character of an 18-character identity number for its first 17 digits ("0"-"9" or "X").
    static QChar identityCheckCharacter(QStringView first17);
    static bool isValidIdentityNumber(QStringView id);
};

} // namespace zq::finance
