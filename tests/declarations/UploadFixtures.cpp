#include "UploadFixtures.h"

#include "TestSupport.h"
#include "core/Money.h"

#include <QStringEncoder>
#include <stdexcept>

namespace zq::test {

QVariant amount(const char* text)
{
    const auto m = Money::parse(QString::fromUtf8(text));
    if (!m)
        throw std::runtime_error(std::string("not an amount: ") + text);
    return m->toStored();
}

QVariantMap standardHeader()
{
    return {
        {"UnitID", 1},
        {"ComputerCode", "1234567"},
        {"Phone", "010-88886666"},
        {"Month", "2005-11-01"},
        {"ApplyDate", "2005-12-05"},
        {"DeclarePerson", QStringLiteral("王会计")},
        {"UnitMen", 2},
        {"UnitTaxMen", 2},
        {"OthMen", 0},
        {"OthTaxMen", 0},
        {"InComeM", amount("12345.6")},
        {"TaxMs", amount("12345.6")},
        {"TaxM", amount("7345.6")},
        {"ReduTaxM", amount("0")},
        {"OutTaxM", amount("1000")},
        {"FactTax", amount("1000")},
        {"OweTax", amount("-3")},
        {"BookNo", "  A123  "},
        {"UploadResult", QVariant()},
    };
}

QVariantMap detailRow(int rowId, const QString& idCard, const QString& name, const char* income,
                      const char* taxable, const char* rate, const char* paid)
{
    return {
        {"ID", rowId},
        {"RowId", rowId},
        {"IDCard", idCard},
        {"EmpName", name},
        {"NationCode", "001"},
        {"ProfCode", "0200"},
        {"ProgCode", "01"},
        {"InComeM", amount(income)},
        {"TaxM", amount(taxable)},
        {"TaxRadio", amount(rate)},
        {"ReduTax", amount("0")},
        {"NationTax", amount("0")},
        {"TaxM1", amount(paid)},
    };
}

namespace {
void insertRow(Database& db, const QString& table, qint64 appId, const QVariantMap& values)
{
    QStringList cols{QStringLiteral("AppID")};
    QStringList marks{QStringLiteral("?")};
    QVariantList binds{QVariant::fromValue<qlonglong>(appId)};
    for (auto it = values.begin(); it != values.end(); ++it) {
        cols << it.key();
        marks << QStringLiteral("?");
        binds << it.value();
    }
    execOrFail(db,
               QStringLiteral("insert into %1(%2) values(%3)").arg(table, cols.join(u','), marks.join(u',')),
               binds);
}
} // namespace

void storeDeclaration(Database& db, qint64 appId, const QVariantMap& header, const QList<QVariantMap>& rows)
{
    insertRow(db, QStringLiteral("ApplT"), appId, header);
    for (const QVariantMap& r : rows)
        insertRow(db, QStringLiteral("ApplTInfo"), appId, r);
}

QStringList standardHeaderLines()
{
    return {
        QStringLiteral("代扣代缴个人所得税明细申报表,,,,,,,,,,,,"),
        QStringLiteral(",,,,,,,,,,,,"),
        QStringLiteral("计算机代码,,1234567,,,,,,,,,,"),
        QStringLiteral("有效联系电话,,010-88886666,,,税款所属月份 ,,2005-11,,申报日期,,2005-12-05,"),
        QStringLiteral(
            "扣缴义务人声明：我声明，此扣缴申报表是根据《中华人民共和国个人所得税法》的有关规定填报，"
            "我确信它是真实、可靠的、完整的。,,,,,,,,,,声明人,王会计,"),
        QString(208, u'-') + QStringLiteral(",,,,,,,,,,,,"),
        QStringLiteral("人民币：        元（角-分）,,,,,,,,,,,,"),
        QStringLiteral(",,,,,,,,,,,,"),
        QStringLiteral("本期本单位总人数,,2,,,全部人员收入总额,,12345.60,,本期应扣缴税额,,1000.00,"),
        QStringLiteral("其中纳税总人数,,2,,,纳税人收入总额,,12345.60,,本张实缴税额,,1000.00,"),
        QStringLiteral("本期非本单位总人数,,0,,,应纳税所得额,,7345.60,,本期欠缴税额,,-3.00,"),
        QStringLiteral("其中纳税人数,,0,,,减免税额,,0.00,,缴款书号码,,A123,"),
        QStringLiteral(",,,,,,,,,,,,"),
        QStringLiteral("序号,身份证件号码,姓名,国籍编码,职业编码,所得项目,纳税人收入额,应纳税所得额,税率(％),"
                       "减免税额,抵免境外税额,本张实缴税额,"),
        QStringLiteral(",,,,,,,,,,,,"),
    };
}

QByteArray gbkFile(const QStringList& lines)
{
    QStringEncoder enc("GBK");
    QByteArray out;
    for (const QString& l : lines) {
        out += enc.encode(l);
        out += "\r\n";
    }
    if (enc.hasError())
        throw std::runtime_error("expected text is not GBK");
    return out;
}

} // namespace zq::test
