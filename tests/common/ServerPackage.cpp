#include "ServerPackage.h"

#include "core/AppSettings.h"
#include "core/Database.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace zq::test {

bool TestServer::run(const QString& database, const QStringList& statements) const
{
    const QString name = Database::uniqueConnectionName(QStringLiteral("zq-pg-admin-"));
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(host);
        db.setPort(port.toInt());
        db.setUserName(user);
        db.setPassword(password);
        db.setDatabaseName(database);
        if (!db.open()) {
            qWarning() << db.lastError().text();
            ok = false;
        }
        for (qsizetype i = 0; ok && i < statements.size(); ++i) {
            QSqlQuery q(db);
            if (!q.exec(statements[i])) {
                qWarning() << statements[i] << q.lastError().text();
                ok = false;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

bool TestServer::recreate(const QString& database, const QStringList& statements) const
{
    return run(QStringLiteral("postgres"),
               {"drop database if exists \"" + database + u'"', "create database \"" + database + u'"'}) &&
           run(database, statements);
}

bool TestServer::createPackage(int year, const QStringList& accountSet) const
{
    const QString data = QStringLiteral("001%1").arg(year);
    return recreate(QStringLiteral("ZqLumSys"),
                    {QStringLiteral("create table copys (copy_id varchar(10), copy_name varchar(50))"),
                     QStringLiteral("create table copyinfo (copy_id varchar(10), copy_year varchar(4), "
                                    "datafile varchar(50))"),
                     QStringLiteral("insert into copys values ('001', '演示科技有限公司')"),
                     QStringLiteral("insert into copyinfo values ('001', '%1', '%2'), ('001', '%3', '001%3')")
                         .arg(year)
                         .arg(data)
                         .arg(year + 1)}) &&
           run(QStringLiteral("postgres"),
               {"drop database if exists \"ZqLum001" + QString::number(year + 1) + u'"'}) &&
           recreate("ZqLum" + data, accountSet);
}

void TestServer::point(const QString& productFolder, AppSettings& settings, const QString& password) const
{
    QFile config(productFolder + QStringLiteral("/config.ini"));
    if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(config.fileName()));
    config.write(QStringLiteral("[server]\r\nServerName=%1\r\nuserid=%2\r\npassword=%3\r\n")
                     .arg(address(), user, password)
                     .toUtf8());
    settings.setValue(QStringLiteral("Finance"), QStringLiteral("ServerEngine"),
                      QStringLiteral("postgresql"));
}

} // namespace zq::test
