#include "Registry.h"

#include "WindowsPaths.h"
#include "WindowsText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace zq::platform {
namespace {

// "HKEY_LOCAL_MACHINE\Software\X\" -> "software\x"; empty when the key lies below another root.
QString machineKey(QString path)
{
    path = path.trimmed();
    for (const QLatin1String root : {QLatin1String("HKEY_LOCAL_MACHINE"), QLatin1String("HKLM")}) {
        if (path.compare(root, Qt::CaseInsensitive) == 0)
            return QString();
        if (path.startsWith(root + QLatin1Char('\\'), Qt::CaseInsensitive)) {
            path = path.mid(root.size() + 1);
            return QStringLiteral("\\") + path; // marks a machine key, stripped below
        }
    }
    return QString();
}

QString normalisedKey(const QString& relativePath)
{
    QString key = relativePath.toLower();
    while (key.startsWith(u'\\'))
        key.remove(0, 1);
    while (key.endsWith(u'\\'))
        key.chop(1);
    return key;
}

// Reads a quoted text starting at text[pos] == '"', undoing \\ and \"; pos ends after the closing quote.
std::optional<QString> quoted(QStringView text, qsizetype& pos)
{
    QString out;
    for (qsizetype i = pos + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size()) {
            const QChar next = text[i + 1];
            if (next == u'\\' || next == u'"') {
                out += next;
                ++i;
                continue;
            }
            out += c;
        } else if (c == u'"') {
            pos = i + 1;
            return out;
        } else {
            out += c;
        }
    }
    return std::nullopt; // not closed
}

// A value line whose value is hex bytes ("name"=hex:..., @=hex(2):...): the only lines that go on.
bool startsHexValue(const QString& line)
{
    static const QRegularExpression hex(
        QStringLiteral(R"(^(@|"(?:[^"\\]|\\.)*")\s*=\s*hex(\([0-9a-f]+\))?:)"),
        QRegularExpression::CaseInsensitiveOption);
    return hex.match(line).hasMatch();
}

QStringList logicalLines(const QString& text)
{
    QStringList lines;
    QString pending;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        // Hex values go on over several lines, each but the last ending in a backslash; a comment or a text
        // value that ends in a backslash does not take the next line.
        const QString trimmed = line.trimmed();
        if (trimmed.endsWith(u'\\') && (!pending.isEmpty() || startsHexValue(trimmed))) {
            pending += trimmed.chopped(1);
            continue;
        }
        lines << (pending.isEmpty() ? line : pending + trimmed);
        pending.clear();
    }
    if (!pending.isEmpty())
        lines << pending;
    return lines;
}

} // namespace

RegistryFile RegistryFile::parse(const QString& text)
{
    RegistryFile reg;
    const QStringList lines = logicalLines(text);
    qsizetype i = 0;
    while (i < lines.size() && lines[i].trimmed().isEmpty())
        ++i;
    const QString header = i < lines.size() ? lines[i].trimmed() : QString();
    if (header.compare(QLatin1String("REGEDIT4"), Qt::CaseInsensitive) != 0 &&
        header.compare(QLatin1String("Windows Registry Editor Version 5.00"), Qt::CaseInsensitive) != 0)
        throw PlatformError(PlatformError::RegistryCorrupt,
                            QStringLiteral("注册表文件的第一行应为“Windows Registry Editor Version 5.00”或"
                                           "“REGEDIT4”。"));
    QHash<QString, QString>* current = nullptr;
    for (++i; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            current = nullptr;
            const qsizetype close = line.lastIndexOf(u']');
            QString path = line.mid(1, close > 0 ? close - 1 : -1);
            const bool remove = path.startsWith(u'-');
            if (remove)
                path.remove(0, 1);
            const QString machine = machineKey(path);
            if (machine.isEmpty())
                continue; // another root, or a root itself
            const QString key = normalisedKey(machine);
            if (remove) {
                const QString below = key + u'\\';
                for (auto it = reg.m_keys.begin(); it != reg.m_keys.end();)
                    it = (it.key() == key || it.key().startsWith(below)) ? reg.m_keys.erase(it)
                                                                         : std::next(it);
                continue;
            }
            current = &reg.m_keys[key];
            continue;
        }
        if (!current)
            continue;
        qsizetype pos = 0;
        QString name;
        if (line.startsWith(u'@')) {
            pos = 1;
        } else if (line.startsWith(u'"')) {
            const auto n = quoted(line, pos);
            if (!n)
                continue; // a broken line is skipped, as regedit does
            name = *n;
        } else {
            continue;
        }
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
        if (pos >= line.size() || line[pos] != u'=')
            continue;
        ++pos;
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
        const QString lowerName = name.toLower();
        if (pos < line.size() && line[pos] == u'"') {
            const auto v = quoted(line, pos);
            if (v)
                current->insert(lowerName, *v);
        } else {
            // "-" deletes the value; dword:, hex: and the like are values of other types, which replace a
            // string of the same name just as well.
            current->remove(lowerName);
        }
    }
    return reg;
}

RegistryFile RegistryFile::load(const QString& fileName)
{
    const QFileInfo fi(fileName);
    if (!fi.exists() && !fi.isSymLink())
        return RegistryFile();
    QFile file(fileName);
    if (fi.isDir() || !file.open(QIODevice::ReadOnly))
        throw PlatformError(
            PlatformError::RegistryIoFailed,
            QStringLiteral("无法读取注册表文件“%1”。").arg(QDir::toNativeSeparators(fileName)));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw PlatformError(PlatformError::RegistryIoFailed,
                            QStringLiteral("无法读取注册表文件“%1”：%2")
                                .arg(QDir::toNativeSeparators(fileName), file.errorString()));
    try {
        return parse(decodeWindowsText(bytes));
    } catch (const PlatformError& e) {
        throw PlatformError(e.number(), QStringLiteral("“%1”不是注册表导出文件：%2")
                                            .arg(QDir::toNativeSeparators(fileName), e.description()));
    }
}

std::optional<QString> RegistryFile::value(const QString& keyPath, const QString& valueName) const
{
    QString key = normalisedKey(keyPath);
    const QString lowerName = valueName == QLatin1String("@") ? QString() : valueName.toLower();
    QStringList candidates;
    static const QString software = QStringLiteral("software\\");
    static const QString wow = QStringLiteral("software\\wow6432node\\");
    if (key.startsWith(software) && !key.startsWith(wow))
        candidates << wow + key.mid(software.size());
    candidates << key;
    for (const QString& k : candidates) {
        const auto it = m_keys.constFind(k);
        if (it == m_keys.cend())
            continue;
        // A 32-bit program sees only the redirected key once it exists.
        const auto v = it->constFind(lowerName);
        if (v == it->cend())
            return std::nullopt;
        return *v;
    }
    return std::nullopt;
}

QString registryFileName(const QString& windowsFolder)
{
    return ensureTrailingSeparator(windowsFolder) + QStringLiteral("registry.reg");
}

bool ReadRegistryValue(const QString& windowsFolder, const QString& keyPath, const QString& valueName,
                       QString& value)
{
    value.clear();
#ifdef Q_OS_WIN
    Q_UNUSED(windowsFolder);
    HKEY key = nullptr;
    const std::wstring path = keyPath.toStdWString();
    // Read rights are all this needs; the 32-bit view is where a 32-bit package keeps its key.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS)
        return false;
    const std::wstring name = valueName.toStdWString();
    DWORD type = 0;
    DWORD bytes = 0;
    bool ok = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
              (type == REG_SZ || type == REG_EXPAND_SZ);
    if (ok) {
        std::wstring buffer(bytes / sizeof(wchar_t) + 1, L'\0');
        ok = RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(buffer.data()),
                              &bytes) == ERROR_SUCCESS;
        if (ok) {
            buffer.resize(bytes / sizeof(wchar_t));
            while (!buffer.empty() && buffer.back() == L'\0')
                buffer.pop_back(); // the stored terminating zero
            value = QString::fromStdWString(buffer);
        }
    }
    RegCloseKey(key);
    return ok;
#else
    const auto v = RegistryFile::load(registryFileName(windowsFolder)).value(keyPath, valueName);
    if (!v)
        return false;
    value = *v;
    return true;
#endif
}

} // namespace zq::platform
