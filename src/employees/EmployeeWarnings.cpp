#include "EmployeeWarnings.h"

#include "IdentityNumber.h"

namespace zq {
namespace {

QString cell(const QStringList& row, int column)
{
    return column < row.size() ? row[column] : QString();
}

QString place()
{
    return QStringLiteral("身份证件号码");
}

} // namespace

Warnings EmployeeWarnings::check(const EmployeeRows& rows, const QDate& today)
{
    Warnings out;
    QList<QPair<QString, QString>> numbersAndNames;
    numbersAndNames.reserve(rows.size());
    for (int r = 0; r < rows.size(); ++r) {
        const QString number = cell(rows[r], EmpColIdCard);
        numbersAndNames.append({number, cell(rows[r], EmpColName)});
        for (const auto& f : IdentityNumber::check(number, today))
            out.append({r, EmpColIdCard, place(), f.problem, f.expected});
    }
    for (const auto& c : IdentityNumber::sameNumberOtherName(numbersAndNames)) {
        const auto f = IdentityNumber::clashFinding(c.firstRow + 1, cell(rows[c.row], EmpColName),
                                                    cell(rows[c.firstRow], EmpColName));
        out.append({c.row, EmpColIdCard, place(), f.problem, f.expected});
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Warning& a, const Warning& b) { return a.row < b.row; });
    return out;
}

} // namespace zq
