#pragma once

#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "core/AppContext.h"
#include "core/AppSettings.h"
#include "ui/UnitEditor.h"
#include "ui/UnitList.h"

#include <QTemporaryDir>
#include <memory>

namespace zq::test {

// An own database beside the demo payroll package, with more in the package's system database: account set
// 001 has a second year, 2011, whose data offers other salary items ("JJBT:津贴" before "JJ:奖金"), and
// account set 003 has no year at all.
struct UnitFixture {
    TempTaxDatabase tax;
    QTemporaryDir root;
    std::unique_ptr<AppSettings> settings;
    ScriptedPrompter prompter;
    AppContext ctx;

    UnitFixture();
    QString windowsFolder() const;
    QString dataFolder() const;
    QString accountSetFile(const QString& copyId, const QString& dataFile) const;
    // Adds a unit row straight to the own database.
    void addUnit(qint64 id, const QString& name, const QString& code = QStringLiteral("123456"),
                 const QStringList& link = {});
    qint64 unitCount();
    QVariant unitValue(qint64 id, const QString& column);
};

// The unit list over the own database and an editor prepared on one of its grid rows (0: a new unit).
struct UnitWindows {
    ui::UnitList list;
    ui::UnitEditor ed;
    UnitWindows(UnitFixture& f, int row);
};

} // namespace zq::test
