#include "Commands.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

struct Command {
    const char* name;
    int (*run)(const QStringList&, zq::cli::Io);
    const char* usage;
};

constexpr Command kCommands[] = {
    {"init-db", zq::cli::initDb,
     "init-db [--demo] PATH        create a new own database (--demo: with two units and a demo payroll "
     "package in Access files; --demo-sqlite: the same package in SQLite files)"},
    {"check", zq::cli::check, "check [--db PATH] --app N      validate a stored declaration as a save would"},
    {"demo", zq::cli::demo,
     "demo [--db PATH] [--out FILE]  on the demo installation: take over the first unit's employees,\n"
     "                               import a month's salary into a declaration, store it and write its "
     "upload file"},
    {"summary", zq::cli::summary, "summary [--db PATH]          count the units, employees and declarations"},
    {"finance", zq::cli::finance,
     "finance --unit ID [--db PATH] [--windows DIR]  open a unit's account set in the payroll package"},
    {"export", zq::cli::exportUpload,
     "export --app N --out FILE [--force] [--db PATH]\n"
     "                               write the upload file of declaration N, store and print its path"},
    {"list", zq::cli::listDeclarations,
     "list [--unit N] [--db PATH]  one tab-separated line per declaration: AppID, unit, month, date,\n"
     "                               tax paid, book number, upload path"},
    {"import-salary", zq::cli::importSalary,
     "import-salary --db PATH --unit N --month yyyy-mm [--threshold X] [--windows DIR]\n"
     "                               the month's salary import into a new declaration, printed, not saved"},
    {"migrate", zq::cli::migrate,
     "migrate OLD.mdb [--db PATH]  take over the old program's database into an empty own database"},
    {"inspect", zq::cli::inspect,
     "inspect FILE [--table NAME] [--rows N] [--charset NAME]\n"
     "                               what the finance link reads from a payroll file: its kind and tables\n"
     "                               (rows, columns, types), or a table's first N rows (default 20)"},
};

void printUsage(QTextStream& err)
{
    err << "usage: zqsaltax-cli COMMAND [ARGS]\n";
    for (const Command& c : kCommands)
        err << "  " << c.usage << '\n';
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        printUsage(args.isEmpty() ? err : out);
        return args.isEmpty() ? zq::cli::ExitFailure : zq::cli::ExitOk;
    }
    const QString name = args.takeFirst();
    for (const Command& c : kCommands)
        if (name == QLatin1String(c.name))
            return c.run(args, zq::cli::Io{out, err});
    err << "unknown command: " << name << '\n';
    printUsage(err);
    return zq::cli::ExitFailure;
}
