#include "WageTaxTable.h"

#include <QFile>
#include <limits>

namespace zq {
namespace {

QDate monthOf(const QByteArray& text, bool* ok)
{
    *ok = true;
    if (text.trimmed().isEmpty())
        return QDate();
    const QDate d = QDate::fromString(QString::fromLatin1(text.trimmed()) + QStringLiteral("-01"),
                                      QStringLiteral("yyyy-MM-dd"));
    *ok = d.isValid();
    return d;
}

} // namespace

QList<WageTaxTable> WageTaxTable::parse(const QByteArray& csv)
{
    QList<WageTaxTable> tables;
    const QList<QByteArray> lines = csv.split('\n');
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        const QList<QByteArray> f = line.split(',');
        bool okFrom = false, okUntil = false, okRate = false;
        if (f.size() != 5)
            return {};
        const QDate from = monthOf(f[0], &okFrom);
        const QDate until = monthOf(f[1], &okUntil);
        Bracket b;
        b.rate = f[3].trimmed().toInt(&okRate);
        const auto upTo =
            f[2].trimmed().isEmpty() ? std::optional<Money>() : Money::parse(QString::fromLatin1(f[2]));
        const auto quick = Money::parse(QString::fromLatin1(f[4]));
        if (!okFrom || !okUntil || !until.isValid() || !okRate || !quick ||
            (!f[2].trimmed().isEmpty() && !upTo))
            return {};
        b.upTo = upTo;
        b.quickDeduction = *quick;
        if (tables.isEmpty() || tables.last().from != from || tables.last().until != until) {
            if (!tables.isEmpty() && tables.last().brackets.last().upTo)
                return {}; // a table must end with its top bracket
            tables.append(WageTaxTable{from, until, {}});
        }
        if (!tables.last().brackets.isEmpty() &&
            (!tables.last().brackets.last().upTo || (upTo && *upTo <= *tables.last().brackets.last().upTo)))
            return {};
        tables.last().brackets.append(b);
    }
    if (!tables.isEmpty() && tables.last().brackets.last().upTo)
        return {};
    return tables;
}

const QList<WageTaxTable>& WageTaxTable::all()
{
    static const QList<WageTaxTable> tables = [] {
        QFile file(QStringLiteral(":/data/WageTaxTables.csv"));
        return file.open(QIODevice::ReadOnly) ? parse(file.readAll()) : QList<WageTaxTable>();
    }();
    return tables;
}

const WageTaxTable* WageTaxTable::forMonth(const QDate& month)
{
    if (!month.isValid())
        return nullptr;
    const QDate first(month.year(), month.month(), 1);
    for (const WageTaxTable& t : all())
        if ((!t.from.isValid() || t.from <= first) && first <= t.until)
            return &t;
    return nullptr;
}

const WageTaxTable::Bracket& WageTaxTable::bracketOf(Money taxable) const
{
    for (const Bracket& b : brackets)
        if (!b.upTo || taxable <= *b.upTo)
            return b;
    return brackets.last();
}

std::optional<qint64> WageTaxTable::taxTimes100(Money taxable) const
{
    if (taxable.raw() <= 0)
        return qint64(0);
    if (taxable.raw() > std::numeric_limits<qint64>::max() / 100)
        return std::nullopt;
    const Bracket& b = bracketOf(taxable);
    return taxable.raw() * b.rate - b.quickDeduction.raw() * 100;
}

QString WageTaxTable::periodText() const
{
    const QString end = until.toString(QStringLiteral("yyyy-MM"));
    if (!from.isValid())
        return end + QStringLiteral(" 及以前");
    return from.toString(QStringLiteral("yyyy-MM")) + QStringLiteral(" 至 ") + end;
}

} // namespace zq
