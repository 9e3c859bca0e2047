#pragma once

#include "core/AppContext.h"
#include "core/Database.h"

#include <QString>
#include <memory>

// How the database of a unit's linked account set and year is found and opened. Each function that fails
// has shown exactly one message through the context's Prompter; callers show nothing more.
namespace zq::finance {

// The edition whose package keeps the system database's location in WD.ini of the system folder.
inline QString iniEdition()
{
    return QStringLiteral("Olvenka 2.X");
}

// A unit's link to the finance package (UnitInfo.SoftVer, CopyId, copyyear).
struct FinanceLink {
    QString edition;
    QString copyId;
    qint16 year = 0;
};

// The four texts that decide a finance connection: the system database (a file path, or a database name on a
// server), the server (empty for files), and the user and password (empty for files).
struct SystemDbLocation {
    QString systemDb;
    QString server;
    QString user;
    QString password;
};

// The windows folder of the context: its own, or "windows" in the program's folder.
QString windowsFolderOf(const AppContext& ctx);

// The whole resolution: the unit's link, where the package keeps its system database, the account set's data
// file for the year, and a connection on that data. Null after exactly one message. edition (when given)
// receives the unit's edition, or is emptied when the link cannot be read.
std::unique_ptr<Database> GetFinanceConnection(const AppContext& ctx, qint64 unitId,
                                               QString* edition = nullptr);

// Reads the unit's link. False after "请先设置您使用的财务软件的版本、账套、年度！" when the link is not
// complete (the year 0 included), or after an error message titled "读取版本、账套信息出错"; link.edition is
// emptied.
bool GetUnitFinanceLink(const AppContext& ctx, qint64 unitId, FinanceLink& link);

// The registry key (lumfkey) of an edition. False after "您设置的（财务软件的）版本信息不正确。" when the
// edition is not listed. Throws DatabaseError when the own database cannot be read (the caller reports it).
bool GetVersionKey(const AppContext& ctx, const QString& edition, QString& versionKey);

// For every edition but "Olvenka 2.X": ProductFolder and DATAfolder of the registry key, ServerName (and
// userid, password when a server is named) of config.ini in ProductFolder. False after its message.
bool GetSystemDbFromRegistry(const AppContext& ctx, const QString& versionKey, SystemDbLocation& location);

// For the edition "Olvenka 2.X": Datadir and SystemDB of WD.ini in the system folder; server, user and
// password are emptied. False after its message.
bool GetSystemDbFromIni(const AppContext& ctx, SystemDbLocation& location);

// The data file (copyinfo.datafile) of an account set and year, the year compared as text. False after
// "您设置的账套不正确，不能读出文件位置。" when copyinfo does not list them. Throws DatabaseError when the
// query fails.
bool GetCopyDataFile(Prompter& prompter, const Database& systemDb, const QString& copyId, qint16 year,
                     QString& dataFile);

// The account set's database for a data file: "ZqLum" + data file on a server; otherwise the file beside the
// system database (system database path less its last 10 characters, account set, separator, data file).
QString AccountSetDatabase(const SystemDbLocation& location, const QString& copyId, const QString& dataFile);

// The messages and titles of the resolution, as the user sees them.
namespace msg {
inline QString incompleteLink()
{
    return QStringLiteral("请先设置您使用的财务软件的版本、账套、年度！");
}
inline QString linkErrorTitle()
{
    return QStringLiteral("读取版本、账套信息出错");
}
inline QString unknownEdition()
{
    return QStringLiteral("您设置的（财务软件的）版本信息不正确。");
}
inline QString noProductFolder()
{
    return QStringLiteral("无法读出财务软件配置文件位置。");
}
inline QString noDataFolder()
{
    return QStringLiteral("无法读出系统数据库文件夹位置。");
}
inline QString unitEditorTitle()
{
    return QStringLiteral("单位信息维护");
}
inline QString noDatadir()
{
    return QStringLiteral("读取配置信息错误。");
}
inline QString versionErrorTitle()
{
    return QStringLiteral("读取版本信息出错");
}
inline QString unknownAccountSet()
{
    return QStringLiteral("您设置的账套不正确，不能读出文件位置。");
}
inline QString connectionErrorTitle()
{
    return QStringLiteral("建立账务连接出错");
}
} // namespace msg

} // namespace zq::finance
