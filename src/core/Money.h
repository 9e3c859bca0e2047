#pragma once

#include "Decimal.h"

#include <QString>
#include <QVariant>
#include <compare>
#include <optional>

namespace zq {

// An amount (or the rate) as a whole number of ten-thousandths: the fixed point the grid keeps and the own
// database stores. No binary floating point ever holds an amount.
class Money {
public:
    static constexpr qint64 Scale = 10000;

    constexpr Money() = default;
    static constexpr Money fromRaw(qint64 raw)
    {
        Money m;
        m.m_raw = raw;
        return m;
    }
    static constexpr Money fromUnits(qint64 units) { return fromRaw(units * Scale); }

    // A complete number text (blanks around, sign, grouping commas, point); rounded half away from zero to
    // four decimals. Nothing for a text that is not a number or an amount out of range.
    static std::optional<Money> parse(QStringView text);
    static std::optional<Money> fromDecimal(const Decimal& d);
    // The leading-number value of a text, as an amount (0 for none; out of range gives 0).
    static Money leading(QStringView text);
    // A value of the own database: INTEGER ten-thousandths; null counts as 0.
    static Money fromStored(const QVariant& v);
    // A number read from the finance package: an integer, a double or a text. A double is read through its
    // shortest decimal form so that 1234.56 stays 1234.56. Nothing when the value is not a number.
    static std::optional<Money> fromForeign(const QVariant& v);

    constexpr qint64 raw() const { return m_raw; }
    constexpr bool isZero() const { return m_raw == 0; }
    constexpr bool isNegative() const { return m_raw < 0; }
    QVariant toStored() const { return QVariant::fromValue<qlonglong>(m_raw); }

    Decimal toDecimal() const;
    // Plain decimal text without grouping or trailing zeros: 5000, 3000.5, 20, -0.25.
    QString toPlainString() const;
    // Formatted with a number pattern ("0.00", "#,##0.00", "##", "00").
    QString format(QStringView pattern) const;

    constexpr Money operator+(Money o) const { return fromRaw(m_raw + o.m_raw); }
    constexpr Money operator-(Money o) const { return fromRaw(m_raw - o.m_raw); }
    constexpr Money& operator+=(Money o)
    {
        m_raw += o.m_raw;
        return *this;
    }
    constexpr auto operator<=>(const Money&) const = default;

private:
    qint64 m_raw = 0;
};

} // namespace zq

Q_DECLARE_METATYPE(zq::Money)
