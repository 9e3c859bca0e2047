#include "UnitFixture.h"

#include "finance/DemoPackage.h"

#include <QFile>
#include <stdexcept>

namespace zq::test {

UnitFixture::UnitFixture()
{
    settings = std::make_unique<AppSettings>(root.filePath(QStringLiteral("settings.ini")));
    finance::DemoPackage::create(windowsFolder());
    ctx = AppContext{&tax.db(), &prompter, settings.get(), root.path(), windowsFolder()};

    auto system = Database::openSqlite(dataFolder() + QStringLiteral("/system.mda"));
    execOrFail(*system, QStringLiteral("insert into copys(copy_id,copy_name) values('003','空账套')"));
    execOrFail(*system, QStringLiteral("insert into copyinfo(copy_id,copy_year,datafile) "
                                       "values('001','2011','0012011.mdb')"));
    QFile year(accountSetFile(QStringLiteral("001"), QStringLiteral("0012011.mdb")));
    if (!year.open(QIODevice::WriteOnly)) // an empty file is an empty SQLite database
        throw std::runtime_error("cannot create the year's data");
    year.close();
    auto items = Database::openSqlite(year.fileName());
    execOrFail(*items, QStringLiteral("create table salary_items (sa_code TEXT, sa_item TEXT, "
                                      "item_index INTEGER, sa_table TEXT)"));
    execOrFail(*items,
               QStringLiteral("insert into salary_items values ('XH', '序号', 0, 'salary'), "
                              "('GZ', '工资', 1, 'salary'), ('JJBT', '津贴', 2, 'salary'), ('JJ', "
                              "'奖金', 3, 'salary'), ('BM', '部门', 4, 'employee'), ('SFZ', '身份证', "
                              "5, 'salary')"));
}

QString UnitFixture::windowsFolder() const
{
    return root.filePath(QStringLiteral("windows"));
}

QString UnitFixture::dataFolder() const
{
    return windowsFolder() + QStringLiteral("/Olvenka/Lumina 3.0/Data");
}

QString UnitFixture::accountSetFile(const QString& copyId, const QString& dataFile) const
{
    return dataFolder() + u'/' + copyId + u'/' + dataFile;
}

void UnitFixture::addUnit(qint64 id, const QString& name, const QString& code, const QStringList& link)
{
    QVariantList values{id, name, code};
    for (int i = 0; i < 9; ++i)
        values << (i < link.size() ? QVariant(link[i]) : QVariant());
    execOrFail(tax.db(),
               QStringLiteral("insert into UnitInfo(UnitID,UnitName,ComputerCode,SoftVer,CopyId,copyyear,"
                              "SaCode1,SaCode2,SaCode3,SaCode4,SaCode5,SaCode6) "
                              "values(?,?,?,?,?,?,?,?,?,?,?,?)"),
               values);
}

qint64 UnitFixture::unitCount()
{
    return tax.db().scalar(QStringLiteral("select count(*) from UnitInfo")).toLongLong();
}

QVariant UnitFixture::unitValue(qint64 id, const QString& column)
{
    return tax.db().scalar(QStringLiteral("select %1 from UnitInfo where UnitID=?").arg(column), {id});
}

UnitWindows::UnitWindows(UnitFixture& f, int row) : list(f.ctx), ed(f.ctx, list.model(), &list)
{
    ed.prepare(row, list.editions().names, list.editions().keys);
}

} // namespace zq::test
