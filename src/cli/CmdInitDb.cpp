#include "Commands.h"

#include "core/TaxDatabase.h"

#include <QDir>
#include <QFileInfo>

namespace zq::cli {

int initDb(const QStringList& args, Io io)
{
    QStringList rest = args;
    if (rest.size() != 1 || rest.first().startsWith(u'-')) {
        io.err << "usage: zqsaltax-cli init-db PATH\n";
        return ExitFailure;
    }
    const QString path = rest.first();
    if (QFileInfo::exists(path)) {
        io.err << QStringLiteral("%1 already exists; it is left untouched.\n")
                      .arg(QDir::toNativeSeparators(path));
        return ExitRefused;
    }
    try {
        TaxDatabase::create(path);
    } catch (const DatabaseError& e) {
        io.err
            << QStringLiteral("cannot create %1: %2\n").arg(QDir::toNativeSeparators(path), e.description());
        return ExitFailure;
    }
    io.out << QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) << '\n';
    return ExitOk;
}

} // namespace zq::cli
