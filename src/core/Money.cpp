#include "Money.h"

#include <limits>

namespace zq {

std::optional<Money> Money::fromDecimal(const Decimal& d)
{
    const Decimal r = d.rounded(4);
    QString digits = r.intDigits;
    QString frac = r.fracDigits;
    while (frac.size() < 4)
        frac += u'0';
    digits += frac;
    qsizetype i = 0;
    while (i < digits.size() - 1 && digits[i] == u'0')
        ++i;
    digits = digits.mid(i);
    if (digits.size() > 18)
        return std::nullopt;
    bool ok = false;
    const qint64 v = digits.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return fromRaw(r.negative ? -v : v);
}

std::optional<Money> Money::parse(QStringView text)
{
    const auto d = Decimal::parse(text);
    if (!d)
        return std::nullopt;
    return fromDecimal(*d);
}

Money Money::leading(QStringView text)
{
    return fromDecimal(Decimal::leading(text)).value_or(Money());
}

Money Money::fromStored(const QVariant& v)
{
    if (v.isNull())
        return Money();
    bool ok = false;
    const qint64 raw = v.toLongLong(&ok);
    return ok ? fromRaw(raw) : Money();
}

std::optional<Money> Money::fromForeign(const QVariant& v)
{
    if (v.isNull())
        return std::nullopt;
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        const qint64 n = v.toLongLong();
        if (n > std::numeric_limits<qint64>::max() / Scale || n < std::numeric_limits<qint64>::min() / Scale)
            return std::nullopt;
        return fromUnits(n);
    }
    case QMetaType::Double:
    case QMetaType::Float:
    {
        QString text = QString::number(v.toDouble(), 'g', 15);
        if (text.contains(u'e'))
            text = QString::number(v.toDouble(), 'f', 8);
        return parse(text);
    }
    default:
        return parse(v.toString());
    }
}

Decimal Money::toDecimal() const
{
    Decimal d;
    d.negative = m_raw < 0;
    // Work on the unsigned magnitude so the smallest int64 does not overflow.
    const quint64 mag = m_raw < 0 ? quint64(0) - quint64(m_raw) : quint64(m_raw);
    d.intDigits = QString::number(mag / Scale);
    d.fracDigits = QString::number(mag % Scale).rightJustified(4, u'0');
    return d;
}

QString Money::toPlainString() const { return toDecimal().toPlainString(); }

QString Money::format(QStringView pattern) const { return formatDecimal(toDecimal(), pattern); }

} // namespace zq
