#pragma once

#include "EmployeeStore.h"

#include <functional>
#include <optional>

namespace zq {

class Database;
struct AppContext;

// Reports how far a long import has come: records read so far, and all records (-1 while not known).
using EmployeeImportProgress = std::function<void(qsizetype done, qsizetype total)>;

// The column that the employee query reads as the identity number: the salary column quoted for the finance
// connection, qualified by its table so that a column that does not exist is an error on every engine.
QString quotedSalaryColumn(const Database& finance, const QString& salaryColumn);

// The employee query of the payroll package: active employees (dd_flag 0) with emp_id, emp_name and the
// identity number as salarycol: from the salary column joined on emp_id when one is named, else Audi_Code.
QString employeeImportStatement(const Database& finance, const QString& salaryColumn);

// ImportEmployees: merges the package's active employees into rows, record by record in the order the query
// returns them. A record whose emp_id equals the trimmed number of a row (the first from the top) replaces
// that row's name and identity number; any other is appended with the default nationality and profession.
// A later record of the same number overwrites what an earlier one set; a null value is taken as empty text.
// Throws DatabaseError; rows then keep what was merged so far. Returns the number of records read.
qsizetype ImportEmployees(const Database& finance, const QString& salaryColumn, EmployeeRows& rows,
                          const EmployeeImportProgress& progress = {});

// The import command of the employee list, for the selected unit.
class EmployeeImport {
public:
    explicit EmployeeImport(const AppContext& ctx) : m_ctx(ctx) {}
    void setProgress(EmployeeImportProgress progress) { m_progress = std::move(progress); }

    // Opens the unit's finance database (its failure has shown one message), tells the user when the unit
    // names no identity-number column, and merges the package's employees into rows. Nothing is stored.
    // Any other failure is shown as "导入员工信息出错"; rows keep what was merged before it. Returns whether
    // the import ran to its end.
    bool run(std::optional<qint64> unitId, EmployeeRows& rows);

    static QString noIdentityColumnText()
    {
        return QStringLiteral("您未设置那一列作为员工证件编号，不能导入员工证件编号。");
    }
    static QString errorTitle() { return QStringLiteral("导入员工信息出错"); }

private:
    const AppContext& m_ctx;
    EmployeeImportProgress m_progress;
};

} // namespace zq
