#include "DeclarationValidator.h"

#include "core/Dates.h"
#include "core/TextHelpers.h"

#include <QHash>

namespace zq {
namespace {

QString notEmpty(const QString& caption)
{
    return caption + QStringLiteral("不能为空!");
}
QString positive(const QString& caption)
{
    return caption + QStringLiteral("应该填大于0的数字!");
}

Money boxNumber(const DeclarationDocument& doc, HeaderField f)
{
    return Money::leading(doc.header(f));
}

// The number of a count box as the comparison of persons reads it.
Money countNumber(const DeclarationDocument& doc, HeaderField f)
{
    return Money::leading(FormatOrZero(doc.header(f), u"##"));
}

} // namespace

ValidationProblem ValidationProblem::atBox(QString message, HeaderField f)
{
    ValidationProblem p;
    p.message = std::move(message);
    p.target = Target::Box;
    p.box = f;
    return p;
}

ValidationProblem ValidationProblem::atCell(QString message, int row, int column, bool scrollColumn)
{
    ValidationProblem p;
    p.message = std::move(message);
    p.target = Target::Cell;
    p.row = row;
    p.column = column;
    p.scrollColumnIntoView = scrollColumn;
    return p;
}

ValidationProblem ValidationProblem::plain(QString message)
{
    ValidationProblem p;
    p.message = std::move(message);
    return p;
}

std::optional<ValidationProblem> DeclarationValidator::DoCheckBlankTxt(const DeclarationDocument& doc,
                                                                       HeaderField f)
{
    if (doc.header(f).trimmed().isEmpty())
        return ValidationProblem::atBox(notEmpty(DeclarationDocument::caption(f)), f);
    return std::nullopt;
}

std::optional<ValidationProblem> DeclarationValidator::DoCheckBlank(const DeclarationDocument& doc, int row,
                                                                    int column)
{
    const DetailRow& r = doc.row(row);
    const bool blank = column >= ColIDCard && column <= ColProg
                           ? QStringView(r.texts[column - 1]).trimmed().isEmpty()
                           : doc.cellText(row, column).trimmed().isEmpty();
    if (blank)
        return ValidationProblem::atCell(notEmpty(DeclarationDocument::columnTitle(column)), row, column);
    return std::nullopt;
}

std::optional<ValidationProblem> DeclarationValidator::DoCheckNumTxt(const DeclarationDocument& doc,
                                                                     HeaderField f)
{
    if (boxNumber(doc, f) <= Money())
        return ValidationProblem::atBox(positive(DeclarationDocument::caption(f)), f);
    return std::nullopt;
}

std::optional<ValidationProblem> DeclarationValidator::DoCheckNum(const DeclarationDocument& doc, int row,
                                                                  int column)
{
    if (doc.cellNumber(row, column) <= Money())
        return ValidationProblem::atCell(positive(DeclarationDocument::columnTitle(column)), row, column,
                                         true);
    return std::nullopt;
}

bool DeclarationValidator::isBookless(const DeclarationDocument& doc)
{
    return doc.rowCount() == 1 && doc.header(HeaderField::BookNo).trimmed().isEmpty();
}

std::optional<std::pair<int, int>> DeclarationValidator::firstDuplicatePair(const DeclarationDocument& doc)
{
    // For every (income item, identity number) the first two rows that carry it; the nested search finds the
    // key whose first row comes first, paired with that key's second row.
    struct Seen {
        int first = -1;
        int second = -1;
    };
    QHash<std::pair<QString, QString>, Seen> seen;
    seen.reserve(doc.rowCount());
    std::optional<std::pair<int, int>> best;
    for (int r = 0; r < doc.rowCount(); ++r) {
        const DetailRow& row = doc.row(r);
        Seen& s = seen[std::make_pair(row.texts[ColProg - 1], row.texts[ColIDCard - 1])];
        if (s.first < 0) {
            s.first = r;
        } else if (s.second < 0) {
            s.second = r;
            if (!best || s.first < best->first)
                best = std::make_pair(s.first, r);
        }
    }
    return best;
}

std::optional<ValidationProblem> DeclarationValidator::DoCheckDeclaration(DeclarationDocument& doc)
{
    // 1-2: delete blank rows except the last, renumber.
    for (int r = doc.rowCount() - 2; r >= 0; --r)
        if (doc.IsBlankRow(r))
            doc.rows().remove(r);
    doc.renumber();

    if (doc.rowCount() == 0)
        return ValidationProblem::plain(QStringLiteral("您没有填写任何明细数据"));

    const bool bookless = isBookless(doc);

    for (int r = 0; r < doc.rowCount(); ++r) {
        if (r == doc.rowCount() - 1 && doc.IsBlankRow(r))
            break;
        for (int c = 0; c < DetailColumnCount; ++c) {
            if (c >= ColIDCard && c <= ColProg) {
                if (auto p = DoCheckBlank(doc, r, c))
                    return p;
            } else if (c == ColInComeM || c == ColTaxM || c == ColTaxM1) {
                if (!bookless)
                    if (auto p = DoCheckNum(doc, r, c))
                        return p;
            } else if (c == ColTaxRadio) {
                const Money v = doc.cellNumber(r, c);
                if (bookless && !v.isZero())
                    return ValidationProblem::atCell(QStringLiteral("对于没有缴款书号的申报表，税率只能为零"),
                                                     r, c);
                if (!bookless && (v < Money::fromUnits(1) || v > Money::fromUnits(99)))
                    return ValidationProblem::atCell(QStringLiteral("税率必须界于1%与99%之间"), r, c);
            }
        }
    }

    using F = HeaderField;
    if (auto p = DoCheckBlankTxt(doc, F::ComputerCode))
        return p;
    const qsizetype codeLength = doc.header(F::ComputerCode).trimmed().size();
    if (codeLength < 6 || codeLength > 10)
        return ValidationProblem::atBox(QStringLiteral("计算机代码必须是半角数字，6到10位!"),
                                        F::ComputerCode);
    if (auto p = DoCheckBlankTxt(doc, F::Phone))
        return p;
    if (auto p = DoCheckBlankTxt(doc, F::ApplyDate))
        return p;
    if (!Dates::parse(doc.header(F::ApplyDate)).isValid())
        return ValidationProblem::atBox(QStringLiteral("请填写正确格式的日期，如：2003-09-06"), F::ApplyDate);
    if (auto p = DoCheckBlankTxt(doc, F::Month))
        return p;
    if (!Dates::parseMonth(doc.header(F::Month)).isValid())
        return ValidationProblem::atBox(QStringLiteral("请填写正确格式的日期，如：2003-09"), F::Month);
    if (auto p = DoCheckBlankTxt(doc, F::DeclarePerson))
        return p;
    if (auto p = DoCheckNumTxt(doc, F::UnitMen))
        return p;
    if (countNumber(doc, F::UnitMen) < countNumber(doc, F::UnitTaxMen))
        return ValidationProblem::atBox(QStringLiteral("不能大于本期本单位总人数"), F::UnitTaxMen);
    if (countNumber(doc, F::OthMen) < countNumber(doc, F::OthTaxMen))
        return ValidationProblem::atBox(QStringLiteral("不能大于本期非本单位总人数"), F::OthTaxMen);
    if (!bookless) {
        if (auto p = DoCheckNumTxt(doc, F::InComeM))
            return p;
        const QString book = doc.header(F::BookNo).trimmed();
        if (book.size() < 6 || book.size() > 20)
            return ValidationProblem::atBox(QStringLiteral("缴款书号必须是6到20个字"), F::BookNo);
        if (book.contains(u'，') || book.contains(u','))
            return ValidationProblem::atBox(QStringLiteral("缴款书号中不能包含逗号"), F::BookNo);
    }

    if (const auto dup = firstDuplicatePair(doc))
        return ValidationProblem::plain(QStringLiteral("第%1行的身份证件号码及所得项目与第%2行的一样！")
                                            .arg(dup->first + 1)
                                            .arg(dup->second + 1));
    return std::nullopt;
}

} // namespace zq
