#pragma once

#include "declarations/DeclarationDocument.h"

#include <functional>

namespace zq::test {

// A row that passes every row check: identity number, name, codes, income 5000, taxable 3000, rate 10, tax
// 275.
inline void fillRow(DeclarationDocument& doc, int r, const QString& idCard,
                    const QString& item = QStringLiteral("01"))
{
    doc.setCellText(r, ColIDCard, idCard);
    doc.setCellText(r, ColEmpName, QStringLiteral("张三"));
    doc.setCellText(r, ColNation, QStringLiteral("156"));
    doc.setCellText(r, ColProf, QStringLiteral("0201"));
    doc.setCellText(r, ColProg, item);
    doc.setCellText(r, ColInComeM, QStringLiteral("5000"));
    doc.setCellText(r, ColTaxM, QStringLiteral("3000"));
    doc.setCellText(r, ColTaxRadio, QStringLiteral("10"));
    doc.setCellText(r, ColTaxM1, QStringLiteral("275"));
}

// A declaration that passes the whole check: two filled rows, an empty trailing row and a complete header.
inline DeclarationDocument validDocument()
{
    DeclarationDocument doc;
    for (int i = 0; i < 3; ++i)
        doc.appendRow();
    fillRow(doc, 0, QStringLiteral("110101198001010015"));
    fillRow(doc, 1, QStringLiteral("11010119800101003X"));
    using F = HeaderField;
    doc.setHeader(F::ComputerCode, QStringLiteral("12345678"));
    doc.setHeader(F::Phone, QStringLiteral("010-12345678"));
    doc.setHeader(F::DeclarePerson, QStringLiteral("李四"));
    doc.setHeader(F::Month, QStringLiteral("2005-09"));
    doc.setHeader(F::ApplyDate, QStringLiteral("2005-10-08"));
    doc.setHeader(F::UnitMen, QStringLiteral("5"));
    doc.setHeader(F::UnitTaxMen, QStringLiteral("2"));
    doc.setHeader(F::InComeM, QStringLiteral("12,345.60"));
    doc.setHeader(F::BookNo, QStringLiteral("BK20051008"));
    return doc;
}

// validDocument() with what a warning would point at put right: sound identity numbers, the rate and tax of a
// taxable income of 3000 in 2005 (15 %, 3000 × 15 % − 125 = 325), and header totals that match the rows.
inline DeclarationDocument cleanDocument()
{
    DeclarationDocument doc = validDocument();
    doc.setCellText(0, ColIDCard, QStringLiteral("110101198001010010"));
    doc.setCellText(1, ColIDCard, QStringLiteral("110101198001010037"));
    for (int r = 0; r < 2; ++r) {
        doc.setCellText(r, ColTaxRadio, QStringLiteral("15"));
        doc.setCellText(r, ColTaxM1, QStringLiteral("325"));
    }
    return doc;
}

// The read-only totals as the editor keeps them, and the tax due equal to the tax paid.
inline void syncTotals(DeclarationDocument& doc)
{
    doc.setHeader(HeaderField::TaxMs, doc.columnSum(ColInComeM).format(u"#,##0.00"));
    doc.setHeader(HeaderField::TaxM, doc.columnSum(ColTaxM).format(u"#,##0.00"));
    doc.setHeader(HeaderField::ReduTaxM, doc.columnSum(ColReduTax).format(u"#,##0.00"));
    doc.setHeader(HeaderField::FactTax, doc.columnSum(ColTaxM1).format(u"#,##0.00"));
    doc.setHeader(HeaderField::OutTaxM, doc.columnSum(ColTaxM1).format(u"#,##0.00"));
}

using DocumentEdit = std::function<void(DeclarationDocument&)>;

} // namespace zq::test

Q_DECLARE_METATYPE(zq::test::DocumentEdit)
