#pragma once

#include <QTableView>

namespace zq::ui {

// Keeps a grid's first column (the row numbers) in view while the other columns scroll sideways: a second
// view of the same model and selection lies over the grid's left edge and shows only that column, with the
// grid's widths, heights and vertical scrolling. A click on a row number makes that row current in the grid.
class FrozenColumn : public QTableView {
    Q_OBJECT
public:
    explicit FrozenColumn(QTableView* grid);

    // Follows the grid's model, its column width and row heights and its place; called when any of them
    // changes.
    void follow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent*) override {}
    void mouseDoubleClickEvent(QMouseEvent*) override {}
    void wheelEvent(QWheelEvent* event) override;

private:
    void place();
    QTableView* m_grid;
};

} // namespace zq::ui
