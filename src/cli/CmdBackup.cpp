#include "Commands.h"
#include "Options.h"

#include "core/DatabaseCopy.h"
#include "platform/SingleInstance.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace zq::cli {
namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace

int backup(const QStringList& args, Io io)
{
    QString error;
    const auto opts =
        parseOptions(args, {QStringLiteral("db"), QStringLiteral("out")}, {QStringLiteral("force")}, &error);
    if (!opts || !opts->positional.isEmpty() || !opts->has(QStringLiteral("out"))) {
        io.err << (opts ? QStringLiteral("usage: zqsaltax-cli backup [--db PATH] --out FILE [--force]")
                        : error)
               << '\n';
        return ExitFailure;
    }
    if (opts->refusesToOverwrite(QStringLiteral("out"), io))
        return ExitRefused;
    const QString out = opts->value(QStringLiteral("out"));
    if (const auto problem = DatabaseCopy::backup(opts->databasePath(), out)) {
        io.err << QStringLiteral("cannot back up %1: %2\n").arg(shown(opts->databasePath()), *problem);
        return ExitFailure;
    }
    io.out << shown(out) << '\n';
    return ExitOk;
}

int restore(const QStringList& args, Io io)
{
    QString error;
    const auto opts = parseOptions(args, {QStringLiteral("db")}, {}, &error);
    if (!opts || opts->positional.size() != 1) {
        io.err << (opts ? QStringLiteral("usage: zqsaltax-cli restore FILE [--db PATH]") : error) << '\n';
        return ExitFailure;
    }
    const QString file = opts->positional.first();
    const QString dbPath = opts->databasePath();
    // The program runs on the database of its own folder; while this lock is held it cannot start there.
    SingleInstance program(QFileInfo(dbPath).absolutePath());
    if (!program.tryAcquire()) {
        io.err << QStringLiteral("the program is running on %1; close it first.\n").arg(shown(dbPath));
        return ExitRefused;
    }
    if (const auto problem = DatabaseCopy::verify(file)) {
        io.err << QStringLiteral("refused: %1\n").arg(*problem);
        return ExitRefused;
    }
    QString kept;
    if (const auto problem = DatabaseCopy::restore(file, dbPath, QDateTime::currentDateTime(), &kept)) {
        io.err << QStringLiteral("cannot restore %1: %2\n").arg(shown(dbPath), *problem);
        return ExitFailure;
    }
    io.out << shown(dbPath) << '\n';
    if (!kept.isEmpty())
        io.out << QStringLiteral("the replaced database is kept as %1\n").arg(shown(kept));
    return ExitOk;
}

} // namespace zq::cli
