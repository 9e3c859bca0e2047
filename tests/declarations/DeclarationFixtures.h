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

using DocumentEdit = std::function<void(DeclarationDocument&)>;

} // namespace zq::test

Q_DECLARE_METATYPE(zq::test::DocumentEdit)
