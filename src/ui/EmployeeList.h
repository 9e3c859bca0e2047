#pragma once

#include "core/AppContext.h"
#include "employees/EmployeeStore.h"

#include <QDialog>
#include <QHash>
#include <optional>

class QAction;
class QComboBox;
class QMenuBar;
class QToolBar;

namespace zq::ui {

class GridView;
class StringTableModel;

// frmBmEmp ("单位员工管理"): the employees of one unit at a time in an editable grid, stored by Save, which
// replaces the unit's whole list; also brings the employees in from the payroll package. Modal.
class EmployeeList : public QDialog {
    Q_OBJECT
public:
    explicit EmployeeList(const AppContext& ctx, QWidget* parent = nullptr);

    // The commands of the toolbar and the menus.
    void addRow();
    void deleteRow();
    void importEmployees();
    bool save();
    void refresh();
    // "检查": what may be wrong with the identity numbers, as a list; a double-click goes to the cell.
    void showWarnings();
    // The year of the current row's employee, month by month as declared.
    void showStatement();

    // The grid holds edits that are not stored.
    bool DataChanged() const { return m_dataChanged; }
    // The selected unit's UnitID, or nothing when the combo is empty.
    std::optional<qint64> selectedUnit() const;
    const QList<qint64>& UnitIDs() const { return m_unitIds; }
    // The grid's rows as the commands see them.
    EmployeeRows rows() const;

    QComboBox* unitCombo() const { return m_units; }
    GridView* grid() const { return m_grid; }
    StringTableModel* model() const { return m_model; }
    // A toolbar button by its key ("Add", "Delete", "Import", "Save", "Help", "Exit").
    QAction* toolbarAction(const QString& key) const { return m_buttons.value(key); }

    // Closing with unsaved changes asks first: Yes saves (and stays open when that fails), No discards,
    // Cancel stays.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildGrid();
    void LoadUnits();
    void fitToColumns();
    void LoadEmployees();
    void unitChanged();
    void setRowsKeepingCell(EmployeeRows rows);
    void onToolbarButton(QAction* action);
    bool confirmClose();

    AppContext m_ctx;
    QMenuBar* m_menuBar;
    QToolBar* m_toolBar;
    QComboBox* m_units;
    GridView* m_grid;
    StringTableModel* m_model;
    QHash<QString, QAction*> m_buttons;
    QList<qint64> m_unitIds;
    bool m_dataChanged = false;
};

} // namespace zq::ui
