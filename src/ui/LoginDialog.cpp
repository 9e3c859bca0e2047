#include "LoginDialog.h"

#include "core/DatabaseError.h"
#include "core/PasswordStore.h"
#include "core/Prompter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zq::ui {

LoginDialog::LoginDialog(Database& db, Prompter& prompter, QWidget* parent)
    : PasswordDialogBase(db, prompter, parent)
{
    setObjectName(QStringLiteral("FrmLogIn"));
    setWindowTitle(QStringLiteral("系统登录"));

    m_pass = addPasswordBox(QStringLiteral("TxtPass"));
    auto* label = new QLabel(QStringLiteral("请输入口令："), this);
    label->setBuddy(m_pass);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_pass, 1);
    m_pass->setMinimumWidth(170);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 22, 24, 14);
    layout->setSpacing(18);
    layout->addLayout(row);
    layout->addLayout(buttonRow());
    setFixedSize(sizeHint());

    chainTabOrder({m_pass, okButton(), cancelButton()});
    connect(okButton(), &QPushButton::clicked, this, &LoginDialog::onOk);
    m_pass->setFocus();
}

bool LoginDialog::startWin(Database& db, Prompter& prompter, QWidget* parent)
{
    LoginDialog dialog(db, prompter, parent);
    dialog.exec();
    return dialog.confirmed();
}

void LoginDialog::onOk()
{
    bool accepted = false;
    try {
        accepted = PasswordStore(m_db).check(m_pass->text());
    } catch (const DatabaseError& e) {
        showError(e.number(), e.description());
        m_pass->setFocus();
        return;
    }
    if (!accepted) {
        m_prompter.notice(QStringLiteral("您输入的口令不正确请重新输入！(口令区分大小写)"));
        m_pass->setFocus();
        return;
    }
    m_confirmed = true;
    accept();
}

} // namespace zq::ui
