#include "DatabaseCopy.h"

#include "Database.h"
#include "DatabaseError.h"
#include "TaxDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <sqlite3.h>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zq {
namespace {

constexpr int kBusyRetries = 100; // 100 ms each: the program's save holds the database at most this long
const char* const kJournalSuffixes[] = {"-wal", "-shm", "-journal"};

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

class Connection {
public:
    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { close(); }

    std::optional<QString> open(const QString& path, int flags)
    {
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
        if (rc != SQLITE_OK)
            return error();
        sqlite3_busy_timeout(m_db, 1500);
        return std::nullopt;
    }
    void close()
    {
        if (m_db)
            sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    // Runs a statement; returns the first column of its first row.
    std::optional<QString> exec(const char* sql, QString* firstValue = nullptr)
    {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) != SQLITE_OK)
            return error();
        int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW && firstValue)
            *firstValue = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        while (rc == SQLITE_ROW)
            rc = sqlite3_step(stmt);
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE)
            return error();
        return std::nullopt;
    }
    QString error() const
    {
        return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
    }
    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

void removeWithJournals(const QString& path)
{
    QFile::remove(path);
    for (const char* s : kJournalSuffixes)
        QFile::remove(path + QLatin1String(s));
}

// The path as it will be once the file exists: the real folder (links resolved) and the name.
QString settledPath(const QString& path)
{
    const QFileInfo fi(path);
    const QString folder = QFileInfo(fi.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? fi.absoluteFilePath() : QDir(folder).filePath(fi.fileName());
}

// Whether path is the database at dbPath or one of its journal files, existing or not.
bool isDatabaseOrJournal(const QString& path, const QString& dbPath)
{
    const QString target = QFileInfo(path).exists() ? QFileInfo(path).canonicalFilePath() : settledPath(path);
    const QString db =
        QFileInfo(dbPath).exists() ? QFileInfo(dbPath).canonicalFilePath() : settledPath(dbPath);
    const Qt::CaseSensitivity cs =
#ifdef Q_OS_WIN
        Qt::CaseInsensitive;
#else
        Qt::CaseSensitive;
#endif
    if (target.compare(db, cs) == 0)
        return true;
    for (const char* s : kJournalSuffixes)
        if (target.compare(db + QLatin1String(s), cs) == 0)
            return true;
    return false;
}

// Copies the database at from into a new file to (which must not exist) with the online backup: one step
// over all pages inside one read transaction of the source, so the copy is one consistent state. The copy
// is left in rollback-journal mode, a single file that stands alone.
std::optional<QString> onlineCopy(const QString& from, const QString& to, bool sourceReadOnly)
{
    Connection source;
    Connection target;
    if (auto e = source.open(from, sourceReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE))
        return QStringLiteral("不能打开“%1”：%2").arg(shown(from), *e);
    if (auto e = target.open(to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE))
        return QStringLiteral("不能创建“%1”：%2").arg(shown(to), *e);
    sqlite3_backup* backup = sqlite3_backup_init(target.handle(), "main", source.handle(), "main");
    if (!backup)
        return QStringLiteral("不能复制“%1”：%2").arg(shown(from), target.error());
    int rc = SQLITE_OK;
    for (int attempt = 0; attempt < kBusyRetries; ++attempt) {
        rc = sqlite3_backup_step(backup, -1);
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED && rc != SQLITE_OK)
            break;
        sqlite3_sleep(100);
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) {
        const QString why = rc == SQLITE_BUSY || rc == SQLITE_LOCKED ? QStringLiteral("数据库一直被占用")
                            : rc == SQLITE_NOTADB ? QStringLiteral("它不是数据库文件")
                                                  : QString::fromUtf8(sqlite3_errstr(rc));
        return QStringLiteral("不能复制“%1”：%2").arg(shown(from), why);
    }
    if (auto e = target.exec("pragma journal_mode=delete"))
        return QStringLiteral("不能写“%1”：%2").arg(shown(to), *e);
    return std::nullopt;
}

std::optional<QString> syncFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return QStringLiteral("不能写“%1”：%2").arg(shown(path), f.errorString());
#ifdef Q_OS_WIN
    const bool ok = ::_commit(f.handle()) == 0;
#else
    const bool ok = ::fsync(f.handle()) == 0;
#endif
    if (!ok)
        return QStringLiteral("不能把“%1”写到磁盘上。").arg(shown(path));
    return std::nullopt;
}

// A rename is on disk only when its folder is.
void syncFolder(const QString& folder)
{
#ifndef Q_OS_WIN
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

// Moves from over to in one step: afterwards to is the old file or the new one, never a mixture.
std::optional<QString> replaceFile(const QString& from, const QString& to)
{
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()),
                            std::filesystem::path(to.toStdU16String()), ec);
    if (ec)
        return QStringLiteral("不能把“%1”换成“%2”：%3")
            .arg(shown(to), shown(from), QString::fromLocal8Bit(ec.message().c_str()));
    syncFolder(QFileInfo(to).absolutePath());
    return std::nullopt;
}

// A copy of the file at path, byte for byte, complete under its name or not there at all.
std::optional<QString> copyWhole(const QString& from, const QString& to)
{
    const QString part = to + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(from, part))
        return QStringLiteral("不能把“%1”复制为“%2”。").arg(shown(from), shown(to));
    if (auto e = syncFile(part)) {
        QFile::remove(part);
        return e;
    }
    if (auto e = replaceFile(part, to)) {
        QFile::remove(part);
        return e;
    }
    return std::nullopt;
}

// Makes the database at path one file: whatever its write-ahead log holds goes into it. Fails when that
// cannot be done (a log left behind would be applied to whatever file takes the database's place).
std::optional<QString> foldJournal(const QString& path)
{
    {
        Connection db;
        if (auto e = db.open(path, SQLITE_OPEN_READWRITE))
            return QStringLiteral("不能打开“%1”：%2").arg(shown(path), *e);
        // Reading rolls back a hot rollback journal; the checkpoint empties the log.
        QString busy;
        db.exec("select count(*) from sqlite_master");
        if (auto e = db.exec("pragma wal_checkpoint(truncate)", &busy))
            return QStringLiteral("不能整理“%1”：%2").arg(shown(path), *e);
        if (busy != QLatin1String("0"))
            return QStringLiteral("“%1”正在被使用，不能替换。").arg(shown(path));
    }
    for (const char* s : {"-wal", "-journal"}) {
        const QFileInfo journal(path + QLatin1String(s));
        if (journal.exists() && journal.size() > 0)
            return QStringLiteral("“%1”的日志文件“%2”不能并入数据库，数据库没有替换。")
                .arg(shown(path), shown(journal.filePath()));
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> DatabaseCopy::verify(const QString& path)
{
    try {
        const auto db = Database::openSqlite(path, Database::Access::ReadOnly);
        const QString integrity = db->scalar(QStringLiteral("pragma integrity_check")).toString();
        if (integrity != QLatin1String("ok"))
            return QStringLiteral("“%1”已经损坏（%2）。").arg(shown(path), integrity.section(u'\n', 0, 0));
        const QStringList problems = TaxDatabase::schemaProblems(*db);
        if (!problems.isEmpty())
            return QStringLiteral("“%1”不是本系统的数据库（%2）。").arg(shown(path), problems.first());
    } catch (const DatabaseError& e) {
        return QStringLiteral("“%1”不是本系统完整的数据库：%2").arg(shown(path), e.description());
    }
    return std::nullopt;
}

std::optional<QString> DatabaseCopy::backup(const QString& dbPath, const QString& outPath)
{
    if (!QFileInfo(dbPath).isFile())
        return QStringLiteral("找不到数据库“%1”。").arg(shown(dbPath));
    const QFileInfo out(outPath);
    if (out.isDir())
        return QStringLiteral("“%1”是一个文件夹。").arg(shown(outPath));
    if (!QFileInfo(out.absolutePath()).isDir())
        return QStringLiteral("文件夹“%1”不存在。").arg(shown(out.absolutePath()));
    if (isDatabaseOrJournal(outPath, dbPath))
        return QStringLiteral("“%1”是数据库本身，不能用作备份文件。").arg(shown(outPath));
    const QString part = outPath + QStringLiteral(".part");
    removeWithJournals(part);
    auto problem = onlineCopy(dbPath, part, false);
    if (!problem)
        problem = verify(part);
    if (!problem)
        problem = replaceFile(part, outPath);
    if (problem)
        removeWithJournals(part);
    return problem;
}

std::optional<QString> DatabaseCopy::restore(const QString& file, const QString& dbPath, const QDateTime& now,
                                             QString* keptAs)
{
    const QFileInfo source(file);
    if (!source.isFile())
        return QStringLiteral("找不到文件“%1”。").arg(shown(file));
    const QFileInfo target(dbPath);
    if (!QFileInfo(target.absolutePath()).isDir())
        return QStringLiteral("文件夹“%1”不存在。").arg(shown(target.absolutePath()));
    if (target.isDir())
        return QStringLiteral("“%1”是一个文件夹。").arg(shown(dbPath));
    if (isDatabaseOrJournal(file, dbPath))
        return QStringLiteral("“%1”就是要替换的数据库。").arg(shown(file));

    // The copy is made and checked beside the database first, so that the last step is a rename.
    const QString incoming = dbPath + QStringLiteral(".restoring");
    removeWithJournals(incoming);
    auto problem = onlineCopy(file, incoming, true);
    if (!problem)
        problem = verify(incoming);
    if (problem) {
        removeWithJournals(incoming);
        return problem;
    }

    if (target.exists()) {
        problem = foldJournal(dbPath);
        QString kept =
            dbPath + u'.' + now.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".bak");
        for (int n = 2; !problem && QFileInfo::exists(kept); ++n)
            kept = dbPath + u'.' + now.toString(QStringLiteral("yyyyMMdd-HHmmss")) + u'-' +
                   QString::number(n) + QStringLiteral(".bak");
        if (!problem)
            problem = copyWhole(dbPath, kept);
        if (problem) {
            removeWithJournals(incoming);
            return problem;
        }
        if (keptAs)
            *keptAs = kept;
        // The index of a log that no longer exists would only be rebuilt; it goes with the old database.
        QFile::remove(dbPath + QStringLiteral("-shm"));
    }
    if (auto e = syncFile(incoming)) {
        removeWithJournals(incoming);
        return e;
    }
    if (auto e = replaceFile(incoming, dbPath)) {
        removeWithJournals(incoming);
        return e;
    }
    return std::nullopt;
}

QString DatabaseCopy::automaticFolder(const QString& dbPath)
{
    return QFileInfo(dbPath).absoluteDir().filePath(QStringLiteral("backup"));
}

QString DatabaseCopy::automaticFileName(const QDate& day)
{
    return QStringLiteral("ZqSalTax-%1.db").arg(day.toString(QStringLiteral("yyyyMMdd")));
}

std::optional<QString> DatabaseCopy::automaticBackup(const QString& dbPath, int keep, const QDate& today,
                                                     QString* written)
{
    if (keep <= 0)
        return std::nullopt;
    const QString folder = automaticFolder(dbPath);
    if (!QDir().mkpath(folder))
        return QStringLiteral("不能创建文件夹“%1”。").arg(shown(folder));
    const QString out = QDir(folder).filePath(automaticFileName(today));
    if (auto problem = backup(dbPath, out))
        return problem;
    if (written)
        *written = out;
    // The names sort by day; the oldest beyond keep go.
    QDir dir(folder);
    const QStringList copies = dir.entryList({QStringLiteral("ZqSalTax-\?\?\?\?\?\?\?\?.db")}, QDir::Files,
                                             QDir::Name | QDir::Reversed);
    for (qsizetype i = keep; i < copies.size(); ++i)
        dir.remove(copies[i]);
    return std::nullopt;
}

} // namespace zq
