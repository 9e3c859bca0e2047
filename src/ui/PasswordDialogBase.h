#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace zq {
class Database;
class Prompter;
} // namespace zq

namespace zq::ui {

// What the three password dialogs share: masked boxes of at most 10 characters, Enter moving on like Tab, the
// two buttons "确定(&O)" and "取消(&C)", and the database and prompter they work with.
class PasswordDialogBase : public QDialog {
    Q_OBJECT
public:
    static constexpr int MaxLength = 10;

protected:
    PasswordDialogBase(Database& db, Prompter& prompter, QWidget* parent);

    QLineEdit* addPasswordBox(const QString& objectName);
    // Quotes can neither be typed nor pasted into the box; its whole text is selected when it gets the focus.
    void refuseQuotesAndSelectOnFocus(QLineEdit* box);
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    QLayout* buttonRow() const;
    static void chainTabOrder(std::initializer_list<QWidget*> widgets);
    // "在程序中发生类型：" number "错误。" line break description, under "错误信息": a caught database error.
    void showError(int number, const QString& description);

    bool eventFilter(QObject* watched, QEvent* event) override;

    Database& m_db;
    Prompter& m_prompter;

private:
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QLayout* m_buttonRow;
    QList<QLineEdit*> m_selectOnFocus;
};

} // namespace zq::ui
