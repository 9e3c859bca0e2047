#include "SalaryImport.h"

#include "DeclarationValidator.h"
#include "core/AppSettings.h"
#include "core/Database.h"
#include "core/Dates.h"
#include "core/Prompter.h"
#include "core/TextHelpers.h"
#include "finance/FinanceLocator.h"

#include <QHash>
#include <QSqlError>
#include <QSqlRecord>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace zq {
namespace {

using F = HeaderField;

// How often a long stage reports its progress.
constexpr qsizetype ProgressEvery = 512;

// The grid columns that SaCode1..SaCode5 feed.
constexpr int kItemColumns[5] = {ColInComeM, ColTaxM, ColReduTax, ColNationTax, ColTaxM1};

// The header boxes with the sum of a grid column.
struct Total {
    int column;
    HeaderField box;
};
constexpr Total kTotals[] = {
    {ColInComeM, F::TaxMs}, {ColTaxM, F::TaxM}, {ColReduTax, F::ReduTaxM}, {ColTaxM1, F::FactTax}};

// The columns of a finance table as the database spells them.
QStringList columnsOf(const Database& db, const QString& table)
{
    QSqlQuery q = db.prepare(QStringLiteral("select * from ") + table + QStringLiteral(" where 1=0"));
    Database::run(q);
    const QSqlRecord rec = q.record();
    QStringList names;
    for (int i = 0; i < rec.count(); ++i)
        names << rec.fieldName(i);
    return names;
}

// A column of a finance table, quoted for the statement in the letter case the table has (a server keeps
// quoted names case-sensitive); empty when the table has no such column.
QString quotedColumn(const Database& db, const QStringList& columns, const QString& name)
{
    for (const QString& c : columns)
        if (c.compare(name, Qt::CaseInsensitive) == 0)
            return db.escapeIdentifier(c);
    return QString();
}

// A finance table without a column the import reads: the package is not what the link expects.
struct MissingColumn {
    QString table;
    QString column;
};

QString requireColumn(const Database& db, const QStringList& columns, const QString& table,
                      const QString& name)
{
    const QString q = quotedColumn(db, columns, name);
    if (q.isEmpty())
        throw MissingColumn{table, name};
    return q;
}

// The unit's employees by EmpID, each EmpID with its first row. Open addressing over a flat array that keeps
// each key's hash, so a probe reads a text only when the hashes agree: with 100,000 employees the texts are
// scattered over the heap and every text read is a cache miss.
class EmployeeIndex {
public:
    struct Entry {
        QString empId;
        QString idCard;
        QString name;
        QString nation;
        QString profession;
    };

    explicit EmployeeIndex(qsizetype expected)
    {
        size_t capacity = 16;
        while (capacity < size_t(expected) * 2)
            capacity *= 2;
        m_slots.assign(capacity, Slot{});
        m_entries.reserve(expected);
    }

    // Adds the entry unless its EmpID is there already (the first row wins); false when it was.
    bool addFirst(Entry&& e)
    {
        if ((m_entries.size() + 1) * 2 > m_slots.size())
            grow();
        const size_t h = qHash(e.empId);
        size_t i = h & (m_slots.size() - 1);
        for (; m_slots[i].entry >= 0; i = (i + 1) & (m_slots.size() - 1))
            if (m_slots[i].hash == h && m_entries[size_t(m_slots[i].entry)].empId == e.empId)
                return false;
        m_slots[i] = Slot{h, qint64(m_entries.size())};
        m_entries.push_back(std::move(e));
        return true;
    }

    const Entry* find(const QString& empId) const
    {
        const size_t h = qHash(empId);
        for (size_t i = h & (m_slots.size() - 1); m_slots[i].entry >= 0; i = (i + 1) & (m_slots.size() - 1))
            if (m_slots[i].hash == h && m_entries[size_t(m_slots[i].entry)].empId == empId)
                return &m_entries[size_t(m_slots[i].entry)];
        return nullptr;
    }

private:
    struct Slot {
        size_t hash = 0;
        qint64 entry = -1;
    };
    void grow()
    {
        std::vector<Slot> old(m_slots.size() * 2);
        old.swap(m_slots);
        for (const Slot& s : old) {
            if (s.entry < 0)
                continue;
            size_t i = s.hash & (m_slots.size() - 1);
            while (m_slots[i].entry >= 0)
                i = (i + 1) & (m_slots.size() - 1);
            m_slots[i] = s;
        }
    }

    std::vector<Slot> m_slots;
    std::vector<Entry> m_entries;
};

// Sum with a check: 100,000 rows of twelve-digit amounts still fit, but nothing may wrap.
bool addChecked(Money& sum, Money v)
{
    constexpr qint64 max = std::numeric_limits<qint64>::max();
    constexpr qint64 min = std::numeric_limits<qint64>::min();
    if ((v.raw() > 0 && sum.raw() > max - v.raw()) || (v.raw() < 0 && sum.raw() < min - v.raw()))
        return false;
    sum += v;
    return true;
}

QString shownValue(const QVariant& v)
{
    if (v.isNull()) // a typed null would read as "0"
        return QString();
    QString s = v.toString();
    if (s.size() > 40)
        s = s.left(40) + QStringLiteral("…");
    return s;
}

} // namespace

// Most values are doubles that
// hold an amount with at most four decimals; those are taken without going through text, which would
// dominate the import's time. When scaled and rounded the value gives back the same double, its shortest
// decimal form has at most four decimals and fifteen digits, and is that scaled value.
std::optional<Money> SalaryImport::amountOf(const QVariant& v)
{
    // Some drivers give a missing value as a null of the column's type, which converts to 0.
    if (v.isNull())
        return std::nullopt;
    if (v.typeId() == QMetaType::Double) {
        const double d = v.toDouble();
        if (std::isfinite(d) && std::fabs(d) < 1e11) {
            const qint64 raw = std::llround(d * double(Money::Scale));
            if (double(raw) / double(Money::Scale) == d)
                return Money::fromRaw(raw);
        }
    }
    return Money::fromForeign(v);
}

SalaryImport::SalaryImport(const AppContext& ctx, qint64 unitId) : m_ctx(ctx), m_unitId(unitId) {}

void SalaryImport::report(Stage stage, qsizetype done, qsizetype total) const
{
    if (m_progress)
        m_progress(stage, done, total);
}

void SalaryImport::sortBrackets(QList<Bracket>& brackets)
{
    std::stable_sort(brackets.begin(), brackets.end(),
                     [](const Bracket& a, const Bracket& b) { return a.levelMin > b.levelMin; });
}

std::optional<Money> SalaryImport::rateFor(const QList<Bracket>& brackets, Money a)
{
    // Largest lower bound first: the brackets whose bound is not below a come first, then the one we want.
    const auto it = std::partition_point(brackets.begin(), brackets.end(),
                                         [a](const Bracket& b) { return !(b.levelMin < a); });
    if (it == brackets.end())
        return std::nullopt;
    return it->rate;
}

std::optional<Money> SalaryImport::salaryValue(const QVariant& v, const QString& empId, const QString& item,
                                               QString* problem) const
{
    if (v.isNull()) {
        *problem = QStringLiteral("职工“%1”的工资项目“%2”没有数值，工资数据没有导入。").arg(empId, item);
        return std::nullopt;
    }
    const auto m = amountOf(v);
    if (!m) {
        *problem = QStringLiteral("职工“%1”的工资项目“%2”的值“%3”不是数字，工资数据没有导入。")
                       .arg(empId, item, shownValue(v));
        return std::nullopt;
    }
    static constexpr qint64 limit = 1000000000000LL * Money::Scale; // 10^12
    if (m->raw() >= limit || m->raw() <= -limit) {
        *problem = QStringLiteral("职工“%1”的工资项目“%2”的值“%3”超过%4位整数，工资数据没有导入。")
                       .arg(empId, item, shownValue(v))
                       .arg(MaxIntegerDigits);
        return std::nullopt;
    }
    return m;
}

SalaryImportResult SalaryImport::ImportSalary(DeclarationDocument& doc)
{
    using Status = SalaryImportResult::Status;
    SalaryImportResult result;
    Prompter& prompter = *m_ctx.prompter;

    if (!prompter.askYesNo(Prompter::noticeTitle(), confirmText()))
        return result;

    // The tax month: not blank, and a month as the declaration's month is typed. Only its month number
    // counts; the year is the one the unit is linked to.
    result.status = Status::MonthRefused;
    result.focus = F::Month;
    if (const auto p = DeclarationValidator::DoCheckBlankTxt(doc, F::Month)) {
        prompter.notice(p->message);
        return result;
    }
    const QDate month = Dates::parseMonth(doc.header(F::Month));
    if (!month.isValid()) {
        prompter.notice(monthFormatText());
        return result;
    }
    result.focus.reset();
    const QString mm = QStringLiteral("%1").arg(month.month(), 2, 10, QLatin1Char('0'));

    const QString thresholdText =
        m_thresholdText ? *m_thresholdText : (m_ctx.settings ? m_ctx.settings->taxThreshold() : QString());
    const Money threshold = Money::leading(thresholdText);

    result.status = Status::NoConnection;
    const auto finance = finance::GetFinanceConnection(m_ctx, m_unitId);
    if (!finance)
        return result;

    // Everything is read before the document changes.
    result.status = Status::Failed;
    QList<SalaryRow> salary;
    std::optional<EmployeeIndex> people;
    QList<Bracket> brackets;
    QString empCount;
    QString problem;
    std::array<QString, 5> items; // SaCode1..SaCode5, empty when unmapped
    try {
        {
            const Rows unit = m_ctx.db->select(
                QStringLiteral("select SaCode1,SaCode2,SaCode3,SaCode4,SaCode5 from UnitInfo where UnitID=?"),
                {m_unitId});
            for (int i = 0; i < 5; ++i)
                items[i] = unit.isEmpty() ? QString() : NullToText(unit.data[0][i]);
        }

        // The month's taxed salary rows: emp_id and the mapped items only.
        report(Stage::ReadingSalary, 0, 0);
        const QStringList salaryColumns = columnsOf(*finance, QStringLiteral("salary"));
        const QString empIdColumn =
            requireColumn(*finance, salaryColumns, QStringLiteral("salary"), QStringLiteral("emp_id"));
        const QString monthColumn =
            requireColumn(*finance, salaryColumns, QStringLiteral("salary"), QStringLiteral("copy_month"));
        const QString taxColumn =
            requireColumn(*finance, salaryColumns, QStringLiteral("salary"), QStringLiteral("Tax"));
        QString select = QStringLiteral("select ") + empIdColumn;
        std::array<int, 5> field{-1, -1, -1, -1, -1};
        int fields = 1;
        for (int i = 0; i < 5; ++i) {
            if (items[i].isEmpty())
                continue;
            const QString quoted = quotedColumn(*finance, salaryColumns, items[i]);
            if (quoted.isEmpty()) {
                prompter.notice(
                    QStringLiteral("财务软件的工资表中没有工资项目“%1”（对应%2），请在单位信息中重新设置。")
                        .arg(items[i], DeclarationDocument::columnTitle(kItemColumns[i])));
                return result;
            }
            select += u',' + quoted;
            field[i] = fields++;
        }
        select += QStringLiteral(" from salary where ") + monthColumn + QStringLiteral("=? and ") +
                  taxColumn + QStringLiteral(">0");
        {
            QSqlQuery q = finance->prepare(select);
            q.setNumericalPrecisionPolicy(QSql::HighPrecision);
            q.bindValue(0, mm);
            Database::run(q);
            while (q.next()) {
                SalaryRow row;
                row.empId = q.value(0).toString();
                for (int i = 0; i < 5; ++i) {
                    if (field[i] < 0)
                        continue;
                    row.items[i] = salaryValue(q.value(field[i]), row.empId, items[i], &problem);
                    if (!row.items[i]) {
                        prompter.notice(problem);
                        return result;
                    }
                }
                salary.append(std::move(row));
                if (salary.size() % ProgressEvery == 0)
                    report(Stage::ReadingSalary, salary.size(), 0);
            }
            if (q.lastError().isValid())
                throw DatabaseError::fromSqlError(q.lastError());
        }

        // The unit's employees by EmpID; the first row of an EmpID is the one a search from the top finds.
        report(Stage::ReadingEmployees, 0, 0);
        people.emplace(salary.size()); // a unit has about as many employees as salary rows
        {
            QSqlQuery q = m_ctx.db->prepare(QStringLiteral(
                "select EmpID,IDCard,EmpName,NationCode,ProfCode from Employee where UnitID=?"));
            q.bindValue(0, m_unitId);
            Database::run(q);
            qsizetype n = 0;
            while (q.next()) {
                people->addFirst(EmployeeIndex::Entry{q.value(0).toString(), NullToText(q.value(1)),
                                                      q.value(2).toString(), NullToText(q.value(3)),
                                                      NullToText(q.value(4))});
                if (++n % ProgressEvery == 0)
                    report(Stage::ReadingEmployees, n, 0);
            }
            if (q.lastError().isValid())
                throw DatabaseError::fromSqlError(q.lastError());
        }

        // The brackets, once.
        report(Stage::ReadingBrackets, 0, 0);
        {
            const QStringList columns = columnsOf(*finance, QStringLiteral("taxsetup"));
            const QString levelMin =
                requireColumn(*finance, columns, QStringLiteral("taxsetup"), QStringLiteral("levelmin"));
            const QString rate =
                requireColumn(*finance, columns, QStringLiteral("taxsetup"), QStringLiteral("Rate"));
            QSqlQuery q = finance->prepare(QStringLiteral("select ") + levelMin + u',' + rate +
                                           QStringLiteral(" from taxsetup order by ") + levelMin +
                                           QStringLiteral(" desc"));
            q.setNumericalPrecisionPolicy(QSql::HighPrecision);
            Database::run(q);
            while (q.next()) {
                // A row without a lower bound is never less than anything, so no row ever takes its rate.
                if (q.value(0).isNull())
                    continue;
                const auto lower = amountOf(q.value(0));
                const auto r = amountOf(q.value(1));
                if (!lower || !r) {
                    prompter.notice(
                        QStringLiteral(
                            "财务软件的税率表中有一行的下限“%1”或税率“%2”不是数字，工资数据没有导入。")
                            .arg(shownValue(q.value(0)), shownValue(q.value(1))));
                    return result;
                }
                brackets.append(Bracket{*lower, *r});
            }
            if (q.lastError().isValid())
                throw DatabaseError::fromSqlError(q.lastError());
            // The lower bounds compared as numbers even where the column holds text.
            sortBrackets(brackets);
        }

        // All of the month's rows, taxed or not.
        report(Stage::Counting, 0, 0);
        empCount = finance
                       ->scalar(QStringLiteral("select count(") + empIdColumn +
                                    QStringLiteral(") as EmpCount from salary where ") + monthColumn +
                                    QStringLiteral("=?"),
                                {mm})
                       .toString();
    } catch (const DatabaseError& e) {
        prompter.notice(errorTitle(), errorTypeMessage(e), Prompter::Icon::None);
        return result;
    } catch (const MissingColumn& m) {
        prompter.notice(
            QStringLiteral("财务软件的%1表中没有%2列，工资数据没有导入。").arg(m.table, m.column));
        return result;
    }

    // The new rows, built aside so that a failure below leaves the document as it was.
    QVector<DetailRow> rows;
    const bool replace = !salary.isEmpty();
    if (replace) {
        rows.reserve(salary.size());
        const qsizetype total = salary.size();
        report(Stage::Filling, 0, total);
        for (qsizetype i = 0; i < total; ++i) {
            const SalaryRow& s = salary[i];
            DetailRow row;
            row.rowNo = i + 1;
            if (const EmployeeIndex::Entry* who = people->find(s.empId)) {
                row.texts[ColIDCard - 1] = who->idCard;
                row.texts[ColEmpName - 1] = who->name;
                row.texts[ColNation - 1] = who->nation;
                row.texts[ColProf - 1] = who->profession;
            }
            row.texts[ColProg - 1] = QStringLiteral("01");
            for (int k = 0; k < 5; ++k)
                row.amounts[kItemColumns[k] - ColInComeM] = s.items[k];
            const Money a = threshold + row.amounts[ColTaxM - ColInComeM].value_or(Money());
            row.amounts[ColTaxRadio - ColInComeM] = rateFor(brackets, a);
            rows.append(std::move(row));
            if ((i + 1) % ProgressEvery == 0)
                report(Stage::Filling, i + 1, total);
        }
        report(Stage::Filling, total, total);
    }

    // The totals over the rows the grid will hold.
    const QVector<DetailRow>& summed = replace ? rows : doc.rows();
    std::array<Money, std::size(kTotals)> sums{};
    for (size_t t = 0; t < std::size(kTotals); ++t) {
        const int k = kTotals[t].column - ColInComeM;
        for (const DetailRow& row : summed) {
            if (row.amounts[k] && !addChecked(sums[t], *row.amounts[k])) {
                prompter.notice(QStringLiteral("%1的合计超出了可以计算的范围，工资数据没有导入。")
                                    .arg(DeclarationDocument::columnTitle(kTotals[t].column)));
                return result;
            }
        }
    }

    if (replace) {
        doc.rows() = std::move(rows);
        result.rowsReplaced = true;
    }
    result.imported = salary.size();
    doc.setHeader(F::UnitMen, empCount);
    doc.setHeader(F::UnitTaxMen, QString::number(salary.size()));
    result.boxesSet << F::UnitMen << F::UnitTaxMen;
    for (size_t t = 0; t < std::size(kTotals); ++t) {
        doc.setHeader(kTotals[t].box, sums[t].format(u"#,##0.00"));
        result.boxesSet << kTotals[t].box;
    }
    result.status = Status::Imported;
    if (m_applied)
        m_applied(doc, result);
    prompter.notice(doneText(result.imported));
    return result;
}

} // namespace zq
