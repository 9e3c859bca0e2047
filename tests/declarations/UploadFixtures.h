#pragma once

#include "TestSupport.h"
#include "core/Money.h"

#include <QStringEncoder>
#include <QVariantMap>

namespace zq::test {

// A stored amount (INTEGER ten-thousandths) from its decimal text.
inline QVariant amount(const char* text)
{
    return Money::parse(QString::fromUtf8(text)).value().toStored();
}

// Columns and values as a map.
inline QVariantMap columns(const QStringList& names, const QVariantList& values)
{
    QVariantMap m;
    for (qsizetype i = 0; i < names.size(); ++i)
        m.insert(names[i], values.value(i));
    return m;
}

// The header of the standard test declaration: every ApplT column but AppID.
inline QVariantMap standardHeader()
{
    return columns({"UnitID", "ComputerCode", "Phone", "Month", "ApplyDate", "DeclarePerson", "UnitMen",
                    "UnitTaxMen", "OthMen", "OthTaxMen", "InComeM", "TaxMs", "TaxM", "ReduTaxM", "OutTaxM",
                    "FactTax", "OweTax", "BookNo", "UploadResult"},
                   {1, "1234567", "010-88886666", "2005-11-01", "2005-12-05", "王会计", 2, 2, 0, 0,
                    amount("12345.6"), amount("12345.6"), amount("7345.6"), amount("0"), amount("1000"),
                    amount("1000"), amount("-3"), "  A123  ", QVariant()});
}

// A detail row with the given RowId (ID equal); the other columns are a plain salaried person.
inline QVariantMap detailRow(int rowId, const QString& idCard, const QString& name, const char* income,
                             const char* taxable, const char* rate, const char* paid)
{
    return columns({"ID", "RowId", "IDCard", "EmpName", "NationCode", "ProfCode", "ProgCode", "InComeM",
                    "TaxM", "TaxRadio", "ReduTax", "NationTax", "TaxM1"},
                   {rowId, rowId, idCard, name, "001", "0200", "01", amount(income), amount(taxable),
                    amount(rate), amount("0"), amount("0"), amount(paid)});
}

// Stores a declaration directly in ApplT and ApplTInfo, rows in the order given.
inline void storeDeclaration(Database& db, qint64 appId, const QVariantMap& header,
                             const QList<QVariantMap>& rows = {})
{
    const auto insert = [&](const char* table, QVariantMap values) {
        values.insert("AppID", QVariant::fromValue<qlonglong>(appId));
        execOrFail(db,
                   QStringLiteral("insert into %1(%2) values(?%3)")
                       .arg(table, values.keys().join(','), QString(",?").repeated(values.size() - 1)),
                   values.values());
    };
    insert("ApplT", header);
    for (const QVariantMap& r : rows)
        insert("ApplTInfo", r);
}

// The 15 header lines the standard header gives, without line ends.
inline QStringList standardHeaderLines()
{
    const QString none = QStringLiteral(",,,,,,,,,,,,");
    return {
        QStringLiteral("代扣代缴个人所得税明细申报表") + none,
        none,
        QStringLiteral("计算机代码,,1234567,,,,,,,,,,"),
        QStringLiteral("有效联系电话,,010-88886666,,,税款所属月份 ,,2005-11,,申报日期,,2005-12-05,"),
        QStringLiteral(
            "扣缴义务人声明：我声明，此扣缴申报表是根据《中华人民共和国个人所得税法》的有关规定填报，"
            "我确信它是真实、可靠的、完整的。,,,,,,,,,,声明人,王会计,"),
        QString(208, u'-') + none,
        QStringLiteral("人民币：        元（角-分）") + none,
        none,
        QStringLiteral("本期本单位总人数,,2,,,全部人员收入总额,,12345.60,,本期应扣缴税额,,1000.00,"),
        QStringLiteral("其中纳税总人数,,2,,,纳税人收入总额,,12345.60,,本张实缴税额,,1000.00,"),
        QStringLiteral("本期非本单位总人数,,0,,,应纳税所得额,,7345.60,,本期欠缴税额,,-3.00,"),
        QStringLiteral("其中纳税人数,,0,,,减免税额,,0.00,,缴款书号码,,A123,"),
        none,
        QStringLiteral("序号,身份证件号码,姓名,国籍编码,职业编码,所得项目,纳税人收入额,应纳税所得额,税率(％),"
                       "减免税额,抵免境外税额,本张实缴税额,"),
        none};
}

// Lines joined with CR LF after each and encoded in GBK.
inline QByteArray gbkFile(const QStringList& lines)
{
    QStringEncoder gbk("GBK");
    return gbk.encode(lines.join("\r\n") + "\r\n");
}

// The declaration the export and the command line write: AppID 5 with two rows, exported once before to
// "previous.csv".
inline void storeExported(Database& db)
{
    QVariantMap h = standardHeader();
    h["UploadResult"] = QStringLiteral("previous.csv");
    storeDeclaration(
        db, 5, h,
        {detailRow(1, "110101198001011234", QStringLiteral("张三"), "5000", "3400", "20", "555"),
         detailRow(2, "11010119900202002X", QStringLiteral("李四"), "6000", "4400", "20", "755")});
}

// The upload file of that declaration.
inline QByteArray exportedFile()
{
    return gbkFile(
        standardHeaderLines() +
        QStringList{"1,110101198001011234,张三,001,0200,01,5000.00,3400.00,20.00,0.00,0.00,555.00,",
                    "2,11010119900202002X,李四,001,0200,01,6000.00,4400.00,20.00,0.00,0.00,755.00,"});
}

} // namespace zq::test
