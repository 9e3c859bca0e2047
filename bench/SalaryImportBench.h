#pragma once

#include "core/AppContext.h"
#include "core/Database.h"
#include "core/Prompter.h"

#include <QString>
#include <memory>

namespace zq {
class AppSettings;
}

namespace zq::bench {

// The salary import of a large employer and its bare limit. The constructor builds, in a folder that must
// exist and be empty, an own database with the demo units and the demo payroll package, whose account set 001
// then holds `rows` taxed salary rows a month for `rows` employees, each with an Employee row of unit 1: of
// March only, or of the months 1 to `months`.
class SalaryImportBench {
public:
    SalaryImportBench(const QString& folder, qint64 rows, int months = 0);
    ~SalaryImportBench();

    // Turns the account set into a Jet 4 Access file with the same rows (amounts as Currency), through
    // the fixture converter sqlite2mdb (ZQ_SQLITE2MDB, else ../shared/tools/sqlite2mdb beside the sources).
    // False with the reason when it cannot.
    bool convertToAccess(QString* why);
    QString accountSet() const { return m_accountSet; }

    // "导入" into a new declaration of the month ("yyyy-mm"), answered Yes: from the finance link to the last
    // total. Throws std::runtime_error when the import does not bring in every row.
    void runImport(const QString& month = QStringLiteral("2012-03"));
    // The same salary and Employee rows read through the same driver, every value touched.
    void runBareRead();

private:
    class QuietPrompter : public Prompter {
    public:
        Answer message(const QString& title, const QString& text, Icon icon, Buttons buttons) override;
        std::optional<QString> input(const QString&, const QString&, const QString&) override;
        std::optional<QString> saveFileName(const QString&, const QString&, const QString&) override;
        QString last;
    };

    qint64 m_rows;
    QString m_accountSet;
    std::unique_ptr<Database> m_taxDb;
    std::unique_ptr<AppSettings> m_settings;
    QuietPrompter m_prompter;
    AppContext m_ctx;
};

} // namespace zq::bench
