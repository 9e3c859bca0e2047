#include "TestSupport.h"
#include "core/PasswordStore.h"

#include <QTest>

using namespace zq;
using namespace zq::test;

namespace {
// Sets the stored value directly, as an older program or a hand-edited database would have left it.
void storeRaw(TempTaxDatabase& t, const QVariant& value)
{
    execOrFail(t.db(), "update Sundries set Value=? where Name='Password'", {value});
}
QVariant raw(TempTaxDatabase& t)
{
    return t.db().scalar("select Value from Sundries where Name='Password'");
}
} // namespace

class TestPasswordStore : public QObject {
    Q_OBJECT
private slots:
    void storedAsSaltedHash()
    {
        TempTaxDatabase t;
        PasswordStore store(t.db());
        store.set("Ab'1 中");
        const QString stored = raw(t).toString();
        QVERIFY(PasswordStore::isHash(stored));
        QVERIFY(!stored.contains("Ab'1"));
        QVERIFY(store.check("Ab'1 中"));
        QCOMPARE(raw(t).toString(), stored); // checking a hashed password writes nothing
        QVERIFY(!store.check("ab'1 中"));
        // The same password twice gives two different stored values (the salt).
        QVERIFY(PasswordStore::encode("same") != PasswordStore::encode("same"));
        store.set(QString());
        QVERIFY(store.check(QString())); // no password: the empty entry opens, and it stays unset
        QCOMPARE(raw(t).toString(), QString(""));
        QVERIFY(!store.isSet());
    }

    void plainTextAcceptedOnceThenHashed()
    {
        TempTaxDatabase t;
        storeRaw(t, QString("Old'Pw"));
        PasswordStore store(t.db());
        QVERIFY(!store.check("old'pw")); // case counts, and a refusal changes nothing
        QCOMPARE(raw(t).toString(), QString("Old'Pw"));
        QVERIFY(store.check("Old'Pw"));
        QVERIFY(PasswordStore::isHash(raw(t).toString()));
        QVERIFY(store.check("Old'Pw"));
    }

    // A damaged stored value matches nothing, not even itself.
    void damagedHashNeverMatches()
    {
        for (const QString& stored :
             QStringList{"pbkdf2-sha256$100000$abc", "pbkdf2-sha256$1000$c2FsdA==$a2V5"}) {
            QVERIFY(!PasswordStore::matches(stored, ""));
            QVERIFY(!PasswordStore::matches(stored, stored));
        }
    }
};

ZQ_TEST(TestPasswordStore)
#include "TestPasswordStore.moc"
