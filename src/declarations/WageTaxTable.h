#pragma once

#include "core/Money.h"

#include <QDate>
#include <QList>
#include <optional>

namespace zq {

// A monthly tax table of wage income, in force for a run of tax months: brackets of the month's taxable
// income with their rate and quick deduction. The tables are data (data/WageTaxTables.csv). From 2019 wages
// are withheld cumulatively over the year, and no monthly table applies.
class WageTaxTable {
public:
    struct Bracket {
        std::optional<Money> upTo; // the bracket's upper bound, included; none for the top bracket
        int rate = 0;              // percent
        Money quickDeduction;
    };

    QDate from;  // first day of the first month; invalid: no lower bound
    QDate until; // first day of the last month
    QList<Bracket> brackets;

    // The table for the tax month (any day of it); nothing when no table covers the month.
    static const WageTaxTable* forMonth(const QDate& month);
    static const QList<WageTaxTable>& all();
    // Reads tables from the CSV text; an empty list when the text is not well formed.
    static QList<WageTaxTable> parse(const QByteArray& csv);

    // The bracket of a positive taxable income.
    const Bracket& bracketOf(Money taxable) const;
    // Taxable income × rate − quick deduction, in ten-thousandths × 100 (exact); 0 for an income up to 0.
    // Nothing when the amount is too large to compute.
    std::optional<qint64> taxTimes100(Money taxable) const;
    // "2011-09 至 2018-09", "2011-08 及以前".
    QString periodText() const;
};

} // namespace zq
