#pragma once

#include "core/AppContext.h"
#include "units/UnitStore.h"

#include <QDialog>
#include <QHash>

class QAction;
class QMenuBar;
class QToolBar;

namespace zq::ui {

class GridView;
class StringTableModel;

// The unit list ("单位编码"): every withholding unit of the own database; units are added and changed in the
// unit editor and deleted here. The main window shows it modally: UnitList(ctx, parent).exec().
class UnitList : public QDialog {
    Q_OBJECT
public:
    // The grid's columns: six shown, the rest of the unit carried for the editor.
    enum Column {
        ColName,
        ColComputerCode,
        ColPhone,
        ColDeclarePerson,
        ColSoftVer,
        ColCopyId,
        ColSaCode1,
        ColSaCode6 = ColSaCode1 + 5,
        ColCopyYear,
        ColUnitId,
        ColumnCount
    };

    UnitList(const AppContext& ctx, QWidget* parent = nullptr);

    // "刷新" (F5): the grid again from the database.
    void refresh();
    // "增加", "修改" (also a double click on a unit), "删除".
    void addUnit();
    void changeUnit();
    void deleteUnit();

    // The grid's current row counted as the grid counts, the title row being 0: 0 when no unit is chosen.
    int currentGridRow() const;
    const Editions& editions() const { return m_editions; }
    GridView* grid() const { return m_grid; }
    StringTableModel* model() const { return m_model; }
    QMenuBar* menuBar() const { return m_menuBar; }
    QToolBar* toolBar() const { return m_toolBar; }
    // A toolbar button by its key ("Add", "Update", "Delete", "Help", "Exit").
    QAction* toolButton(const QString& key) const { return m_buttons.value(key); }

private:
    void buildMenus();
    void buildToolBar();
    void onToolButton(const QString& key);
    void loadEditions();
    void fitToColumns();
    void openEditor(int gridRow);

    AppContext m_ctx;
    Editions m_editions;
    QMenuBar* m_menuBar;
    QToolBar* m_toolBar;
    GridView* m_grid;
    StringTableModel* m_model;
    QHash<QString, QAction*> m_buttons;
};

} // namespace zq::ui
