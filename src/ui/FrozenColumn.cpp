#include "FrozenColumn.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>

namespace zq::ui {

FrozenColumn::FrozenColumn(QTableView* grid) : QTableView(grid), m_grid(grid)
{
    setObjectName(QStringLiteral("FrozenColumn"));
    setFocusPolicy(Qt::NoFocus);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(m_grid->verticalScrollMode());
    setWordWrap(false);
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    setFrameShape(QFrame::NoFrame);
    setStyleSheet(QString());
    // The grid's cells lie under this view; its frame and headers stay above it.
    m_grid->viewport()->stackUnder(this);

    connect(m_grid->verticalScrollBar(), &QScrollBar::valueChanged, verticalScrollBar(),
            &QScrollBar::setValue);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, m_grid->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int size) {
                if (column == 0) {
                    setColumnWidth(0, size);
                    place();
                }
            });
    connect(m_grid->verticalHeader(), &QHeaderView::sectionResized, this,
            [this](int row, int, int size) { setRowHeight(row, size); });
    connect(m_grid->horizontalHeader(), &QHeaderView::geometriesChanged, this, &FrozenColumn::place);
    m_grid->installEventFilter(this);
    follow();
}

void FrozenColumn::follow()
{
    if (model() != m_grid->model()) {
        setModel(m_grid->model());
        if (!model())
            return;
        connect(model(), &QAbstractItemModel::modelReset, this, &FrozenColumn::follow);
    }
    if (!model())
        return;
    setSelectionModel(m_grid->selectionModel());
    verticalHeader()->setDefaultSectionSize(m_grid->verticalHeader()->defaultSectionSize());
    horizontalHeader()->setFixedHeight(m_grid->horizontalHeader()->height());
    for (int c = 1; c < model()->columnCount(); ++c)
        setColumnHidden(c, true);
    setColumnHidden(0, false);
    setColumnWidth(0, m_grid->columnWidth(0));
    place();
}

void FrozenColumn::place()
{
    const int frame = m_grid->frameWidth();
    const QHeaderView* header = m_grid->horizontalHeader();
    const bool shown = model() && !m_grid->isColumnHidden(0) && m_grid->columnWidth(0) > 0;
    setVisible(shown);
    if (!shown)
        return;
    horizontalHeader()->setFixedHeight(header->isVisible() ? header->height() : 0);
    horizontalHeader()->setVisible(header->isVisible());
    const int left = m_grid->verticalHeader()->isVisible() ? m_grid->verticalHeader()->width() : 0;
    setGeometry(frame + left, frame, m_grid->columnWidth(0),
                m_grid->viewport()->height() + (header->isVisible() ? header->height() : 0));
    verticalScrollBar()->setValue(m_grid->verticalScrollBar()->value());
}

bool FrozenColumn::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid && (event->type() == QEvent::Resize || event->type() == QEvent::Show ||
                              event->type() == QEvent::LayoutRequest))
        place();
    return QTableView::eventFilter(watched, event);
}

void FrozenColumn::mousePressEvent(QMouseEvent* event)
{
    // The row number is never the current cell: a click makes its row current in the grid's current column.
    const QModelIndex at = indexAt(event->position().toPoint());
    if (!at.isValid() || event->button() != Qt::LeftButton)
        return;
    const QModelIndex cur = m_grid->currentIndex();
    const int column = cur.isValid() && cur.column() > 0 ? cur.column() : 1;
    if (column < model()->columnCount()) {
        m_grid->setCurrentIndex(model()->index(at.row(), column));
        m_grid->setFocus(Qt::MouseFocusReason);
    }
}

void FrozenColumn::wheelEvent(QWheelEvent* event)
{
    QApplication::sendEvent(m_grid->viewport(), event);
}

} // namespace zq::ui
