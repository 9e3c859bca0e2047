#pragma once

#include <QList>
#include <QString>

namespace zq {

// Something a check found that may be a mistake but never stops a save or an export: where it is, what is
// wrong and what was expected.
struct Warning {
    int row = -1;    // 0-based grid row; -1 when the warning is about a header box (or the whole form)
    int column = -1; // the grid column of the row, or for row -1 the header box (HeaderField as a number)
    QString columnName; // the grid column's title or the box's caption: "身份证件号码", "纳税收入总额"
    QString problem;
    QString expected;

    // The place in words: "第3行 身份证件号码", or the box's caption.
    QString where() const
    {
        return row >= 0 ? QStringLiteral("第%1行 %2").arg(row + 1).arg(columnName) : columnName;
    }

    // One line: "where：problem；应为：expected".
    QString line() const
    {
        QString text = where() + QStringLiteral("：") + problem;
        if (!expected.isEmpty())
            text += QStringLiteral("；应为：") + expected;
        return text;
    }
};

using Warnings = QList<Warning>;

} // namespace zq
