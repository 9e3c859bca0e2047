#pragma once

#include "core/AppContext.h"
#include "units/PayrollSource.h"

#include <QDialog>
#include <QStringList>
#include <array>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace zq::ui {

class StringTableModel;

// The unit editor ("单位信息维护"): a unit's own data and its link to the payroll package (edition, account
// set, year and the six salary items). It works on a row of the unit list's grid: it reads the unit from that
// row when it opens and, after saving, removes the row and appends the saved unit as the list's last row.
class UnitEditor : public QDialog {
    Q_OBJECT
public:
    // unitRows: the unit list's rows (14 cells each, see UnitRecord::toListRow()).
    UnitEditor(const AppContext& ctx, StringTableModel* unitRows, QWidget* parent = nullptr);
    ~UnitEditor() override;

    // Prepares the window for the unit in grid row `row` of the list (counted as the grid counts, the title
    // row being 0: row 1 is the first unit), or for a new unit when row is less than 1, with the editions'
    // names and registry keys; then shows it modally and returns the dialog's result when it closes
    // (Accepted after a save).
    int FrmInit(int row, const QStringList& editionNames, const QStringList& editionKeys);
    // FrmInit without showing the window.
    void prepare(int row, const QStringList& editionNames, const QStringList& editionKeys);

    // "确定(&S)": the checks, the save in one transaction and the list row; false while the window stays
    // open.
    bool save();

    QLineEdit* nameBox() const { return m_name; }
    QLineEdit* codeBox() const { return m_code; }
    QLineEdit* phoneBox() const { return m_phone; }
    QLineEdit* declarantBox() const { return m_declarant; }
    QComboBox* editionList() const { return m_soft; }
    QComboBox* accountSetList() const { return m_copy; }
    QComboBox* yearList() const { return m_year; }
    // The salary-item list of index 1 to 6.
    QComboBox* salaryItemList(int index) const { return m_items.at(index - 1); }
    QTabWidget* tabs() const { return m_tabs; }
    const PayrollSource& payroll() const { return m_payroll; }
    // The code of the item chosen in list 1 to 6, empty when none.
    QString GetSalaryItemCode(int index) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    void buildBasicPage(QWidget* page);
    void buildSettingsPage(QWidget* page);
    void editionChanged();
    void accountSetChanged();
    void yearChanged();
    void ClearSalaryItems();
    void AddSalaryItem(const QString& text);
    void SelectSalaryItem(int index, const QString& code);
    void moveOn(QWidget* from);
    void focusBox(QWidget* box);
    bool isChanging() const { return !m_unitId.isEmpty(); }
    // A list of the payroll package failed to load: while the editor is being prepared this keeps the stored
    // link; a choice the user makes afterwards rules again.
    void listUnread();

    AppContext m_ctx;
    StringTableModel* m_rows;
    PayrollSource m_payroll;
    QStringList m_editionKeys;
    QString m_unitName;
    QString m_unitId;
    int m_row = 0;
    // The unit's list row as it was when the editor opened, and whether the payroll package's lists could
    // not be loaded for it: a save then keeps the stored edition, account set, year and item codes.
    QStringList m_heldCells;
    bool m_preparing = false;
    bool m_linkUnread = false;

    QTabWidget* m_tabs;
    QLineEdit* m_name;
    QLineEdit* m_code;
    QLineEdit* m_phone;
    QLineEdit* m_declarant;
    QComboBox* m_soft;
    QComboBox* m_copy;
    QComboBox* m_year;
    std::array<QComboBox*, 6> m_items{};
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QList<QWidget*> m_tabOrder;
};

} // namespace zq::ui
