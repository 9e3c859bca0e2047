#pragma once

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>

namespace zq {

// Identity-card numbers of residents of the mainland: 18 characters (17 digits and a check character, 0-9 or
// X, computed with ISO 7064 MOD 11-2) or the older 15 digits (birth date as yymmdd in the 1900s). Other
// documents (passports, numbers of foreigners) have other forms and are not judged.
class IdentityNumber {
public:
    struct Finding {
        QString problem;
        QString expected;
    };

    // The check character of the first 17 digits ('0'..'9' or 'X'); a null QChar when they are not 17 digits.
    static QChar checkCharacter(QStringView first17);
    // Whether the two digits are the code of a province, autonomous region, municipality or special region.
    static bool isProvinceCode(QStringView twoDigits);
    // What is wrong with a number (trimmed first); nothing for a sound number, an empty one or another form.
    // today decides whether a birth date lies in the future.
    static QList<Finding> check(const QString& number, const QDate& today);

    // Rows (numbers and names, in order) whose number, trimmed and not empty, an earlier row has under
    // another name: pairs of that row and the first row of the number.
    struct Clash {
        int row;
        int firstRow;
    };
    static QList<Clash> sameNumberOtherName(const QList<QPair<QString, QString>>& numbersAndNames);
    // What a clash says: the row (numbered from 1) that has the number first, and the two names.
    static Finding clashFinding(int firstRowNumber, const QString& name, const QString& firstName);
};

} // namespace zq
