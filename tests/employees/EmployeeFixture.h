#pragma once

#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/AppContext.h"
#include "core/AppSettings.h"
#include "employees/EmployeeStore.h"
#include "finance/DemoPackage.h"

#include <QTest>

namespace zq::test {

inline QStringList lines(const EmployeeRows& rows)
{
    QStringList out;
    for (const QStringList& r : rows)
        out << r.join(u'\t');
    return out;
}

// The demo payroll package in a temporary windows folder, its employee and salary tables of account set 001
// emptied, and an own database with its two units (unit 1 linked to account set 001 with SaCode6 = SFZH).
struct EmployeeFixture {
    QTemporaryDir root;
    TempTaxDatabase tax;
    ScriptedPrompter prompter;
    AppSettings settings{root.filePath(QStringLiteral("settings.ini"))};
    AppContext ctx{&tax.db(), &prompter, &settings, root.path(), root.filePath(QStringLiteral("windows"))};

    EmployeeFixture()
    {
        finance::DemoPackage::create(ctx.windowsFolder);
        finance::DemoPackage::addUnits(tax.db());
        auto payroll = accountSet();
        execOrFail(*payroll, QStringLiteral("delete from employee"));
        execOrFail(*payroll, QStringLiteral("delete from salary"));
    }
    std::unique_ptr<Database> accountSet()
    {
        return Database::openSqlite(ctx.windowsFolder +
                                    QStringLiteral("/Olvenka/Lumina 3.0/Data/001/0012012.mdb"));
    }

    // A payroll employee and one salary row per identity value (months 01, 02 ...).
    void addPayroll(const QVariant& empId, const QVariant& name, const QVariant& audiCode, int ddFlag,
                    const QVariantList& identities = {})
    {
        auto payroll = accountSet();
        execOrFail(*payroll,
                   QStringLiteral("insert into employee(emp_id,emp_name,Audi_Code,dd_flag) values(?,?,?,?)"),
                   {empId, name, audiCode, ddFlag});
        for (int m = 0; m < identities.size(); ++m)
            execOrFail(*payroll, QStringLiteral("insert into salary(copy_month,emp_id,SFZH) values(?,?,?)"),
                       {QString::asprintf("%02d", m + 1), empId, identities[m]});
    }

    void addEmployee(const QString& empId, const QVariant& name, const QVariant& idCard, qint64 unit = 1)
    {
        execOrFail(tax.db(),
                   QStringLiteral("insert into Employee(UnitID,EmpID,EmpName,IDCard,NationCode,ProfCode) "
                                  "values(?,?,?,?,'156','0101')"),
                   {unit, empId, name, idCard});
    }
    // The stored employees of a unit, one tab-separated line each, ordered by number.
    QStringList stored(qint64 unit = 1) { return lines(EmployeeStore(tax.db()).load(unit)); }
};

} // namespace zq::test
