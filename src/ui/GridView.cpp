#include "GridView.h"

#include "FrozenColumn.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

namespace zq::ui {

GridView::GridView(QWidget* parent) : QTableView(parent), m_delegate(new GridDelegate(&m_columns, this))
{
    setItemDelegate(m_delegate);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::AnyKeyPressed |
                    QAbstractItemView::EditKeyPressed);
    setTabKeyNavigation(true);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setMinimumSectionSize(4);
    setWordWrap(false);
}

void GridView::setColumns(const GridColumns& columns)
{
    m_columns = columns;
    for (int c = 0; c < m_columns.size(); ++c) {
        setColumnWidth(c, m_columns[c].widthPixels());
        setColumnHidden(c, m_columns[c].hidden);
    }
    keepFirstColumnInView();
}

void GridView::keepFirstColumnInView()
{
    const bool wanted = !m_columns.isEmpty() && m_columns[0].fixed && !m_columns[0].hidden;
    if (wanted && !m_frozen)
        m_frozen = new FrozenColumn(this);
    if (m_frozen) {
        m_frozen->follow();
        m_frozen->setVisible(wanted);
    }
}

void GridView::keepClearOfFrozenColumn(const QModelIndex& index)
{
    if (!m_frozen || m_frozen->isHidden() || !index.isValid() || index.column() == 0)
        return;
    QScrollBar* bar = horizontalScrollBar();
    const int covered = columnWidth(0);
    if (horizontalScrollMode() == ScrollPerPixel) {
        const int left = visualRect(index).left();
        if (left < covered)
            bar->setValue(bar->value() - (covered - left));
        return;
    }
    while (bar->value() > bar->minimum() && visualRect(index).left() < covered)
        bar->setValue(bar->value() - 1);
}

void GridView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    QTableView::scrollTo(index, hint);
    keepClearOfFrozenColumn(index);
}

QList<int> GridView::columnWidthsTwips() const
{
    QList<int> out;
    for (int c = 0; c < m_columns.size(); ++c)
        out << columnWidth(c) * GridColumn::TwipsPerPixel;
    return out;
}

void GridView::setColumnWidthTwips(int column, int twips)
{
    if (column < 0 || column >= m_columns.size())
        return;
    m_columns[column].widthTwips = twips;
    setColumnWidth(column, m_columns[column].widthPixels());
}

void GridView::commitOpenEditor()
{
    if (QWidget* editor = m_delegate->openEditor()) {
        commitData(editor);
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

bool GridView::isEnterable(int column) const
{
    if (column < 0 || column >= m_columns.size())
        return !isColumnHidden(column);
    return !m_columns[column].hidden && !m_columns[column].fixed;
}

void GridView::moveToNextCell()
{
    if (!model())
        return;
    const int rows = model()->rowCount();
    const int cols = model()->columnCount();
    QModelIndex cur = currentIndex();
    int r = cur.isValid() ? cur.row() : 0;
    int c = cur.isValid() ? cur.column() : -1;
    for (;;) {
        ++c;
        if (c >= cols) {
            c = 0;
            ++r;
        }
        if (r >= rows) {
            emit movedPastEnd();
            return;
        }
        if (isEnterable(c))
            break;
    }
    setCurrentIndex(model()->index(r, c));
}

void GridView::focusCell(int row, int column, bool scrollColumnToLeft)
{
    if (!model() || row < 0 || row >= model()->rowCount())
        return;
    const QModelIndex idx = model()->index(row, column);
    setCurrentIndex(idx);
    setFocus();
    const QRect rect = visualRect(idx);
    const bool rowVisible = rect.isValid() && rect.top() >= 0 && rect.bottom() <= viewport()->height();
    if (!rowVisible)
        scrollTo(idx, QAbstractItemView::PositionAtTop);
    if (scrollColumnToLeft && (rect.left() < 0 || rect.right() > viewport()->width()))
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + rect.left());
    keepClearOfFrozenColumn(idx);
}

GridView::Place GridView::place() const
{
    const QModelIndex cur = currentIndex();
    return Place{cur.isValid() ? cur.row() : -1, cur.isValid() ? cur.column() : -1,
                 verticalScrollBar()->value(), horizontalScrollBar()->value()};
}

void GridView::restorePlace(const Place& place, int fallbackColumn)
{
    if (!model() || model()->rowCount() == 0)
        return;
    // The scroll ranges follow the new rows only once the delayed layout has run.
    executeDelayedItemsLayout();
    updateGeometries();
    const int row = place.row < 0 ? 0 : qMin(place.row, model()->rowCount() - 1);
    const int column = place.column < 0 ? fallbackColumn : place.column;
    setCurrentIndex(model()->index(row, column));
    if (place.row >= 0) {
        verticalScrollBar()->setValue(place.vertical);
        horizontalScrollBar()->setValue(place.horizontal);
    }
}

void GridView::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && state() != EditingState) {
        moveToNextCell();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void GridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Enter and Tab in an editor end the edit and move on to the next cell without opening its editor.
    if (hint == QAbstractItemDelegate::EditNextItem) {
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        moveToNextCell();
        return;
    }
    QTableView::closeEditor(editor, hint);
}

QModelIndex GridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    QModelIndex next = QTableView::moveCursor(action, modifiers);
    // Tab and arrows never land on a fixed column.
    if (next.isValid() && next.column() < m_columns.size() && m_columns[next.column()].fixed) {
        if (action == MoveNext || action == MoveRight) {
            for (int c = next.column() + 1; c < model()->columnCount(); ++c)
                if (isEnterable(c))
                    return model()->index(next.row(), c);
        }
        return currentIndex().isValid() ? currentIndex() : next;
    }
    return next;
}

} // namespace zq::ui
