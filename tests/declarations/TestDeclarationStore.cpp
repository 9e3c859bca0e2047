#include "DeclarationFixtures.h"
#include "declarations/DeclarationValidator.h"

#include <QTest>

using namespace zq;
using namespace zq::test;
using F = HeaderField;

class TestDeclarationStore : public QObject {
    Q_OBJECT
private slots:
    void loadNewTakesUnitAndToday()
    {
        WindowFixture w;
        DeclarationDocument doc;
        doc.setHeader(F::BookNo, "left over");
        DeclarationStore(w.t.db()).loadNew(doc, 2, QDate(2005, 12, 12));
        QCOMPARE(gridLines(doc).join(u'|') + u'|' + headerTexts(doc), // one blank row; the book number gone
                 "1\t\t\t\t\t\t\t\t\t\t\t|7654321|010-2|||||李|2005-12|||||2005-12-12||||");
    }

    void saveThenLoadRoundTrips()
    {
        TempTaxDatabase t;
        DeclarationStore store(t.db());
        DeclarationDocument doc = validDocument();
        doc.setCellText(0, ColEmpName, "O'Brien 张");
        doc.setCellText(0, ColTaxRadio, "3.5");
        doc.setCellText(1, ColInComeM, "-999999999999.99");
        store.save(doc, 1, 3);
        QCOMPARE(t.db().scalar("select Month||'|'||InComeM||'|'||OthMen from ApplT").toString(),
                 QString("2005-09-01|123456000|0"));
        QCOMPARE(t.db().scalar("select TaxRadio from ApplTInfo where RowId=1").toLongLong(), 35000LL);

        DeclarationDocument back;
        store.loadStored(back, 1);
        QCOMPARE(headerTexts(back), headerTexts(doc)); // a stored 0 shows empty
        QCOMPARE(gridLines(back), // the blank row is not stored, an empty amount comes back as 0
                 QStringList(
                     {"1\t110101198001010015\tO'Brien 张\t156\t0201\t01\t5000\t3000\t3.5\t0\t0\t275",
                      "2\t11010119800101003X\t张三\t156\t0201\t01\t-999999999999.99\t3000\t10\t0\t0\t275"}));
        QCOMPARE(back.displayText(0, ColTaxRadio), QString("4"));
        QCOMPARE(back.displayText(1, ColInComeM), QString("-999,999,999,999.99"));

        // A row without a header: the boxes keep what they held; the row keeps its stored number.
        t.db().exec("insert into ApplTInfo(AppID,ID,RowId) values(9,1,7)");
        back.setHeader(F::Phone, "kept");
        store.loadStored(back, 9);
        QCOMPARE(
            QStringList({back.header(F::Phone), gridLines(back).join(u'|'), back.displayText(0, ColInComeM)}),
            QStringList({"kept", "7\t\t\t\t\t\t\t\t\t\t\t", ""}));
    }

    // A second save replaces the rows under the same key, renumbers them and keeps the upload result. A save
    // that fails, before writing or half-way, leaves what was stored.
    void savesReplaceTheStoredDeclaration()
    {
        TempTaxDatabase t;
        DeclarationStore store(t.db());
        DeclarationDocument doc = validDocument();
        doc.setHeader(F::OweTax, "12元"); // not a number: stops before writing
        QVERIFY_THROWS_EXCEPTION(DatabaseError, store.save(doc, 1, 3));
        QCOMPARE(t.db().scalar("select count(*) from ApplT").toInt(), 0);
        doc.setHeader(F::OweTax, "");
        fillRow(doc, 2, "330101198001010011");
        doc.appendRow();
        store.save(doc, 1, 3);
        QCOMPARE(t.db().scalar("select count(*) from ApplTInfo").toInt(), 3);
        t.db().exec("update ApplT set UploadResult=? where AppID=1", {"/tmp/a.CSV"});
        doc.removeRow(0);
        QVERIFY(!DeclarationValidator::DoCheckDeclaration(doc));
        store.save(doc, 1, 3);
        QCOMPARE(t.db().scalar("select count(*)||UploadResult from ApplT").toString(),
                 QString("1/tmp/a.CSV"));
        const QString rows("select group_concat(RowId||':'||ID||':'||IDCard, ',') from ApplTInfo");
        const QString stored("1:1:11010119800101003X,2:2:330101198001010011");
        QCOMPARE(t.db().scalar(rows).toString(), stored);
        QCOMPARE(store.newAppId(), 2);

        t.db().exec("create trigger fail before insert on ApplTInfo when new.RowId = 3 "
                    "begin select raise(abort, 'disk full'); end");
        fillRow(doc, 2, "440101198001010011");
        doc.setHeader(F::BookNo, "CHANGED123");
        QVERIFY_THROWS_EXCEPTION(DatabaseError, store.save(doc, 1, 3));
        QCOMPARE(t.db().scalar(rows).toString(), stored);
        QCOMPARE(t.db().scalar("select BookNo from ApplT").toString(), QString("BK20051008"));
    }
};

ZQ_TEST(TestDeclarationStore)
#include "TestDeclarationStore.moc"
