#pragma once

#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/AppContext.h"
#include "core/AppSettings.h"

#include <QTemporaryDir>
#include <QVariant>

namespace zq::test {

// A payroll package installed in a temporary folder as the finance link finds it: registry.reg and
// system32/WD.ini in a windows folder, config.ini in the product folder, SQLite system and account-set
// databases in the data folder; and an own database with unit 1 linked to account set 001, year 2005.
class FakeInstallation {
public:
    FakeInstallation();

    AppContext& context() { return m_ctx; }
    ScriptedPrompter& prompter() { return m_prompter; }
    AppSettings& settings() { return *m_settings; }
    Database& taxDb() { return m_tax.db(); }

    QString windowsFolder() const { return m_root.path() + QStringLiteral("/windows"); }
    QString registryPath() const { return windowsFolder() + QStringLiteral("/registry.reg"); }
    QString productFolder() const { return m_root.path() + QStringLiteral("/Program Files/Olvenka"); }
    QString dataFolder() const { return m_root.path() + QStringLiteral("/财务 数据"); }
    QString systemDbPath() const { return dataFolder() + QStringLiteral("/system.mda"); }
    QString accountSetPath() const { return dataFolder() + QStringLiteral("/001/2005.mdb"); }

    // registry.reg with ProductFolder and DATAfolder below the 3.X key; a null value is left out.
    void writeRegistry(const QString& productFolder, const QString& dataFolder);
    void writeConfig(const QString& server, const QString& user = QString(),
                     const QString& password = QString());
    void writeWdIni(const QString& dataDir, const QString& systemDb);
    void setUnit(const QVariant& edition, const QVariant& copyId, const QVariant& year);
    static void writeFile(const QString& path, const QByteArray& bytes);

private:
    QTemporaryDir m_root;
    TempTaxDatabase m_tax;
    ScriptedPrompter m_prompter;
    std::unique_ptr<AppSettings> m_settings;
    AppContext m_ctx;
};

} // namespace zq::test
