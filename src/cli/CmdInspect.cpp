#include "Commands.h"

#include "Options.h"
#include "core/AppSettings.h"
#include "core/Database.h"
#include "core/Money.h"
#include "finance/AccessFile.h"
#include "finance/FinanceConnection.h"
#include "finance/FinanceLocator.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaType>
#include <QSqlQuery>

namespace zq::cli {
namespace {

using finance::AccessFile;
using finance::ColumnType;
using finance::FileKind;

struct Column {
    QString name;
    QString type;
    bool money = false;
};

struct Table {
    QString name;
    qint64 rows = 0;
    QList<Column> columns;
};

// The type a SQLite column's values take by its declared type, named as for Access columns.
QString sqliteType(const QString& declared)
{
    const QString d = declared.toUpper();
    if (d.contains(QLatin1String("INT")))
        return finance::columnTypeName(ColumnType::Integer);
    if (d.contains(QLatin1String("CHAR")) || d.contains(QLatin1String("CLOB")) ||
        d.contains(QLatin1String("TEXT")))
        return finance::columnTypeName(ColumnType::Text);
    if (d.contains(QLatin1String("REAL")) || d.contains(QLatin1String("FLOA")) ||
        d.contains(QLatin1String("DOUB")))
        return finance::columnTypeName(ColumnType::Real);
    return declared.isEmpty() ? QStringLiteral("any") : declared;
}

QList<Table> sqliteTables(const Database& db)
{
    QList<Table> out;
    const Rows names = db.select(QStringLiteral(
        "select name from sqlite_master where type='table' and name not like 'sqlite%' order by rowid"));
    for (qsizetype r = 0; r < names.size(); ++r) {
        Table t;
        t.name = names.data[r][0].toString();
        const QString quoted = db.escapeIdentifier(t.name);
        t.rows = db.scalar(QStringLiteral("select count(*) from ") + quoted).toLongLong();
        const Rows info = db.select(QStringLiteral("pragma table_info(") + quoted + u')');
        for (qsizetype c = 0; c < info.size(); ++c)
            t.columns << Column{info.value(c, u"name").toString(),
                                sqliteType(info.value(c, u"type").toString())};
        out << t;
    }
    return out;
}

QList<Table> accessTables(const QList<finance::AccessTable>& tables)
{
    QList<Table> out;
    for (const finance::AccessTable& a : tables) {
        Table t{a.name, a.rows, {}};
        for (const finance::AccessColumn& c : a.columns)
            t.columns << Column{c.name, finance::columnTypeName(c.type), c.type == ColumnType::Money};
        out << t;
    }
    return out;
}

// A field of the output: tabs, line breaks and backslashes written as escapes, NULL as nothing and an
// empty text as "".
QString field(const QVariant& v, bool money)
{
    if (v.isNull())
        return QString();
    if (money) {
        if (const auto m = Money::fromForeign(v))
            return m->format(u"0.0000");
    }
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
    QString s = v.toString();
    if (s.isEmpty())
        return QStringLiteral("\"\"");
    s.replace(u'\\', QStringLiteral("\\\\"));
    s.replace(u'\t', QStringLiteral("\\t"));
    s.replace(u'\n', QStringLiteral("\\n"));
    s.replace(u'\r', QStringLiteral("\\r"));
    return s;
}

} // namespace

int inspect(const QStringList& args, Io io)
{
    QString error;
    const auto opts = parseOptions(
        args, {QStringLiteral("table"), QStringLiteral("rows"), QStringLiteral("charset")}, {}, &error);
    bool rowsOk = true;
    const qint64 maxRows = opts && opts->has(QStringLiteral("rows"))
                               ? opts->value(QStringLiteral("rows")).toLongLong(&rowsOk)
                               : 20;
    if (!opts || opts->positional.size() != 1 || !rowsOk || maxRows < 0) {
        if (!error.isEmpty())
            io.err << error << '\n';
        io.err << "usage: zqsaltax-cli inspect FILE [--table NAME] [--rows N] [--charset NAME]\n";
        return ExitFailure;
    }
    const QString path = opts->positional.first();
    const QString shown = QDir::toNativeSeparators(path);
    QString charset = opts->value(QStringLiteral("charset"));
    if (charset.isEmpty())
        charset = AppSettings().value(QStringLiteral("Finance"), QStringLiteral("Jet3Charset")).trimmed();

    try {
        const FileKind kind = finance::detectFileKind(path);
        const bool access = finance::isAccess(kind);
        std::unique_ptr<Database> db;
        QList<Table> tables;
        if (access) {
            // Every table, through the reader of the finance link (in a child process with a time limit).
            AccessFile::Loaded loaded;
            db = AccessFile::loadFileAsDatabase(path, {}, true, charset, &loaded);
            tables = accessTables(loaded.tables);
        } else {
            // What is not an Access file is opened as the finance link opens it: a SQLite file, read-only.
            db = finance::OpenFinanceConnection(path, {}, {}, {}, nullptr);
            tables = sqliteTables(*db);
        }

        if (!opts->has(QStringLiteral("table"))) {
            io.out << "kind\t" << finance::fileKindName(kind) << '\n';
            for (const Table& t : tables) {
                io.out << t.name << '\t' << t.rows;
                for (const Column& c : t.columns)
                    io.out << '\t' << c.name << ' ' << c.type;
                io.out << '\n';
            }
            return ExitOk;
        }

        const QString wanted = opts->value(QStringLiteral("table"));
        const Table* table = nullptr;
        for (const Table& t : tables)
            if (t.name.compare(wanted, Qt::CaseInsensitive) == 0)
                table = &t;
        if (!table) {
            QStringList names;
            for (const Table& t : tables)
                names << t.name;
            io.err << QStringLiteral("文件“%1”中没有表“%2”。其中的表：%3\n")
                          .arg(shown, wanted, names.join(QStringLiteral("、")));
            return ExitFailure;
        }
        // The rows as the finance link receives them: an Access table from the same in-memory copy.
        QStringList header;
        QList<bool> money;
        QStringList selected;
        for (const Column& c : table->columns) {
            if (access && c.type == finance::columnTypeName(ColumnType::Skipped))
                continue;
            header << c.name;
            money << c.money;
            selected << db->escapeIdentifier(c.name);
        }
        io.out << "# " << table->name
               << ": NULL is shown as an empty field, an empty text as \"\"; tab, line "
                  "break and backslash as \\t, \\n, \\r and \\\\\n";
        io.out << header.join(u'\t') << '\n';
        if (selected.isEmpty())
            return ExitOk;
        QSqlQuery q = db->prepare(QStringLiteral("select ") + selected.join(u',') + QStringLiteral(" from ") +
                                  db->escapeIdentifier(table->name) + QStringLiteral(" limit ") +
                                  QString::number(maxRows));
        q.setNumericalPrecisionPolicy(QSql::HighPrecision);
        Database::run(q);
        while (q.next()) {
            QStringList cells;
            for (qsizetype c = 0; c < header.size(); ++c)
                cells << field(q.value(int(c)), money[c]);
            io.out << cells.join(u'\t') << '\n';
        }
    } catch (const DatabaseError& e) {
        io.err << finance::msg::connectionErrorTitle() << ": "
               << QString(errorTypeMessage(e)).replace(QStringLiteral("\r\n"), QStringLiteral(" ")) << '\n';
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace zq::cli
