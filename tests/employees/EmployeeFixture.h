#pragma once

#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/AppContext.h"
#include "core/AppSettings.h"
#include "employees/EmployeeStore.h"
#include "finance/DemoPackage.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace zq::test {

// The demo payroll package installed in a temporary windows folder and an own database with its two units
// (unit 1 linked to account set 001 with SaCode6 = SFZH). The package's employee and salary tables of account
// set 001 start empty; tests fill them.
struct EmployeeFixture {
    QTemporaryDir root;
    TempTaxDatabase tax;
    ScriptedPrompter prompter;
    std::unique_ptr<AppSettings> settings;
    AppContext ctx;

    EmployeeFixture()
    {
        settings = std::make_unique<AppSettings>(root.filePath(QStringLiteral("settings.ini")));
        const QString windows = root.path() + QStringLiteral("/windows");
        finance::DemoPackage::create(windows);
        finance::DemoPackage::addUnits(tax.db());
        ctx = AppContext{&tax.db(), &prompter, settings.get(), root.path(), windows};
        onAccountSet({QStringLiteral("delete from employee"), QStringLiteral("delete from salary")});
    }

    void onAccountSet(const QStringList& statements, const QList<QVariantList>& binds = {})
    {
        const QString name = Database::uniqueConnectionName(QStringLiteral("zq-emp-fixture-"));
        auto owner = Database::adopt(name);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(root.path() +
                               QStringLiteral("/windows/Olvenka/Lumina 3.0/Data/001/0012012.mdb"));
            QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        }
        Transaction tx(*owner);
        for (qsizetype i = 0; i < statements.size(); ++i)
            execOrFail(*owner, statements[i], i < binds.size() ? binds[i] : QVariantList());
        tx.commit();
    }

    // A payroll employee and, when identities are given, one salary row per identity value (months 01, 02
    // ...).
    void addPayroll(const QVariant& empId, const QVariant& name, const QVariant& audiCode, int ddFlag,
                    const QVariantList& identities = {})
    {
        QStringList sql{
            QStringLiteral("insert into employee(emp_id,emp_name,Audi_Code,dd_flag) values(?,?,?,?)")};
        QList<QVariantList> binds{{empId, name, audiCode, ddFlag}};
        for (qsizetype m = 0; m < identities.size(); ++m) {
            sql << QStringLiteral("insert into salary(copy_month,emp_id,SFZH) values(?,?,?)");
            binds << QVariantList{QStringLiteral("%1").arg(m + 1, 2, 10, QLatin1Char('0')), empId,
                                  identities[m]};
        }
        onAccountSet(sql, binds);
    }

    void addEmployee(const QString& empId, const QVariant& name, const QVariant& idCard,
                     const QVariant& nation = QStringLiteral("156"),
                     const QVariant& prof = QStringLiteral("0101"), qint64 unit = 1)
    {
        execOrFail(tax.db(),
                   QStringLiteral("insert into Employee(UnitID,EmpID,EmpName,IDCard,NationCode,ProfCode) "
                                  "values(?,?,?,?,?,?)"),
                   {unit, empId, name, idCard, nation, prof});
    }
    void setIdentityColumn(const QVariant& column, qint64 unit = 1)
    {
        execOrFail(tax.db(), QStringLiteral("update UnitInfo set SaCode6=? where UnitID=?"), {column, unit});
    }
    // The stored employees of a unit, one tab-separated line each, ordered by number.
    QStringList stored(qint64 unit = 1)
    {
        QStringList lines;
        for (const QStringList& row : EmployeeStore(tax.db()).load(unit))
            lines << row.join(u'\t');
        return lines;
    }
    // Makes every insert of the given number fail inside the database.
    void failInsertOf(const QString& empId)
    {
        execOrFail(tax.db(), QStringLiteral("create trigger refuse_emp before insert on Employee when "
                                            "new.EmpID = '%1' begin select raise(abort, 'refused %1'); end")
                                 .arg(empId));
    }
};

inline QStringList lines(const EmployeeRows& rows)
{
    QStringList out;
    for (const QStringList& r : rows)
        out << r.join(u'\t');
    return out;
}

} // namespace zq::test
