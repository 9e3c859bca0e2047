#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace zq {

// An exact decimal number held as digit strings, so formatting never drifts through binary floating point.
struct Decimal {
    bool negative = false;
    QString intDigits;  // without sign or grouping, may be empty or carry leading zeros
    QString fracDigits; // digits after the point, may be empty

    bool isZero() const;
    // Parses a complete number text: blanks around it, an optional sign, digits with optional thousands
    // separators, an optional point with digits. Anything else gives nothing.
    static std::optional<Decimal> parse(QStringView text);
    // The leading-number rule: blanks are ignored anywhere, reading stops at the first character that cannot
    // continue the number (a comma stops it); a text without such a part is 0.
    static Decimal leading(QStringView text);
    // Round half away from zero to the given number of decimals.
    Decimal rounded(int decimals) const;
    // Plain text without grouping and without trailing fractional zeros ("3000.5", "20", "-0.25").
    QString toPlainString() const;
};

// Formats a number with a pattern of the kinds "00", "0.00", "##", "#,##0.00": "0" a digit always shown,
// "#" a digit shown only when significant, "," grouping by thousands, "." the decimal point. Rounds half
// away from zero to the pattern's decimals.
QString formatDecimal(const Decimal& value, QStringView pattern);

// Formats a text with a pattern; a text that is not a number comes back unchanged.
QString formatNumberText(const QString& text, QStringView pattern);

} // namespace zq
