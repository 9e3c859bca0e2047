#include "TaxDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>
#include <QTemporaryFile>

namespace zq::TaxDatabase {
namespace {

QString readResource(const QString& name)
{
    QFile f(QStringLiteral(":/data/") + name);
    if (!f.open(QIODevice::ReadOnly))
        throw DatabaseError(-1, QStringLiteral("缺少程序资源 %1").arg(name));
    return QString::fromUtf8(f.readAll());
}

QStringList schemaStatements()
{
    QString sql = readResource(QStringLiteral("schema.sql"));
    sql.remove(QRegularExpression(QStringLiteral("--[^\n]*")));
    QStringList out;
    for (const QString& s : sql.split(u';'))
        if (!s.trimmed().isEmpty())
            out << s.trimmed();
    return out;
}

void loadCodeTable(Database& db, const QString& table)
{
    const QStringList lines = readResource(table + QStringLiteral(".csv")).split(u'\n', Qt::SkipEmptyParts);
    if (lines.isEmpty())
        return;
    const QStringList cols = lines.first().trimmed().split(u',');
    QSqlQuery q = db.prepare(QStringLiteral("insert into %1(%2) values(?,?)").arg(table, cols.join(u',')));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        const qsizetype comma = line.indexOf(u',');
        q.bindValue(0, line.left(comma));
        q.bindValue(1, line.mid(comma + 1));
        Database::run(q);
    }
}

} // namespace

QString fileName()
{
    return QStringLiteral("ZqSalTax.db");
}

QString defaultPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(fileName());
}

std::unique_ptr<Database> open(const QString& path)
{
    // The password's table is in every database of this program from its creation on.
    return Database::openSqlite(path, Database::Access::ReadWrite, QStringLiteral("Sundries"));
}

void create(const QString& path)
{
    const QFileInfo fi(path);
    if (fi.exists())
        throw DatabaseError(DatabaseError::Kind::Other, -1,
                            QStringLiteral("“%1”已经存在，不会覆盖。").arg(QDir::toNativeSeparators(path)));
    if (!QFileInfo(fi.absolutePath()).isDir())
        throw DatabaseError(DatabaseError::Kind::InvalidPath, DatabaseError::InvalidPathNumber,
                            QStringLiteral("“%1”不是有效的路径。").arg(QDir::toNativeSeparators(path)));
    // Build the database under a temporary name of its own beside the target (never a name another file may
    // already have) and move it into place only when it is complete.
    QString temp;
    {
        QTemporaryFile f(path + QStringLiteral(".XXXXXX.part"));
        f.setAutoRemove(false);
        if (!f.open())
            throw DatabaseError(
                DatabaseError::Kind::NoPermission, DatabaseError::NoPermissionNumber,
                QStringLiteral("不能创建“%1”：%2").arg(QDir::toNativeSeparators(path), f.errorString()));
        temp = f.fileName();
    }
    try {
        auto db = Database::openSqlite(temp);
        Transaction tx(*db);
        for (const QString& s : schemaStatements())
            db->exec(s);
        for (const char* table : {"BmNation", "BmProfes", "BmItem", "lumfver"})
            loadCodeTable(*db, QString::fromLatin1(table));
        db->exec(QStringLiteral("insert into Sundries(Name,Value) values('Password','')"));
        tx.commit();
        db->exec(QStringLiteral("pragma wal_checkpoint(truncate)"));
        db->exec(QStringLiteral("pragma journal_mode=delete"));
    } catch (...) {
        QFile::remove(temp);
        QFile::remove(temp + QStringLiteral("-wal"));
        QFile::remove(temp + QStringLiteral("-shm"));
        throw;
    }
    if (!QFile::rename(temp, path)) {
        QFile::remove(temp);
        throw DatabaseError(-1, QStringLiteral("不能创建“%1”。").arg(QDir::toNativeSeparators(path)));
    }
}

QMap<QString, QStringList> expectedSchema()
{
    QMap<QString, QStringList> tables;
    const QRegularExpression createRe(QStringLiteral("^CREATE TABLE (\\w+) \\((.*)\\)$"),
                                      QRegularExpression::DotMatchesEverythingOption);
    for (const QString& s : schemaStatements()) {
        const auto m = createRe.match(s);
        if (!m.hasMatch())
            continue;
        QStringList cols;
        for (const QString& line : m.captured(2).split(u'\n')) {
            const QString t = line.trimmed();
            if (t.isEmpty() || t.startsWith(QStringLiteral("UNIQUE")))
                continue;
            cols << t.section(u' ', 0, 0);
        }
        tables.insert(m.captured(1), cols);
    }
    return tables;
}

QStringList schemaProblems(const Database& db)
{
    QStringList problems;
    const QSqlDatabase conn = db.connection();
    const auto expected = expectedSchema();
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        const QSqlRecord rec = conn.record(it.key());
        if (rec.isEmpty()) {
            problems << QStringLiteral("missing table %1").arg(it.key());
            continue;
        }
        QStringList actual;
        for (int i = 0; i < rec.count(); ++i)
            actual << rec.fieldName(i);
        if (actual != it.value())
            problems << QStringLiteral("table %1 has columns %2, expected %3")
                            .arg(it.key(), actual.join(u','), it.value().join(u','));
    }
    return problems;
}

} // namespace zq::TaxDatabase
