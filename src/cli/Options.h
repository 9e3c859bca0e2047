#pragma once

#include <QMap>
#include <QStringList>
#include <optional>

namespace zq::cli {

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
