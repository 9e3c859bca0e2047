#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace zq {

class Database;

// The columns of the employee list, in the order of the grid and of a row's cells.
enum EmployeeColumn { EmpColId, EmpColName, EmpColIdCard, EmpColNation, EmpColProf, EmployeeColumnCount };

// A unit's employees as the list holds them: one row of five cell texts per employee, in grid order.
using EmployeeRows = QList<QStringList>;

// Longest values that a save accepts, in characters.
inline constexpr int MaxEmpIdLength = 8;
inline constexpr int MaxEmpNameLength = 50;
inline constexpr int MaxIdCardLength = 50;

// Nationality and profession of an employee taken over from the payroll package.
inline QString defaultNationCode()
{
    return QStringLiteral("001");
}
inline QString defaultProfCode()
{
    return QStringLiteral("0201");
}

// Why a row cannot be saved: the message, its title, and the cell that gets the current cell.
struct EmployeeProblem {
    int row = 0; // 0-based data row
    int column = EmpColId;
    QString title;
    QString text;
    bool focusGrid = true; // the grid also receives the input focus
};

// Checks the rows before a save in grid order, as CheckEmployeeRow does row by row: the longest number (8),
// name (50) and identity number (50) in characters, each trimmed, then a number that a row above already
// has (trimmed; two empty numbers count as equal). The first failing check of the first failing row.
class EmployeeRowChecker {
public:
    // Checks row r (0-based) of rows; rows 0 to r-1 must have been checked before, in order.
    std::optional<EmployeeProblem> CheckEmployeeRow(const QStringList& row, int r);
    static std::optional<EmployeeProblem> checkAll(const EmployeeRows& rows);

private:
    QHash<QString, int> m_firstRowOfNumber; // trimmed number -> first row with it
};

// Characters (not UTF-16 units, not bytes) of a text.
qsizetype characterCount(QStringView text);

// A unit as the employee list's combo shows it.
struct EmployeeUnit {
    qint64 unitId = 0;
    QString name;
};

// The Employee table of the own database, with bound values throughout.
class EmployeeStore {
public:
    explicit EmployeeStore(Database& db) : m_db(db) {}

    // The units in unitid order.
    QList<EmployeeUnit> listUnits() const;
    // A unit's employees ordered by EmpID; a null value gives an empty cell.
    EmployeeRows load(qint64 unitId) const;
    // Deletes one stored employee by its number (trimmed); returns the rows deleted.
    int deleteEmployee(qint64 unitId, const QString& empId);
    // Replaces the unit's stored employees by the rows with a non-empty number, each cell trimmed, in one
    // transaction: when any statement fails the stored employees stay as they were (DatabaseError thrown).
    // Returns the number of employees stored.
    int save(qint64 unitId, const EmployeeRows& rows);
    // The unit's SaCode6: the payroll salary column that holds the identity number; null when none is set.
    QVariant identityColumn(qint64 unitId) const;

private:
    Database& m_db;
};

} // namespace zq
