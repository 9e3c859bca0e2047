#include "UnitYear.h"

#include "core/Database.h"
#include "core/Dates.h"

#include <QHash>
#include <QSet>

namespace zq {

UnitYear UnitYear::load(const Database& db, qint64 unitId, int year)
{
    UnitYear y;
    y.unitId = unitId;
    y.year = year;
    // A declaration without rows still makes its month a declared one.
    const Rows rows =
        db.select(QStringLiteral("select a.AppID, a.Month, i.AppID, i.IDCard, i.TaxM1 from ApplT a "
                                 "left join ApplTInfo i on i.AppID = a.AppID where a.UnitID = ?"),
                  {QVariant::fromValue<qlonglong>(unitId)});
    std::array<QSet<qint64>, 12> declarations;
    std::array<QSet<QString>, 12> payers;
    for (const QVariantList& r : rows.data) {
        const QDate month = Dates::fromStored(r[1]);
        if (!month.isValid() || month.year() != year)
            continue;
        const int m = month.month() - 1;
        auto& slot = y.months[m];
        if (!slot)
            slot = UnitMonth();
        declarations[m].insert(r[0].toLongLong());
        if (r[2].isNull())
            continue; // the declaration has no rows
        ++slot->rows;
        const Money paid = Money::fromStored(r[4]);
        slot->paid += paid;
        if (!paid.isZero() && !r[3].toString().isEmpty())
            payers[m].insert(r[3].toString());
    }
    for (int m = 0; m < 12; ++m) {
        if (!y.months[m])
            continue;
        y.months[m]->declarations = int(declarations[m].size());
        y.months[m]->taxpayers = int(payers[m].size());
    }
    return y;
}

Money UnitYear::totalPaid() const
{
    Money sum;
    for (const auto& m : months)
        if (m)
            sum += m->paid;
    return sum;
}

int UnitYear::declaredMonths() const
{
    int n = 0;
    for (const auto& m : months)
        n += m ? 1 : 0;
    return n;
}

} // namespace zq
