#include "Commands.h"

#include "Options.h"
#include "core/TaxDatabase.h"
#include "finance/DemoPackage.h"
#include "platform/WindowsPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zq::cli {

int initDb(const QStringList& args, Io io)
{
    QString error;
    const auto options =
        parseOptions(args, {}, {QStringLiteral("demo"), QStringLiteral("demo-sqlite")}, &error);
    if (!options || options->positional.size() != 1 || options->positional.first().startsWith(u'-')) {
        if (!error.isEmpty())
            io.err << error << '\n';
        io.err << "usage: zqsaltax-cli init-db [--demo|--demo-sqlite] PATH\n";
        return ExitFailure;
    }
    const QString path = options->positional.first();
    // --demo-sqlite installs the package's databases as SQLite files: the source of its Access files.
    const bool sqliteDemo = options->flag(QStringLiteral("demo-sqlite"));
    const bool demo = options->flag(QStringLiteral("demo")) || sqliteDemo;
    if (QFileInfo::exists(path)) {
        io.err << QStringLiteral("%1 already exists; it is left untouched.\n")
                      .arg(QDir::toNativeSeparators(path));
        return ExitRefused;
    }
    // The demo payroll package lives in the windows folder beside the database, where the program looks for
    // it.
    const QString windows = platform::defaultWindowsFolder(QFileInfo(path).absolutePath());
    if (demo && QFileInfo::exists(windows + QStringLiteral("/registry.reg"))) {
        io.err << QStringLiteral("%1 already holds a registry file; nothing was created.\n")
                      .arg(QDir::toNativeSeparators(windows));
        return ExitRefused;
    }
    try {
        TaxDatabase::create(path);
    } catch (const DatabaseError& e) {
        io.err
            << QStringLiteral("cannot create %1: %2\n").arg(QDir::toNativeSeparators(path), e.description());
        return ExitFailure;
    }
    if (demo) {
        try {
            finance::DemoPackage::create(windows, sqliteDemo ? finance::DemoPackage::Format::Sqlite
                                                             : finance::DemoPackage::Format::Access);
            auto db = TaxDatabase::open(path);
            finance::DemoPackage::addUnits(*db);
        } catch (const DatabaseError& e) {
            QFile::remove(path);
            io.err << QStringLiteral("cannot create the demo installation: %1\n").arg(e.description());
            return ExitFailure;
        }
    }
    io.out << QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) << '\n';
    return ExitOk;
}

} // namespace zq::cli
