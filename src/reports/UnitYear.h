#pragma once

#include "core/Money.h"

#include <QString>
#include <array>
#include <optional>

namespace zq {

class Database;

// One month of a unit's year: its declarations, the tax paid on their rows and the people who paid it.
struct UnitMonth {
    int declarations = 0;
    Money paid;        // sum of the rows' 本张实缴税额
    int taxpayers = 0; // different identity numbers among the rows with tax paid
    int rows = 0;
};

// A unit's year: the twelve months' totals; a month without a declaration has none (a gap, not a zero).
class UnitYear {
public:
    // Storage failures throw DatabaseError.
    static UnitYear load(const Database& db, qint64 unitId, int year);

    qint64 unitId = 0;
    int year = 0;
    std::array<std::optional<UnitMonth>, 12> months;

    Money totalPaid() const;
    int declaredMonths() const;
};

} // namespace zq
