#pragma once

#include "core/Database.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// What the unit editor lists from the finance package: the account sets of the system database, the years of
// an account set, and the salary items of an account set's year. Each returns its rows or the message to
// show.
namespace zq::finance {

// A message for the user: title and text, shown with the OK button.
struct FinanceProblem {
    QString title;
    QString text;
};

template <typename T> struct FinanceResult {
    T value{};
    std::optional<FinanceProblem> problem;
    bool ok() const { return !problem.has_value(); }
};

struct AccountSet {
    QString copyId;
    QString copyName;
};

struct SalaryItem {
    QString code; // sa_code: the column of the salary table
    QString name; // sa_item
};

// "select copy_id,copy_name from copys order by copy_id". No rows: "无法读取账套信息。" titled
// "单位信息维护"; a failed query: the error-number message titled "读取账套信息出错".
FinanceResult<QList<AccountSet>> listAccountSets(const Database& systemDb);

// The years of an account set from copyinfo (Copy_Year as text, in the order returned). No rows:
// "您设置的账套不正确，不能读出文件位置。" titled "提示信息"; a failed query: the error-number message titled
// "读取账套信息出错".
FinanceResult<QStringList> listAccountSetYears(const Database& systemDb, const QString& copyId);

// The salary items offered for mapping: item_index not 0 and sa_table 'salary', in the order returned. An
// empty list is no problem; a failed query gives the error-number message titled "读取账套信息出错".
FinanceResult<QList<SalaryItem>> listSalaryItems(const Database& accountSetDb);

namespace msg {
inline QString noAccountSets()
{
    return QStringLiteral("无法读取账套信息。");
}
inline QString accountSetErrorTitle()
{
    return QStringLiteral("读取账套信息出错");
}
} // namespace msg

} // namespace zq::finance
