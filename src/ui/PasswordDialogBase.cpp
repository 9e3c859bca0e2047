#include "PasswordDialogBase.h"

#include "core/Prompter.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QValidator>

namespace zq::ui {
namespace {

// Refuses any text with a double or single quote: a typed quote is swallowed, a pasted text with one is
// refused.
class NoQuotesValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        return input.contains(u'"') || input.contains(u'\'') ? Invalid : Acceptable;
    }
};

} // namespace

PasswordDialogBase::PasswordDialogBase(Database& db, Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_db(db), m_prompter(prompter)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_ok = new QPushButton(QStringLiteral("确定(&O)"), this);
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_cancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    // Enter on a focused button presses it; Enter in a box moves on (see eventFilter).
    m_ok->setAutoDefault(true);
    m_cancel->setAutoDefault(true);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(m_ok);
    row->addWidget(m_cancel);
    m_buttonRow = row;
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QLayout* PasswordDialogBase::buttonRow() const
{
    return m_buttonRow;
}

void PasswordDialogBase::chainTabOrder(std::initializer_list<QWidget*> widgets)
{
    QWidget* previous = nullptr;
    for (QWidget* w : widgets) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
}

QLineEdit* PasswordDialogBase::addPasswordBox(const QString& objectName)
{
    auto* box = new QLineEdit(this);
    box->setObjectName(objectName);
    box->setEchoMode(QLineEdit::Password);
    // Every typed character shows as "*", whatever the style's own password character is.
    box->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    box->setMaxLength(MaxLength);
    box->installEventFilter(this);
    return box;
}

void PasswordDialogBase::refuseQuotesAndSelectOnFocus(QLineEdit* box)
{
    box->setValidator(new NoQuotesValidator(box));
    m_selectOnFocus << box;
}

void PasswordDialogBase::showError(int number, const QString& description)
{
    const QString n = number >= 0 ? u' ' + QString::number(number) : QString::number(number);
    m_prompter.notice(Prompter::errorTitle(),
                      QStringLiteral("在程序中发生类型：") + n + QStringLiteral("错误。\r\n") + description,
                      Prompter::Icon::Exclamation);
}

bool PasswordDialogBase::eventFilter(QObject* watched, QEvent* event)
{
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            focusNextChild();
            return true;
        }
    } else if (box && event->type() == QEvent::FocusIn && m_selectOnFocus.contains(box)) {
        // A mouse click places the caret after the focus arrives; select once the click is done.
        QTimer::singleShot(0, box, &QLineEdit::selectAll);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace zq::ui
