#pragma once

#include "core/TextHelpers.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QInputMethodEvent;
class QKeyEvent;
class QLineEdit;
class QMouseEvent;

namespace zq::ui {

// Decides whether a box takes one edit of its text.
using EditRule = std::function<bool(const TextEdit& edit)>;

// Applies an edit rule to a line edit where the edits land, before they change the text: typed keys (over
// the selection), Backspace, Delete and the other deleting keys, Cut, Paste, the X11 middle-click paste and
// input-method commits. An edit is taken or refused whole; a refused one leaves the box as it was.
class KeyRuleFilter : public QObject {
    Q_OBJECT
public:
    KeyRuleFilter(QLineEdit* edit, EditRule rule);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TextEdit typedEdit(const QString& text) const;
    TextEdit selectionRemoved() const;
    std::optional<TextEdit> keyEdit(const QKeyEvent* key) const;
    TextEdit probedEdit(const QKeyEvent* key) const;
    std::optional<TextEdit> inputMethodEdit(const QInputMethodEvent* im) const;
    std::optional<TextEdit> middleClickEdit(const QMouseEvent* mouse) const;

    QLineEdit* m_edit;
    EditRule m_rule;
};

// The numeric filter (digits, one point, a leading minus; at most maxIntDigits before the point and
// decimals after it; format, when given, sets the decimals). Full-width digits and "。" are refused like
// any other character that is not part of a number.
KeyRuleFilter* installNumericFilter(QLineEdit* edit, int maxIntDigits, int decimals,
                                    const QString& format = {});
// The byte-length filter: the box takes at most maxBytes bytes of the ANSI (GBK) code page. The box's own
// maximum length is left alone, so a longer stored text is shown whole.
KeyRuleFilter* installByteLengthFilter(QLineEdit* edit, int maxBytes);
// At most maxChars characters typed; a longer stored text is shown whole and may only get shorter.
KeyRuleFilter* installLengthFilter(QLineEdit* edit, int maxChars);
// Swallows the given characters (e.g. the quotes in the change-password dialog).
KeyRuleFilter* installRefusedCharsFilter(QLineEdit* edit, const QString& refused);

} // namespace zq::ui
