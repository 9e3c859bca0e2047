#include "PayrollSource.h"

#include "core/Database.h"
#include "core/Prompter.h"
#include "finance/FinanceConnection.h"

namespace zq {
namespace {

// The run-time error of a year that is not a number, as it has always been numbered.
constexpr int TypeMismatch = 13;

} // namespace

PayrollSource::PayrollSource(const AppContext& ctx) : m_ctx(ctx) {}

PayrollSource::~PayrollSource() = default;

void PayrollSource::close()
{
    m_systemDb.reset();
    m_location = {};
}

void PayrollSource::showError(const QString& title, int number, const QString& description)
{
    m_ctx.prompter->notice(title, errorTypeMessage(number, description), Prompter::Icon::None);
}

template <typename T> std::optional<T> PayrollSource::take(const finance::FinanceResult<T>& result)
{
    if (!result.ok()) {
        m_ctx.prompter->notice(result.problem->title, result.problem->text, Prompter::Icon::None);
        return std::nullopt;
    }
    return result.value;
}

PayrollSource::EditionOpening PayrollSource::openEdition(const QString& edition, const QString& versionKey)
{
    close();
    EditionOpening opening;
    finance::SystemDbLocation location;
    const bool found = edition == finance::iniEdition()
                           ? finance::GetSystemDbFromIni(m_ctx, location)
                           : finance::GetSystemDbFromRegistry(m_ctx, versionKey, location);
    if (!found)
        return opening;
    opening.resolved = true;
    try {
        m_systemDb = finance::OpenFinanceConnection(location.systemDb, location.server, location.user,
                                                    location.password, m_ctx.settings);
        m_location = location;
    } catch (const DatabaseError& e) {
        showError(finance::msg::accountSetErrorTitle(), e.number(), e.description());
        return opening;
    }
    if (auto sets = take(finance::listAccountSets(*m_systemDb)))
        opening.accountSets = *sets;
    return opening;
}

std::optional<QStringList> PayrollSource::years(const QString& copyId)
{
    if (!m_systemDb)
        return std::nullopt;
    return take(finance::listAccountSetYears(*m_systemDb, copyId));
}

std::optional<QList<finance::SalaryItem>> PayrollSource::salaryItems(const QString& copyId,
                                                                     const QString& yearText)
{
    if (!m_systemDb)
        return std::nullopt;
    bool ok = false;
    const int year = yearText.trimmed().toInt(&ok);
    if (!ok || year < -32768 || year > 32767) {
        showError(finance::msg::accountSetErrorTitle(), TypeMismatch, QStringLiteral("类型不匹配"));
        return std::nullopt;
    }
    try {
        QString dataFile;
        if (!finance::GetCopyDataFile(*m_ctx.prompter, *m_systemDb, copyId, qint16(year), dataFile))
            return std::nullopt;
        const auto accountSetDb = finance::OpenFinanceConnection(
            finance::AccountSetDatabase(m_location, copyId, dataFile), m_location.server, m_location.user,
            m_location.password, m_ctx.settings);
        return take(finance::listSalaryItems(*accountSetDb));
    } catch (const DatabaseError& e) {
        showError(finance::msg::accountSetErrorTitle(), e.number(), e.description());
        return std::nullopt;
    }
}

} // namespace zq
