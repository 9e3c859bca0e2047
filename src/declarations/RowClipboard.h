#pragma once

#include "DeclarationDocument.h"

#include <QList>
#include <QVector>
#include <optional>

namespace zq {

struct CodeList;

// Detail rows as tab-separated text (columns 1 to 11, one line per row), the way spreadsheets exchange them.
class RowClipboard {
public:
    // The rows as text: amounts and the rate as their plain value, lines ended by CR LF.
    static QString copy(const DeclarationDocument& doc, const QList<int>& rows);

    struct Result {
        QVector<DetailRow> rows; // without row numbers
        QString problem;         // empty when every line fits
        int line = 0;            // 1-based line of the problem
        int column = 0;          // grid column of the problem (0 for a wrong number of cells)
    };
    // Reads pasted text under the rules of typing: the cell editor's lengths, the numeric key filter for
    // amounts and the rate, and codes that occur in their drop-down list. The first cell that does not fit
    // refuses the whole paste. Windows and Unix line endings; a trailing empty line is ignored.
    // codes holds the lists of columns 3, 4 and 5 (any may be null: then no code is accepted but empty).
    static Result parse(const QString& text, const CodeList* const codes[3]);
};

} // namespace zq
