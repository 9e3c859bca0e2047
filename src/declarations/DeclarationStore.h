#pragma once

#include "DeclarationDocument.h"

#include <QDate>

namespace zq {

class Database;

// Loading a declaration into the editor's document and storing it back. Storage failures throw DatabaseError.
class DeclarationStore {
public:
    explicit DeclarationStore(Database& db) : m_db(db) {}

    // A new declaration: the month and date of today, the unit's computer code, phone and declarant, and one
    // empty numbered row.
    void loadNew(DeclarationDocument& doc, qint64 unitId, const QDate& today) const;
    // A stored declaration: the header when its row exists (otherwise the header is left as it was), and its
    // detail rows as stored, without a trailing empty row. False when there is no header row.
    bool loadStored(DeclarationDocument& doc, qint64 appId) const;

    // The key a new declaration gets: the largest + 1, or 1.
    qint64 newAppId() const;
    // Stores header and rows under appId in one transaction; the last row is left out when it is blank.
    // Nothing changes in the database when it throws.
    void save(const DeclarationDocument& doc, qint64 appId, qint64 unitId);

    // The stored value of a header box: counts through "00", amounts through "0.00" (blank or zero → 0).
    // Throws DatabaseError when the box holds something that is not a number.
    static qint64 storedCount(const QString& text, HeaderField f);
    static Money storedAmount(const QString& text, HeaderField f);

private:
    Database& m_db;
};

} // namespace zq
