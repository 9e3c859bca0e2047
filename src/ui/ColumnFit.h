#pragma once

#include <QHash>
#include <QSet>
#include <QString>

class QTableView;

namespace zq::ui {

// Widens every visible column of a grid, except those in keep, to what its title and its widest value need:
// the values of its first rows and an example of what the column holds (an identity number, a name, an
// amount). A column is never made narrower than it is, and never wider than a third of the screen. The last
// column takes the space that is left. Returns the width the grid then needs (fullWidth).
int fitColumns(QTableView* grid, const QHash<int, QString>& examples = {}, const QSet<int>& keep = {});

// The width the grid needs to show all its visible columns: their widths, the frame and a vertical scroll
// bar.
int fullWidth(const QTableView* grid);

} // namespace zq::ui
