#include "Commands.h"
#include "Options.h"

#include "core/TaxDatabase.h"

#include <QDir>

namespace zq::cli {

int summary(const QStringList& args, Io io)
{
    QString error;
    const auto opts = parseOptions(args, {QStringLiteral("db")}, {}, &error);
    if (!opts) {
        io.err << error << '\n';
        return ExitFailure;
    }
    try {
        const auto db = TaxDatabase::open(opts->databasePath());
        io.out << "database\t" << QDir::toNativeSeparators(opts->databasePath()) << '\n';
        io.out << "units\t" << db->scalar(QStringLiteral("select count(*) from UnitInfo")).toLongLong()
               << '\n';
        io.out << "employees\t" << db->scalar(QStringLiteral("select count(*) from Employee")).toLongLong()
               << '\n';
        io.out << "declarations\t" << db->scalar(QStringLiteral("select count(*) from ApplT")).toLongLong()
               << '\n';
    } catch (const DatabaseError& e) {
        return databaseFailure(io, opts->databasePath(), e.description());
    }
    return ExitOk;
}

} // namespace zq::cli
