#include "CodeList.h"

#include "Database.h"

namespace zq {

QString CodeList::listText() const
{
    if (m_listText.isEmpty() && !codes.isEmpty()) {
        for (qsizetype i = 0; i < codes.size(); ++i)
            m_listText += QStringLiteral("|#") + codes[i] + u';' + shown(i);
    }
    return m_listText;
}

bool CodeList::accepts(const QString& text) const
{
    return text.isEmpty() || listText().contains(text);
}

CodeList CodeList::load(const Database& db, const QString& table, const QString& codeColumn,
                        const QString& nameColumn)
{
    const Rows rows =
        db.select(QStringLiteral("select %1,%2 from %3 order by %1").arg(codeColumn, nameColumn, table));
    CodeList list;
    for (const QVariantList& r : rows.data) {
        list.codes << r.value(0).toString();
        list.names << r.value(1).toString();
    }
    return list;
}

CodeList CodeList::nations(const Database& db)
{
    return load(db, QStringLiteral("BmNation"), QStringLiteral("NationCode"), QStringLiteral("NationName"));
}

CodeList CodeList::professions(const Database& db)
{
    return load(db, QStringLiteral("BmProfes"), QStringLiteral("ProfCode"), QStringLiteral("ProfName"));
}

CodeList CodeList::incomeItems(const Database& db)
{
    return load(db, QStringLiteral("BmItem"), QStringLiteral("ProgCode"), QStringLiteral("ProgName"));
}

} // namespace zq
