#pragma once

#include <QString>
#include <memory>

class QSettings;

namespace zq {

// The per-user application settings: text values by section and key, kept under the executable's name.
// Reads return the stored text or the key's default.
class AppSettings {
public:
    AppSettings();                                // the user's settings of this program
    explicit AppSettings(const QString& iniFile); // a given file (tests, tools)
    ~AppSettings();

    QString value(const QString& section, const QString& key) const;
    // Stores the text at once; false when the settings file could not be written.
    bool setValue(const QString& section, const QString& key, const QString& text);

    // Typed access to the settings the program uses.
    QString taxThreshold() const { return value(QStringLiteral("Reg"), QStringLiteral("RegInfoT")); }
    bool setTaxThreshold(const QString& t)
    {
        return setValue(QStringLiteral("Reg"), QStringLiteral("RegInfoT"), t);
    }
    QString columnWidths() const { return value(QStringLiteral("Corvane"), QStringLiteral("TColWid")); }
    bool setColumnWidths(const QString& w)
    {
        return setValue(QStringLiteral("Corvane"), QStringLiteral("TColWid"), w);
    }
    QString financeServerEngine() const
    {
        return value(QStringLiteral("Finance"), QStringLiteral("ServerEngine"));
    }
    QString financeOdbcDriver() const
    {
        return value(QStringLiteral("Finance"), QStringLiteral("OdbcDriver"));
    }

    // How many daily copies a normal exit keeps in backup/ beside the database; 0 takes none.
    int backupKeep() const;
    void setBackupKeep(int n)
    {
        setValue(QStringLiteral("Backup"), QStringLiteral("Keep"), QString::number(n));
    }

    static QString defaultValue(const QString& section, const QString& key);
    QString fileName() const;
    // What a window says when a setting (what: "列宽") could not be written.
    QString notSavedText(const QString& what) const;

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace zq
