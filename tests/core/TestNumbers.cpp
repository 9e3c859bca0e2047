#include "TestSupport.h"
#include "core/Money.h"
#include "core/TextHelpers.h"

#include <QTest>

using namespace zq;

namespace {

QString shown(const std::optional<Money>& m)
{
    return m ? QString::number(m->raw()) : QStringLiteral("refused");
}

} // namespace

// Amounts as the boxes and the stored data give them (raw: ten-thousandths of a yuan), and as they are shown.
class TestNumbers : public QObject {
    Q_OBJECT
private slots:
    void numbers_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        const QString cents = "0.00", grouped = "#,##0.00", zero = "orZero", nonZero = "nonZero",
                      parse = "parse";
        const QString leading = "leading", foreign = "foreign";
        QTest::newRow("empty shows 0") << zero << QVariant("") << cents << "0";
        QTest::newRow("abc shows 0") << zero << QVariant("abc") << cents << "0";
        QTest::newRow("grouped box text") << zero << QVariant("12,345.60") << cents << "12345.60";
        QTest::newRow("800yuan is not a number") << zero << QVariant("800元") << cents << "800元";
        QTest::newRow("zero shows nothing") << nonZero << QVariant(0) << grouped << "";
        QTest::newRow("negative grouped") << nonZero << QVariant("-1234567") << grouped << "-1,234,567.00";
        QTest::newRow("rate 3.5 shows 4") << nonZero << QVariant("3.5") << "##"
                                          << "4";
        QTest::newRow("text trimmed") << "null" << QVariant("  AB  ") << ""
                                      << "AB";
        QTest::newRow("leading stops at a comma") << leading << QVariant("1,234.00") << ""
                                                  << "10000";
        QTest::newRow("leading before a unit") << leading << QVariant("800元") << ""
                                               << "8000000";
        QTest::newRow("leading over blanks") << leading << QVariant(" 1 2 3 ") << ""
                                             << "1230000";
        QTest::newRow("leading stops at a second point") << leading << QVariant("1.2.3") << ""
                                                         << "12000";
        QTest::newRow("five decimals round") << parse << QVariant("0.00005") << ""
                                             << "1";
        QTest::newRow("twelve digits and cents") << parse << QVariant("999999999999.99") << ""
                                                 << "9999999999999900";
        QTest::newRow("letters") << parse << QVariant("12a") << ""
                                 << "refused";
        QTest::newRow("too large") << parse << QVariant("99999999999999999999") << ""
                                   << "refused";
        QTest::newRow("double sum drift") << foreign << QVariant(0.1 + 0.2) << ""
                                          << "3000";
        QTest::newRow("text not a number") << foreign << QVariant("n/a") << ""
                                           << "refused";
        QTest::newRow("null") << foreign << QVariant() << ""
                              << "refused";
    }
    void numbers()
    {
        QFETCH(QString, how);
        QFETCH(QVariant, value);
        QFETCH(QString, format);
        const QString text = value.toString();
        QString got;
        if (how == "orZero")
            got = FormatOrZero(text, format);
        else if (how == "nonZero")
            got = FormatNonZero(value, format);
        else if (how == "null")
            got = NullToText(value);
        else if (how == "leading")
            got = QString::number(Money::leading(text).raw());
        else if (how == "parse")
            got = shown(Money::parse(text));
        else
            got = shown(Money::fromForeign(value));
        QTEST(got, "expected");
    }
};

ZQ_TEST(TestNumbers)
#include "TestNumbers.moc"
