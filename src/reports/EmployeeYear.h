#pragma once

#include "core/Money.h"

#include <QByteArray>
#include <QSizeF>
#include <QString>
#include <QVector>
#include <array>
#include <optional>

class QIODevice;
class QPainter;

namespace zq {

class Database;

// What was declared for one person in one month: the sums of that person's detail rows over the month's
// declarations, and the rates the rows carried.
struct PersonMonth {
    int rows = 0;
    Money income;         // 纳税人收入额
    Money taxable;        // 应纳税所得额
    QVector<Money> rates; // the different rates, in the order met
    Money reduction;      // 减免税额
    Money foreignCredit;  // 抵免境外税额
    Money paid;           // 本张实缴税额

    void add(const PersonMonth& o);
    QString ratesText() const; // "20", or "10、20" when the month's rows differ
    // The six figures as shown, in the order of the columns after 月份 (amounts in amountFormat).
    QStringList texts(QStringView amountFormat) const;
};

// An employee's year: for each month of the year the figures of the unit's declarations' rows that carry the
// employee's identity number; a month without such a row has no figures.
class EmployeeYear {
public:
    // Reads the employee (unit, EmpID) and the year's rows. On a refusal (no such unit or employee, no
    // identity number) returns nothing and sets problem. Storage failures throw DatabaseError.
    static std::optional<EmployeeYear> load(const Database& db, qint64 unitId, const QString& empId, int year,
                                            QString* problem);

    QString unitName;
    QString empId;
    QString name;
    QString idCard;
    int year = 0;
    std::array<std::optional<PersonMonth>, 12> months;

    PersonMonth total() const;
    int monthsWithoutRows() const;

    // The table as CSV (UTF-8 with byte-order mark, CR LF): a title line, one line per month, the sums.
    QByteArray csv() const;
    // Printed on A4 portrait.
    std::optional<QString> writePdf(QIODevice& out) const;
    // Through a file replaced only when complete: CSV when the name ends in .csv, else PDF.
    std::optional<QString> writeFile(const QString& path) const;
    // Paints the page on a painter whose unit is a tenth of a millimetre.
    void paint(QPainter& p, const QSizeF& page) const;

    static QString monthText(int year, int month); // yyyy-mm
    // The titles of the statement's columns: 月份 and the six figures.
    static QStringList columnTitles();
    static QString noRowsText() { return QStringLiteral("本月无申报"); }
};

} // namespace zq
