#include "FinanceConnection.h"

#include "core/AppSettings.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>

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

} // namespace

std::unique_ptr<Database> OpenFinanceConnection(const QString& database, const QString& server,
                                                const QString& user, const QString& password,
                                                const AppSettings* settings)
{
    if (!server.isEmpty())
        return openOnServer(database, server, user, password, settings);
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
