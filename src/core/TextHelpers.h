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

// One change of a box's text as the user makes it: a key over the selection, Backspace, Delete, Cut, a paste
// or an input-method commit. Part of the text gives way (kept is what stays), then inserted goes in at `at`.
struct TextEdit {
    QString before;
    QString kept;
    int at = 0;
    QString inserted;

    // Replaces `removed` characters from `start` of text by inserted.
    static TextEdit replace(const QString& text, int start, int removed, const QString& inserted = {});
    QString after() const;
};

// The edits a box takes are judged on the text as it will be after them, and are taken or refused whole.
// A numeric box: every inserted character passes FilterNumericKey where it lands, and the result holds no
// more digits before or after the point than allowed (or than the text held before, for a longer stored
// value).
bool NumericEditAllowed(const TextEdit& edit, int maxIntDigits, int decimals, QStringView format);
// A box limited to maxBytes GBK bytes: the result fits, or the edit does not make a longer text longer.
bool ByteLengthEditAllowed(const TextEdit& edit, int maxBytes);
// A box limited to maxChars characters, in the same way.
bool LengthEditAllowed(const TextEdit& edit, int maxChars);

} // namespace zq
