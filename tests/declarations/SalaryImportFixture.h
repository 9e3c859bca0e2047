#pragma once

#include "DeclarationFixtures.h"
#include "finance/DemoPackage.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QTest>

namespace zq::test {

// The demo payroll package installed in a temporary windows folder, an own database with its two units
// (unit 1 linked to account set 001, year 2012, items YFGZ, YNSSD, JMS, DMJWS, Tax), and the salary and
// bracket tables of account set 001 replaced by what a test needs.
struct SalaryImportFixture {
    QTemporaryDir root;
    TempTaxDatabase tax;
    ScriptedPrompter prompter;
    std::unique_ptr<AppSettings> settings;
    AppContext ctx;

    SalaryImportFixture()
    {
        settings = std::make_unique<AppSettings>(root.filePath(QStringLiteral("settings.ini")));
        finance::DemoPackage::create(windowsFolder());
        finance::DemoPackage::addUnits(tax.db());
        ctx = AppContext{&tax.db(), &prompter, settings.get(), root.path(), windowsFolder()};
        onAccountSet({"drop table salary", "drop table taxsetup",
                      "create table salary (copy_month TEXT, emp_id TEXT, YFGZ REAL, YNSSD REAL, JMS REAL, "
                      "DMJWS REAL, Tax REAL, SFZH TEXT)",
                      "create table taxsetup (levelmin INTEGER, Rate INTEGER, quickdeduct REAL)"});
    }

    QString windowsFolder() const { return root.path() + QStringLiteral("/windows"); }
    QString productFolder() const { return windowsFolder() + QStringLiteral("/Olvenka/Lumina 3.0"); }

    // Runs statements on the account set's SQLite file (with the usual journal, as the package keeps it).
    void onAccountSet(const QStringList& statements)
    {
        const QString name = Database::uniqueConnectionName(QStringLiteral("zq-salary-fixture-"));
        auto owner = Database::adopt(name);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(productFolder() + QStringLiteral("/Data/001/0012012.mdb"));
            QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        }
        Transaction tx(*owner);
        for (const QString& sql : statements)
            execOrFail(*owner, sql);
        tx.commit();
    }

    // Salary rows as SQL values "(month, emp_id, YFGZ, YNSSD, JMS, DMJWS, Tax), ...".
    void addSalary(const QString& rows)
    {
        onAccountSet({"insert into salary(copy_month,emp_id,YFGZ,YNSSD,JMS,DMJWS,Tax) values " + rows});
    }
    // Employee rows as SQL values "(UnitID, EmpID, EmpName, IDCard, NationCode, ProfCode), ...".
    void addEmployees(const QString& rows)
    {
        execOrFail(tax.db(),
                   "insert into Employee(UnitID,EmpID,EmpName,IDCard,NationCode,ProfCode) values " + rows);
    }

    // March with three taxed rows (one without an Employee row), one untaxed row and April's rows; the
    // brackets stored out of order; item 4 (DMJWS) not mapped.
    void fillMarch()
    {
        addSalary(
            "('03','E001',5000,3200,0,0,195), ('03','E002',8000.5,6200.5,100,7,745.05), "
            "('03','E003',3000,1200,0,0,0), ('04','E001',5000,3200,0,0,195), ('03','E004',4000,2000,0,0,25)");
        onAccountSet({"insert into taxsetup(levelmin,Rate) values (2000,15), (0,5), (5000,20), (500,10)"});
        addEmployees("(1,'E001','张三','110101198001010015','156','0201'), "
                     "(1,'E002','王 五','  11010119800101003X ',null,'0201'), "
                     "(2,'E004','别家','440101198001010011','156','0201')"); // another unit's employee
        execOrFail(tax.db(),
                   "update UnitInfo set SaCode1='YFGZ', SaCode2='YNSSD', SaCode3='JMS', SaCode4=null, "
                   "SaCode5='Tax' where UnitID=1");
        settings->setTaxThreshold("800");
    }

    // A new declaration of the unit for a month, as the editor opens it.
    static DeclarationDocument newDeclaration(const QString& month)
    {
        DeclarationDocument doc;
        doc.setHeader(HeaderField::Month, month);
        doc.appendRow();
        return doc;
    }
};

} // namespace zq::test
