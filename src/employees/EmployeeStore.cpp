#include "EmployeeStore.h"

#include "core/Database.h"
#include "core/Prompter.h"

namespace zq {

qsizetype characterCount(QStringView text)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++n) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    }
    return n;
}

std::optional<EmployeeProblem> EmployeeRowChecker::CheckEmployeeRow(const QStringList& row, int r)
{
    const auto fail = [r](const QString& title, const QString& text, bool focusGrid) {
        return EmployeeProblem{r, EmpColId, title, text, focusGrid};
    };
    const QString number = row.value(EmpColId);
    const QString trimmedNumber = number.trimmed();
    if (characterCount(trimmedNumber) > MaxEmpIdLength)
        return fail(Prompter::noticeTitle(), QStringLiteral("员工编号最长不得超过八个字符。"), true);
    if (characterCount(row.value(EmpColName).trimmed()) > MaxEmpNameLength)
        return fail(Prompter::noticeTitle(), QStringLiteral("员工姓名最长不得超过五十个字符。"), true);
    if (characterCount(row.value(EmpColIdCard).trimmed()) > MaxIdCardLength)
        return fail(Prompter::noticeTitle(), QStringLiteral("员工证件号码最长不得超过五十个字符。"), true);
    const auto first = m_firstRowOfNumber.constFind(trimmedNumber);
    if (first != m_firstRowOfNumber.constEnd())
        // Rows are numbered from 1 below the title row, as the user sees them.
        return fail(QStringLiteral("员工信息保存"),
                    QStringLiteral("第%1行的员工编号已经是：%2，同一个单位员工编码不能重复。")
                        .arg(first.value() + 1)
                        .arg(number),
                    false);
    m_firstRowOfNumber.insert(trimmedNumber, r);
    return std::nullopt;
}

std::optional<EmployeeProblem> EmployeeRowChecker::checkAll(const EmployeeRows& rows)
{
    EmployeeRowChecker checker;
    for (int r = 0; r < rows.size(); ++r)
        if (auto problem = checker.CheckEmployeeRow(rows[r], r))
            return problem;
    return std::nullopt;
}

QList<EmployeeUnit> EmployeeStore::listUnits() const
{
    const Rows rows = m_db.select(QStringLiteral("select unitid,unitname from unitinfo order by unitid"));
    QList<EmployeeUnit> units;
    units.reserve(rows.size());
    for (const QVariantList& r : rows.data)
        units.append({r.value(0).toLongLong(), r.value(1).toString()});
    return units;
}

EmployeeRows EmployeeStore::load(qint64 unitId) const
{
    const Rows rows =
        m_db.select(QStringLiteral("select EmpID,EmpName,IDCard,NationCode,ProfCode from employee "
                                   "where unitid=? order by empid"),
                    {unitId});
    EmployeeRows out;
    out.reserve(rows.size());
    for (const QVariantList& r : rows.data) {
        QStringList cells;
        cells.reserve(EmployeeColumnCount);
        for (int c = 0; c < EmployeeColumnCount; ++c)
            cells << (r.value(c).isNull() ? QString() : r.value(c).toString());
        out << cells;
    }
    return out;
}

int EmployeeStore::deleteEmployee(qint64 unitId, const QString& empId)
{
    return m_db.exec(QStringLiteral("delete from employee where unitid=? and empid=?"),
                     {unitId, empId.trimmed()});
}

int EmployeeStore::save(qint64 unitId, const EmployeeRows& rows)
{
    Transaction tx(m_db);
    m_db.exec(QStringLiteral("delete from employee where unitid=?"), {unitId});
    QSqlQuery insert = m_db.prepare(QStringLiteral(
        "insert into employee(UnitID,EmpID,EmpName,IDCard,NationCode,ProfCode) values(?,?,?,?,?,?)"));
    int stored = 0;
    for (const QStringList& row : rows) {
        const QString number = row.value(EmpColId).trimmed();
        if (number.isEmpty())
            continue;
        insert.bindValue(0, unitId);
        insert.bindValue(1, number);
        for (int c = EmpColName; c < EmployeeColumnCount; ++c)
            insert.bindValue(c + 1, row.value(c).trimmed());
        Database::run(insert);
        ++stored;
    }
    tx.commit();
    return stored;
}

QVariant EmployeeStore::identityColumn(qint64 unitId) const
{
    const Rows rows = m_db.select(QStringLiteral("select sacode6 from unitinfo where unitid=?"), {unitId});
    if (rows.isEmpty())
        return QVariant();
    return rows.data.first().value(0);
}

} // namespace zq
