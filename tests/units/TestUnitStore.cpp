#include "TestSupport.h"
#include "units/UnitStore.h"

#include <QTest>

using namespace zq;
using namespace zq::test;

class TestUnitStore : public QObject {
    Q_OBJECT

    static UnitRecord unit(const QString& name)
    {
        UnitRecord u;
        u.name = "  " + name + " ";
        u.computerCode = " 123456 ";
        u.softVer = "Olvenka 3.X ";
        u.copyId = "001";
        u.copyYear = "2011";
        u.saCodes = {"a", "b", "", "", "e", "sfz"};
        return u;
    }

private slots:
    void keysAndRoundTrip()
    {
        TempTaxDatabase t;
        UnitStore store(t.db());
        QCOMPARE(store.save(unit("甲'公司")), 1);
        QCOMPARE(store.save(unit("乙")), 2);
        const auto units = store.listUnits();
        QCOMPARE(units.size(), 2);
        QCOMPARE(units[0].name, QString("甲'公司")); // quotes stored and read back; blanks trimmed
        QCOMPARE(units[0].computerCode, QString("123456"));
        QCOMPARE(units[0].softVer, QString("Olvenka 3.X"));
        QCOMPARE(units[0].toListRow().size(), 14);
        QCOMPARE(units[0].toListRow().at(11), QString("sfz"));
        QCOMPARE(units[0].toListRow().at(13), QString("1"));
        QCOMPARE(UnitRecord::fromListRow(units[1].toListRow()).toListRow(), units[1].toListRow());

        store.deleteUnit(2);
        QCOMPARE(store.save(unit("丙")), 2); // the key of a deleted last unit is given again

        UnitRecord changed = store.listUnits().first();
        changed.phone = "010";
        QCOMPARE(store.save(changed), 1);
        QCOMPARE(store.listUnits().first().phone, QString("010"));
        QCOMPARE(store.listUnits().size(), 2);
    }

    // Rows a deleted unit left behind keep its key from being given to a new unit.
    void newKeyAboveLeftRows_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<qint64>("key");
        QTest::newRow("nothing left: the key is given again") << "" << qint64(3);
        QTest::newRow("employees left") << "insert into Employee(UnitID,EmpID) values(3,'1')" << qint64(4);
        QTest::newRow("a declaration left") << "insert into ApplT(AppID,UnitID) values(1,3)" << qint64(4);
        QTest::newRow("rows of an older unit")
            << "insert into Employee(UnitID,EmpID) values(7,'1')" << qint64(8);
    }
    void newKeyAboveLeftRows()
    {
        QFETCH(QString, left);
        QFETCH(qint64, key);
        TempTaxDatabase t;
        UnitStore store(t.db());
        for (const char* name : {"甲", "乙", "丙"})
            store.save(unit(name));
        if (!left.isEmpty())
            execOrFail(t.db(), left);
        store.deleteUnit(3);
        QCOMPARE(store.save(unit("丁")), key);
    }

    void editionsAndEmployeeCount()
    {
        TempTaxDatabase t;
        UnitStore store(t.db());
        const Editions e = store.loadEditions();
        QCOMPARE(e.names, QStringList({"Olvenka 2.X", "Olvenka 3.X"}));
        QCOMPARE(e.keys.size(), 2);
        QVERIFY(!e.unusable());
        t.db().exec("delete from lumfver");
        QVERIFY(store.loadEditions().unusable());
        t.db().exec("insert into lumfver(lumfver,lumfkey) values('',null),('X',null)");
        QCOMPARE(store.loadEditions().names, QStringList({"X"})); // rows without a name are skipped
        t.db().exec("insert into Employee(UnitID,EmpID) values(1,'1'),(1,'2'),(2,'1')");
        QCOMPARE(store.employeeCount(1), 2);
    }
};

ZQ_TEST(TestUnitStore)
#include "TestUnitStore.moc"
