#include "TextHelpers.h"

#include "Decimal.h"
#include "Gbk.h"

namespace zq {

QString NullToText(const QVariant& value)
{
    if (value.isNull())
        return QString();
    return value.toString().trimmed();
}

bool LeadingNumberIsZero(QStringView text)
{
    return Decimal::leading(text).isZero();
}

QString FormatOrZero(const QString& text, QStringView format)
{
    QString result;
    if (!text.trimmed().isEmpty())
        result = formatNumberText(text, format);
    if (LeadingNumberIsZero(result))
        result = QStringLiteral("0");
    return result;
}

QString FormatNonZero(const QVariant& value, QStringView format)
{
    if (value.isNull())
        return QString();
    const QString text = value.toString();
    if (LeadingNumberIsZero(text))
        return QString();
    return formatNumberText(text, format);
}

int FilterNumericKey(const QString& text, int key, int maxIntDigits, int decimals, int selStart,
                     QStringView format)
{
    if (!format.isEmpty()) {
        const qsizetype dot = format.indexOf(u'.');
        decimals = int(format.size() - (dot < 0 ? 0 : dot + 1));
    }
    if (key == KeyEnter)
        return KeyEnter;
    if (text.contains(u'-'))
        ++maxIntDigits;
    // Deleting the point joins the decimals to the integer digits: not when that makes too many of them.
    if (key == KeyBackspace && selStart > 0 && selStart <= text.size() && text[selStart - 1] == u'.' &&
        QString(text).remove(selStart - 1, 1).trimmed().size() > maxIntDigits)
        return 0;
    if (key == KeyBackspace)
        return KeyBackspace;
    const bool digit = key >= '0' && key <= '9';
    if (!digit && key != '.' && key != '-')
        return 0;
    const QString trimmed = text.trimmed();
    if (key == '.' && text.contains(u'.'))
        return 0;
    if (key == '.' && trimmed.isEmpty())
        return 0;
    if (key == '.' && decimals == 0)
        return 0;
    // A point typed in front of digits must not leave more of them after it than the box allows.
    if (key == '.' && text.size() - selStart > decimals)
        return 0;
    if (key == '-' && text.contains(u'-'))
        return 0;
    if (key == '-' && selStart != 0)
        return 0;
    // Nothing goes in front of the sign.
    if (key != '-' && text.contains(u'-') && selStart <= text.indexOf(u'-'))
        return 0;
    if (key != '.' && !text.contains(u'.') && trimmed.size() >= maxIntDigits)
        return 0;
    if (key == '.' || !text.contains(u'.'))
        return key;
    const qsizetype p = text.indexOf(u'.') + 1; // 1-based position of the point
    // The digits after the point are taken from the trimmed text at the untrimmed text's position, as the
    // filter has always done.
    if (selStart >= p && trimmed.mid(p).size() >= decimals)
        return 0;
    if (selStart < p && p >= maxIntDigits + 1)
        return 0;
    return key;
}

int FilterByteLength(const QString& text, int key, int maxLength, bool hasSelection, int defaultMax)
{
    const int limit = maxLength > 0 ? maxLength : defaultMax;
    const QString candidate = text + QChar(char16_t(key));
    if (Gbk::byteLength(candidate) > limit) {
        if (key == KeyEnter || key == KeyBackspace || hasSelection)
            return key;
        return 0;
    }
    return key;
}

TextEdit TextEdit::replace(const QString& text, int start, int removed, const QString& inserted)
{
    start = qBound(0, start, int(text.size()));
    removed = qBound(0, removed, int(text.size()) - start);
    return TextEdit{text, QString(text).remove(start, removed), start, inserted};
}

QString TextEdit::after() const
{
    const int pos = qBound(0, at, int(kept.size()));
    return kept.left(pos) + inserted + kept.mid(pos);
}

namespace {

struct NumberShape {
    int integerPlaces = 0; // places before the point, a leading sign not counted
    int decimals = 0;
};

NumberShape shapeOf(const QString& text)
{
    const QString t = text.trimmed();
    const qsizetype dot = t.indexOf(u'.');
    NumberShape s;
    s.integerPlaces = int(dot < 0 ? t.size() : dot) - (t.contains(u'-') ? 1 : 0);
    s.decimals = dot < 0 ? 0 : int(t.size() - dot - 1);
    return s;
}

} // namespace

bool NumericEditAllowed(const TextEdit& edit, int maxIntDigits, int decimals, QStringView format)
{
    QString text = edit.kept;
    int caret = qBound(0, edit.at, int(text.size()));
    for (QChar c : edit.inserted) {
        // Enter and Backspace are keys, never characters of a number.
        if (c.unicode() < 0x20 ||
            FilterNumericKey(text, c.unicode(), maxIntDigits, decimals, caret, format) == 0)
            return false;
        text.insert(caret++, c);
    }
    // Taking the point away joins the decimals to the integer digits, and a point put among digits may leave
    // too many behind it; the result decides.
    if (!format.isEmpty()) {
        const qsizetype dot = format.indexOf(u'.');
        decimals = int(format.size() - (dot < 0 ? 0 : dot + 1));
    }
    const NumberShape was = shapeOf(edit.before);
    const NumberShape now = shapeOf(text);
    return now.integerPlaces <= qMax(maxIntDigits, was.integerPlaces) &&
           now.decimals <= qMax(decimals, was.decimals);
}

bool ByteLengthEditAllowed(const TextEdit& edit, int maxBytes)
{
    if (edit.inserted.isEmpty())
        return true;
    const qsizetype bytes = Gbk::byteLength(edit.after());
    return bytes <= maxBytes || bytes <= Gbk::byteLength(edit.before);
}

bool LengthEditAllowed(const TextEdit& edit, int maxChars)
{
    if (edit.inserted.isEmpty())
        return true;
    const qsizetype chars = edit.after().size();
    return chars <= maxChars || chars <= edit.before.size();
}

} // namespace zq
