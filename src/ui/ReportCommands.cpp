// The report commands of the declaration list and the employee list.
#include "DeclarationList.h"
#include "EmployeeList.h"
#include "GridView.h"
#include "ReportWindows.h"
#include "StringTableModel.h"
#include "core/Database.h"
#include "core/Dates.h"
#include "core/Prompter.h"
#include "declarations/DeclarationStore.h"
#include "employees/EmployeeStore.h"

#include <QComboBox>
#include <QDate>

namespace zq::ui {

void DeclarationList::printCurrent()
{
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid()) {
        m_ctx.prompter->notice(QStringLiteral("请选择申报表！"));
        return;
    }
    const qint64 appId = m_model->text(current.row(), ColAppId).toLongLong();
    DeclarationDocument doc;
    try {
        if (!DeclarationStore(*m_ctx.db).loadStored(doc, appId)) {
            m_ctx.prompter->notice(QStringLiteral("找不到这张申报表（编号 %1），它可能已被删除。").arg(appId),
                                   Prompter::Icon::Exclamation);
            return;
        }
    } catch (const DatabaseError& e) {
        m_ctx.prompter->notice(Prompter::errorTitle(), e.description(), Prompter::Icon::Critical);
        return;
    }
    previewDeclaration(this, doc);
}

void DeclarationList::showUnitYear()
{
    const qint64 unit = selectedUnit();
    if (m_units->currentText().isEmpty() || unit == 0) {
        m_ctx.prompter->notice(QStringLiteral("请选择单位"));
        return;
    }
    // The year of the chosen declaration, else this year.
    int year = QDate::currentDate().year();
    const QModelIndex current = m_grid->currentIndex();
    if (current.isValid()) {
        const QDate month = Dates::parseMonth(m_model->text(current.row(), ColMonth));
        if (month.isValid())
            year = month.year();
    }
    auto* dialog = new UnitYearDialog(m_ctx, unit, m_units->currentText(), year, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

void EmployeeList::showStatement()
{
    const auto unit = selectedUnit();
    const QModelIndex current = m_grid->currentIndex();
    const QString empId = current.isValid() ? m_model->text(current.row(), EmpColId).trimmed() : QString();
    if (!unit || empId.isEmpty()) {
        m_ctx.prompter->notice(QStringLiteral("请选择职工！"));
        return;
    }
    // The year of the unit's latest declaration, else this year.
    int year = QDate::currentDate().year();
    try {
        const QDate latest = Dates::fromStored(
            m_ctx.db->scalar(QStringLiteral("select max(Month) from ApplT where UnitID = ?"),
                             {QVariant::fromValue<qlonglong>(*unit)}));
        if (latest.isValid())
            year = latest.year();
    } catch (const DatabaseError&) {
        // the dialog reports the database when it reads the year
    }
    auto* dialog = new EmployeeYearDialog(m_ctx, *unit, empId, year, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

} // namespace zq::ui
