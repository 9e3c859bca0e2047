#include "AppSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <algorithm>

namespace zq {
namespace {

struct Default {
    const char* section;
    const char* key;
    const char* value;
};

// Every setting with its default, in one place.
constexpr Default kDefaults[] = {
    {"Reg", "RegInfoT", ""},
    {"Corvane", "TColWid", ""},
    {"Finance", "ServerEngine", "sqlserver"},
    {"Backup", "Keep", "30"},
#ifdef Q_OS_WIN
    {"Finance", "OdbcDriver", "SQL Server"},
#else
    {"Finance", "OdbcDriver", "FreeTDS"},
#endif
    {"Finance", "Jet3Charset", "GBK"},
};

QString applicationName()
{
    // The executable's file name without its extension, as the settings have always been kept.
    const QString exe = QCoreApplication::applicationFilePath();
    const QString base = QFileInfo(exe).completeBaseName();
    return base.isEmpty() ? QStringLiteral("zqsaltax") : base;
}

} // namespace

AppSettings::AppSettings()
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                             QStringLiteral("ZqSalTax"), applicationName()))
{
}

AppSettings::AppSettings(const QString& iniFile)
    : m_settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{
}

AppSettings::~AppSettings() = default;

QString AppSettings::defaultValue(const QString& section, const QString& key)
{
    for (const Default& d : kDefaults)
        if (section == QLatin1String(d.section) && key == QLatin1String(d.key))
            return QString::fromUtf8(d.value);
    return QString();
}

QString AppSettings::value(const QString& section, const QString& key) const
{
    const QString path = section + u'/' + key;
    if (!m_settings->contains(path))
        return defaultValue(section, key);
    return m_settings->value(path).toString();
}

bool AppSettings::setValue(const QString& section, const QString& key, const QString& text)
{
    m_settings->setValue(section + u'/' + key, text);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

int AppSettings::backupKeep() const
{
    bool ok = false;
    const int n = value(QStringLiteral("Backup"), QStringLiteral("Keep")).trimmed().toInt(&ok);
    if (!ok)
        return defaultValue(QStringLiteral("Backup"), QStringLiteral("Keep")).toInt();
    return std::max(n, 0);
}

QString AppSettings::fileName() const
{
    return m_settings->fileName();
}

QString AppSettings::notSavedText(const QString& what) const
{
    return QStringLiteral("%1没有保存：不能写入设置文件“%2”。")
        .arg(what, QDir::toNativeSeparators(fileName()));
}

} // namespace zq
