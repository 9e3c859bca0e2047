#include "IdentityNumber.h"

#include <QHash>

namespace zq {
namespace {

bool allDigits(QStringView s)
{
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return !s.isEmpty();
}

// Codes of the first level of the administrative division codes, and 81-83 of the residence permits of
// residents of Hong Kong, Macao and Taiwan.
constexpr int kProvinceCodes[] = {11, 12, 13, 14, 15, 21, 22, 23, 31, 32, 33, 34, 35, 36, 37, 41, 42, 43,
                                  44, 45, 46, 50, 51, 52, 53, 54, 61, 62, 63, 64, 65, 71, 81, 82, 83};

QString dateText(const QDate& d)
{
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

QChar IdentityNumber::checkCharacter(QStringView first17)
{
    if (first17.size() != 17 || !allDigits(first17))
        return QChar();
    // Weight of position i (from the left, 0-based) is 2^(17-i) mod 11.
    int sum = 0;
    int weight = 1;
    for (int i = 16; i >= 0; --i) {
        weight = weight * 2 % 11;
        sum += (first17[i].unicode() - u'0') * weight;
    }
    static const char16_t kCharacters[] = u"10X98765432";
    return QChar(kCharacters[sum % 11]);
}

bool IdentityNumber::isProvinceCode(QStringView twoDigits)
{
    if (twoDigits.size() != 2 || !allDigits(twoDigits))
        return false;
    const int code = twoDigits.toInt();
    for (int c : kProvinceCodes)
        if (c == code)
            return true;
    return false;
}

QList<IdentityNumber::Finding> IdentityNumber::check(const QString& number, const QDate& today)
{
    QList<Finding> found;
    const QString n = number.trimmed();
    const bool long18 = n.size() == 18 && allDigits(QStringView(n).left(17)) &&
                        (n[17].isDigit() || n[17] == u'X' || n[17] == u'x');
    const bool short15 = n.size() == 15 && allDigits(n);
    if (!long18 && !short15)
        return found;

    if (long18) {
        if (!isProvinceCode(QStringView(n).left(2)))
            found.append({QStringLiteral("前两位“%1”不是省级行政区代码").arg(n.left(2)),
                          QStringLiteral("省、自治区、直辖市的代码，如 11 北京、44 广东")});
        const QString birth = n.mid(6, 8);
        const QDate d = QDate::fromString(birth, QStringLiteral("yyyyMMdd"));
        if (!d.isValid())
            found.append({QStringLiteral("第7至14位“%1”不是有效的出生日期").arg(birth),
                          QStringLiteral("出生年月日（yyyymmdd）")});
        else if (d > today)
            found.append({QStringLiteral("出生日期 %1 晚于今天").arg(dateText(d)),
                          QStringLiteral("不晚于 %1 的出生日期").arg(dateText(today))});
        const QChar want = checkCharacter(QStringView(n).left(17));
        if (n[17].toUpper() != want)
            found.append({QStringLiteral("校验码“%1”错误").arg(n[17]),
                          QStringLiteral("按前17位计算的校验码“%1”").arg(want)});
    } else {
        const QString birth = QStringLiteral("19") + n.mid(6, 6);
        if (!QDate::fromString(birth, QStringLiteral("yyyyMMdd")).isValid())
            found.append({QStringLiteral("第7至12位“%1”不是有效的出生日期").arg(n.mid(6, 6)),
                          QStringLiteral("出生年月日（yymmdd，19yy 年）")});
    }
    return found;
}

QList<IdentityNumber::Clash>
IdentityNumber::sameNumberOtherName(const QList<QPair<QString, QString>>& numbersAndNames)
{
    QList<Clash> clashes;
    QHash<QString, int> first;
    for (int r = 0; r < numbersAndNames.size(); ++r) {
        const QString number = numbersAndNames[r].first.trimmed().toUpper();
        if (number.isEmpty())
            continue;
        const auto it = first.constFind(number);
        if (it == first.constEnd())
            first.insert(number, r);
        else if (numbersAndNames[*it].second.trimmed() != numbersAndNames[r].second.trimmed())
            clashes.append({r, *it});
    }
    return clashes;
}

IdentityNumber::Finding IdentityNumber::clashFinding(int firstRowNumber, const QString& name,
                                                     const QString& firstName)
{
    return {QStringLiteral("与第%1行号码相同，姓名却是“%2”而非“%3”")
                .arg(firstRowNumber)
                .arg(name.trimmed(), firstName.trimmed()),
            QStringLiteral("一个身份证件号码只属于一人")};
}

} // namespace zq
