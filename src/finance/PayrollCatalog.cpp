#include "PayrollCatalog.h"

#include "FinanceLocator.h"
#include "core/Prompter.h"

namespace zq::finance {
namespace {

FinanceProblem errorProblem(const DatabaseError& e)
{
    return FinanceProblem{msg::accountSetErrorTitle(), errorTypeMessage(e)};
}

} // namespace

FinanceResult<QList<AccountSet>> listAccountSets(const Database& systemDb)
{
    FinanceResult<QList<AccountSet>> result;
    try {
        const Rows rows =
            systemDb.select(QStringLiteral("select copy_id,copy_name from copys order by copy_id"));
        for (qsizetype r = 0; r < rows.size(); ++r)
            result.value << AccountSet{rows.value(r, u"copy_id").toString(),
                                       rows.value(r, u"copy_name").toString()};
        if (result.value.isEmpty())
            result.problem = FinanceProblem{msg::unitEditorTitle(), msg::noAccountSets()};
    } catch (const DatabaseError& e) {
        result.value.clear();
        result.problem = errorProblem(e);
    }
    return result;
}

FinanceResult<QStringList> listAccountSetYears(const Database& systemDb, const QString& copyId)
{
    FinanceResult<QStringList> result;
    try {
        const Rows rows =
            systemDb.select(QStringLiteral("select Copy_Year from copyinfo where copy_id=?"), {copyId});
        for (qsizetype r = 0; r < rows.size(); ++r)
            result.value << rows.value(r, u"Copy_Year").toString();
        if (result.value.isEmpty())
            result.problem = FinanceProblem{Prompter::noticeTitle(), msg::unknownAccountSet()};
    } catch (const DatabaseError& e) {
        result.value.clear();
        result.problem = errorProblem(e);
    }
    return result;
}

FinanceResult<QList<SalaryItem>> listSalaryItems(const Database& accountSetDb)
{
    FinanceResult<QList<SalaryItem>> result;
    try {
        const Rows rows = accountSetDb.select(QStringLiteral(
            "select sa_code,sa_item from salary_items  where item_index<>0 and sa_table='salary'"));
        for (qsizetype r = 0; r < rows.size(); ++r)
            result.value << SalaryItem{rows.value(r, u"sa_code").toString(),
                                       rows.value(r, u"sa_item").toString()};
    } catch (const DatabaseError& e) {
        result.value.clear();
        result.problem = errorProblem(e);
    }
    return result;
}

} // namespace zq::finance
