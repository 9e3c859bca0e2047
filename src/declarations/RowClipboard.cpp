#include "RowClipboard.h"

#include "core/CodeList.h"
#include "core/TextHelpers.h"

namespace zq {
namespace {

constexpr int kCells = ColTaxM1; // columns 1..11

// Whether typing the text into an empty numeric cell, key by key, would be accepted whole.
bool typeable(const QString& text, const QString& format)
{
    QString typed;
    for (QChar c : text) {
        if (FilterNumericKey(typed, c.unicode(), 12, 2, int(typed.size()), format) == 0)
            return false;
        typed += c;
    }
    return true;
}

} // namespace

QString RowClipboard::copy(const DeclarationDocument& doc, const QList<int>& rows)
{
    QString out;
    for (int r : rows) {
        QStringList cells;
        for (int c = ColIDCard; c <= ColTaxM1; ++c)
            cells << doc.cellText(r, c);
        out += cells.join(u'\t') + QStringLiteral("\r\n");
    }
    return out;
}

RowClipboard::Result RowClipboard::parse(const QString& text, const CodeList* const codes[3])
{
    Result result;
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(u'\r', u'\n');
    QStringList lines = normalized.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    const auto fail = [&](int line, int column, const QString& why) {
        result.rows.clear();
        result.line = line;
        result.column = column;
        result.problem = why;
        return result;
    };
    if (lines.isEmpty())
        return fail(1, 0, QStringLiteral("剪贴板中没有可以粘贴的行。"));
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList cells = lines[i].split(u'\t');
        const int line = i + 1;
        if (cells.size() != kCells)
            return fail(line, 0,
                        QStringLiteral(
                            "粘贴的第%1行有%2列，应为%3列（身份证件号码到本张实缴税额），没有粘贴任何内容。")
                            .arg(line)
                            .arg(cells.size())
                            .arg(kCells));
        DetailRow row;
        for (int c = ColIDCard; c <= ColTaxM1; ++c) {
            const QString cell = cells[c - 1];
            // Only a refused cell needs its place in words.
            const auto where = [line, c] {
                return QStringLiteral("粘贴的第%1行第%2列（%3）")
                    .arg(line)
                    .arg(c)
                    .arg(DeclarationDocument::columnTitle(c));
            };
            if (!DeclarationDocument::isNumericColumn(c)) {
                const int max = DeclarationDocument::columnMaxLength(c);
                if (cell.size() > max)
                    return fail(line, c,
                                where() + QStringLiteral("超过%1个字符，没有粘贴任何内容。").arg(max));
                if (DeclarationDocument::isCodeColumn(c)) {
                    const CodeList* list = codes[c - ColNation];
                    if (!cell.isEmpty() && (!list || !list->accepts(cell)))
                        return fail(line, c,
                                    where() +
                                        QStringLiteral("“%1”不在代码表中，没有粘贴任何内容。").arg(cell));
                }
                row.texts[c - 1] = cell;
                continue;
            }
            if (cell.isEmpty())
                continue;
            const auto value = Money::parse(cell);
            if (!typeable(cell, DeclarationDocument::columnFormat(c)) || !value)
                return fail(line, c,
                            where() + QStringLiteral("“%1”不是可以输入的数字，没有粘贴任何内容。").arg(cell));
            row.amounts[c - ColInComeM] = value;
        }
        result.rows.append(std::move(row));
    }
    return result;
}

} // namespace zq
