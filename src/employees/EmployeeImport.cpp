#include "EmployeeImport.h"

#include "core/AppContext.h"
#include "core/Database.h"
#include "core/Prompter.h"
#include "finance/FinanceLocator.h"

#include <QSqlError>
#include <QSqlQuery>

namespace zq {
namespace {

constexpr qsizetype ProgressEvery = 500;

QString cellText(const QVariant& v)
{
    return v.isNull() ? QString() : v.toString();
}

} // namespace

QString quotedSalaryColumn(const Database& finance, const QString& salaryColumn)
{
    // The driver's own quoting passes a name through unchanged when it already holds brackets or quotes; take
    // only its quote characters from it and double the closing one inside the name.
    const QString sample = finance.escapeIdentifier(QStringLiteral("x"));
    QChar open = u'"', close = u'"';
    if (sample.size() == 3 && sample[1] == u'x') {
        open = sample[0];
        close = sample[2];
    }
    QString name = salaryColumn;
    name.replace(close, QString(2, close));
    // Qualified by the table: SQLite takes a lone double-quoted name that is no column for a text constant.
    return QStringLiteral("salary.") + open + name + close;
}

QString employeeImportStatement(const Database& finance, const QString& salaryColumn)
{
    if (salaryColumn.isEmpty())
        return QStringLiteral(
            "select emp_id,emp_name,Audi_Code as salarycol from employee WHERE dd_flag=0 order by emp_id");
    // Ordered by the selected employee.emp_id, which the join makes equal to salary.emp_id: server engines
    // refuse an order by a column that a distinct select does not return.
    return QStringLiteral("select DISTINCT employee.emp_id,employee.emp_name,") +
           quotedSalaryColumn(finance, salaryColumn) +
           QStringLiteral(" as salarycol from employee,salary  where salary.emp_id=employee.emp_id and "
                          "employee.dd_flag=0 order by employee.emp_id");
}

qsizetype ImportEmployees(const Database& finance, const QString& salaryColumn, EmployeeRows& rows,
                          const EmployeeImportProgress& progress)
{
    QSqlQuery query = finance.prepare(employeeImportStatement(finance, salaryColumn));
    Database::run(query);
    const qsizetype total = query.size();

    // The first row of each trimmed number, as a search from the top finds it.
    QHash<QString, qsizetype> rowOfNumber;
    rowOfNumber.reserve(rows.size());
    for (qsizetype r = rows.size() - 1; r >= 0; --r)
        rowOfNumber.insert(rows[r].value(EmpColId).trimmed(), r);

    qsizetype done = 0;
    while (query.next()) {
        const QVariant empId = query.value(0);
        const QString name = cellText(query.value(1));
        const QString identity = cellText(query.value(2));
        // A null number equals no row's number.
        const auto found = empId.isNull() ? rowOfNumber.constEnd() : rowOfNumber.constFind(empId.toString());
        if (found != rowOfNumber.constEnd()) {
            QStringList& row = rows[found.value()];
            while (row.size() < EmployeeColumnCount)
                row << QString();
            row[EmpColName] = name;
            row[EmpColIdCard] = identity;
        } else {
            const QString number = cellText(empId);
            rows.append({number, name, identity, defaultNationCode(), defaultProfCode()});
            if (!rowOfNumber.contains(number.trimmed()))
                rowOfNumber.insert(number.trimmed(), rows.size() - 1);
        }
        ++done;
        if (progress && done % ProgressEvery == 0)
            progress(done, total);
    }
    if (query.lastError().isValid())
        throw DatabaseError::fromSqlError(query.lastError());
    if (progress)
        progress(done, total < 0 ? done : total);
    return done;
}

bool EmployeeImport::run(std::optional<qint64> unitId, EmployeeRows& rows)
{
    Prompter& prompter = *m_ctx.prompter;
    if (!unitId) {
        // The selected unit's number is read first; without a unit there is none.
        prompter.notice(errorTitle(), errorTypeMessage(9, QStringLiteral("下标越界：没有选中的单位。")),
                        Prompter::Icon::None);
        return false;
    }
    const auto finance = finance::GetFinanceConnection(m_ctx, *unitId);
    if (!finance)
        return false;
    try {
        const QVariant column = EmployeeStore(*m_ctx.db).identityColumn(*unitId);
        if (column.isNull())
            prompter.notice(noIdentityColumnText());
        ImportEmployees(*finance, column.isNull() ? QString() : column.toString(), rows, m_progress);
    } catch (const DatabaseError& e) {
        prompter.notice(errorTitle(), errorTypeMessage(e), Prompter::Icon::None);
        return false;
    }
    return true;
}

} // namespace zq
