#include "TestSupport.h"
#include "UploadFixtures.h"
#include "core/Money.h"
#include "declarations/UploadFileWriter.h"

#include <QBuffer>
#include <QStringEncoder>
#include <QTest>
#include <limits>

using namespace zq;
using namespace zq::test;

using DetailRows = QList<QVariantMap>;
Q_DECLARE_METATYPE(DetailRows)
Q_DECLARE_METATYPE(UploadProblem::Kind)

class TestUploadFile : public QObject {
    Q_OBJECT

    static QByteArray writeToBuffer(Database& db, qint64 appId,
                                    std::optional<UploadProblem>* problem = nullptr)
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        const auto p = UploadFileWriter(db).write(appId, buffer);
        if (problem)
            *problem = p;
        return buffer.data();
    }

private slots:
    void wholeFile_data()
    {
        QTest::addColumn<QVariantMap>("header");
        QTest::addColumn<DetailRows>("rows");
        QTest::addColumn<QStringList>("expected");

        const QVariantMap header = standardHeader();
        const QStringList lines = standardHeaderLines();
        const QString zhang =
            QStringLiteral("1,110101198001011234,张三,001,0200,01,5000.00,3400.00,20.00,0.00,0.00,555.00,");
        const QString ouyang = QStringLiteral(
            "2, 11010119900202002X ,欧阳 娜娜,001,0200,01,12345.60,8345.60,25.00,0.00,0.00,1261.40,");
        const QVariantMap zhangRow =
            detailRow(1, "110101198001011234", QStringLiteral("张三"), "5000", "3400", "20", "555");
        const QVariantMap ouyangRow = detailRow(2, " 11010119900202002X ", QStringLiteral("欧阳 娜娜"),
                                                "12345.6", "8345.6", "25", "1261.4");

        QTest::newRow("no detail rows: exactly the 15 header lines") << header << DetailRows{} << lines;
        QTest::newRow("two rows, texts unchanged")
            << header << DetailRows{zhangRow, ouyangRow} << lines + QStringList{zhang, ouyang};
        QTest::newRow("rows stored out of order come in RowId order")
            << header << DetailRows{ouyangRow, zhangRow} << lines + QStringList{zhang, ouyang};

        {
            // Names go through a table of characters already encoded; what it cannot serve takes the slow
            // path.
            DetailRows rows;
            QStringList l = lines;
            const QStringList names{QStringLiteral("阿依古丽·买买提"), QStringLiteral("Lü Wei"),
                                    QStringLiteral("€"), QStringLiteral("阿依古丽·买买提"),
                                    QStringLiteral("张三")};
            for (int i = 0; i < names.size(); ++i) {
                rows << detailRow(i + 1, "110101198001011234", names[i], "1", "1", "1", "1");
                l << QStringLiteral("%1,110101198001011234,%2,001,0200,01,1.00,1.00,1.00,0.00,0.00,1.00,")
                         .arg(i + 1)
                         .arg(names[i]);
            }
            QTest::newRow("non-ASCII names, repeated") << header << rows << l;
        }
        {
            QVariantMap h = header;
            h["InComeM"] = amount("-12345.6");
            h["OweTax"] = amount("0.125");
            h["ReduTaxM"] = amount("-0.004");
            QVariantMap r = detailRow(1, "110101198001011234", QStringLiteral("张三"), "-3", "1234567.891",
                                      "3.005", "-0.125");
            r["ReduTax"] = amount("999999999999.995");
            QStringList l = lines;
            l[8] =
                QStringLiteral("本期本单位总人数,,2,,,全部人员收入总额,,-12345.60,,本期应扣缴税额,,1000.00,");
            l[10] = QStringLiteral("本期非本单位总人数,,0,,,应纳税所得额,,7345.60,,本期欠缴税额,,0.13,");
            l[11] = QStringLiteral("其中纳税人数,,0,,,减免税额,,0.00,,缴款书号码,,A123,");
            l << QStringLiteral(
                "1,110101198001011234,张三,001,0200,01,-3.00,1234567.89,3.01,1000000000000.00,0.00,-0.13,");
            QTest::newRow("negative, ungrouped and rounded half away from zero") << h << DetailRows{r} << l;
        }
        {
            QVariantMap h = header;
            h["BookNo"] = QVariant();
            QStringList l = lines;
            l[11] = QStringLiteral("其中纳税人数,,0,,,减免税额,,0.00,,缴款书号码,,,");
            QTest::newRow("null BookNo") << h << DetailRows{} << l;
            h["BookNo"] = "      ";
            QTest::newRow("blank BookNo") << h << DetailRows{} << l;
        }
        {
            // A null field is written as empty text, a null count or amount too.
            QVariantMap h = header;
            for (const char* c : {"ComputerCode", "Phone", "Month", "ApplyDate", "DeclarePerson", "UnitMen",
                                  "InComeM", "OutTaxM"})
                h[c] = QVariant();
            QVariantMap r =
                detailRow(1, "110101198001011234", QStringLiteral("张三"), "5000", "3400", "20", "555");
            for (const char* c : {"EmpName", "ProfCode", "TaxRadio", "TaxM1"})
                r[c] = QVariant();
            QStringList l = lines;
            l[2] = QStringLiteral("计算机代码,,,,,,,,,,,,");
            l[3] = QStringLiteral("有效联系电话,,,,,税款所属月份 ,,,,申报日期,,,");
            l[4] = QStringLiteral(
                "扣缴义务人声明：我声明，此扣缴申报表是根据《中华人民共和国个人所得税法》的有关规定填报，"
                "我确信它是真实、可靠的、完整的。,,,,,,,,,,声明人,,");
            l[8] = QStringLiteral("本期本单位总人数,,,,,全部人员收入总额,,,,本期应扣缴税额,,,");
            l << QStringLiteral("1,110101198001011234,,001,,01,5000.00,3400.00,,0.00,0.00,,");
            QTest::newRow("null fields are empty cells") << h << DetailRows{r} << l;
        }
        {
            // Texts other than BookNo keep their blanks; a count is a plain number.
            QVariantMap h = header;
            h["DeclarePerson"] = QStringLiteral(" 王会计 ");
            h["ComputerCode"] = " 0012345";
            h["UnitMen"] = 12345;
            QStringList l = lines;
            l[2] = QStringLiteral("计算机代码,, 0012345,,,,,,,,,,");
            l[4] = QStringLiteral(
                "扣缴义务人声明：我声明，此扣缴申报表是根据《中华人民共和国个人所得税法》的有关规定填报，"
                "我确信它是真实、可靠的、完整的。,,,,,,,,,,声明人, 王会计 ,");
            l[8] = QStringLiteral(
                "本期本单位总人数,,12345,,,全部人员收入总额,,12345.60,,本期应扣缴税额,,1000.00,");
            QTest::newRow("texts untrimmed, counts plain") << h << DetailRows{} << l;
        }
    }
    void wholeFile()
    {
        QFETCH(QVariantMap, header);
        QFETCH(DetailRows, rows);
        QFETCH(QStringList, expected);
        TempTaxDatabase t;
        storeDeclaration(t.db(), 7, header, rows);
        storeDeclaration(t.db(), 8, header, {detailRow(1, "X", "Y", "1", "1", "1", "1")}); // not exported
        std::optional<UploadProblem> problem;
        const QByteArray bytes = writeToBuffer(t.db(), 7, &problem);
        QVERIFY2(!problem, qPrintable(problem ? problem->message : QString()));
        QCOMPARE(bytes, gbkFile(expected));
    }

    void fixedLineBytes()
    {
        TempTaxDatabase t;
        storeDeclaration(
            t.db(), 1, standardHeader(),
            {detailRow(1, "110101198001011234", QStringLiteral("张三"), "5000", "3400", "20", "555")});
        const QByteArray bytes = writeToBuffer(t.db(), 1);
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
        QVERIFY(bytes.endsWith("\r\n"));
        QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines.takeLast(), QByteArray());
        QCOMPARE(lines.size(), 16);
        for (const QByteArray& l : lines) {
            QVERIFY(l.endsWith('\r'));
            QCOMPARE(l.count(','), 12);
        }
        QCOMPARE(lines[0].size() - 1, 40);
        QCOMPARE(lines[5].size() - 1, 220);
        QCOMPARE(lines[6].size() - 1, 39);
        QCOMPARE(lines[13].size() - 1, 120);
    }

    void amountText_data()
    {
        QTest::addColumn<qint64>("raw");
        QTest::newRow("zero") << qint64(0);
        QTest::newRow("half a cent up") << qint64(50);
        QTest::newRow("just under half a cent") << qint64(49);
        QTest::newRow("minus half a cent") << qint64(-50);
        QTest::newRow("minus just under half") << qint64(-49);
        QTest::newRow("carry") << qint64(99950);
        QTest::newRow("-3") << qint64(-30000);
        QTest::newRow("12345.6") << qint64(123456000);
        QTest::newRow("largest") << std::numeric_limits<qint64>::max();
        QTest::newRow("smallest") << std::numeric_limits<qint64>::min();
    }
    void amountText()
    {
        // The file's fast amount text must be exactly the program's "0.00" format.
        QFETCH(qint64, raw);
        QByteArray out("x");
        UploadFileWriter::appendAmount(Money::fromRaw(raw), out);
        QCOMPARE(QString::fromLatin1(out.mid(1)), Money::fromRaw(raw).format(u"0.00"));
    }

    void refusal_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<UploadProblem::Kind>("kind");
        QTest::addColumn<qint64>("row");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("character");
        QTest::addColumn<QString>("message");
        using K = UploadProblem::Kind;
        QTest::newRow("emoji in a name on the last row")
            << "ApplTInfo"
            << "EmpName" << QVariant(QStringLiteral("李😀")) << K::Unencodable << qint64(3) << "姓名"
            << QStringLiteral("😀")
            << QStringLiteral("第3行“姓名”中的字符“😀”（U+"
                              "1F600）在GBK编码中不存在，不能写入上传文件。请修改申报表后再生成。");
        QTest::newRow("rare character in the declarer")
            << "ApplT"
            << "DeclarePerson" << QVariant(QStringLiteral("王𠀀")) << K::Unencodable << qint64(0) << "声明人"
            << QStringLiteral("𠀀")
            << QStringLiteral("表头“声明人”中的字符“𠀀”（U+"
                              "20000）在GBK编码中不存在，不能写入上传文件。请修改申报表后再生成。");
        QTest::newRow("Korean in the book number")
            << "ApplT"
            << "BookNo" << QVariant(QStringLiteral("A한123456")) << K::Unencodable << qint64(0)
            << "缴款书号码" << QStringLiteral("한")
            << QStringLiteral("表头“缴款书号码”中的字符“한”（U+"
                              "D55C）在GBK编码中不存在，不能写入上传文件。请修改申报表后再生成。");
        // Characters of the Basic Multilingual Plane that GBK lacks, in the detail rows where most names pass
        // through a table of characters already seen.
        QTest::newRow("Extension A surname in a name")
            << "ApplTInfo"
            << "EmpName" << QVariant(QStringLiteral("王䶮")) << K::Unencodable << qint64(3) << "姓名"
            << QStringLiteral("䶮")
            << QStringLiteral("第3行“姓名”中的字符“䶮”（U+"
                              "4DAE）在GBK编码中不存在，不能写入上传文件。请修改申报表后再生成。");
        QTest::newRow("Korean in an identity number")
            << "ApplTInfo"
            << "IDCard" << QVariant(QStringLiteral("M김12345")) << K::Unencodable << qint64(3)
            << "身份证件号码" << QStringLiteral("김")
            << QStringLiteral("第3行“身份证件号码”中的字符“김”（U+"
                              "AE40）在GBK编码中不存在，不能写入上传文件。请修改申报表后再生成。");
        QTest::newRow("wave dash in a profession code")
            << "ApplTInfo"
            << "ProfCode" << QVariant(QStringLiteral("01〜02")) << K::Unencodable << qint64(3) << "职业编码"
            << QStringLiteral("〜")
            << QStringLiteral("第3行“职业编码”中的字符“〜”（U+"
                              "301C）在GBK编码中不存在，不能写入上传文件。请修改申报表后再生成。");
        QTest::newRow("comma in a name")
            << "ApplTInfo"
            << "EmpName" << QVariant(QStringLiteral("张,三")) << K::Separator << qint64(3) << "姓名"
            << ""
            << QStringLiteral(
                   "第3行“姓名”的内容含有逗号或换行，会打乱上传文件的列，不能写入。请修改申报表后再生成。");
        QTest::newRow("line break in the phone")
            << "ApplT"
            << "Phone" << QVariant(QStringLiteral("010\n8888")) << K::Separator << qint64(0) << "有效联系电话"
            << ""
            << QStringLiteral("表头“有效联系电话”的内容含有逗号或换行，会打乱上传文件的列，不能写入。请修改申"
                              "报表后再生成。");
        QTest::newRow("fraction in a detail amount")
            << "ApplTInfo"
            << "TaxRadio" << QVariant(20.5) << K::BadAmount << qint64(3) << "税率(％)"
            << "" << QStringLiteral("第3行“税率(％)”的值“20.5”不是有效的金额，不能写入上传文件。");
        QTest::newRow("text in a header amount")
            << "ApplT"
            << "FactTax" << QVariant(QStringLiteral("abc")) << K::BadAmount << qint64(0) << "本张实缴税额"
            << "" << QStringLiteral("表头“本张实缴税额”的值“abc”不是有效的金额，不能写入上传文件。");
    }
    void refusal()
    {
        QFETCH(QString, table);
        QFETCH(QString, column);
        QFETCH(QVariant, value);
        QFETCH(UploadProblem::Kind, kind);
        QFETCH(qint64, row);
        QFETCH(QString, title);
        QFETCH(QString, character);
        QFETCH(QString, message);
        TempTaxDatabase t;
        DetailRows rows;
        for (int r = 1; r <= 3; ++r)
            rows << detailRow(r, "110101198001011234", QStringLiteral("张三"), "5000", "3400", "20", "555");
        storeDeclaration(t.db(), 1, standardHeader(), rows);
        execOrFail(
            t.db(),
            QStringLiteral("update %1 set %2 = ? where AppID = 1%3")
                .arg(table, column, table == u"ApplTInfo" ? QStringLiteral(" and RowId = 3") : QString()),
            {value});

        QByteArray out("kept");
        const auto problem = UploadFileWriter(t.db()).build(1, out);
        QVERIFY(problem);
        QCOMPARE(problem->kind, kind);
        QCOMPARE(problem->message, message);
        QCOMPARE(problem->row, row);
        QCOMPARE(problem->column, title);
        QCOMPARE(problem->character, character);
        QCOMPARE(out, QByteArray("kept"));
        QCOMPARE(writeToBuffer(t.db(), 1), QByteArray());
    }

    void missingDeclaration()
    {
        TempTaxDatabase t;
        std::optional<UploadProblem> problem;
        QCOMPARE(writeToBuffer(t.db(), 42, &problem), QByteArray());
        QVERIFY(problem);
        QCOMPARE(problem->kind, UploadProblem::Kind::MissingDeclaration);
        QCOMPARE(problem->message, QStringLiteral("找不到这张申报表（编号 42），它可能已被删除。"));
    }
};

ZQ_TEST(TestUploadFile)
#include "TestUploadFile.moc"
