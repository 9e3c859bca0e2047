#pragma once

#include "core/Warning.h"

#include <QDialog>
#include <functional>

class QTableView;

namespace zq::ui {

class StringTableModel;

// The warnings of a check as a list: row, column, what is wrong, what was expected. Opened by a window's
// check it only shows them (double-click asks the window to go to the cell); before a save or an export it
// asks whether to go on (是 goes on, 否 stops).
class WarningList : public QDialog {
    Q_OBJECT
public:
    // question empty: a list to look at, with 关闭; otherwise the question under the list, with 是 and 否.
    WarningList(const Warnings& warnings, const QString& question, QWidget* parent = nullptr);

    const Warnings& warnings() const { return m_warnings; }
    QTableView* view() const { return m_view; }
    StringTableModel* model() const { return m_model; }

    // The modal question before an action ("保存", "生成上传文件"); true for 是.
    static bool askGoOn(const QString& action, const Warnings& warnings, QWidget* parent);
    // The list of a window's check, shown beside it (one list per window: an open one is replaced);
    // double-click calls goTo with the warning.
    static WarningList* showFor(QWidget* window, const Warnings& warnings,
                                std::function<void(const Warning&)> goTo);

    static QString title() { return QStringLiteral("检查结果"); }

signals:
    // The user double-clicked a warning (its index in warnings()).
    void warningActivated(int index);

private:
    Warnings m_warnings;
    QTableView* m_view = nullptr;
    StringTableModel* m_model = nullptr;
};

} // namespace zq::ui
