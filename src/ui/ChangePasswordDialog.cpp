#include "ChangePasswordDialog.h"

#include "core/DatabaseError.h"
#include "core/PasswordStore.h"
#include "core/Prompter.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zq::ui {

ChangePasswordDialog::ChangePasswordDialog(Database& db, Prompter& prompter, QWidget* parent)
    : PasswordDialogBase(db, prompter, parent)
{
    setObjectName(QStringLiteral("frmChanPass"));
    setWindowTitle(QStringLiteral("修改密码"));

    auto* frame = new QGroupBox(QStringLiteral("修改当前用户的密码"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    m_old = addPasswordBox(QStringLiteral("txtOld"));
    m_new1 = addPasswordBox(QStringLiteral("txtNew1"));
    m_new2 = addPasswordBox(QStringLiteral("txtNew2"));
    m_old->setParent(frame);
    m_new1->setParent(frame);
    m_new2->setParent(frame);
    for (QLineEdit* box : {m_old, m_new1, m_new2}) {
        refuseQuotesAndSelectOnFocus(box);
        box->setMinimumWidth(170);
    }
    auto* form = new QFormLayout(frame);
    form->setContentsMargins(16, 14, 16, 14);
    form->setVerticalSpacing(10);
    form->addRow(QStringLiteral("旧密码"), m_old);
    form->addRow(QStringLiteral("新密码"), m_new1);
    form->addRow(QStringLiteral("验  证"), m_new2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->setSpacing(12);
    layout->addWidget(frame);
    layout->addLayout(buttonRow());
    setFixedSize(sizeHint());

    chainTabOrder({m_old, m_new1, m_new2, okButton(), cancelButton()});
    connect(okButton(), &QPushButton::clicked, this, &ChangePasswordDialog::onOk);
    m_old->setFocus();
}

void ChangePasswordDialog::onOk()
{
    const QString oldText = m_old->text();
    const QString new1 = m_new1->text();
    const QString new2 = m_new2->text();
    if (new1 != new2) {
        m_prompter.notice(QStringLiteral("新密码不一致，请重新输入！"), Prompter::Icon::Exclamation);
        m_new1->setFocus();
        return;
    }
    try {
        if (PasswordStore(m_db).change(oldText, new1) == PasswordStore::ChangeResult::WrongOld) {
            m_prompter.notice(QStringLiteral("旧密码不正确！"), Prompter::Icon::Exclamation);
            m_old->setFocus();
            return;
        }
    } catch (const DatabaseError& e) {
        // The password is unchanged: say so and keep the dialog, never report the change as done. A database
        // busy with another writer (SQLite's BUSY 5 and LOCKED 6) is somebody else changing the record.
        const int primary = e.number() & 0xFF;
        if (e.number() > 0 && (primary == 5 || primary == 6))
            m_prompter.notice(Prompter::errorTitle(), QStringLiteral("已有人修改此记录！"),
                              Prompter::Icon::Exclamation);
        else
            showError(e.number(), e.description());
        return;
    }
    accept();
    m_prompter.notice(QStringLiteral("密码修改成功！"), Prompter::Icon::Exclamation);
}

} // namespace zq::ui
