#pragma once

#include <QString>
#include <QStringList>

namespace zq {

class Database;

// A code table (nationalities, professions, income items) as a drop-down list: each entry stores the code and
// shows the code followed by the separator and the name: "156中国" in the declaration editor, "156 中国" in
// the employee list.
struct CodeList {
    QStringList codes;
    QStringList names;
    QString separator; // set before the list text is first asked for

    qsizetype size() const { return codes.size(); }
    QString shown(qsizetype i) const { return codes[i] + separator + names[i]; }
    // The list as one text: "|#code;codename" for every entry. Typed codes are kept when they occur in it.
    QString listText() const;
    // Whether a typed cell text may stay: it is empty or occurs anywhere in the list text.
    bool accepts(const QString& text) const;

    // Reads a code table whole, in code order, e.g. ("BmNation", "NationCode", "NationName").
    static CodeList load(const Database& db, const QString& table, const QString& codeColumn,
                         const QString& nameColumn);
    static CodeList nations(const Database& db);
    static CodeList professions(const Database& db);
    static CodeList incomeItems(const Database& db);

private:
    mutable QString m_listText;
};

} // namespace zq
