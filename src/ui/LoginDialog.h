#pragma once

#include "PasswordDialogBase.h"

namespace zq::ui {

// FrmLogIn, "系统登录": asks for the password at start-up. A wrong entry (letter case counts) is refused and
// stays in the box; there is no limit on the number of attempts.
class LoginDialog : public PasswordDialogBase {
    Q_OBJECT
public:
    LoginDialog(Database& db, Prompter& prompter, QWidget* parent = nullptr);

    // Shows the dialog modally; true when the password was accepted, false when the user cancelled.
    static bool startWin(Database& db, Prompter& prompter, QWidget* parent = nullptr);
    bool confirmed() const { return m_confirmed; }

private:
    void onOk();

    QLineEdit* m_pass;
    bool m_confirmed = false;
};

} // namespace zq::ui
