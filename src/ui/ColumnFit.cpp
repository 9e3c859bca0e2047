#include "ColumnFit.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>

namespace zq::ui {
namespace {

// A grid of 100,000 rows opens as fast as a small one: the widths are measured on its first rows.
constexpr int kRowsMeasured = 500;

} // namespace

int fitColumns(QTableView* grid, const QHash<int, QString>& examples, const QSet<int>& keep)
{
    const QAbstractItemModel* model = grid->model();
    if (!model)
        return fullWidth(grid);
    QHeaderView* header = grid->horizontalHeader();
    const QFontMetrics cells = grid->fontMetrics();
    // The item delegate leaves a margin at both sides of the text; a few pixels more keep it off the lines.
    const int margin = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1) + 6;
    const QScreen* screen = grid->screen() ? grid->screen() : QGuiApplication::primaryScreen();
    const int widest = screen ? qMax(200, screen->availableGeometry().width() / 3) : 420;
    const int rows = qMin(model->rowCount(), kRowsMeasured);
    for (int c = 0; c < model->columnCount(); ++c) {
        if (grid->isColumnHidden(c) || keep.contains(c))
            continue;
        int need = header->sectionSizeHint(c);
        const QString title = model->headerData(c, Qt::Horizontal).toString();
        need = qMax(need, header->fontMetrics().horizontalAdvance(title) + margin);
        if (const auto it = examples.constFind(c); it != examples.cend())
            need = qMax(need, cells.horizontalAdvance(*it) + margin);
        for (int r = 0; r < rows; ++r)
            need = qMax(need, cells.horizontalAdvance(model->index(r, c).data().toString()) + margin);
        need = qMin(need, widest);
        if (need > grid->columnWidth(c))
            grid->setColumnWidth(c, need);
    }
    header->setStretchLastSection(true);
    return fullWidth(grid);
}

int fullWidth(const QTableView* grid)
{
    int width = 2 * grid->frameWidth() + grid->verticalScrollBar()->sizeHint().width();
    if (grid->verticalHeader()->isVisible())
        width += grid->verticalHeader()->width();
    const QAbstractItemModel* model = grid->model();
    for (int c = 0; model && c < model->columnCount(); ++c)
        if (!grid->isColumnHidden(c))
            width += grid->columnWidth(c);
    return width;
}

} // namespace zq::ui
