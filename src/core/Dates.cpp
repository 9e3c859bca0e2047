#include "Dates.h"

namespace zq::Dates {

QDate parse(const QString& text)
{
    const QString t = text.trimmed();
    // QDate accepts a sign and more year digits with "yyyy"; a typed date has exactly four.
    if (t.size() < 8 || !t.at(0).isDigit() || t.indexOf(u'-') != 4)
        return QDate();
    return QDate::fromString(t, QStringLiteral("yyyy-M-d"));
}

QDate parseMonth(const QString& text) { return parse(text + QStringLiteral("-01")); }

QDate fromStored(const QVariant& value)
{
    if (value.isNull())
        return QDate();
    if (value.typeId() == QMetaType::QDate)
        return value.toDate();
    return parse(value.toString().left(10));
}

QString formatMonth(const QDate& date) { return date.isValid() ? date.toString(QStringLiteral("yyyy-MM")) : QString(); }

QString formatDate(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

} // namespace zq::Dates
