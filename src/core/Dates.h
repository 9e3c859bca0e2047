#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

namespace zq::Dates {

// A date as the user types it: "yyyy-m-d" with one- or two-digit month and day, real calendar dates only.
// Surrounding blanks are ignored. An invalid QDate for anything else.
QDate parse(const QString& text);
// The tax month typed as "yyyy-m" becomes the date of its first day.
QDate parseMonth(const QString& text);
// A date stored in the own database ("yyyy-mm-dd"); invalid for null or anything else.
QDate fromStored(const QVariant& value);

QString formatMonth(const QDate& date); // yyyy-mm
QString formatDate(const QDate& date);  // yyyy-mm-dd

} // namespace zq::Dates
