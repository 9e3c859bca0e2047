#pragma once

#include "DeclarationDocument.h"
#include "core/Warning.h"

#include <QDate>

namespace zq {

// What a clerk would want to look at before a declaration goes to the tax office, though none of it stops a
// save or an export: identity numbers of a wrong form or under two names, the rate and tax of wage rows
// against the monthly wage table of the tax month, and the header's totals and counts against the rows.
// Blank rows are left out; rows are 0-based document rows.
class DeclarationWarnings {
public:
    static Warnings check(const DeclarationDocument& doc, const QDate& today);

    // The income item of wage and salary income.
    static QString wageItem() { return QStringLiteral("01"); }
};

} // namespace zq
