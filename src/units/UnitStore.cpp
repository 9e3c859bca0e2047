#include "UnitStore.h"

#include "core/Database.h"
#include "core/TextHelpers.h"

namespace zq {

QStringList UnitRecord::toListRow() const
{
    QStringList row{name, computerCode, phone, declarePerson, softVer, copyId};
    for (const QString& c : saCodes)
        row << c;
    row << copyYear << unitId;
    return row;
}

UnitRecord UnitRecord::fromListRow(const QStringList& row)
{
    UnitRecord u;
    u.name = row.value(0);
    u.computerCode = row.value(1);
    u.phone = row.value(2);
    u.declarePerson = row.value(3);
    u.softVer = row.value(4);
    u.copyId = row.value(5);
    for (int i = 0; i < 6; ++i)
        u.saCodes[i] = row.value(6 + i);
    u.copyYear = row.value(12);
    u.unitId = row.value(13);
    return u;
}

Editions UnitStore::loadEditions() const
{
    Editions e;
    const Rows rows = m_db.select(QStringLiteral(" select lumfver,lumfkey from lumfver order by lumfver "));
    if (rows.isEmpty()) {
        e.names << QString();
        e.keys << QString();
        return e;
    }
    for (const QVariantList& r : rows.data) {
        const QString name = r.value(0).toString();
        if (name.isEmpty())
            continue;
        e.names << name;
        e.keys << (r.value(1).isNull() ? QString() : r.value(1).toString());
    }
    return e;
}

QList<UnitRecord> UnitStore::listUnits() const
{
    const Rows rows = m_db.select(QStringLiteral(" select * from UnitInfo order by unitid "));
    QList<UnitRecord> units;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        UnitRecord u;
        u.unitId = rows.value(i, u"UnitID").toString();
        u.name = rows.value(i, u"UnitName").toString();
        u.computerCode = rows.value(i, u"ComputerCode").toString();
        u.phone = rows.value(i, u"Phone").toString();
        u.declarePerson = rows.value(i, u"DeclarePerson").toString();
        u.softVer = rows.value(i, u"SoftVer").toString();
        u.copyId = rows.value(i, u"CopyId").toString();
        u.copyYear = rows.value(i, u"copyyear").toString();
        for (int k = 0; k < 6; ++k)
            u.saCodes[k] = rows.value(i, QStringLiteral("SaCode%1").arg(k + 1)).toString();
        units << u;
    }
    return units;
}

qint64 UnitStore::employeeCount(qint64 unitId) const
{
    return m_db.scalar(QStringLiteral("select count(*) as unitcount from employee where unitid=?"), {unitId})
        .toLongLong();
}

void UnitStore::deleteUnit(qint64 unitId)
{
    m_db.exec(QStringLiteral(" delete from unitinfo where unitid=?"), {unitId});
}

qint64 UnitStore::save(const UnitRecord& unit)
{
    QVariantList values{unit.name.trimmed(),    unit.computerCode.trimmed(),
                        unit.phone.trimmed(),   unit.declarePerson.trimmed(),
                        unit.softVer.trimmed(), unit.copyId,
                        unit.copyYear};
    for (const QString& c : unit.saCodes)
        values << c;
    Transaction tx(m_db);
    qint64 id = 0;
    if (!unit.unitId.trimmed().isEmpty()) {
        id = unit.unitId.trimmed().toLongLong();
        m_db.exec(
            QStringLiteral("update unitinfo set UnitName=?,ComputerCode=?,Phone=?,DeclarePerson=?,SoftVer=?,"
                           "CopyId=?,copyyear=?,SaCode1=?,SaCode2=?,SaCode3=?,SaCode4=?,SaCode5=?,SaCode6=? "
                           "where unitid=?"),
            values << id);
    } else {
        // A deleted unit leaves its employees and declarations behind; a new unit must not take them over.
        id = m_db.nextKey(QStringLiteral(
            "select max(m) as maxUId from (select max(unitid) as m from unitinfo "
            "union all select max(UnitID) from Employee union all select max(UnitID) from ApplT)"));
        m_db.exec(QStringLiteral(
                      "insert into unitinfo(unitid,UnitName,ComputerCode,Phone,DeclarePerson,SoftVer,CopyId,"
                      "copyyear,SaCode1,SaCode2,SaCode3,SaCode4,SaCode5,SaCode6) "
                      "values (?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
                  QVariantList{id} + values);
    }
    tx.commit();
    return id;
}

} // namespace zq
