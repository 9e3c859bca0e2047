#include "TestSupport.h"
#include "core/Dates.h"
#include "core/Gbk.h"
#include "core/Money.h"
#include "core/TextHelpers.h"

#include <QTest>

using namespace zq;

namespace {

// Types keys one by one into a box of 12 integer digits holding text, the caret at caret: what it then holds.
QString typeNumeric(QString text, int caret, const QString& keys, int decimals, const QString& format)
{
    for (QChar k : keys) {
        const int delivered = FilterNumericKey(text, k.unicode(), 12, decimals, caret, format);
        if (delivered == KeyBackspace)
            text.remove(--caret, 1);
        else if (delivered != 0)
            text.insert(caret++, QChar(char16_t(delivered)));
    }
    return text;
}

QString shown(const std::optional<Money>& m)
{
    return m ? QString::number(m->raw()) : QStringLiteral("refused");
}

} // namespace

class TestFilters : public QObject {
    Q_OBJECT
private slots:
    void numericTyping_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("keys"); // "\b": Backspace, "\r": Enter
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        const QString none, cents = "#,##0.00";
        QTest::newRow("point into empty refused") << none << 0 << ".5" << 2 << none << "5";
        QTest::newRow("minus at start once") << none << 0 << "--5" << 2 << none << "-5";
        QTest::newRow("sign does not count") << none << 0 << "-1234567890123" << 2 << none << "-123456789012";
        QTest::newRow("count box no point") << none << 0 << "3.5" << 0 << none << "35";
        QTest::newRow("format gives decimals") << none << 0 << "1.234" << 0 << cents << "1.23";
        QTest::newRow("rate format ## allows two") << none << 0 << "12.345" << 0 << QString("##") << "12.34";
        QTest::newRow("enter always") << "123456789012" << 12 << "\r" << 2 << none << "123456789012\r";
        QTest::newRow("minus with caret inside") << "12" << 1 << "-" << 2 << none << "12";
        QTest::newRow("point into blanks") << "  " << 2 << "." << 2 << none << "  ";
        QTest::newRow("backspace over the point joining 12 digits")
            << "12345678901.2" << 12 << "\b" << 2 << none << "123456789012";
        QTest::newRow("digit in front of the sign") << "-12" << 0 << "5" << 2 << none << "-12";
        QTest::newRow("point leaving two decimals") << "12345" << 3 << "." << 2 << none << "123.45";
        // faults the fuzzing once found: a point in front of digits let three decimals in, and Backspace over
        // the point made a number of 13 integer digits
        QTest::newRow("point leaving three decimals") << "12345" << 2 << "." << 2 << none << "12345";
        QTest::newRow("backspace over the point joining 13 digits")
            << "123456789012.3" << 13 << "\b" << 2 << none << "123456789012.3";
    }
    void numericTyping()
    {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(QString, keys);
        QFETCH(int, decimals);
        QFETCH(QString, format);
        QTEST(typeNumeric(text, caret, keys, decimals, format), "expected");
    }

    void byteLength_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<bool>("selection");
        QTest::addColumn<int>("delivered");
        QTest::newRow("selection passes") << "1234567890" << int('1') << 10 << true << int('1');
        QTest::newRow("enter at limit") << "1234567890" << int(KeyEnter) << 10 << false << int(KeyEnter);
        QTest::newRow("backspace at limit")
            << "1234567890" << int(KeyBackspace) << 10 << false << int(KeyBackspace);
        QTest::newRow("tenth byte fits") << "123456789" << int('0') << 10 << false << int('0');
    }
    void byteLength()
    {
        QFETCH(QString, text);
        QFETCH(int, key);
        QFETCH(int, maxLength);
        QFETCH(bool, selection);
        QFETCH(int, delivered);
        QCOMPARE(FilterByteLength(text, key, maxLength, selection, 0), delivered);
    }

    // Edits judged on the text as it will be after them: a key over the selection, Backspace, Delete and
    // Cut of a stretch, pastes and input-method commits. start/removed give the stretch that goes.
    void edits_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("removed");
        QTest::addColumn<QString>("inserted");
        QTest::addColumn<int>("limit");
        QTest::addColumn<bool>("accepted");
        const QString full = QStringLiteral("123456789012.34");
        const QString amount = "amount", bytes = "bytes", chars = "chars";
        QTest::newRow("digit, point and decimal cut") << amount << full << 11 << 3 << "" << 12 << true;
        QTest::newRow("point typed over the point") << amount << full << 12 << 1 << "." << 12 << true;
        QTest::newRow("paste with a line break") << amount << "" << 0 << 0 << "12\r" << 12 << false;
        QTest::newRow("longer stored amount loses its point")
            << amount << "1234567890123.45" << 13 << 1 << "" << 12 << false;
        QTest::newRow("chinese over one ascii at the limit")
            << bytes << "1234567890" << 9 << 1 << "中" << 10 << false;
        QTest::newRow("commit of 26 chinese") << bytes << "" << 0 << 0 << QString(26, u'张') << 50 << false;
        QTest::newRow("longer stored text typed over")
            << bytes << QString(30, u'张') << 0 << 1 << "李" << 50 << true;
        QTest::newRow("nineteenth character pasted")
            << chars << QString(16, u'1') << 16 << 0 << "234" << 18 << false;
    }
    void edits()
    {
        QFETCH(QString, rule);
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, removed);
        QFETCH(QString, inserted);
        QFETCH(int, limit);
        const TextEdit edit = TextEdit::replace(text, start, removed, inserted);
        QCOMPARE(edit.after(), text.left(start) + inserted + text.mid(start + removed));
        const bool accepted = rule == u"amount"  ? NumericEditAllowed(edit, limit, 2, u"#,##0.00")
                              : rule == u"bytes" ? ByteLengthEditAllowed(edit, limit)
                                                 : LengthEditAllowed(edit, limit);
        QTEST(accepted, "accepted");
    }

    void gbk_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bytes"); // a refused character counts as one replacement byte
        QTest::addColumn<int>("bad");
        QTest::newRow("chinese") << "张三" << 4 << -1;
        QTest::newRow("euro is one byte") << "€" << 1 << -1;
        QTest::newRow("emoji") << QString::fromUtf8("a\xF0\x9F\x98\x80") << 2 << 1;
        QTest::newRow("Korean") << "김민" << 2 << 0;
        QTest::newRow("wave dash") << "1〜2" << 3 << 1;
    }
    void gbk()
    {
        QFETCH(QString, text);
        QFETCH(int, bytes);
        QFETCH(int, bad);
        QCOMPARE(Gbk::byteLength(text), bytes);
        QCOMPARE(Gbk::firstUnencodable(text), bad);
        // One encoder serves a whole file: a refused character must not poison the texts after it, and every
        // later refusal is reported as the first one was.
        Gbk enc;
        for (int again = 0; again < 3; ++again) {
            QByteArray out("x");
            qsizetype badIndex = -2;
            QCOMPARE(enc.encode(text, out, &badIndex), bad < 0);
            if (bad >= 0)
                QCOMPARE(badIndex, qsizetype(bad));
            QCOMPARE(out.size(), qsizetype(bad < 0 ? bytes + 1 : 1)); // a refused text writes nothing, no "?"
            QVERIFY(enc.encode(u"中国", out));
            QVERIFY(out.endsWith("\xD6\xD0\xB9\xFA"));
            QCOMPARE(Gbk::byteLength(text), bytes);
        }
    }

    // Amounts as the boxes and the stored data give them (raw: ten-thousandths of a yuan) and as shown.
    void numbers_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        const QString cents = "0.00", grouped = "#,##0.00", zero = "orZero", nonZero = "nonZero", none;
        const QString leading = "leading", foreign = "foreign", parse = "parse", refused = "refused";
        QTest::newRow("abc shows 0") << zero << QVariant("abc") << cents << "0";
        QTest::newRow("grouped box text") << zero << QVariant("12,345.60") << cents << "12345.60";
        QTest::newRow("800yuan is not a number") << zero << QVariant("800元") << cents << "800元";
        QTest::newRow("zero shows nothing") << nonZero << QVariant(0) << grouped << "";
        QTest::newRow("negative grouped") << nonZero << QVariant("-1234567") << grouped << "-1,234,567.00";
        QTest::newRow("rate 3.5 shows 4") << nonZero << QVariant("3.5") << QString("##") << "4";
        QTest::newRow("text trimmed") << QString("null") << QVariant("  AB  ") << none << "AB";
        QTest::newRow("leading stops at a comma") << leading << QVariant("1,234.00") << none << "10000";
        QTest::newRow("leading over blanks") << leading << QVariant(" 1 2 3 ") << none << "1230000";
        QTest::newRow("leading stops at a second point") << leading << QVariant("1.2.3") << none << "12000";
        QTest::newRow("five decimals round") << parse << QVariant("0.00005") << none << "1";
        QTest::newRow("twelve digits and cents")
            << parse << QVariant("999999999999.99") << none << "9999999999999900";
        QTest::newRow("letters") << parse << QVariant("12a") << none << refused;
        QTest::newRow("too large") << parse << QVariant("99999999999999999999") << none << refused;
        QTest::newRow("double sum drift") << foreign << QVariant(0.1 + 0.2) << none << "3000";
        QTest::newRow("text not a number") << foreign << QVariant("n/a") << none << refused;
        QTest::newRow("null") << foreign << QVariant() << none << refused;
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
        else
            got = shown(how == "parse" ? Money::parse(text) : Money::fromForeign(value));
        QTEST(got, "expected");
    }

    void dates()
    {
        QCOMPARE(Dates::parse("2005-9-1"), QDate(2005, 9, 1));
        QCOMPARE(Dates::parse("2005/09/01"), QDate());
        QCOMPARE(Dates::parse("+2005-09-01"), QDate()); // a signed year is no date
        QCOMPARE(Dates::formatMonth(Dates::fromStored(QVariant("2005-09-01"))), QString("2005-09"));
        QVERIFY(!Dates::fromStored(QVariant()).isValid());
        QCOMPARE(Dates::formatMonth(Dates::parseMonth("2005-9")), QString("2005-09"));
        QCOMPARE(Dates::formatMonth(Dates::parseMonth("2005-09-01")), QString()); // a full date is no month
    }
};

ZQ_TEST(TestFilters)
#include "TestFilters.moc"
