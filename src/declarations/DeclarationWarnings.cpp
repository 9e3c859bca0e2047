#include "DeclarationWarnings.h"

#include "WageTaxTable.h"
#include "core/Dates.h"
#include "employees/IdentityNumber.h"

#include <QSet>

namespace zq {
namespace {

using F = HeaderField;

QString amountText(Money m)
{
    return m.format(u"#,##0.00");
}

// An amount given in ten-thousandths × 100, rounded half away from zero to the cent.
QString amountText100(qint64 v)
{
    const qint64 cents = (v >= 0 ? v + 5000 : v - 5000) / 10000;
    return amountText(Money::fromRaw(cents * 100));
}

QString cellPlace(int column)
{
    return DeclarationDocument::columnTitle(column);
}

QString boxName(F f)
{
    return DeclarationDocument::caption(f).trimmed();
}

Warning atBox(F f, QString problem, QString expected)
{
    return Warning{-1, int(f), boxName(f), std::move(problem), std::move(expected)};
}

// A header number as the boxes hold it: empty is 0; nothing when the text is not a number (the save's own
// check says so).
std::optional<Money> boxNumber(const DeclarationDocument& doc, F f)
{
    const QString t = doc.header(f).trimmed();
    if (t.isEmpty())
        return Money();
    return Money::parse(t);
}

QString countText(Money m)
{
    return m.toPlainString();
}

void checkIdentities(const DeclarationDocument& doc, const QList<int>& rows, const QDate& today,
                     Warnings& out)
{
    QList<QPair<QString, QString>> numbersAndNames;
    for (int r : rows) {
        const QString& number = doc.row(r).texts[ColIDCard - 1];
        numbersAndNames.append({number, doc.row(r).texts[ColEmpName - 1]});
        for (const auto& f : IdentityNumber::check(number, today))
            out.append({r, ColIDCard, cellPlace(ColIDCard), f.problem, f.expected});
    }
    for (const auto& c : IdentityNumber::sameNumberOtherName(numbersAndNames)) {
        const int r = rows[c.row];
        const int first = rows[c.firstRow];
        const auto f = IdentityNumber::clashFinding(first + 1, doc.row(r).texts[ColEmpName - 1],
                                                    doc.row(first).texts[ColEmpName - 1]);
        out.append({r, ColIDCard, cellPlace(ColIDCard), f.problem, f.expected});
    }
}

// tableName: how the warnings name the table, made once for all rows.
void checkWageRow(const DeclarationDocument& doc, int r, const WageTaxTable& table, const QString& tableName,
                  bool bookless, Warnings& out)
{
    const Money taxable = doc.cellNumber(r, ColTaxM);
    const Money rate = doc.cellNumber(r, ColTaxRadio);
    if (taxable.raw() <= 0) {
        if (!rate.isZero() && rate != Money::fromUnits(table.brackets.first().rate))
            out.append({r, ColTaxRadio, cellPlace(ColTaxRadio),
                        QStringLiteral("应纳税所得额为 %1，税率却是 %2%")
                            .arg(amountText(taxable), rate.toPlainString()),
                        QStringLiteral("0")});
    } else if (!(bookless && rate.isZero())) {
        // A declaration without a payment book carries the rate 0 by rule.
        const auto& b = table.bracketOf(taxable);
        if (rate != Money::fromUnits(b.rate)) {
            const int i = int(&b - table.brackets.data());
            const QString range =
                i == 0   ? QStringLiteral("不超过 %1").arg(amountText(*b.upTo))
                : b.upTo ? QStringLiteral("超过 %1 至 %2")
                               .arg(amountText(*table.brackets[i - 1].upTo), amountText(*b.upTo))
                         : QStringLiteral("超过 %1").arg(amountText(*table.brackets[i - 1].upTo));
            out.append({r, ColTaxRadio, cellPlace(ColTaxRadio),
                        QStringLiteral("税率 %1% 与应纳税所得额 %2 不符")
                            .arg(rate.toPlainString(), amountText(taxable)),
                        QStringLiteral("%1%（%2，所得额%3）").arg(b.rate).arg(tableName, range)});
        }
    }
    const auto expected = table.taxTimes100(taxable);
    if (!expected)
        return;
    const Money paid = doc.cellNumber(r, ColTaxM1);
    const Money reduction = doc.cellNumber(r, ColReduTax);
    const Money foreign = doc.cellNumber(r, ColNationTax);
    const Money settled = paid + reduction + foreign;
    const qint64 diff = *expected - settled.raw() * 100;
    if (diff > 100 * 100 || diff < -100 * 100) {
        QString how = QStringLiteral("0.00（应纳税所得额不大于 0）");
        if (taxable.raw() > 0) {
            const auto& b = table.bracketOf(taxable);
            how = QStringLiteral("%1 × %2% − %3 = %4（%5）")
                      .arg(amountText(taxable))
                      .arg(b.rate)
                      .arg(amountText(b.quickDeduction), amountText100(*expected), tableName);
        }
        out.append(
            {r, ColTaxM1, cellPlace(ColTaxM1),
             QStringLiteral("实缴税额 %1 + 减免税额 %2 + 抵免境外税额 %3 = %4")
                 .arg(amountText(paid), amountText(reduction), amountText(foreign), amountText(settled)),
             how});
    }
}

void checkTaxes(const DeclarationDocument& doc, const QList<int>& rows, Warnings& out)
{
    QList<int> wageRows;
    for (int r : rows)
        if (doc.row(r).texts[ColProg - 1].trimmed() == DeclarationWarnings::wageItem())
            wageRows.append(r);
    if (wageRows.isEmpty())
        return;
    const QDate month = Dates::parseMonth(doc.header(F::Month));
    if (!month.isValid())
        return; // the save refuses the month itself
    const WageTaxTable* table = WageTaxTable::forMonth(month);
    if (!table) {
        out.append(
            atBox(F::Month,
                  QStringLiteral("%1 没有按月计算的工资、薪金所得税率表，无法判断%2个工资薪金行的税率和税额")
                      .arg(month.toString(QStringLiteral("yyyy-MM")))
                      .arg(wageRows.size()),
                  QStringLiteral("自 2019 年起工资、薪金按累计预扣法预扣，请另行核对")));
        return;
    }
    const bool bookless = rows.size() == 1 && doc.header(F::BookNo).trimmed().isEmpty();
    const QString tableName = QStringLiteral("%1 的工资、薪金所得税率表").arg(table->periodText());
    for (int r : wageRows)
        checkWageRow(doc, r, *table, tableName, bookless, out);
}

void checkHeader(const DeclarationDocument& doc, const QList<int>& rows, Warnings& out)
{
    // The four read-only totals are sums of grid columns.
    const std::pair<F, int> totals[] = {
        {F::TaxMs, ColInComeM}, {F::TaxM, ColTaxM}, {F::ReduTaxM, ColReduTax}, {F::FactTax, ColTaxM1}};
    for (const auto& [box, column] : totals) {
        const auto value = boxNumber(doc, box);
        const Money sum = doc.columnSum(column);
        if (value && *value != sum)
            out.append(atBox(box,
                             QStringLiteral("%1 与明细“%2”的合计不符")
                                 .arg(amountText(*value), DeclarationDocument::columnTitle(column)),
                             amountText(sum)));
    }

    // That a count exceeds its total is refused by the save itself.
    const auto unitTaxMen = boxNumber(doc, F::UnitTaxMen);
    const auto othTaxMen = boxNumber(doc, F::OthTaxMen);
    if (unitTaxMen && othTaxMen) {
        // Persons, not rows: one person may have rows of several income items. Rows without a number count
        // as a person each.
        QSet<QString> numbers;
        int persons = 0;
        for (int r : rows) {
            const QString n = doc.row(r).texts[ColIDCard - 1].trimmed().toUpper();
            if (n.isEmpty())
                ++persons;
            else if (!numbers.contains(n)) {
                numbers.insert(n);
                ++persons;
            }
        }
        const Money taxpayers = *unitTaxMen + *othTaxMen;
        if (taxpayers != Money::fromUnits(persons))
            out.append(atBox(F::UnitTaxMen,
                             QStringLiteral("其中纳税总人数 %1 + 其中纳税人数 %2 = %3，明细中却有 %4 人")
                                 .arg(countText(*unitTaxMen), countText(*othTaxMen), countText(taxpayers))
                                 .arg(persons),
                             QStringLiteral("两者之和为 %1").arg(persons)));
    }

    const auto income = boxNumber(doc, F::InComeM);
    const auto taxedIncome = boxNumber(doc, F::TaxMs);
    if (income && taxedIncome && *income < *taxedIncome)
        out.append(atBox(F::InComeM,
                         QStringLiteral("收入总额 %1 少于纳税收入总额 %2")
                             .arg(amountText(*income), amountText(*taxedIncome)),
                         QStringLiteral("不少于 %1").arg(amountText(*taxedIncome))));

    const auto due = boxNumber(doc, F::OutTaxM);
    const auto paid = boxNumber(doc, F::FactTax);
    const auto owed = boxNumber(doc, F::OweTax);
    if (due && paid && owed && *due - *paid != *owed)
        out.append(atBox(F::OweTax,
                         QStringLiteral("欠缴税额 %1 不等于应扣缴税额 %2 − 实缴税额 %3")
                             .arg(amountText(*owed), amountText(*due), amountText(*paid)),
                         amountText(*due - *paid)));
}

} // namespace

Warnings DeclarationWarnings::check(const DeclarationDocument& doc, const QDate& today)
{
    QList<int> rows;
    for (int r = 0; r < doc.rowCount(); ++r)
        if (!doc.IsBlankRow(r))
            rows.append(r);
    Warnings cells;
    checkIdentities(doc, rows, today, cells);
    checkTaxes(doc, rows, cells);
    std::stable_sort(cells.begin(), cells.end(),
                     [](const Warning& a, const Warning& b) { return a.row < b.row; });
    Warnings out;
    checkHeader(doc, rows, out);
    out += cells;
    return out;
}

} // namespace zq
