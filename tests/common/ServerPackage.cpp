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
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(host);
        db.setPort(port.toInt());
        db.setDatabaseName(database);
        ok = db.open(user, password);
        if (!ok)
            qWarning() << db.lastError().text();
        for (qsizetype i = 0; ok && i < statements.size(); ++i) {
            QSqlQuery q(db);
            ok = q.exec(statements[i]);
            if (!ok)
                qWarning() << statements[i] << q.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

bool TestServer::createPackage(int year, const QStringList& accountSet) const
{
    const QString data = QStringLiteral("001%1").arg(year), next = QString::number(year + 1);
    // Drops and creates a database, then runs statements in it.
    const auto recreate = [this](const QString& database, const QStringList& statements) {
        return run("postgres", {"drop database if exists \"" + database + u'"',
                                "create database \"" + database + u'"'}) &&
               run(database, statements);
    };
    return recreate(
               "ZqLumSys",
               {"create table copys (copy_id varchar(10), copy_name varchar(50))",
                "create table copyinfo (copy_id varchar(10), copy_year varchar(4), datafile varchar(50))",
                "insert into copys values ('001', '演示科技有限公司')",
                QStringLiteral("insert into copyinfo values ('001', '%1', '%2'), ('001', '%3', '001%3')")
                    .arg(QString::number(year), data, next)}) &&
           run("postgres", {"drop database if exists \"ZqLum001" + next + u'"'}) &&
           recreate("ZqLum" + data, accountSet);
}

void TestServer::point(const QString& productFolder, AppSettings& settings, const QString& password) const
{
    QFile config(productFolder + QStringLiteral("/config.ini"));
    if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(config.fileName()));
    config.write(QStringLiteral("[server]\r\nServerName=%1\r\nuserid=%2\r\npassword=%3\r\n")
                     .arg(host + u',' + port, user, password)
                     .toUtf8());
    settings.setValue(QStringLiteral("Finance"), QStringLiteral("ServerEngine"),
                      QStringLiteral("postgresql"));
}

} // namespace zq::test
