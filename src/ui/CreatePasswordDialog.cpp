#include "CreatePasswordDialog.h"

#include "core/DatabaseError.h"
#include "core/PasswordStore.h"
#include "core/Prompter.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zq::ui {

CreatePasswordDialog::CreatePasswordDialog(Database& db, Prompter& prompter, QWidget* parent)
    : PasswordDialogBase(db, prompter, parent)
{
    setObjectName(QStringLiteral("FrmCrePass"));
    setWindowTitle(QStringLiteral("创建密码"));

    auto* intro = new QLabel(QStringLiteral("请创建口令并牢记，以后运行本软件使用。"), this);
    intro->setObjectName(QStringLiteral("Label1"));
    m_pass1 = addPasswordBox(QStringLiteral("TxtPass1"));
    m_pass2 = addPasswordBox(QStringLiteral("TxtPass2"));
    auto* label1 = new QLabel(QStringLiteral("请输入您使用的口令："), this);
    auto* label2 = new QLabel(QStringLiteral("请再次输入您使用的口令："), this);
    label1->setBuddy(m_pass1);
    label2->setBuddy(m_pass2);
    auto* note = new QLabel(QStringLiteral("注意：口令区分大小写"), this);
    note->setObjectName(QStringLiteral("Label4"));
    note->setStyleSheet(QStringLiteral("color: #a03020;"));

    auto* grid = new QGridLayout;
    grid->addWidget(label1, 0, 0);
    grid->addWidget(m_pass1, 0, 1);
    grid->addWidget(label2, 1, 0);
    grid->addWidget(m_pass2, 1, 1);
    grid->setColumnMinimumWidth(1, 160);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setSpacing(12);
    layout->addWidget(intro);
    layout->addLayout(grid);
    layout->addWidget(note);
    layout->addLayout(buttonRow());
    setFixedSize(sizeHint());

    chainTabOrder({m_pass1, m_pass2, okButton(), cancelButton()});
    connect(okButton(), &QPushButton::clicked, this, &CreatePasswordDialog::onOk);
    m_pass1->setFocus();
}

bool CreatePasswordDialog::startWin(Database& db, Prompter& prompter, QWidget* parent)
{
    CreatePasswordDialog dialog(db, prompter, parent);
    dialog.exec();
    return dialog.confirmed();
}

void CreatePasswordDialog::onOk()
{
    if (m_pass1->text() != m_pass2->text()) {
        m_prompter.notice(QStringLiteral("两次输入的口令不一致请重新输入！"));
        return;
    }
    try {
        PasswordStore(m_db).set(m_pass1->text());
    } catch (const DatabaseError& e) {
        showError(e.number(), e.description());
        return;
    }
    m_confirmed = true;
    accept();
}

} // namespace zq::ui
