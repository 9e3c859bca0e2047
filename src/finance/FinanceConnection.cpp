#include "FinanceConnection.h"

#include "AccessFile.h"
#include "core/AppSettings.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <cstring>
#include <list>
#include <sqlite3.h>

namespace zq::finance {
namespace {

constexpr int TimeoutSeconds = 60;
// The number a failed open carries when the driver gives none (the generic failure of the data providers).
constexpr int GenericFailure = -2147467259;
constexpr int SqliteNotADatabase = 26;

QString setting(const AppSettings* settings, const QString& key)
{
    const QString section = QStringLiteral("Finance");
    return (settings ? settings->value(section, key) : AppSettings::defaultValue(section, key)).trimmed();
}

// "host" or "host,port".
void splitServer(const QString& server, QString& host, int& port)
{
    host = server.trimmed();
    port = -1;
    const qsizetype comma = host.lastIndexOf(u',');
    if (comma < 0)
        return;
    bool ok = false;
    const int p = host.mid(comma + 1).trimmed().toInt(&ok);
    if (!ok || p <= 0 || p > 65535)
        throw DatabaseError(GenericFailure, QStringLiteral("服务器名“%1”的端口不正确。").arg(server));
    port = p;
    host = host.left(comma).trimmed();
}

// A value of an ODBC connection string, in braces so that ";" and "=" inside it do no harm.
QString odbcValue(const QString& v)
{
    QString escaped = v;
    escaped.replace(u'}', QStringLiteral("}}"));
    return u'{' + escaped + u'}';
}

DatabaseError openFailure(const QSqlError& e, const QString& database, const QString& server)
{
    DatabaseError base = DatabaseError::fromSqlError(e);
    const int number = base.number() == -1 ? GenericFailure : base.number();
    return DatabaseError(number, base.description() +
                                     QStringLiteral("（服务器“%1”，数据库“%2”）").arg(server, database));
}

std::unique_ptr<Database> openOnServer(const QString& database, const QString& server, const QString& user,
                                       const QString& password, const AppSettings* settings)
{
    const QString engine = setting(settings, QStringLiteral("ServerEngine")).toLower();
    QString host;
    int port = -1;
    splitServer(server, host, port);

    const bool postgres = engine == QLatin1String(ServerEnginePostgreSql);
    if (!postgres && engine != QLatin1String(ServerEngineSqlServer))
        throw DatabaseError(GenericFailure,
                            QStringLiteral("设置中的服务器类型“%1”无法识别（Finance/ServerEngine 应为 "
                                           "sqlserver 或 postgresql）。")
                                .arg(engine));
    const QString name = Database::uniqueConnectionName(QStringLiteral("zq-finance-"));
    // Owning the name from here on removes the connection again whatever happens below.
    auto result = Database::adopt(name);
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(postgres ? QStringLiteral("QPSQL") : QStringLiteral("QODBC"), name);
        if (!db.isValid())
            throw DatabaseError(GenericFailure,
                                QStringLiteral("找不到数据库驱动程序 %1。").arg(db.driverName()));
        db.setUserName(user);
        db.setPassword(password);
        if (postgres) {
            db.setHostName(host);
            if (port > 0)
                db.setPort(port);
            db.setDatabaseName(database);
            db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(TimeoutSeconds));
        } else {
            const QString driver = setting(settings, QStringLiteral("OdbcDriver"));
            QString text = QStringLiteral("DRIVER=") + odbcValue(driver) + u';';
            // FreeTDS takes the port on its own; the Windows drivers take "host,port".
            if (port > 0 && driver.contains(QLatin1String("FreeTDS"), Qt::CaseInsensitive))
                text += QStringLiteral("SERVER=") + odbcValue(host) + QStringLiteral(";PORT=%1;").arg(port);
            else
                text += QStringLiteral("SERVER=") + odbcValue(server.trimmed()) + u';';
            text += QStringLiteral("DATABASE=") + odbcValue(database) + u';';
            db.setDatabaseName(text);
            // The connection time-out covers every request after the login: the command time-out.
            db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1")
                                     .arg(TimeoutSeconds));
        }
        if (!db.open())
            throw openFailure(db.lastError(), database, server);
        if (postgres) {
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("set statement_timeout = %1").arg(TimeoutSeconds * 1000)))
                throw openFailure(q.lastError(), database, server);
        }
    }
    return result;
}

// The tables the statements of the finance link read: the system database's and an account set's.
const QStringList& financeTables()
{
    static const QStringList tables{QStringLiteral("copys"),    QStringLiteral("copyinfo"),
                                    QStringLiteral("salary"),   QStringLiteral("salary_items"),
                                    QStringLiteral("taxsetup"), QStringLiteral("employee")};
    return tables;
}

// The in-memory copies of the last Access files read, as SQLite images, so that a second import from an
// unchanged file does not read it again. A file is the same while its path, size and modification time are.
class AccessCache {
public:
    struct Image {
        QString key;
        unsigned char* data = nullptr; // from sqlite3_serialize
        sqlite3_int64 size = 0;
    };

    static AccessCache& instance()
    {
        static AccessCache cache;
        return cache;
    }
    ~AccessCache() { clear(); }

    // A copy of the image for key into the empty in-memory database db; false when there is none.
    bool restore(const QString& key, sqlite3* db)
    {
        QMutexLocker lock(&m_mutex);
        for (auto it = m_images.begin(); it != m_images.end(); ++it) {
            if (it->key != key)
                continue;
            auto* copy = static_cast<unsigned char*>(sqlite3_malloc64(sqlite3_uint64(it->size)));
            if (!copy)
                return false;
            std::memcpy(copy, it->data, size_t(it->size));
            if (sqlite3_deserialize(db, "main", copy, it->size, it->size,
                                    SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_RESIZEABLE) !=
                SQLITE_OK)
                return false;
            m_images.splice(m_images.begin(), m_images, it); // most recently used first
            return true;
        }
        return false;
    }

    void store(const QString& key, sqlite3* db)
    {
        sqlite3_int64 size = 0;
        unsigned char* data = sqlite3_serialize(db, "main", &size, 0);
        if (!data)
            return;
        QMutexLocker lock(&m_mutex);
        // A changed file replaces what was kept of it under its old size or time.
        const QString path = key.section(u'\n', 0, 0);
        m_images.remove_if([&](const Image& i) {
            const bool same = i.key.section(u'\n', 0, 0) == path;
            if (same)
                sqlite3_free(i.data);
            return same;
        });
        m_images.push_front(Image{key, data, size});
        while (m_images.size() > MaxImages) {
            sqlite3_free(m_images.back().data);
            m_images.pop_back();
        }
    }

    void clear()
    {
        QMutexLocker lock(&m_mutex);
        for (const Image& i : m_images)
            sqlite3_free(i.data);
        m_images.clear();
    }

private:
    // The system database and a few account sets.
    static constexpr size_t MaxImages = 4;
    QMutex m_mutex;
    std::list<Image> m_images;
};

std::unique_ptr<Database> openAccessFile(const QString& path, const AppSettings* settings)
{
    const QFileInfo fi(path);
    const QString charset = setting(settings, QStringLiteral("Jet3Charset"));
    const QString key = fi.canonicalFilePath() + u'\n' + QString::number(fi.size()) + u'\n' +
                        QString::number(fi.lastModified().toMSecsSinceEpoch()) + u'\n' + charset;

    auto result = Database::openMemory(QStringLiteral("zq-access-"));
    sqlite3* handle = result->sqliteHandle();
    if (AccessCache::instance().restore(key, handle))
        return result;

    const AccessFile::Loaded loaded = AccessFile::loadFile(handle, path, charset, financeTables(), false);
    bool any = false;
    for (const AccessTable& t : loaded.tables)
        any = any || financeTables().contains(t.name, Qt::CaseInsensitive);
    if (!any)
        throw DatabaseError(GenericFailure, QStringLiteral("文件“%1”中没有财务软件的表（%2）。")
                                                .arg(QDir::toNativeSeparators(path),
                                                     financeTables().join(QStringLiteral("、"))));
    AccessCache::instance().store(key, handle);
    return result;
}

} // namespace

void ClearAccessCache()
{
    AccessCache::instance().clear();
}

std::unique_ptr<Database> OpenFinanceConnection(const QString& database, const QString& server,
                                                const QString& user, const QString& password,
                                                const AppSettings* settings)
{
    if (!server.isEmpty())
        return openOnServer(database, server, user, password, settings);
    // The kind of a file is told by its content: an Access header goes to the Access reader; anything else
    // takes the SQLite path, which also reports a missing file or one that is not a database.
    if (QFileInfo(database).isFile()) {
        // SQLite takes an empty file for an empty database.
        if (QFileInfo(database).size() == 0)
            throw DatabaseError(GenericFailure, QStringLiteral("文件“%1”是空的，不是财务软件的数据库文件。")
                                                    .arg(QDir::toNativeSeparators(database)));
        if (isAccess(detectFileKind(database)))
            return openAccessFile(database, settings);
    }
    try {
        return Database::openSqlite(database, Database::Access::ReadOnly);
    } catch (const DatabaseError& e) {
        if (e.kind() == DatabaseError::Kind::Other && (e.number() & 0xFF) == SqliteNotADatabase)
            throw DatabaseError(
                e.number(),
                QStringLiteral("文件“%1”不是财务软件的数据库文件。").arg(QDir::toNativeSeparators(database)));
        throw;
    }
}

} // namespace zq::finance
