#pragma once

#include "PasswordDialogBase.h"

namespace zq::ui {

// frmChanPass, "修改密码": opened from the main window. Needs the old password (none when none is set) and
// the new one twice. Quotes cannot be typed into its boxes.
class ChangePasswordDialog : public PasswordDialogBase {
    Q_OBJECT
public:
    ChangePasswordDialog(Database& db, Prompter& prompter, QWidget* parent = nullptr);

private:
    void onOk();

    QLineEdit* m_old;
    QLineEdit* m_new1;
    QLineEdit* m_new2;
};

} // namespace zq::ui
