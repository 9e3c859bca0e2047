#pragma once

#include "core/CodeList.h"

#include <QList>
#include <QString>
#include <memory>

namespace zq::ui {

// How one column of a grid looks and is edited. Models say what a cell holds; the view and its delegate take
// everything else from these specifications.
struct GridColumn {
    QString title;
    int widthTwips = 1200;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool numeric = false;  // an amount: typed through the numeric key filter
    QString format;        // display format of a numeric column; also gives the decimals typed
    int maxIntDigits = 12; // digits before the point in a numeric column
    int decimals = 2;      // decimals of a numeric column without a format
    int maxLength = 0;     // longest entry in the cell editor (characters); 0 = no limit
    std::shared_ptr<const CodeList>
        codes; // a drop-down list: shows code+name, stores the code, takes typed text
    bool hidden = false;
    bool fixed = false; // like a heading column: never current, never edited

    static constexpr int TwipsPerPixel = 15;
    int widthPixels() const { return qMax(1, widthTwips / TwipsPerPixel); }
};

using GridColumns = QList<GridColumn>;

} // namespace zq::ui
