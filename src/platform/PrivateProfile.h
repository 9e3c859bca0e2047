#pragma once

#include <QString>

namespace zq::platform {

// Reads a value of a Windows ini file by the rules of the Windows GetPrivateProfileString: section and key
// names are compared ignoring letter case and surrounding blanks, the first matching section and the first
// matching key in it win, blanks around the value and one pair of enclosing quotes are dropped, lines
// starting with ";" are comments. A missing file, section or key gives the default. The result is cut to what
// a buffer of bufferSize characters holds (bufferSize - 1 characters and the terminating zero).
QString readPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                                 const QString& fileName, int bufferSize = 255);

// The same rules on the text of an ini file.
QString privateProfileValue(const QString& iniText, const QString& section, const QString& key,
                            const QString& defaultValue, int bufferSize = 255);

} // namespace zq::platform
