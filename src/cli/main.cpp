#include "Commands.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstring>
#include <memory>

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
    {"check", zq::cli::check,
     "check [--db PATH] [--warnings] --app N\n"
     "                               validate a stored declaration as a save would (--warnings: also list\n"
     "                               what may be wrong but does not stop a save, one per line)"},
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
    {"backup", zq::cli::backup,
     "backup [--db PATH] --out FILE [--force]\n"
     "                               a checked copy of the own database, also while the program uses it"},
    {"restore", zq::cli::restore,
     "restore FILE [--db PATH]     put a copy in the place of the own database (not while the program "
     "runs);\n"
     "                               the replaced one is kept as ZqSalTax.db.yyyyMMdd-HHmmss.bak"},
    {"print", zq::cli::printDeclaration,
     "print --app N --out FILE.pdf [--force] [--db PATH]\n"
     "                               the printed form of declaration N as PDF"},
    {"statement", zq::cli::statement,
     "statement --unit N --emp ID --year YYYY [--out FILE.pdf|FILE.csv] [--force] [--db PATH]\n"
     "                               an employee's year: each month's declared figures and the sums\n"
     "                               (CSV on standard output without --out)"},
    {"migrate", zq::cli::migrate,
     "migrate OLD.mdb [--db PATH]  take over the old program's database into an empty own database"},
    {"inspect", zq::cli::inspect,
     "inspect FILE [--table NAME] [--rows N] [--charset NAME]\n"
     "                               what the finance link reads from a payroll file: its kind and tables\n"
     "                               (rows, columns, types), or a table's first N rows (default 20)"},
};

// Commands that draw pages need fonts, which come with a GUI application; they need no display.
bool drawsPages(const char* name)
{
    return std::strcmp(name, "print") == 0 || std::strcmp(name, "statement") == 0;
}

void printUsage(QTextStream& err)
{
    err << "usage: zqsaltax-cli COMMAND [ARGS]\n";
    for (const Command& c : kCommands)
        err << "  " << c.usage << '\n';
}

} // namespace

int main(int argc, char* argv[])
{
    std::unique_ptr<QCoreApplication> app;
    if (argc > 1 && drawsPages(argv[1])) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // Starting the GUI side may warn about the session (no runtime folder on a build machine); the
        // command reports on stderr in one line and says nothing else there.
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
                if (type == QtCriticalMsg || type == QtFatalMsg)
                    std::fprintf(stderr, "%s\n", qPrintable(text));
            });
        app = std::make_unique<QGuiApplication>(argc, argv);
        qInstallMessageHandler(previous);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = QCoreApplication::arguments().mid(1);
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
