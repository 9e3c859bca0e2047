#include "KeyFilters.h"

#include "core/TextHelpers.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>

namespace zq::ui {

KeyRuleFilter::KeyRuleFilter(QLineEdit* edit, KeyRule rule)
    : QObject(edit), m_edit(edit), m_rule(std::move(rule))
{
    edit->installEventFilter(this);
    edit->setAcceptDrops(false);
    edit->setContextMenuPolicy(Qt::NoContextMenu); // a paste through the menu would bypass the rule
}

bool KeyRuleFilter::acceptsTyped(const QString& typed) const
{
    QString text = m_edit->text();
    int caret = m_edit->cursorPosition();
    bool selection = m_edit->hasSelectedText();
    if (selection) {
        const int start = m_edit->selectionStart();
        // The rule sees the selection once, for the first character; the rest is typed into the new text.
        const int first = typed.isEmpty() ? 0 : m_rule(text, typed.at(0).unicode(), caret, true);
        if (typed.isEmpty() || first == 0)
            return typed.isEmpty();
        text.remove(start, int(m_edit->selectedText().size()));
        text.insert(start, typed.at(0));
        caret = start + 1;
        selection = false;
        for (qsizetype i = 1; i < typed.size(); ++i) {
            if (m_rule(text, typed.at(i).unicode(), caret, false) == 0)
                return false;
            text.insert(caret++, typed.at(i));
        }
        return true;
    }
    for (QChar c : typed) {
        if (m_rule(text, c.unicode(), caret, false) == 0)
            return false;
        text.insert(caret++, c);
    }
    return true;
}

bool KeyRuleFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_edit || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Paste)) {
        const QString pasted = QGuiApplication::clipboard()->text();
        if (!acceptsTyped(pasted))
            return true;
        return false;
    }
    if (key->key() == Qt::Key_Backspace) {
        return m_rule(m_edit->text(), KeyBackspace, m_edit->cursorPosition(), m_edit->hasSelectedText()) == 0;
    }
    const QString text = key->text();
    if (text.isEmpty() || !text.at(0).isPrint() ||
        (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false; // navigation and shortcuts are not typed characters
    for (QChar c : text)
        if (m_rule(m_edit->text(), c.unicode(), m_edit->cursorPosition(), m_edit->hasSelectedText()) == 0)
            return true;
    return false;
}

KeyRuleFilter* installNumericFilter(QLineEdit* edit, int maxIntDigits, int decimals, const QString& format)
{
    return new KeyRuleFilter(edit, [=](const QString& text, int key, int caret, bool) {
        return FilterNumericKey(text, key, maxIntDigits, decimals, caret, format);
    });
}

KeyRuleFilter* installByteLengthFilter(QLineEdit* edit, int maxBytes)
{
    edit->setMaxLength(maxBytes);
    return new KeyRuleFilter(edit, [maxBytes](const QString& text, int key, int, bool selection) {
        return FilterByteLength(text, key, maxBytes, selection, 0);
    });
}

KeyRuleFilter* installRefusedCharsFilter(QLineEdit* edit, const QString& refused)
{
    return new KeyRuleFilter(edit, [refused](const QString&, int key, int, bool) {
        return refused.contains(QChar(char16_t(key))) ? 0 : key;
    });
}

} // namespace zq::ui
