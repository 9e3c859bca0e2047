#pragma once

#include <QStringList>
#include <QTextStream>

// The sub-commands of zqsaltax-cli. Each takes its own arguments (without the command name), writes its
// result to out and a one-line failure to err, and returns the exit code.
namespace zq::cli {

struct Io {
    QTextStream& out;
    QTextStream& err;
};

// Exit codes shared by every command.
inline constexpr int ExitOk = 0;
inline constexpr int ExitRefused = 1; // the command's own check said no (an existing file, a failed check)
inline constexpr int ExitFailure = 2; // something could not be done (no database, no such declaration, ...)

// Says on err that the database at path could not be read, with the database's description; returns
// ExitFailure.
int databaseFailure(Io io, const QString& path, const QString& description);

int initDb(const QStringList& args, Io io);
int demo(const QStringList& args, Io io);
int summary(const QStringList& args, Io io);
int check(const QStringList& args, Io io);
int finance(const QStringList& args, Io io);
int exportUpload(const QStringList& args, Io io);
int listDeclarations(const QStringList& args, Io io);
int importSalary(const QStringList& args, Io io);
int backup(const QStringList& args, Io io);
int restore(const QStringList& args, Io io);
int printDeclaration(const QStringList& args, Io io);
int statement(const QStringList& args, Io io);
int migrate(const QStringList& args, Io io);
int inspect(const QStringList& args, Io io);

} // namespace zq::cli
