// A small program for the crash tests, which kill it at any moment of a save and look at what is left.
//
//   zq-save-driver prepare|save declaration|employees|restore <database> <rows>
//
// "prepare" creates the database with the "old" declaration or employees (for restore also
// "<database>.source" with the "new" declaration); "save" stores the "new" ones over them through
// DeclarationStore or EmployeeStore, or restores the source in the place of the database. "save" prints
// "saving" once the data is built, just before the save starts, and "saved" when the save has returned.
#include "core/DatabaseCopy.h"
#include "core/TaxDatabase.h"
#include "declarations/DeclarationStore.h"
#include "employees/EmployeeStore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <cstdio>
#include <exception>

using namespace zq;

namespace {

constexpr qint64 kAppId = 1;
constexpr qint64 kUnitId = 1;

// The old and the new declaration differ in every row and in the header, so that any mixture of the two
// shows.
DeclarationDocument buildDocument(int rowCount, bool newer)
{
    DeclarationDocument doc;
    QVector<DetailRow>& rows = doc.rows();
    rows.reserve(rowCount + 1);
    const qint64 base = newer ? 7000 : 5000;
    for (int i = 0; i < rowCount; ++i) {
        DetailRow r;
        r.rowNo = i + 1;
        r.texts = {QStringLiteral("1101011980%1").arg(i, 8, 10, QLatin1Char('0')),
                   (newer ? QStringLiteral("新员工%1") : QStringLiteral("旧员工%1")).arg(i),
                   QStringLiteral("156"), QStringLiteral("0201"),
                   newer ? QStringLiteral("02") : QStringLiteral("01")};
        r.amounts = {Money::fromUnits(base + i % 1000),
                     Money::fromUnits(base - 1600 + i % 1000),
                     Money::fromUnits(10),
                     Money(),
                     Money(),
                     Money::fromUnits(100 + i % 97)};
        rows.append(std::move(r));
    }
    doc.appendRow();
    using F = HeaderField;
    doc.setHeader(F::ComputerCode, newer ? QStringLiteral("87654321") : QStringLiteral("12345678"));
    doc.setHeader(F::DeclarePerson, newer ? QStringLiteral("王会计") : QStringLiteral("李会计"));
    doc.setHeader(F::Month, newer ? QStringLiteral("2005-10") : QStringLiteral("2005-09"));
    doc.setHeader(F::ApplyDate, newer ? QStringLiteral("2005-11-08") : QStringLiteral("2005-10-08"));
    doc.setHeader(F::UnitMen, QString::number(rowCount));
    doc.setHeader(F::InComeM, doc.columnSum(ColInComeM).format(u"#,##0.00"));
    doc.setHeader(F::BookNo, newer ? QStringLiteral("BK20051108") : QStringLiteral("BK20051008"));
    return doc;
}

// The old and the new employees differ in names, identity numbers and codes, and the new ones are one
// more, so that a mixture or a half-written list shows.
EmployeeRows buildEmployees(int rowCount, bool newer)
{
    EmployeeRows rows;
    const int n = newer ? rowCount + 1 : rowCount;
    rows.reserve(n);
    for (int i = 0; i < n; ++i) {
        rows.append({QStringLiteral("E%1").arg(i, 7, 10, QLatin1Char('0')),
                     (newer ? QStringLiteral("新员工%1") : QStringLiteral("旧员工%1")).arg(i),
                     QStringLiteral("1101011980%1").arg(newer ? i + 500000 : i, 8, 10, QLatin1Char('0')),
                     newer ? QStringLiteral("156") : QStringLiteral("001"),
                     newer ? QStringLiteral("0201") : QStringLiteral("0101")});
    }
    return rows;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool ok = false;
    const int rowCount = args.size() == 5 ? args[4].toInt(&ok) : 0;
    if (!ok || (args[1] != QLatin1String("prepare") && args[1] != QLatin1String("save"))) {
        std::fputs("usage: zq-save-driver prepare|save declaration|employees|restore <database> <rows>\n",
                   stderr);
        return 2;
    }
    const QString& kind = args[2];
    const QString& path = args[3];
    const bool newer = args[1] == QLatin1String("save");
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    try {
        if (kind == QLatin1String("restore")) {
            const QString source = path + QStringLiteral(".source");
            if (newer) {
                std::puts("saving");
                if (const auto problem = DatabaseCopy::restore(source, path, QDateTime::currentDateTime())) {
                    std::fprintf(stderr, "%s\n", problem->toLocal8Bit().constData());
                    return 1;
                }
                std::puts("saved");
                return 0;
            }
            TaxDatabase::create(source);
            DeclarationStore(*TaxDatabase::open(source)).save(buildDocument(rowCount, true), kAppId, kUnitId);
        }
        if (!newer)
            TaxDatabase::create(path);
        const auto db = TaxDatabase::open(path);
        if (kind != QLatin1String("employees")) {
            const DeclarationDocument doc = buildDocument(rowCount, newer);
            DeclarationStore store(*db);
            std::puts("saving");
            store.save(doc, kAppId, kUnitId);
        } else {
            const EmployeeRows rows = buildEmployees(rowCount, newer);
            EmployeeStore store(*db);
            std::puts("saving");
            store.save(kUnitId, rows);
        }
        std::puts("saved");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
