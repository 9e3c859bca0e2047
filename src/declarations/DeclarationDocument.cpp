#include "DeclarationDocument.h"

namespace zq {
namespace {

const char16_t* const kCaptions[HeaderFieldCount] = {
    u"计算机代码",         u"联系电话",         u"本单位总人数\r\n", u"其中纳税总人数\r\n",
    u"非本单位总人数\r\n", u"其中纳税人数\r\n", u"声明人",           u"税款所属月份 \r\n",
    u"收入总额\r\n",       u"纳税收入总额\r\n", u"应纳税所得额\r\n", u"减免税额\r\n",
    u"申报日期\r\n",       u"应扣缴税额\r\n",   u"实缴税额\r\n",     u"欠缴税额\r\n",
    u"缴款书号码\r\n",
};

const char* const kHeaderColumns[HeaderFieldCount] = {
    "ComputerCode",  "Phone",   "UnitMen", "UnitTaxMen", "OthMen", "OthTaxMen",
    "DeclarePerson", "Month",   "InComeM", "TaxMs",      "TaxM",   "ReduTaxM",
    "ApplyDate",     "OutTaxM", "FactTax", "OweTax",     "BookNo",
};

const char16_t* const kTitles[DetailColumnCount] = {
    u"",         u"身份证件号码", u"姓名",         u"国籍",
    u"职业",     u"所得项目",     u"纳税人收入额", u"应纳税所得额",
    u"税率(％)", u"减免税额",     u"抵免境外税额", u"本张实缴税额",
};

const char* const kDetailColumns[DetailColumnCount] = {
    "RowId",   "IDCard", "EmpName",  "NationCode", "ProfCode",  "ProgCode",
    "InComeM", "TaxM",   "TaxRadio", "ReduTax",    "NationTax", "TaxM1",
};

} // namespace

QString DeclarationDocument::caption(HeaderField f)
{
    return QString::fromUtf16(kCaptions[int(f)]);
}

QString DeclarationDocument::columnTitle(int column)
{
    return QString::fromUtf16(kTitles[column]);
}

QString DeclarationDocument::columnFormat(int column)
{
    if (column == ColTaxRadio)
        return QStringLiteral("##");
    return isNumericColumn(column) ? QStringLiteral("#,##0.00") : QString();
}

int DeclarationDocument::columnMaxLength(int column)
{
    static constexpr int lengths[DetailColumnCount] = {0, 18, 50, 3, 4, 2, 0, 0, 0, 0, 0, 0};
    return lengths[column];
}

bool DeclarationDocument::isMoneyBox(HeaderField f)
{
    return (f >= HeaderField::InComeM && f <= HeaderField::ReduTaxM) ||
           (f >= HeaderField::OutTaxM && f <= HeaderField::OweTax);
}

bool DeclarationDocument::isCountBox(HeaderField f)
{
    return f >= HeaderField::UnitMen && f <= HeaderField::OthTaxMen;
}

bool DeclarationDocument::isReadOnlyBox(HeaderField f)
{
    return f == HeaderField::TaxMs || f == HeaderField::TaxM || f == HeaderField::ReduTaxM ||
           f == HeaderField::FactTax;
}

const char* DeclarationDocument::storedColumn(HeaderField f)
{
    return kHeaderColumns[int(f)];
}

const char* DeclarationDocument::storedColumn(int detailColumn)
{
    return kDetailColumns[detailColumn];
}

QString DeclarationDocument::cellText(int r, int column) const
{
    const DetailRow& row = m_rows[r];
    if (column == ColRowNo)
        return row.rowNo ? QString::number(row.rowNo) : QString();
    if (column <= ColProg)
        return row.texts[column - 1];
    const auto& v = row.amounts[column - ColInComeM];
    return v ? v->toPlainString() : QString();
}

QString DeclarationDocument::displayText(int r, int column) const
{
    if (!isNumericColumn(column))
        return cellText(r, column);
    const auto& v = m_rows[r].amounts[column - ColInComeM];
    return v ? v->format(columnFormat(column)) : QString();
}

bool DeclarationDocument::setCellText(int r, int column, const QString& text)
{
    DetailRow& row = m_rows[r];
    if (column == ColRowNo) {
        row.rowNo = text.trimmed().toLongLong();
        return true;
    }
    if (column <= ColProg) {
        row.texts[column - 1] = text;
        return true;
    }
    auto& v = row.amounts[column - ColInComeM];
    if (text.trimmed().isEmpty()) {
        v.reset();
        return true;
    }
    v = Money::parse(text);
    return v.has_value();
}

std::optional<Money> DeclarationDocument::cellValue(int r, int column) const
{
    if (!isNumericColumn(column))
        return std::nullopt;
    return m_rows[r].amounts[column - ColInComeM];
}

bool DeclarationDocument::IsBlankRow(int r) const
{
    const DetailRow& row = m_rows[r];
    for (const QString& t : row.texts)
        if (!t.isEmpty())
            return false;
    for (const auto& v : row.amounts)
        if (v && !v->isZero())
            return false;
    return true;
}

Money DeclarationDocument::columnSum(int column) const
{
    Money sum;
    const int k = column - ColInComeM;
    for (const DetailRow& row : m_rows)
        if (row.amounts[k])
            sum += *row.amounts[k];
    return sum;
}

void DeclarationDocument::appendRow()
{
    DetailRow row;
    row.rowNo = m_rows.size() + 1;
    m_rows.append(std::move(row));
}

void DeclarationDocument::insertRow(int r)
{
    m_rows.insert(r, DetailRow());
    renumber(r);
}

void DeclarationDocument::removeRow(int r)
{
    m_rows.remove(r);
    renumber(r);
}

void DeclarationDocument::renumber(int from)
{
    for (int r = from; r < m_rows.size(); ++r) {
        // Write only numbers that differ, reading first: a document already numbered is left unshared.
        if (std::as_const(m_rows)[r].rowNo != r + 1)
            m_rows[r].rowNo = r + 1;
    }
}

} // namespace zq
