#pragma once

#include "core/AppContext.h"
#include "finance/FinanceLocator.h"
#include "finance/PayrollCatalog.h"

#include <QList>
#include <QStringList>
#include <memory>
#include <optional>

namespace zq {

class Database;

// What the unit editor reads from the payroll package while it is open: the account sets of an edition's
// system database, an account set's years and the salary items of an account set's year. It keeps the
// connection on the system database of the edition last opened. Every failure has shown exactly one message
// through the context's Prompter.
class PayrollSource {
public:
    explicit PayrollSource(const AppContext& ctx);
    ~PayrollSource();
    PayrollSource(const PayrollSource&) = delete;
    PayrollSource& operator=(const PayrollSource&) = delete;

    struct EditionOpening {
        // False when the package's place could not be found for the edition (the edition is then not to
        // stay chosen); true otherwise, even when the system database could not be read.
        bool resolved = false;
        // The account sets, in identifier order; empty after a message.
        QList<finance::AccountSet> accountSets;
    };
    // Finds where the edition keeps its system database (WD.ini for "Olvenka 2.X", else the registry key and
    // config.ini), opens it in place of the one open before and lists its account sets.
    EditionOpening openEdition(const QString& edition, const QString& versionKey);

    // The years of an account set as texts, in the order the package gives them; nothing after a message.
    std::optional<QStringList> years(const QString& copyId);

    // The salary items offered for an account set's year: the year's data file from the system database, a
    // connection on that data for the time of the read. Nothing after a message (also when the account set's
    // database cannot be opened: its description is shown).
    std::optional<QList<finance::SalaryItem>> salaryItems(const QString& copyId, const QString& yearText);

    void close();
    bool isOpen() const { return m_systemDb != nullptr; }
    const finance::SystemDbLocation& location() const { return m_location; }

private:
    void showError(const QString& title, int number, const QString& description);
    template <typename T> std::optional<T> take(const finance::FinanceResult<T>& result);

    AppContext m_ctx;
    finance::SystemDbLocation m_location;
    std::unique_ptr<Database> m_systemDb;
};

} // namespace zq
