#pragma once

#include "DeclarationEditor.h"
#include "core/AppContext.h"

#include <QPointer>
#include <QWidget>

class QComboBox;
class QPushButton;

namespace zq {
class Rows;
}

namespace zq::ui {

class GridView;
class StringTableModel;
class WindowHost;

// The declaration list ("填报记录"): a unit's stored declarations, from which they are created, opened,
// deleted and written to the upload file. One editor is open at a time.
class DeclarationList : public QWidget {
    Q_OBJECT
public:
    enum Column { ColMonth, ColApplyDate, ColFactTax, ColBookNo, ColUploadResult, ColAppId };

    DeclarationList(const AppContext& ctx, WindowHost* host, QWidget* parent = nullptr);

    // Adds or refreshes the row of a declaration after the editor saved it.
    void DoSetApp(qint64 appId);
    void newDeclaration();
    void openCurrent();
    void deleteCurrent();
    void exportCurrent();
    // The print preview of the current row's declaration as stored.
    void printCurrent();
    // The selected unit's year as a chart and a table.
    void showUnitYear();

    QComboBox* unitCombo() const { return m_units; }
    GridView* grid() const { return m_grid; }
    StringTableModel* model() const { return m_model; }
    DeclarationEditor* editor() const { return m_editor; }
    // The unit selected in the combo, or 0.
    qint64 selectedUnit() const;

private:
    void loadUnits();
    void unitChanged();
    void fillRow(int row, const Rows& rows, qsizetype index);
    void openEditor(bool isNew, qint64 appId);
    int currentRow() const;

    AppContext m_ctx;
    WindowHost* m_host;
    QComboBox* m_units;
    GridView* m_grid;
    StringTableModel* m_model;
    QPointer<DeclarationEditor> m_editor;
};

// Closes a window shown by a WindowHost (its multiple-document frame too); false when it refused to close.
bool closeHostedWindow(QWidget* window);

} // namespace zq::ui
