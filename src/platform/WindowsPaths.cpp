#include "WindowsPaths.h"

#include <QDir>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace zq::platform {

QChar nativeSeparator()
{
#ifdef Q_OS_WIN
    return u'\\';
#else
    return u'/';
#endif
}

QString ensureTrailingSeparator(const QString& folder, QChar separator)
{
    if (folder.isEmpty() || folder.endsWith(u'\\') || folder.endsWith(u'/'))
        return folder;
    return folder + separator;
}

QString accountSetFilePath(const QString& systemDbPath, const QString& copyId, const QString& dataFile,
                           QChar separator)
{
    return systemDbPath.left(qMax<qsizetype>(0, systemDbPath.size() - 10)) + copyId + separator + dataFile;
}

QString defaultWindowsFolder(const QString& programFolder)
{
    return ensureTrailingSeparator(programFolder, u'/') + QStringLiteral("windows");
}

QString systemFolder(const QString& windowsFolder)
{
#ifdef Q_OS_WIN
    Q_UNUSED(windowsFolder);
    wchar_t buffer[MAX_PATH + 1] = {};
    const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    if (n > 0 && n <= MAX_PATH)
        return QString::fromWCharArray(buffer, int(n));
    return QString();
#else
    return ensureTrailingSeparator(windowsFolder) + QStringLiteral("system32");
#endif
}

} // namespace zq::platform
