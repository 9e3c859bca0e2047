#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QLineEdit;

namespace zq::ui {

// Decides for one key code typed into a box, given its text, caret and selection, which key to deliver
// (the key itself, or 0 to swallow it).
using KeyRule = std::function<int(const QString& text, int key, int caret, bool hasSelection)>;

// Applies a key rule to a line edit where the keys land: on key presses, before the character reaches the
// text. Pasted or dropped text goes through the same rule character by character and is taken only when
// typing it would have been accepted whole.
class KeyRuleFilter : public QObject {
    Q_OBJECT
public:
    KeyRuleFilter(QLineEdit* edit, KeyRule rule);
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Whether typing text at the caret of edit (replacing its selection first) is accepted key by key.
    bool acceptsTyped(const QString& text) const;

private:
    QLineEdit* m_edit;
    KeyRule m_rule;
};

// The numeric filter (digits, one point, a leading minus; at most maxIntDigits before the point and
// decimals after it; format, when given, sets the decimals).
KeyRuleFilter* installNumericFilter(QLineEdit* edit, int maxIntDigits, int decimals,
                                    const QString& format = {});
// The byte-length filter: the box's maximum length counts bytes of the ANSI (GBK) code page.
KeyRuleFilter* installByteLengthFilter(QLineEdit* edit, int maxBytes);
// Swallows the given characters (e.g. the quotes in the change-password dialog).
KeyRuleFilter* installRefusedCharsFilter(QLineEdit* edit, const QString& refused);

} // namespace zq::ui
