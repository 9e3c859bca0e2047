#include "TestSupport.h"
#include "units/UnitStore.h"

#include <QTest>

using namespace zq;
using namespace zq::test;

class TestUnitStore : public QObject {
    Q_OBJECT
private slots:
    // Rows a deleted unit left behind keep its key from being given to a new unit.
    void newKeyAboveLeftRows_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<qint64>("key");
        QTest::newRow("nothing left: the key is given again") << "" << qint64(1);
        QTest::newRow("employees left") << "insert into Employee(UnitID,EmpID) values(1,'1')" << qint64(2);
        QTest::newRow("a declaration left") << "insert into ApplT(AppID,UnitID) values(1,1)" << qint64(2);
    }
    void newKeyAboveLeftRows()
    {
        QFETCH(QString, left);
        QFETCH(qint64, key);
        TempTaxDatabase t;
        UnitStore store(t.db());
        UnitRecord u;
        u.computerCode = "123456";
        u.name = "甲";
        store.save(u);
        if (!left.isEmpty())
            execOrFail(t.db(), left);
        store.deleteUnit(1);
        u.name = "乙";
        QCOMPARE(store.save(u), key);
    }
};

ZQ_TEST(TestUnitStore)
#include "TestUnitStore.moc"
