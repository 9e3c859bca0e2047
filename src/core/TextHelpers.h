#pragma once

#include <QString>
#include <QStringView>
#include <QVariant>

namespace zq {

// Key codes as a text box's key-press event delivers them.
inline constexpr int KeyBackspace = 8;
inline constexpr int KeyEnter = 13;

// Empty text for null, otherwise the value's text without surrounding blanks.
QString NullToText(const QVariant& value);

// The leading-number rule's value of a text is zero (empty text, "abc", "0.00", "0,5").
bool LeadingNumberIsZero(QStringView text);

// Text for storing an entered number: the formatted text, or "0" when it is blank or its value is zero.
QString FormatOrZero(const QString& text, QStringView format);

// Text for showing a stored number: empty for null or a value whose leading number is 0, else formatted.
QString FormatNonZero(const QVariant& value, QStringView format);

// The key to deliver (the key itself, or 0 to swallow it) for a numeric text box or cell.
int FilterNumericKey(const QString& text, int key, int maxIntDigits, int decimals, int selStart,
                     QStringView format);

// The key to deliver for a box whose content is limited in bytes of the ANSI (GBK) code page.
// maxLength is the box's own maximum length (0 = none), hasSelection whether a selection would be replaced.
int FilterByteLength(const QString& text, int key, int maxLength, bool hasSelection, int defaultMax);

} // namespace zq
