#include "FakeInstallation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <stdexcept>

namespace zq::test {
namespace {

QString regString(QString s)
{
    return u'"' + s.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\"")) + u'"';
}

// Runs statements on a new SQLite file.
void buildSqlite(const QString& path, const QStringList& statements)
{
    FakeInstallation::writeFile(path, {});
    const auto db = Database::openSqlite(path);
    for (const QString& s : statements)
        execOrFail(*db, s);
}

} // namespace

FakeInstallation::FakeInstallation()
{
    m_settings = std::make_unique<AppSettings>(m_root.filePath(QStringLiteral("settings.ini")));
    m_ctx = AppContext{&m_tax.db(), &m_prompter, m_settings.get(), m_root.path(), windowsFolder()};
    QDir().mkpath(windowsFolder() + QStringLiteral("/system32"));
    QDir().mkpath(productFolder());
    writeRegistry(productFolder(), dataFolder()); // both without a trailing separator
    writeConfig(QString());
    // copy_year without a type: it then compares equal only to a text, as the package's own column does.
    buildSqlite(systemDbPath(),
                {"create table copys (copy_id TEXT, copy_name TEXT)",
                 "create table copyinfo (copy_id TEXT, copy_year, datafile TEXT)",
                 "insert into copys values ('002', '乙公司'), ('001', '甲公司')",
                 "insert into copyinfo values ('001', '2005', '2005.mdb'), ('001', '2004', 'old.mdb'), "
                 "('002', '2006', '0022006.mdb')"});
    // Four salary items, two of them offered.
    buildSqlite(
        accountSetPath(),
        {"create table salary_items (sa_code TEXT, sa_item TEXT, item_index INTEGER, sa_table TEXT)",
         "insert into salary_items values ('YFGZ', '应发工资', 1, 'salary'), ('XH', '序号', 0, 'salary'), "
         "('BM', '部门', 2, 'employee'), ('Tax', '代扣税', 3, 'salary')"});
    execOrFail(m_tax.db(), QStringLiteral("insert into UnitInfo(UnitID,UnitName) values(1,'测试单位')"));
    setUnit(QStringLiteral("Olvenka 3.X"), QStringLiteral("001"), QStringLiteral("2005"));
}

void FakeInstallation::writeRegistry(const QString& productFolder, const QString& dataFolder)
{
    QString text = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Olvenka\\Lumina 3.0]\r\n");
    if (!productFolder.isNull())
        text += QStringLiteral("\"ProductFolder\"=") + regString(productFolder) + QStringLiteral("\r\n");
    if (!dataFolder.isNull())
        text += QStringLiteral("\"DATAfolder\"=") + regString(dataFolder) + QStringLiteral("\r\n");
    QStringEncoder enc(QStringEncoder::Utf16LE);
    writeFile(registryPath(), QByteArray("\xFF\xFE", 2) + QByteArray(enc.encode(text)));
}

void FakeInstallation::writeConfig(const QString& server, const QString& user, const QString& password)
{
    writeFile(productFolder() + QStringLiteral("/config.ini"),
              QStringLiteral("[server]\r\nServerName=%1\r\nuserid=%2\r\npassword=%3\r\n")
                  .arg(server, user, password)
                  .toUtf8());
}

void FakeInstallation::writeWdIni(const QString& dataDir, const QString& systemDb)
{
    writeFile(windowsFolder() + QStringLiteral("/system32/WD.ini"),
              QStringLiteral("[Options]\r\nDatadir=%1\r\nSystemDB=%2\r\n").arg(dataDir, systemDb).toUtf8());
}

void FakeInstallation::setUnit(const QVariant& edition, const QVariant& copyId, const QVariant& year)
{
    execOrFail(m_tax.db(),
               QStringLiteral("update UnitInfo set SoftVer=?, CopyId=?, copyyear=? where UnitID=1"),
               {edition, copyId, year});
}

void FakeInstallation::writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace zq::test
