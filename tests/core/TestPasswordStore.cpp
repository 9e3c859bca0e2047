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
        QVERIFY(!store.check("ab'1 中"));
        // The same password twice gives two different stored values (the salt).
        QVERIFY(PasswordStore::encode("same") != PasswordStore::encode("same"));
    }

    void setMeaning_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("isSet");
        QTest::newRow("null") << QVariant(QMetaType(QMetaType::QString)) << false;
        QTest::newRow("empty") << QVariant(QString("")) << false;
        QTest::newRow("plain text of an older database") << QVariant(QString("abc")) << true;
        QTest::newRow("hash") << QVariant(PasswordStore::encode("abc")) << true;
    }
    void setMeaning()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, isSet);
        TempTaxDatabase t;
        storeRaw(t, stored);
        QCOMPARE(PasswordStore(t.db()).isSet(), isSet);
    }

    void noRowMeansNotSet()
    {
        TempTaxDatabase t;
        execOrFail(t.db(), "delete from Sundries where Name='Password'");
        PasswordStore store(t.db());
        QVERIFY(!store.stored().has_value());
        QVERIFY(!store.isSet());
        store.set("neu"); // the row comes back instead of the password going nowhere
        QVERIFY(store.check("neu"));
        QCOMPARE(t.db().scalar("select count(*) from Sundries where Name='Password'").toInt(), 1);
    }

    void emptyPasswordStaysEmpty()
    {
        TempTaxDatabase t;
        PasswordStore store(t.db());
        store.set("x");
        store.set(QString());
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

    void change_data()
    {
        QTest::addColumn<QVariant>("stored"); // invalid: no row at all
        QTest::addColumn<QString>("oldText");
        QTest::addColumn<bool>("changed");
        const QVariant null(QMetaType(QMetaType::QString));
        QTest::newRow("null stored, empty old box") << null << "" << true;
        QTest::newRow("empty stored, empty old box") << QVariant(QString("")) << "" << true;
        QTest::newRow("null stored, something in old box") << null << "abc" << false;
        QTest::newRow("hash, right old") << QVariant(PasswordStore::encode("Secret")) << "Secret" << true;
        QTest::newRow("hash, case differs") << QVariant(PasswordStore::encode("Secret")) << "secret" << false;
        QTest::newRow("hash, empty old box") << QVariant(PasswordStore::encode("Secret")) << "" << false;
        QTest::newRow("plain text, right old") << QVariant(QString("plain")) << "plain" << true;
        QTest::newRow("no row: added whatever the old box holds") << QVariant() << "anything" << true;
    }
    void change()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, oldText);
        QFETCH(bool, changed);
        TempTaxDatabase t;
        if (stored.isValid())
            storeRaw(t, stored);
        else
            execOrFail(t.db(), "delete from Sundries where Name='Password'");
        const QVariant before = raw(t);
        PasswordStore store(t.db());
        const auto result = store.change(oldText, "n\"e'w");
        QCOMPARE(result == PasswordStore::ChangeResult::Changed, changed);
        if (changed) {
            QVERIFY(store.check("n\"e'w"));
            QVERIFY(PasswordStore::isHash(raw(t).toString()));
        } else {
            QCOMPARE(raw(t), before);
        }
    }

    void damagedHashNeverMatches_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("cut short") << "pbkdf2-sha256$100000$abc";
        QTest::newRow("no iterations") << "pbkdf2-sha256$$c2FsdA==$a2V5";
        QTest::newRow("key of the wrong size") << "pbkdf2-sha256$1000$c2FsdA==$a2V5";
        QTest::newRow("absurd iterations") << "pbkdf2-sha256$999999999$c2FsdA==$a2V5";
    }
    void damagedHashNeverMatches()
    {
        QFETCH(QString, stored);
        QVERIFY(!PasswordStore::matches(stored, ""));
        QVERIFY(!PasswordStore::matches(stored, stored));
    }
};

ZQ_TEST(TestPasswordStore)
#include "TestPasswordStore.moc"
