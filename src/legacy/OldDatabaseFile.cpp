#include "OldDatabaseFile.h"

#include "LegacyMigration.h"
#include "core/Database.h"
#include "finance/AccessFile.h"

#include <QDir>
#include <sqlite3.h>

namespace zq::legacy {
namespace {

DatabaseError notOld(const QString& path)
{
    return DatabaseError(-1,
                         QStringLiteral("“%1”不是旧版程序的数据库。").arg(QDir::toNativeSeparators(path)));
}

} // namespace

bool isAccessFile(const QString& path)
{
    return finance::isAccess(finance::detectFileKind(path));
}

std::unique_ptr<Database> openOldDatabase(const QString& path)
{
    switch (finance::detectFileKind(path)) {
    case finance::FileKind::Sqlite:
        return Database::openSqlite(path, Database::Access::ReadOnly);
    case finance::FileKind::Jet3:
    case finance::FileKind::Jet4:
    case finance::FileKind::Ace:
        // Read straight into the connection handed back; the loader's second copy serves only a reading
        // thread that can be cancelled (the window).
        return finance::AccessFile::loadFileAsDatabase(path, LegacyMigration::tableNames(), false);
    case finance::FileKind::NotADatabase:
        break;
    }
    throw notOld(path);
}

OldDatabaseLoader::OldDatabaseLoader(QString path) : m_path(std::move(path)) {}

OldDatabaseLoader::~OldDatabaseLoader()
{
    if (m_handle)
        sqlite3_close(m_handle);
}

bool OldDatabaseLoader::load()
{
    if (!isAccessFile(m_path))
        throw notOld(m_path);
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(":memory:", &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(handle);
        throw DatabaseError(-1, QStringLiteral("内存数据库不可用。"));
    }
    {
        std::lock_guard lock(m_mutex);
        m_handle = handle;
    }
    try {
        if (m_cancelled)
            return false;
        // The guarded reader: a damaged file that would make the library loop or crash ends as a message,
        // bounded in time, never as a hung or fallen program.
        finance::AccessFile::loadFile(handle, m_path, QString(), LegacyMigration::tableNames(), false);
    } catch (const DatabaseError&) {
        if (m_cancelled)
            return false; // the interrupted statement
        throw;
    }
    m_loaded = !m_cancelled;
    return m_loaded;
}

void OldDatabaseLoader::cancel()
{
    m_cancelled = true;
    std::lock_guard lock(m_mutex);
    if (m_handle)
        sqlite3_interrupt(m_handle);
}

std::unique_ptr<Database> OldDatabaseLoader::take()
{
    if (!m_handle || !m_loaded)
        throw DatabaseError(-1, QStringLiteral("旧版数据库还没有读入。"));
    // The tables move into a connection of the reading thread as one image.
    sqlite3_int64 size = 0;
    unsigned char* image = sqlite3_serialize(m_handle, "main", &size, 0);
    if (!image)
        throw DatabaseError(-1, QStringLiteral("内存数据库不可用。"));
    std::unique_ptr<Database> result;
    try {
        result = Database::openMemory(QStringLiteral("zq-old-"));
    } catch (const DatabaseError&) {
        sqlite3_free(image);
        throw;
    }
    const int rc = sqlite3_deserialize(result->sqliteHandle(), "main", image, size, size,
                                       SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_RESIZEABLE);
    if (rc != SQLITE_OK)
        result->throwSqliteError(rc);
    std::lock_guard lock(m_mutex);
    sqlite3_close(m_handle);
    m_handle = nullptr;
    return result;
}

} // namespace zq::legacy
