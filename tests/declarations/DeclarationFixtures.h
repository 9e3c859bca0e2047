#pragma once

#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/AppContext.h"
#include "core/AppSettings.h"
#include "declarations/DeclarationDocument.h"
#include "declarations/DeclarationStore.h"
#include "ui/DeclarationEditor.h"
#include "ui/DeclarationTableModel.h"
#include "ui/WindowHost.h"

#include <QPointer>

namespace zq::test {

// A row as it is typed or pasted, 身份证件号码 to 本张实缴税额: income 5000, taxable 3000, rate 10, tax 275.
inline QString rowText(const QString& idCard = QStringLiteral("110101198001010015"),
                       const QString& item = QStringLiteral("01"))
{
    return QStringLiteral("%1\t张三\t156\t0201\t%2\t5000\t3000\t10\t\t\t275").arg(idCard, item);
}

// A row that passes every row check.
inline void fillRow(DeclarationDocument& doc, int r, const QString& idCard,
                    const QString& item = QStringLiteral("01"))
{
    const QStringList cells = rowText(idCard, item).split(u'\t');
    for (int c = 0; c < cells.size(); ++c)
        doc.setCellText(r, ColIDCard + c, cells[c]);
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
    const std::pair<F, const char*> header[] = {
        {F::ComputerCode, "12345678"}, {F::Phone, "010-12345678"},   {F::DeclarePerson, "李四"},
        {F::Month, "2005-09"},         {F::ApplyDate, "2005-10-08"}, {F::UnitMen, "5"},
        {F::UnitTaxMen, "2"},          {F::InComeM, "12,345.60"},    {F::BookNo, "BK20051008"}};
    for (const auto& [field, text] : header)
        doc.setHeader(field, QString::fromUtf8(text));
    return doc;
}

// The read-only totals as the editor keeps them, and the tax due equal to the tax paid.
inline void syncTotals(DeclarationDocument& doc)
{
    const std::pair<HeaderField, int> totals[] = {{HeaderField::TaxMs, ColInComeM},
                                                  {HeaderField::TaxM, ColTaxM},
                                                  {HeaderField::ReduTaxM, ColReduTax},
                                                  {HeaderField::FactTax, ColTaxM1},
                                                  {HeaderField::OutTaxM, ColTaxM1}};
    for (const auto& [field, column] : totals)
        doc.setHeader(field, doc.columnSum(column).format(u"#,##0.00"));
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
    syncTotals(doc);
    return doc;
}

// Every cell of every row, tab-separated, one line a row.
inline QStringList gridLines(const DeclarationDocument& doc)
{
    QStringList lines;
    for (int r = 0; r < doc.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < DetailColumnCount; ++c)
            cells << doc.cellText(r, c);
        lines << cells.join(u'\t');
    }
    return lines;
}

// Every header field, joined with |.
inline QString headerTexts(const DeclarationDocument& doc)
{
    QStringList h;
    for (int i = 0; i < HeaderFieldCount; ++i)
        h << doc.header(HeaderField(i));
    return h.join(u'|');
}

using DocumentEdit = std::function<void(DeclarationDocument&)>;

class TestHost : public ui::WindowHost {
public:
    void showChild(QWidget* w) override { w->show(); }
    void setToolbarBandVisible(bool v) override { bandVisible = v; }
    bool bandVisible = true;
};

// The declaration windows over a temporary database with two units. An editor still open at the end is
// closed without saving.
struct WindowFixture {
    TempTaxDatabase t;
    QTemporaryDir settingsDir;
    AppSettings settings{settingsDir.filePath(QStringLiteral("zqsaltax.ini"))};
    ScriptedPrompter prompter;
    TestHost host;
    AppContext ctx{&t.db(), &prompter, &settings, t.dir(), QString()};
    QPointer<ui::DeclarationEditor> ed;

    WindowFixture()
    {
        t.db().exec("insert into UnitInfo(UnitID,UnitName,ComputerCode,Phone,DeclarePerson) values"
                    "(1,'甲公司','1234567','010-1','张'),(2,'乙''公司','7654321','010-2','李')");
    }
    ~WindowFixture()
    {
        prompter.queue(Prompter::Answer::No);
        delete ed.data();
    }
    // An editor of unit 1: on declaration 1, saved from validDocument(), or on a new declaration, filled
    // with `doc` when one is given.
    ui::DeclarationEditor* open(bool stored, const std::optional<DeclarationDocument>& doc = {})
    {
        if (stored)
            DeclarationStore(t.db()).save(validDocument(), 1, 1);
        ed = new ui::DeclarationEditor(ctx, nullptr, 1);
        ed->StartWin(!stored, stored ? 1 : 0);
        if (doc)
            ed->model()->rebuild([&] { ed->document() = *doc; });
        ed->show();
        ed->activateWindow();
        return ed;
    }
};

} // namespace zq::test

Q_DECLARE_METATYPE(zq::test::DocumentEdit)
