#pragma once

#include "core/AppContext.h"
#include "reports/EmployeeYear.h"
#include "reports/UnitYear.h"

#include <QDialog>

class QChart;
class QChartView;
class QSpinBox;
class QTableView;
class QLabel;

namespace zq {
class DeclarationDocument;
}

namespace zq::ui {

class StringTableModel;

// The print preview of a declaration as the paper form (landscape A4); printing to PDF is offered by the same
// dialog. Returns when the dialog is closed.
void previewDeclaration(QWidget* parent, const DeclarationDocument& doc);

// An employee's year: the twelve months' declared figures of one person, printable and as CSV.
class EmployeeYearDialog : public QDialog {
    Q_OBJECT
public:
    EmployeeYearDialog(const AppContext& ctx, qint64 unitId, const QString& empId, int year,
                       QWidget* parent = nullptr);

    QSpinBox* yearBox() const { return m_year; }
    StringTableModel* model() const { return m_model; }
    const std::optional<EmployeeYear>& figures() const { return m_figures; }
    void reload();
    void preview();
    void exportCsv();

private:
    AppContext m_ctx;
    qint64 m_unitId;
    QString m_empId;
    QSpinBox* m_year;
    QLabel* m_who;
    QTableView* m_table;
    StringTableModel* m_model;
    std::optional<EmployeeYear> m_figures;
};

// A unit's year at a glance: tax paid per month as bars, taxpayers as a line, the twelve months as a table.
// Months without a declaration are left out of the line and shown empty in the table.
class UnitYearDialog : public QDialog {
    Q_OBJECT
public:
    UnitYearDialog(const AppContext& ctx, qint64 unitId, const QString& unitName, int year,
                   QWidget* parent = nullptr);

    QSpinBox* yearBox() const { return m_year; }
    StringTableModel* model() const { return m_model; }
    QChart* chart() const;
    const UnitYear& figures() const { return m_figures; }
    void reload();

private:
    AppContext m_ctx;
    qint64 m_unitId;
    QString m_unitName;
    QSpinBox* m_year;
    QChartView* m_chartView;
    QTableView* m_table;
    StringTableModel* m_model;
    UnitYear m_figures;
};

} // namespace zq::ui
