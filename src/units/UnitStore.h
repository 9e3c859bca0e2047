#pragma once

#include <QString>
#include <QStringList>
#include <array>

namespace zq {

class Database;

// A unit as the unit list and the unit editor carry it.
struct UnitRecord {
    QString unitId; // empty while a new unit is being added
    QString name;
    QString computerCode;
    QString phone;
    QString declarePerson;
    QString softVer;
    QString copyId;
    QString copyYear;
    std::array<QString, 6> saCodes; // SaCode1..SaCode6

    // The 14 cells of a unit-list row: name, code, phone, declarant, edition, account set, SaCode1..6,
    // year, unit id.
    QStringList toListRow() const;
    static UnitRecord fromListRow(const QStringList& row);
};

// The finance-package editions the units can link to: names and registry keys, in name order.
struct Editions {
    QStringList names;
    QStringList keys;
    // The first name without surrounding blanks is empty: no edition could be loaded.
    bool unusable() const { return names.isEmpty() || names.first().trimmed().isEmpty(); }
};

// Storage of units in the own database, with bound values throughout.
class UnitStore {
public:
    explicit UnitStore(Database& db) : m_db(db) {}

    Editions loadEditions() const;
    QList<UnitRecord> listUnits() const;
    qint64 employeeCount(qint64 unitId) const;
    void deleteUnit(qint64 unitId);
    // Inserts a new unit with the next key (largest + 1, or 1) or updates an existing one, in one
    // transaction; returns the unit's id. Name, code, phone and declarant are stored without surrounding
    // blanks.
    qint64 save(const UnitRecord& unit);

private:
    Database& m_db;
};

} // namespace zq
