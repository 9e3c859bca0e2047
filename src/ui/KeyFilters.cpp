#include "KeyFilters.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace zq::ui {

KeyRuleFilter::KeyRuleFilter(QLineEdit* edit, EditRule rule)
    : QObject(edit), m_edit(edit), m_rule(std::move(rule))
{
    edit->installEventFilter(this);
    edit->setAcceptDrops(false);
    edit->setContextMenuPolicy(Qt::NoContextMenu); // a paste through the menu would bypass the rule
}

TextEdit KeyRuleFilter::selectionRemoved() const
{
    if (!m_edit->hasSelectedText())
        return TextEdit::replace(m_edit->text(), m_edit->cursorPosition(), 0);
    return TextEdit::replace(m_edit->text(), m_edit->selectionStart(), int(m_edit->selectedText().size()));
}

TextEdit KeyRuleFilter::typedEdit(const QString& text) const
{
    TextEdit edit = selectionRemoved();
    edit.inserted = text;
    return edit;
}

// The word-deleting keys: the line edit's own word boundaries decide what goes, so a scratch copy of the box
// takes the key and shows the result.
TextEdit KeyRuleFilter::probedEdit(const QKeyEvent* key) const
{
    QLineEdit probe;
    probe.setText(m_edit->text());
    if (m_edit->hasSelectedText()) {
        const int start = m_edit->selectionStart();
        const int length = int(m_edit->selectedText().size());
        if (m_edit->cursorPosition() == start)
            probe.setSelection(start + length, -length);
        else
            probe.setSelection(start, length);
    } else {
        probe.setCursorPosition(m_edit->cursorPosition());
    }
    QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(), key->count());
    QCoreApplication::sendEvent(&probe, &copy);
    return TextEdit{m_edit->text(), probe.text(), 0, QString()};
}

std::optional<TextEdit> KeyRuleFilter::keyEdit(const QKeyEvent* key) const
{
    const QString text = m_edit->text();
    const int caret = m_edit->cursorPosition();
    if (key->matches(QKeySequence::Paste))
        return typedEdit(QGuiApplication::clipboard()->text(QClipboard::Clipboard));
    if (key->matches(QKeySequence::Cut))
        return m_edit->hasSelectedText() ? std::optional(selectionRemoved()) : std::nullopt;
    if (key->matches(QKeySequence::DeleteEndOfLine))
        return TextEdit::replace(text, caret, int(text.size()) - caret);
    if (key->matches(QKeySequence::DeleteCompleteLine))
        return TextEdit::replace(text, 0, int(text.size()));
    if (key->matches(QKeySequence::DeleteStartOfWord) || key->matches(QKeySequence::DeleteEndOfWord) ||
        key->matches(QKeySequence::Delete) || key->key() == Qt::Key_Backspace)
        return probedEdit(key);
    const QString typed = key->text();
    if (typed.isEmpty() || !typed.at(0).isPrint() ||
        (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return std::nullopt; // navigation and shortcuts are not typed characters
    return typedEdit(typed);
}

// An input method takes the selection away as it starts composing, then replaces a stretch around the caret
// by its commit string.
std::optional<TextEdit> KeyRuleFilter::inputMethodEdit(const QInputMethodEvent* im) const
{
    const bool composing = !im->preeditString().isEmpty();
    if (im->commitString().isEmpty() && im->replacementLength() <= 0 &&
        !(composing && m_edit->hasSelectedText()))
        return std::nullopt;
    TextEdit edit = selectionRemoved();
    const int from = qBound(0, edit.at + im->replacementStart(), int(edit.kept.size()));
    const int length = qBound(0, im->replacementLength(), int(edit.kept.size()) - from);
    edit.kept.remove(from, length);
    edit.at = from;
    edit.inserted = im->commitString();
    return edit;
}

// Where the X11 selection can be pasted, a middle click pastes it at the caret the click has just placed.
std::optional<TextEdit> KeyRuleFilter::middleClickEdit(const QMouseEvent* mouse) const
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (mouse->button() != Qt::MiddleButton || !clipboard->supportsSelection() || m_edit->isReadOnly())
        return std::nullopt;
    return TextEdit::replace(m_edit->text(), m_edit->cursorPosition(), 0,
                             clipboard->text(QClipboard::Selection));
}

bool KeyRuleFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_edit)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        if (const auto edit = keyEdit(static_cast<QKeyEvent*>(event)))
            return !m_rule(*edit);
        break;
    case QEvent::MouseButtonRelease:
        if (const auto edit = middleClickEdit(static_cast<QMouseEvent*>(event)))
            return !m_rule(*edit);
        break;
    case QEvent::InputMethod: {
        auto* im = static_cast<QInputMethodEvent*>(event);
        const auto edit = inputMethodEdit(im);
        if (!edit || m_rule(*edit))
            break;
        if (m_edit->hasSelectedText())
            return true;                // the selection must stay: nothing of the event may reach the box
        im->setCommitString(QString()); // the composition ends, nothing is written
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

KeyRuleFilter* installNumericFilter(QLineEdit* edit, int maxIntDigits, int decimals, const QString& format)
{
    return new KeyRuleFilter(
        edit, [=](const TextEdit& e) { return NumericEditAllowed(e, maxIntDigits, decimals, format); });
}

KeyRuleFilter* installByteLengthFilter(QLineEdit* edit, int maxBytes)
{
    return new KeyRuleFilter(edit,
                             [maxBytes](const TextEdit& e) { return ByteLengthEditAllowed(e, maxBytes); });
}

KeyRuleFilter* installLengthFilter(QLineEdit* edit, int maxChars)
{
    return new KeyRuleFilter(edit, [maxChars](const TextEdit& e) { return LengthEditAllowed(e, maxChars); });
}

KeyRuleFilter* installRefusedCharsFilter(QLineEdit* edit, const QString& refused)
{
    return new KeyRuleFilter(edit, [refused](const TextEdit& e) {
        for (QChar c : e.inserted)
            if (refused.contains(c))
                return false;
        return true;
    });
}

} // namespace zq::ui
