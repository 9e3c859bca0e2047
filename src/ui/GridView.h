#pragma once

#include "GridColumn.h"
#include "GridDelegate.h"

#include <QTableView>

namespace zq::ui {

class FrozenColumn;

// A table view configured from column specifications: widths in twips, hidden and fixed columns, editors by
// column. Enter moves on like Tab, in the grid and while a cell is edited (after committing it).
class GridView : public QTableView {
    Q_OBJECT
public:
    explicit GridView(QWidget* parent = nullptr);

    // Call after setModel(): applies titles' widths, hidden columns and the delegate.
    void setColumns(const GridColumns& columns);
    const GridColumns& columns() const { return m_columns; }

    // Column widths in twips, as stored in the settings.
    QList<int> columnWidthsTwips() const;
    void setColumnWidthTwips(int column, int twips);

    // Ends an open cell edit as if the user had left the cell, so the edited value takes part.
    void commitOpenEditor();
    // Moves the current cell to the next editable cell (to the next row after the last column).
    void moveToNextCell();
    // Makes a cell current, gives the grid the focus and scrolls the row to the top when it is out of view.
    void focusCell(int row, int column, bool scrollColumnToLeft = false);

    GridDelegate* gridDelegate() const { return m_delegate; }
    // Also keeps the cell clear of the fixed first column.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

    // The current cell and the scroll position, kept across a reset of the model (a save, an import).
    struct Place {
        int row = -1;
        int column = -1;
        int vertical = 0;
        int horizontal = 0;
    };
    Place place() const;
    // Puts them back: the same cell (on the last row when there are fewer rows now) and the same scroll
    // position. Without a kept cell, fallbackColumn of the first row becomes current.
    void restorePlace(const Place& place, int fallbackColumn);

signals:
    // Enter or Tab moved past the last cell of the last row.
    void movedPastEnd();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    // A fixed first column (the row numbers) stays in view when the grid scrolls sideways.
    void keepFirstColumnInView();
    // Scrolls a cell out from under the fixed first column.
    void keepClearOfFrozenColumn(const QModelIndex& index);

    bool isEnterable(int column) const;
    GridColumns m_columns;
    GridDelegate* m_delegate;
    FrozenColumn* m_frozen = nullptr;
};

} // namespace zq::ui
