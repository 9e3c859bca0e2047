#include "UnitRules.h"

#include "core/Prompter.h"

namespace zq::units {

QString accountSetEntry(const QString& copyId, const QString& copyName)
{
    return u'(' + copyId + u')' + copyName;
}

QString accountSetIdOf(const QString& entry)
{
    if (!entry.startsWith(u'('))
        return QString();
    const qsizetype close = entry.indexOf(u')', 1);
    return close < 0 ? entry.mid(1) : entry.mid(1, close - 1);
}

bool isAccountSetEntry(const QString& entry, const QString& copyId)
{
    // The whole identifier up to its ")": "001" must not pick "(0012)" when account set 001 is gone.
    return entry.startsWith(u'(') && QStringView(entry).mid(1).startsWith(copyId + u')');
}

QString salaryItemEntry(const QString& code, const QString& name)
{
    return code + u':' + name;
}

QString salaryItemCodeOf(const QString& entry)
{
    const qsizetype colon = entry.indexOf(u':');
    return colon < 0 ? entry : entry.left(colon);
}

bool isSalaryItemEntry(const QString& entry, const QString& code)
{
    // The code with its ":": a stored "JJ" must not pick "JJBT:津贴".
    return !code.isEmpty() && entry.startsWith(code + u':');
}

std::optional<UnitProblem> checkUnit(const QString& name, const QString& computerCode,
                                     const QStringList& otherNames)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return UnitProblem{UnitField::Name, msg::saveTitle(), msg::emptyName()};
    for (const QString& other : otherNames)
        if (other.trimmed() == trimmed)
            return UnitProblem{UnitField::Name, msg::saveTitle(), msg::duplicateName()};
    const qsizetype length = computerCode.trimmed().size();
    if (length < ComputerCodeMinLength || length > ComputerCodeMaxLength)
        return UnitProblem{UnitField::ComputerCode, Prompter::noticeTitle(), msg::computerCodeLength()};
    return std::nullopt;
}

} // namespace zq::units
