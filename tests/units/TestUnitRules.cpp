#include "TestSupport.h"
#include "units/UnitRules.h"

#include <QTest>

using namespace zq;
using namespace zq::units;

class TestUnitRules : public QObject {
    Q_OBJECT
private slots:
    void entries_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("accountSet");
        QTest::addColumn<QString>("item");
        QTest::newRow("account set") << "(001)甲公司" << QString("001") << "(001)甲公司";
        QTest::newRow("brackets in the name") << "(001)甲(北京)公司" << QString("001") << "(001)甲(北京)公司";
        QTest::newRow("no closing bracket") << "(001" << QString("001") << "(001";
        QTest::newRow("no bracket") << "甲公司" << QString() << "甲公司";
        QTest::newRow("item") << "YFGZ:应发工资" << QString() << "YFGZ";
        QTest::newRow("colon in the item name") << "YFGZ:应发:工资" << QString() << "YFGZ";
        QTest::newRow("empty") << "" << QString() << "";
    }

    void entries()
    {
        QFETCH(QString, entry);
        QFETCH(QString, accountSet);
        QFETCH(QString, item);
        QCOMPARE(accountSetIdOf(entry), accountSet);
        QCOMPARE(salaryItemCodeOf(entry), item);
    }
};

ZQ_TEST(TestUnitRules)
#include "TestUnitRules.moc"
