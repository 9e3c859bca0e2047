#pragma once

#include <QString>

namespace zq::platform {

// The separator of the platform's file paths: "\" on Windows, "/" elsewhere.
QChar nativeSeparator();

// A folder as the finance package's files name it, ready for a file name to be appended: the separator is
// added unless the folder already ends with "\" or "/". An empty folder stays empty.
QString ensureTrailingSeparator(const QString& folder, QChar separator = nativeSeparator());

// The account set's data file beside the system database: the system database path less its last 10
// characters (the length of "system.mda", whatever the actual name), then the account set, the separator
// and the data file. D:\Data\system.mda + 001 + 2005.mdb gives D:\Data\001\2005.mdb.
QString accountSetFilePath(const QString& systemDbPath, const QString& copyId, const QString& dataFile,
                           QChar separator = nativeSeparator());

// The folder that stands in for Windows where there is none: it holds registry.reg and system32/.
// By default the "windows" folder inside the program's folder.
QString defaultWindowsFolder(const QString& programFolder);

// The Windows system folder. On Windows the real one; elsewhere "system32" inside the windows folder.
QString systemFolder(const QString& windowsFolder);

} // namespace zq::platform
