#include "Commands.h"
#include "Options.h"

#include "core/Dates.h"
#include "core/Money.h"
#include "core/TaxDatabase.h"
#include "core/TextHelpers.h"

#include <QDir>

namespace zq::cli {
namespace {

// A cell of the tab-separated output: tabs and line breaks inside a value would break the columns.
QString cell(QString text)
{
    for (QChar& c : text)
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    return text;
}

} // namespace

int listDeclarations(const QStringList& args, Io io)
{
    QString error;
    const auto opts = parseOptions(args, {QStringLiteral("db"), QStringLiteral("unit")}, {}, &error);
    if (!opts) {
        io.err << error << '\n';
        return ExitFailure;
    }
    if (!opts->positional.isEmpty()) {
        io.err << "usage: zqsaltax-cli list [--db PATH] [--unit N]\n";
        return ExitFailure;
    }
    QString sql =
        QStringLiteral("select AppID, UnitID, Month, ApplyDate, FactTax, BookNo, UploadResult from ApplT");
    QVariantList binds;
    if (opts->has(QStringLiteral("unit"))) {
        bool ok = false;
        const qint64 unit = opts->value(QStringLiteral("unit")).toLongLong(&ok);
        if (!ok) {
            io.err << QStringLiteral("--unit needs a unit number, not \"%1\"\n")
                          .arg(opts->value(QStringLiteral("unit")));
            return ExitFailure;
        }
        sql += QStringLiteral(" where UnitID = ?");
        binds << QVariant::fromValue<qlonglong>(unit);
    }
    sql += QStringLiteral(" order by AppID");

    const QString dbPath = opts->databasePath();
    try {
        const auto db = TaxDatabase::open(dbPath);
        const Rows rows = db->select(sql, binds);
        for (const QVariantList& r : rows.data) {
            const auto date = [](const QVariant& v, bool month) {
                const QDate d = Dates::fromStored(v);
                if (!d.isValid())
                    return NullToText(v);
                return month ? Dates::formatMonth(d) : Dates::formatDate(d);
            };
            const QString tax = r[4].isNull() ? QString() : Money::fromStored(r[4]).format(u"0.00");
            const QStringList cells{
                r[0].toString(),  r[1].toString(), date(r[2], true), date(r[3], false), tax,
                NullToText(r[5]), NullToText(r[6])};
            QStringList clean;
            for (const QString& c : cells)
                clean << cell(c);
            io.out << clean.join(u'\t') << '\n';
        }
    } catch (const DatabaseError& e) {
        io.err << QStringLiteral("cannot read %1: %2\n")
                      .arg(QDir::toNativeSeparators(dbPath),
                           QString(e.description()).replace(u'\n', u' ').remove(u'\r'));
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace zq::cli
