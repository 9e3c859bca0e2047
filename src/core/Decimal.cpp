#include "Decimal.h"

namespace zq {
namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

QString stripLeadingZeros(const QString& digits)
{
    qsizetype i = 0;
    while (i < digits.size() && digits[i] == u'0')
        ++i;
    return digits.mid(i);
}

// Adds one unit in the last place of a digit string, growing it on carry ("99" -> "100").
QString incrementDigits(QString digits)
{
    qsizetype i = digits.size() - 1;
    while (i >= 0) {
        if (digits[i] == u'9') {
            digits[i] = u'0';
            --i;
        } else {
            digits[i] = QChar(digits[i].unicode() + 1);
            return digits;
        }
    }
    return QLatin1Char('1') + digits;
}

} // namespace

bool Decimal::isZero() const
{
    for (QChar c : intDigits)
        if (c != u'0')
            return false;
    for (QChar c : fracDigits)
        if (c != u'0')
            return false;
    return true;
}

std::optional<Decimal> Decimal::parse(QStringView text)
{
    QStringView t = text.trimmed();
    Decimal d;
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) {
        d.negative = t[i] == u'-';
        ++i;
    }
    bool anyDigit = false;
    while (i < t.size() && (isDigit(t[i]) || (t[i] == u',' && anyDigit))) {
        if (t[i] != u',')
            d.intDigits += t[i];
        anyDigit = anyDigit || isDigit(t[i]);
        ++i;
    }
    if (i < t.size() && t[i] == u'.') {
        ++i;
        while (i < t.size() && isDigit(t[i])) {
            d.fracDigits += t[i];
            anyDigit = true;
            ++i;
        }
    }
    if (!anyDigit || i != t.size())
        return std::nullopt;
    if (d.isZero())
        d.negative = false;
    return d;
}

Decimal Decimal::leading(QStringView text)
{
    Decimal d;
    bool signSeen = false, pointSeen = false, digitSeen = false;
    for (QChar c : text) {
        if (isBlank(c))
            continue;
        if ((c == u'-' || c == u'+') && !signSeen && !digitSeen && !pointSeen) {
            signSeen = true;
            d.negative = c == u'-';
        } else if (c == u'.' && !pointSeen) {
            pointSeen = true;
        } else if (isDigit(c)) {
            digitSeen = true;
            (pointSeen ? d.fracDigits : d.intDigits) += c;
        } else {
            break;
        }
    }
    if (d.isZero())
        d.negative = false;
    return d;
}

Decimal Decimal::rounded(int decimals) const
{
    Decimal r = *this;
    if (r.fracDigits.size() <= decimals)
        return r;
    const bool up = r.fracDigits[decimals] >= u'5';
    r.fracDigits.truncate(decimals);
    if (up) {
        QString all = incrementDigits(r.intDigits + r.fracDigits);
        r.intDigits = all.left(all.size() - decimals);
        r.fracDigits = all.right(decimals);
    }
    if (r.isZero())
        r.negative = false;
    return r;
}

QString Decimal::toPlainString() const
{
    QString intPart = stripLeadingZeros(intDigits);
    if (intPart.isEmpty())
        intPart = QStringLiteral("0");
    QString frac = fracDigits;
    while (!frac.isEmpty() && frac.endsWith(u'0'))
        frac.chop(1);
    QString out = (negative && !isZero()) ? QStringLiteral("-") : QString();
    out += intPart;
    if (!frac.isEmpty())
        out += u'.' + frac;
    return out;
}

QString formatDecimal(const Decimal& value, QStringView pattern)
{
    const qsizetype point = pattern.indexOf(u'.');
    const QStringView intPattern = point < 0 ? pattern : pattern.left(point);
    const QStringView fracPattern = point < 0 ? QStringView() : pattern.mid(point + 1);
    const bool grouping = intPattern.contains(u',');
    const int decimals = int(fracPattern.count(u'0') + fracPattern.count(u'#'));
    const int minIntDigits = int(intPattern.count(u'0'));
    const int minFracDigits = int(fracPattern.count(u'0'));

    const Decimal r = value.rounded(decimals);
    QString intPart = stripLeadingZeros(r.intDigits);
    while (intPart.size() < minIntDigits)
        intPart.prepend(u'0');
    QString frac = r.fracDigits;
    while (frac.size() < decimals)
        frac += u'0';
    while (frac.size() > minFracDigits && frac.endsWith(u'0'))
        frac.chop(1);

    if (grouping && intPart.size() > 3) {
        QString grouped;
        const qsizetype n = intPart.size();
        for (qsizetype i = 0; i < n; ++i) {
            if (i > 0 && (n - i) % 3 == 0)
                grouped += u',';
            grouped += intPart[i];
        }
        intPart = grouped;
    }
    QString out = intPart;
    if (point >= 0 && (!frac.isEmpty() || minFracDigits > 0))
        out += u'.' + frac;
    // A value that rounds to nothing shows no sign.
    if (r.negative && !r.isZero() && !out.isEmpty())
        out.prepend(u'-');
    return out;
}

QString formatNumberText(const QString& text, QStringView pattern)
{
    const auto d = Decimal::parse(text);
    if (!d)
        return text;
    return formatDecimal(*d, pattern);
}

} // namespace zq
