// The paste parser: it gives rows whose cells all obey the typing rules, or one problem with a line number
// inside the text and the rows left empty.
#include "FuzzSupport.h"
#include "core/CodeList.h"
#include "declarations/RowClipboard.h"

using namespace zq;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString input = fuzz::text(data, size);
    CodeList nations;
    nations.codes = QStringList{QStringLiteral("156"), QStringLiteral("001")};
    nations.names = QStringList{QStringLiteral("中国"), QStringLiteral("中国")};
    CodeList professions;
    professions.codes = QStringList{QStringLiteral("0201")};
    professions.names = QStringList{QStringLiteral("职员")};
    CodeList items;
    items.codes = QStringList{QStringLiteral("01"), QStringLiteral("02")};
    items.names = QStringList{QStringLiteral("工资"), QStringLiteral("劳务")};
    const CodeList* const codes[3] = {&nations, &professions, &items};
    const RowClipboard::Result r = RowClipboard::parse(input, codes);
    QString normalized = input;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(u'\r', u'\n');
    const int lines = int(normalized.count(u'\n')) + 1;
    if (!r.problem.isEmpty()) {
        ZQ_FUZZ_CHECK(r.line >= 1 && r.line <= lines,
                      r.problem + QStringLiteral(" line ") + QString::number(r.line));
        ZQ_FUZZ_CHECK(r.column >= 0 && r.column <= 11, r.problem);
        return 0;
    }
    ZQ_FUZZ_CHECK(r.rows.size() <= lines, input);
    for (const DetailRow& row : r.rows) {
        for (int c = 1; c <= 5; ++c) // the grid's cell editor limits characters
            ZQ_FUZZ_CHECK(row.texts[size_t(c - 1)].size() <= DeclarationDocument::columnMaxLength(c),
                          row.texts[size_t(c - 1)]);
        ZQ_FUZZ_CHECK(nations.accepts(row.texts[2]) && professions.accepts(row.texts[3]) &&
                          items.accepts(row.texts[4]),
                      row.texts[2] + QStringLiteral("|") + row.texts[3] + QStringLiteral("|") + row.texts[4]);
        for (const auto& amount : row.amounts) {
            // at most 12 integer digits and 2 decimals, as the numeric filter lets them in
            const qint64 raw = amount ? qAbs(amount->raw()) : 0;
            ZQ_FUZZ_CHECK(raw / Money::Scale < 1000000000000LL && raw % 100 == 0, amount->toPlainString());
        }
    }
    return 0;
}
