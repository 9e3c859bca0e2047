#include "PrivateProfile.h"

#include "WindowsText.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace zq::platform {
namespace {

QString cut(QString value, int bufferSize)
{
    const qsizetype room = qMax(0, bufferSize - 1);
    if (value.size() > room)
        value.truncate(room);
    return value;
}

} // namespace

QString privateProfileValue(const QString& iniText, const QString& section, const QString& key,
                            const QString& defaultValue, int bufferSize)
{
    const QString wantedSection = section.trimmed();
    const QString wantedKey = key.trimmed();
    bool inSection = false;
    bool sectionSeen = false;
    for (QStringView line : QStringView(iniText).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            if (sectionSeen && inSection)
                break; // only the first section of that name counts
            qsizetype close = line.indexOf(u']');
            const QStringView name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            inSection = name.compare(wantedSection, Qt::CaseInsensitive) == 0;
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        if (line.left(eq).trimmed().compare(wantedKey, Qt::CaseInsensitive) != 0)
            continue;
        QStringView value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
            value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        return cut(value.toString(), bufferSize);
    }
    return cut(defaultValue, bufferSize);
}

QString readPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                                 const QString& fileName, int bufferSize)
{
    QFile file(fileName);
    if (QFileInfo(fileName).isDir() || !file.open(QIODevice::ReadOnly))
        return cut(defaultValue, bufferSize);
    return privateProfileValue(decodeWindowsText(file.readAll()), section, key, defaultValue, bufferSize);
}

} // namespace zq::platform
