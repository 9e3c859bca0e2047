#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

namespace zq::platform {

// The string values of a registry export in regedit's text format ("Windows Registry Editor Version 5.00" or
// "REGEDIT4"), below HKEY_LOCAL_MACHINE. Key paths and value names are looked up ignoring letter case; string
// values keep their \\ and \" escapes undone; values of other types are ignored.
class RegistryFile {
public:
    // Reads an export; throws PlatformError when the text does not start with a registry export header.
    static RegistryFile parse(const QString& text);
    // Reads the file; a missing file is an empty registry. Throws PlatformError when the file exists but
    // cannot be read or is not a registry export.
    static RegistryFile load(const QString& fileName);

    // A string value of a key below HKEY_LOCAL_MACHINE ("@" or an empty name is the key's default value).
    // The key is looked up as a 32-bit program sees it: SOFTWARE\X is found under SOFTWARE\WOW6432Node\X
    // first, as a 64-bit system's export lists it.
    std::optional<QString> value(const QString& keyPath, const QString& valueName) const;

private:
    QHash<QString, QHash<QString, QString>> m_keys; // lower-case key path -> lower-case name -> value
};

// The stand-in for the registry inside the windows folder.
QString registryFileName(const QString& windowsFolder);

// Reads a string value below HKEY_LOCAL_MACHINE, as a 32-bit program sees the registry. On Windows from the
// registry itself; elsewhere from windows/registry.reg in the given windows folder. False, with value
// emptied, when the key or the value does not exist or is not a string. Throws PlatformError when the
// registry file exists but cannot be read or is not a registry export.
bool ReadRegistryValue(const QString& windowsFolder, const QString& keyPath, const QString& valueName,
                       QString& value);

} // namespace zq::platform
