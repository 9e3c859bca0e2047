#pragma once

#include "DeclarationDocument.h"
#include "core/AppContext.h"
#include "core/Money.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

namespace zq {

// What the import did, for the window to follow: which boxes and whether the rows were replaced, and where
// the focus goes after a refused month.
struct SalaryImportResult {
    enum class Status {
        Declined,     // No at the confirmation
        MonthRefused, // blank or invalid tax month (focus on the month box)
        NoConnection, // the finance link has shown its message
        Failed,       // a query or a salary value could not be used; the document is unchanged
        Imported,     // rows, counts and totals set
    };
    Status status = Status::Declined;
    std::optional<HeaderField> focus;
    bool rowsReplaced = false;   // the month had taxed rows: the grid holds exactly them now
    QList<HeaderField> boxesSet; // header boxes the import wrote, in the order it wrote them
    qsizetype imported = 0;      // the salary rows imported

    bool changedDocument() const { return rowsReplaced || !boxesSet.isEmpty(); }
};

// "导入": fills a declaration with the month's taxed salary rows of the payroll package the unit is linked
// to, looks up each row's rate in the package's bracket table, and sets the counts and the totals.
//
// Everything is read from both databases before the document is touched, so a failing query, a database that
// goes away or a salary value that is not a number ends the import with its message and the document as it
// was. Employees are found by EmpID in a hash (the first Employee row of an EmpID wins, as a search from the
// top would find it); the brackets are read once and sorted by their lower bound.
class SalaryImport {
public:
    // The import's stages, reported to the progress callback at their start and then every few hundred rows.
    enum class Stage { ReadingSalary, ReadingEmployees, ReadingBrackets, Counting, Filling };
    // done of total rows of the stage; total 0 while it is not known yet.
    using Progress = std::function<void(Stage stage, qsizetype done, qsizetype total)>;
    // Called after the document has been changed and before the closing message, so that a window shows the
    // new rows behind the message.
    using Applied = std::function<void(const DeclarationDocument& doc, const SalaryImportResult& result)>;

    // unitId: the unit the declaration belongs to. The threshold is the setting "Reg"/"RegInfoT" of the
    // context's settings unless setThresholdText gives it.
    SalaryImport(const AppContext& ctx, qint64 unitId);

    void setThresholdText(const QString& text) { m_thresholdText = text; }
    void setProgress(Progress progress) { m_progress = std::move(progress); }
    void setApplied(Applied applied) { m_applied = std::move(applied); }

    // Runs the import on doc, talking to the user through the context's Prompter.
    SalaryImportResult ImportSalary(DeclarationDocument& doc);

    // One bracket of the package's taxsetup table.
    struct Bracket {
        Money levelMin;
        Money rate;
    };
    // The brackets sorted by lower bound, largest first (ties keep their order).
    static void sortBrackets(QList<Bracket>& brackets);
    // The rate of the first bracket (largest lower bound first) whose lower bound is strictly below a;
    // nothing when no bracket qualifies. brackets must be sorted by sortBrackets.
    static std::optional<Money> rateFor(const QList<Bracket>& brackets, Money a);

    // A number of the finance package as an amount, exactly as Money::fromForeign reads it, but quick.
    static std::optional<Money> amountOf(const QVariant& v);

    // The texts the user sees.
    static QString confirmText() { return QStringLiteral("导入工资数据将覆盖现有数据，是否继续？"); }
    static QString monthFormatText() { return QStringLiteral("请填写正确格式的日期，如：2003-09"); }
    static QString doneText(qsizetype n) { return QStringLiteral("导入%1条数据").arg(n); }
    static QString errorTitle() { return QStringLiteral("导入工资数据出错"); }
    // The largest amount a cell takes: twelve digits before the point, as the grid's cells are typed.
    static constexpr int MaxIntegerDigits = 12;

private:
    struct SalaryRow {
        QString empId;
        std::array<std::optional<Money>, 5> items; // SaCode1..SaCode5
    };
    void report(Stage stage, qsizetype done, qsizetype total) const;
    std::optional<Money> salaryValue(const QVariant& v, const QString& empId, const QString& item,
                                     QString* problem) const;

    AppContext m_ctx;
    qint64 m_unitId;
    std::optional<QString> m_thresholdText;
    Progress m_progress;
    Applied m_applied;
};

} // namespace zq
