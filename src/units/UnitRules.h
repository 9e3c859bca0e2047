#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The unit editor's rules that need no window: how its lists write account sets and salary items, and the
// checks a unit passes before it is saved.
namespace zq::units {

// "(" + copy_id + ")" + copy_name, as the account-set list shows an account set.
QString accountSetEntry(const QString& copyId, const QString& copyName);
// The identifier of an account-set entry: the characters between the leading "(" and the first ")".
QString accountSetIdOf(const QString& entry);
// Whether an entry is the account set with exactly this identifier.
bool isAccountSetEntry(const QString& entry, const QString& copyId);

// sa_code + ":" + sa_item, as the salary-item lists show an item.
QString salaryItemEntry(const QString& code, const QString& name);
// The item code of an entry: the characters before the first ":".
QString salaryItemCodeOf(const QString& entry);
// Whether an entry is the item with exactly this code (item codes hold no ":"); never for an empty code.
bool isSalaryItemEntry(const QString& entry, const QString& code);

// The boxes a failed check puts the focus on.
enum class UnitField { Name, ComputerCode };

struct UnitProblem {
    UnitField field;
    QString title;
    QString text;
};

// The checks of a save, in order: a name, a name no other unit has (both compared without surrounding
// blanks), a computer code of 6 to 10 characters without surrounding blanks. otherNames are the names of
// every other unit of the list (the unit being changed left out).
std::optional<UnitProblem> checkUnit(const QString& name, const QString& computerCode,
                                     const QStringList& otherNames);

inline constexpr int NameMaxLength = 255;
inline constexpr int ComputerCodeMaxLength = 10;
inline constexpr int ComputerCodeMinLength = 6;
inline constexpr int PhoneMaxLength = 50;
inline constexpr int DeclarePersonMaxLength = 50;

namespace msg {
inline QString saveTitle()
{
    return QStringLiteral("保存单位信息");
}
inline QString emptyName()
{
    return QStringLiteral("单位名称不能为空。");
}
inline QString duplicateName()
{
    return QStringLiteral("单位名称重复，请检查。");
}
inline QString computerCodeLength()
{
    return QStringLiteral("计算机代码长度为6到10位!");
}
inline QString noAccountSet()
{
    return QStringLiteral("您没有选择账套，您将不能从原有财务软件中导入员工信息。\r\n"
                          "按“确定”保存单位，“取消”返回。");
}
} // namespace msg

} // namespace zq::units
