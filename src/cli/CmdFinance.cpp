#include "Commands.h"
#include "Options.h"

#include "core/AppContext.h"
#include "core/AppSettings.h"
#include "core/Prompter.h"
#include "core/TaxDatabase.h"
#include "finance/FinanceLocator.h"
#include "finance/PayrollCatalog.h"

#include <QDir>
#include <QFileInfo>

namespace zq::cli {
namespace {

// Messages of the finance link go to standard error as "title: text" on one line.
class StderrPrompter : public Prompter {
public:
    explicit StderrPrompter(QTextStream& err) : m_err(err) {}
    Answer message(const QString& title, const QString& text, Icon, Buttons buttons) override
    {
        QString line = text;
        line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        m_err << title << ": " << line << '\n';
        return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    std::optional<QString> saveFileName(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }

private:
    QTextStream& m_err;
};

} // namespace

int finance(const QStringList& args, Io io)
{
    QString error;
    const auto opts = parseOptions(
        args, {QStringLiteral("db"), QStringLiteral("windows"), QStringLiteral("unit")}, {}, &error);
    bool unitOk = false;
    const qint64 unitId = opts ? opts->value(QStringLiteral("unit")).toLongLong(&unitOk) : 0;
    if (!opts || !unitOk) {
        io.err << (error.isEmpty()
                       ? QStringLiteral("usage: zqsaltax-cli finance --unit ID [--db PATH] [--windows DIR]")
                       : error)
               << '\n';
        return ExitFailure;
    }
    try {
        const auto db = TaxDatabase::open(opts->databasePath());
        StderrPrompter prompter(io.err);
        AppSettings settings;
        AppContext ctx{db.get(), &prompter, &settings, QFileInfo(opts->databasePath()).absolutePath(),
                       opts->windowsFolder()};
        QString edition;
        const auto finance = finance::GetFinanceConnection(ctx, unitId, &edition);
        if (!finance) // its one message is on standard error
            return ExitFailure;
        io.out << "edition\t" << edition << '\n';
        io.out << "database\t" << QDir::toNativeSeparators(finance->connection().databaseName()) << '\n';
        const auto items = finance::listSalaryItems(*finance);
        if (!items.ok()) {
            io.err << items.problem->title << ": "
                   << QString(items.problem->text).replace(QStringLiteral("\r\n"), QStringLiteral(" "))
                   << '\n';
            return ExitFailure;
        }
        for (const auto& item : items.value)
            io.out << "salary item\t" << item.code << '\t' << item.name << '\n';
    } catch (const DatabaseError& e) {
        return databaseFailure(io, opts->databasePath(), e.description());
    }
    return ExitOk;
}

} // namespace zq::cli
