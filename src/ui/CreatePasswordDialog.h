#pragma once

#include "PasswordDialogBase.h"

namespace zq::ui {

// FrmCrePass, "创建密码": shown at start-up while no password is set. The two boxes must agree; the password
// is then stored and the dialog confirms.
class CreatePasswordDialog : public PasswordDialogBase {
    Q_OBJECT
public:
    CreatePasswordDialog(Database& db, Prompter& prompter, QWidget* parent = nullptr);

    // Shows the dialog modally; true when a password was stored, false when the user cancelled.
    static bool startWin(Database& db, Prompter& prompter, QWidget* parent = nullptr);
    bool confirmed() const { return m_confirmed; }

private:
    void onOk();

    QLineEdit* m_pass1;
    QLineEdit* m_pass2;
    bool m_confirmed = false;
};

} // namespace zq::ui
