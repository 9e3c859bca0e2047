#include "Options.h"

#include "Commands.h"

#include <QDir>

#include "core/TaxDatabase.h"
#include "platform/WindowsPaths.h"

#include <QFileInfo>

namespace zq::cli {

int databaseFailure(Io io, const QString& path, const QString& description)
{
    // One line: a description with line breaks is folded.
    io.err << QStringLiteral("cannot read %1: %2\n")
                  .arg(QDir::toNativeSeparators(path),
                       QString(description).replace(u'\n', u' ').remove(u'\r'));
    return ExitFailure;
}

std::optional<qint64> Options::number(const QString& name, const QString& wanted, Io io) const
{
    bool ok = false;
    const qint64 n = value(name).toLongLong(&ok);
    if (ok)
        return n;
    io.err << QStringLiteral("--%1 needs %2, not \"%3\"\n").arg(name, wanted, value(name));
    return std::nullopt;
}

bool Options::refusesToOverwrite(const QString& name, Io io) const
{
    const QFileInfo target(value(name));
    if (!has(name) || !target.exists() || target.isDir() || flag(QStringLiteral("force")))
        return false;
    io.err << QStringLiteral("%1 already exists; use --force to overwrite it.\n")
                  .arg(QDir::toNativeSeparators(target.absoluteFilePath()));
    return true;
}

QString Options::databasePath() const
{
    return value(QStringLiteral("db"), TaxDatabase::defaultPath());
}

QString Options::windowsFolder() const
{
    return value(QStringLiteral("windows"),
                 platform::defaultWindowsFolder(QFileInfo(databasePath()).absolutePath()));
}

std::optional<Options> parseOptions(const QStringList& args, const QStringList& valueNames,
                                    const QStringList& flagNames, QString* error)
{
    Options o;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!a.startsWith(QLatin1String("--"))) {
            o.positional << a;
            continue;
        }
        const QString name = a.mid(2);
        if (flagNames.contains(name)) {
            o.flags << name;
        } else if (valueNames.contains(name)) {
            if (i + 1 >= args.size()) {
                *error = QStringLiteral("option %1 needs a value").arg(a);
                return std::nullopt;
            }
            o.values.insert(name, args[++i]);
        } else {
            *error = QStringLiteral("unknown option %1").arg(a);
            return std::nullopt;
        }
    }
    return o;
}

} // namespace zq::cli
