#include "TestSupport.h"
#include "core/Money.h"
#include "core/TextHelpers.h"

#include <QTest>

using namespace zq;

class TestNumbers : public QObject {
    Q_OBJECT
private slots:
    void formatOrZero_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        const QString cents = "0.00", whole = "##";
        QTest::newRow("empty with 0.00") << "" << cents << "0";
        QTest::newRow("0.001 rounds to zero") << "0.001" << cents << "0";
        QTest::newRow("abc is not a number") << "abc" << cents << "0";
        QTest::newRow("5 with 00 is padded") << "5" << QString("00") << "05";
        QTest::newRow("grouped box text") << "12,345.60" << cents << "12345.60";
        QTest::newRow("half away from zero") << "0.125" << cents << "0.13";
        QTest::newRow("carry into integer") << "9.995" << cents << "10.00";
        QTest::newRow("800yuan is not a number") << "800元" << cents << "800元";
    }
    void formatOrZero()
    {
        QFETCH(QString, text);
        QFETCH(QString, format);
        QFETCH(QString, expected);
        QCOMPARE(FormatOrZero(text, format), expected);
    }

    void formatNonZero_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("0") << QVariant(0) << "#,##0.00"
                           << "";
        QTest::newRow("1234.5") << QVariant("1234.5") << "#,##0.00"
                                << "1,234.50";
        QTest::newRow("negative grouped") << QVariant("-1234567") << "#,##0.00"
                                          << "-1,234,567.00";
        QTest::newRow("rate 3.5 shows 4") << QVariant("3.5") << "##"
                                          << "4";
    }
    void formatNonZero()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, format);
        QFETCH(QString, expected);
        QCOMPARE(FormatNonZero(value, format), expected);
    }

    void nullToText_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("null") << QVariant() << "";
        QTest::newRow("blanks around") << QVariant("  AB  ") << "AB";
        QTest::newRow("number") << QVariant(42) << "42";
    }
    void nullToText()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        QCOMPARE(NullToText(value), expected);
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qlonglong>("raw");
        QTest::newRow("empty") << "" << 0LL;
        QTest::newRow("grouped stops at comma") << "1,234.00" << 10000LL;
        QTest::newRow("unit suffix") << "800元" << 8000000LL;
        QTest::newRow("blanks ignored") << " 1 2 3 " << 1230000LL;
        QTest::newRow("negative") << "-2.5" << -25000LL;
        QTest::newRow("second point stops") << "1.2.3" << 12000LL;
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(qlonglong, raw);
        QCOMPARE(Money::leading(text).raw(), raw);
        QCOMPARE(LeadingNumberIsZero(text), raw == 0);
    }

    void moneyParse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qlonglong>("raw");
        QTest::newRow("grouped") << "12,345.60" << true << 123456000LL;
        QTest::newRow("five decimals round") << "0.00005" << true << 1LL;
        QTest::newRow("twelve digits and cents") << "999999999999.99" << true << 9999999999999900LL;
        QTest::newRow("letters") << "12a" << false << 0LL;
        QTest::newRow("empty") << "" << false << 0LL;
        QTest::newRow("too large") << "99999999999999999999" << false << 0LL;
    }
    void moneyParse()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(qlonglong, raw);
        const auto m = Money::parse(text);
        QCOMPARE(m.has_value(), ok);
        if (ok)
            QCOMPARE(m->raw(), raw);
    }

    void moneyFromForeign_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("plain");
        QTest::newRow("double without drift") << QVariant(1234.56) << true << "1234.56";
        QTest::newRow("double sum drift") << QVariant(0.1 + 0.2) << true << "0.3";
        QTest::newRow("text not a number") << QVariant("n/a") << false << "";
        QTest::newRow("null") << QVariant() << false << "";
        QTest::newRow("13 digits") << QVariant("1234567890123") << true << "1234567890123";
    }
    void moneyFromForeign()
    {
        QFETCH(QVariant, value);
        QFETCH(bool, ok);
        QFETCH(QString, plain);
        const auto m = Money::fromForeign(value);
        QCOMPARE(m.has_value(), ok);
        if (ok)
            QCOMPARE(m->toPlainString(), plain);
    }
};

ZQ_TEST(TestNumbers)
#include "TestNumbers.moc"
