#include "FinanceLocator.h"

#include "FinanceConnection.h"
#include "core/Decimal.h"
#include "core/Prompter.h"
#include "platform/PrivateProfile.h"
#include "platform/Registry.h"
#include "platform/WindowsPaths.h"
#include "platform/WindowsText.h"
#include <QRegularExpression>

namespace zq::finance {
namespace {

// Run-time error numbers as the program has always shown them.
constexpr int NoCurrentRecord = 3021;
constexpr int Overflow = 6;

void showError(Prompter& prompter, const QString& title, int number, const QString& description)
{
    prompter.notice(title, errorTypeMessage(number, description), Prompter::Icon::None);
}

// A number rounded to a 16-bit integer the way the year has always been: half to even; out of range is the
// overflow error.
qint16 toYear(const QString& text)
{
    const Decimal d = Decimal::leading(text);
    QString digits = d.intDigits;
    while (digits.size() > 1 && digits.startsWith(u'0'))
        digits.remove(0, 1);
    if (digits.size() > 6)
        throw DatabaseError(Overflow, QStringLiteral("溢出"));
    qint64 n = digits.isEmpty() ? 0 : digits.toLongLong();
    const QString& f = d.fracDigits;
    if (!f.isEmpty()) {
        const QChar first = f[0];
        const bool rest = QStringView(f).mid(1).contains(QRegularExpression(QStringLiteral("[1-9]")));
        if (first > u'5' || (first == u'5' && (rest || n % 2 == 1)))
            ++n;
    }
    if (d.negative)
        n = -n;
    if (n < -32768 || n > 32767)
        throw DatabaseError(Overflow, QStringLiteral("溢出"));
    return qint16(n);
}

} // namespace

QString windowsFolderOf(const AppContext& ctx)
{
    return ctx.windowsFolder.isEmpty() ? platform::defaultWindowsFolder(ctx.programFolder)
                                       : ctx.windowsFolder;
}

bool GetUnitFinanceLink(const AppContext& ctx, qint64 unitId, FinanceLink& link)
{
    try {
        const Rows rows = ctx.db->select(QStringLiteral("select * from unitinfo where unitid=?"), {unitId});
        if (rows.isEmpty())
            throw DatabaseError(NoCurrentRecord, QStringLiteral("没有编号为 %1 的单位。").arg(unitId));
        const QVariant edition = rows.value(0, u"softver");
        const QVariant copyId = rows.value(0, u"copyid");
        const QVariant year = rows.value(0, u"copyyear");
        if (edition.isNull() || copyId.isNull() || year.isNull()) {
            link.edition.clear();
            ctx.prompter->notice(msg::incompleteLink());
            return false;
        }
        link.edition = edition.toString();
        link.copyId = copyId.toString();
        link.year = toYear(year.toString());
        if (link.year == 0 || link.edition.isEmpty() || link.copyId.isEmpty()) {
            link.edition.clear();
            ctx.prompter->notice(msg::incompleteLink());
            return false;
        }
        return true;
    } catch (const DatabaseError& e) {
        link.edition.clear();
        showError(*ctx.prompter, msg::linkErrorTitle(), e.number(), e.description());
        return false;
    }
}

bool GetVersionKey(const AppContext& ctx, const QString& edition, QString& versionKey)
{
    // Compared as the Access text comparison did: letter case and trailing blanks do not count.
    const Rows rows = ctx.db->select(
        QStringLiteral("select * from lumfver where rtrim(lumfver)=rtrim(?) collate nocase"), {edition});
    if (rows.isEmpty()) {
        ctx.prompter->notice(msg::unknownEdition());
        return false;
    }
    versionKey = rows.value(0, u"lumfkey").toString();
    return true;
}

bool GetSystemDbFromRegistry(const AppContext& ctx, const QString& versionKey, SystemDbLocation& location)
{
    using namespace platform;
    const QString windows = windowsFolderOf(ctx);
    try {
        QString productFolder;
        // An empty folder would send the reads below to whatever folder happens to be current.
        if (!ReadRegistryValue(windows, versionKey, QStringLiteral("ProductFolder"), productFolder) ||
            productFolder.isEmpty()) {
            ctx.prompter->notice(msg::unitEditorTitle(), msg::noProductFolder(), Prompter::Icon::None);
            return false;
        }
        const QString config = ensureTrailingSeparator(productFolder) + QStringLiteral("config.ini");
        const QString section = QStringLiteral("server");
        location.server = readPrivateProfileString(section, QStringLiteral("ServerName"), QString(), config);
        location.user.clear();
        location.password.clear();
        if (!location.server.isEmpty()) {
            location.user = readPrivateProfileString(section, QStringLiteral("userid"), QString(), config);
            location.password =
                readPrivateProfileString(section, QStringLiteral("password"), QString(), config);
        }
        QString dataFolder;
        if (!ReadRegistryValue(windows, versionKey, QStringLiteral("DATAfolder"), dataFolder) ||
            dataFolder.isEmpty()) {
            ctx.prompter->notice(msg::unitEditorTitle(), msg::noDataFolder(), Prompter::Icon::None);
            return false;
        }
        location.systemDb = location.server.isEmpty()
                                ? ensureTrailingSeparator(dataFolder) + QStringLiteral("system.mda")
                                : QStringLiteral("ZqLumSys");
        return true;
    } catch (const PlatformError& e) {
        showError(*ctx.prompter, msg::versionErrorTitle(), e.number(), e.description());
        return false;
    }
}

bool GetSystemDbFromIni(const AppContext& ctx, SystemDbLocation& location)
{
    using namespace platform;
    const QString options =
        ensureTrailingSeparator(systemFolder(windowsFolderOf(ctx))) + QStringLiteral("WD.ini");
    const QString section = QStringLiteral("Options");
    const QString dataDir = readPrivateProfileString(section, QStringLiteral("Datadir"), QString(), options);
    if (dataDir.size() < 1) {
        ctx.prompter->notice(msg::noDatadir());
        return false;
    }
    const QString systemDbName =
        readPrivateProfileString(section, QStringLiteral("SystemDB"), QString(), options);
    location.systemDb = ensureTrailingSeparator(dataDir) + systemDbName;
    location.server.clear();
    location.user.clear();
    location.password.clear();
    return true;
}

bool GetCopyDataFile(Prompter& prompter, const Database& systemDb, const QString& copyId, qint16 year,
                     QString& dataFile)
{
    const Rows rows =
        systemDb.select(QStringLiteral("select datafile from copyinfo where copy_id=? and copy_year=?"),
                        {copyId, QString::number(year)});
    if (rows.isEmpty()) {
        prompter.notice(msg::unknownAccountSet());
        return false;
    }
    dataFile = rows.value(0, u"datafile").toString();
    return true;
}

QString AccountSetDatabase(const SystemDbLocation& location, const QString& copyId, const QString& dataFile)
{
    if (!location.server.isEmpty())
        return QStringLiteral("ZqLum") + dataFile;
    return platform::accountSetFilePath(location.systemDb, copyId, dataFile);
}

std::unique_ptr<Database> GetFinanceConnection(const AppContext& ctx, qint64 unitId, QString* edition)
{
    FinanceLink link;
    const bool linked = GetUnitFinanceLink(ctx, unitId, link);
    if (edition)
        *edition = link.edition;
    if (!linked)
        return nullptr;
    try {
        SystemDbLocation location;
        if (link.edition == iniEdition()) {
            if (!GetSystemDbFromIni(ctx, location))
                return nullptr;
        } else {
            QString versionKey;
            if (!GetVersionKey(ctx, link.edition, versionKey))
                return nullptr;
            if (!GetSystemDbFromRegistry(ctx, versionKey, location))
                return nullptr;
        }
        QString dataFile;
        {
            // The system database is needed only until the data file is known.
            const auto systemDb = OpenFinanceConnection(location.systemDb, location.server, location.user,
                                                        location.password, ctx.settings);
            if (!GetCopyDataFile(*ctx.prompter, *systemDb, link.copyId, link.year, dataFile))
                return nullptr;
        }
        return OpenFinanceConnection(AccountSetDatabase(location, link.copyId, dataFile), location.server,
                                     location.user, location.password, ctx.settings);
    } catch (const DatabaseError& e) {
        showError(*ctx.prompter, msg::connectionErrorTitle(), e.number(), e.description());
        return nullptr;
    }
}

} // namespace zq::finance
