#pragma once

#include <QMap>
#include <QStringList>
#include <optional>

namespace zq::cli {

struct Io;

// "--name value" options and "--flag" switches of one command. Unknown or incomplete options are refused.
struct Options {
    QMap<QString, QString> values;
    QStringList flags;
    QStringList positional;

    QString value(const QString& name, const QString& fallback = QString()) const
    {
        return values.value(name, fallback);
    }
    bool has(const QString& name) const { return values.contains(name); }
    bool flag(const QString& name) const { return flags.contains(name); }
    // The whole number of option name; nothing, after a line on io.err saying what was wanted ("a
    // declaration number"), when it is not one.
    std::optional<qint64> number(const QString& name, const QString& wanted, Io io) const;
    // True, after a line on io.err, when the file named by option name exists and --force is not given.
    bool refusesToOverwrite(const QString& name, Io io) const;
    // The database: --db, or the own database beside the executable.
    QString databasePath() const;
    // The stand-in for Windows (registry.reg, system32/) that the finance link reads: --windows, or the
    // "windows" folder beside the database.
    QString windowsFolder() const;
};

// Parses args; on a mistake returns nothing and sets error to a one-line message.
std::optional<Options> parseOptions(const QStringList& args, const QStringList& valueNames,
                                    const QStringList& flagNames, QString* error);

} // namespace zq::cli
