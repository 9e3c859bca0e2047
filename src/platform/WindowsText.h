#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace zq::platform {

// A failure of a Windows facility's stand-in (a registry file that cannot be read or is no registry export):
// a number in the manner of the Windows system error codes and a description.
class PlatformError : public std::exception {
public:
    PlatformError(int number, QString description);
    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

    static constexpr int RegistryIoFailed = 1016; // the registry file could not be read
    static constexpr int RegistryCorrupt = 1009;  // the file is not a registry export

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};

// Text of a file written on Windows: UTF-16 (little or big endian) or UTF-8 by their byte-order marks,
// UTF-16LE without a mark when it plainly is, UTF-8 when it decodes cleanly, otherwise the ANSI code page
// of a Chinese system (GBK).
QString decodeWindowsText(const QByteArray& bytes);

} // namespace zq::platform
