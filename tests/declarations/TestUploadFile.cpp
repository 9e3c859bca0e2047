#include "TestSupport.h"
#include "UploadFixtures.h"
#include "declarations/UploadFileWriter.h"

#include <QBuffer>
#include <QTest>

using namespace zq;
using namespace zq::test;

using DetailRows = QList<QVariantMap>;
Q_DECLARE_METATYPE(DetailRows)

// The upload file's bytes, compared with literal text: GBK, 13 cells a line, CR LF after each line.
class TestUploadFile : public QObject {
    Q_OBJECT

private slots:
    void wholeFile_data()
    {
        QTest::addColumn<QVariantMap>("header");
        QTest::addColumn<DetailRows>("rows");
        QTest::addColumn<QStringList>("expected");

        const QVariantMap header = standardHeader();
        const QStringList lines = standardHeaderLines();
        QTest::newRow("no detail rows: exactly the 15 header lines") << header << DetailRows{} << lines;
        {
            // Rows stored out of order come in RowId order, texts unchanged. Names go through a table of
            // characters already encoded; what it cannot serve takes the slow path.
            DetailRows rows;
            QStringList l = lines;
            const QStringList names{"阿依古丽·买买提", "Lü Wei", "€", "阿依古丽·买买提", " 欧阳 娜娜"};
            for (int i = 0; i < names.size(); ++i) {
                rows.prepend(
                    detailRow(i + 1, " 11010119900202002X ", names[i], "12345.6", "8345.6", "25", "1261.4"));
                l << QStringLiteral(
                         "%1, 11010119900202002X ,%2,001,0200,01,12345.60,8345.60,25.00,0.00,0.00,1261.40,")
                         .arg(i + 1)
                         .arg(names[i]);
            }
            QTest::newRow("non-ASCII names, out of order, untrimmed") << header << rows << l;
        }
        {
            // Amounts negative, ungrouped and rounded half away from zero; texts other than BookNo keep their
            // blanks, a blank BookNo is empty; a count is a plain number.
            QVariantMap h = header;
            h["InComeM"] = amount("-12345.6");
            h["OweTax"] = amount("0.125");
            h["ReduTaxM"] = amount("-0.004");
            h["BookNo"] = "      ";
            h["DeclarePerson"] = QStringLiteral(" 王会计 ");
            h["ComputerCode"] = " 0012345";
            h["UnitMen"] = 12345;
            QVariantMap r = detailRow(1, "110101198001011234", QStringLiteral("张三"), "-3", "1234567.891",
                                      "3.005", "-0.125");
            r["ReduTax"] = amount("999999999999.995");
            QStringList l = lines;
            l[2].replace("1234567", " 0012345");
            l[4].replace("王会计", " 王会计 ");
            l[8].replace("数,,2,", "数,,12345,").replace("12345.60,,本期应", "-12345.60,,本期应");
            l[10].replace("-3.00", "0.13");
            l[11].replace("A123", "");
            l << QStringLiteral(
                "1,110101198001011234,张三,001,0200,01,-3.00,1234567.89,3.01,1000000000000.00,0.00,-0.13,");
            QTest::newRow("rounded, negative, ungrouped; texts untrimmed") << h << DetailRows{r} << l;
        }
        {
            // A null field is written as empty text, a null count or amount too.
            QVariantMap h = header;
            for (const char* c : {"ComputerCode", "Phone", "Month", "ApplyDate", "DeclarePerson", "UnitMen",
                                  "InComeM", "OutTaxM", "BookNo"})
                h[c] = QVariant();
            QVariantMap r =
                detailRow(1, "110101198001011234", QStringLiteral("张三"), "5000", "3400", "20", "555");
            for (const char* c : {"EmpName", "ProfCode", "TaxRadio", "TaxM1"})
                r[c] = QVariant();
            QStringList l = lines;
            for (const char* gone : {"1234567", "010-88886666", "2005-11", "2005-12-05", "王会计", "A123"})
                l.replaceInStrings(QString::fromUtf8(gone), "");
            l[8] = QStringLiteral("本期本单位总人数,,,,,全部人员收入总额,,,,本期应扣缴税额,,,");
            l << QStringLiteral("1,110101198001011234,,001,,01,5000.00,3400.00,,0.00,0.00,,");
            QTest::newRow("null fields are empty cells") << h << DetailRows{r} << l;
        }
    }
    void wholeFile()
    {
        QFETCH(QVariantMap, header);
        QFETCH(DetailRows, rows);
        QFETCH(QStringList, expected);
        TempTaxDatabase t;
        storeDeclaration(t.db(), 7, header, rows);
        storeExported(t.db()); // not this one
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        const auto problem = UploadFileWriter(t.db()).write(7, buffer);
        QVERIFY2(!problem, qPrintable(problem ? problem->message : QString()));
        QCOMPARE(buffer.data(), gbkFile(expected));
    }
};

ZQ_TEST(TestUploadFile)
#include "TestUploadFile.moc"
