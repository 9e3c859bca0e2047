#include "ReportWindows.h"

#include "ColumnFit.h"
#include "StringTableModel.h"
#include "core/DatabaseError.h"
#include "core/Prompter.h"
#include "declarations/DeclarationDocument.h"
#include "reports/DeclarationForm.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScatterSeries>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>

namespace zq::ui {
namespace {

// Pages the printer was asked for: all, or the range chosen in the print dialog.
void printRange(const QPrinter& printer, int* from, int* to)
{
    *from = 1;
    *to = 0;
    if (printer.printRange() == QPrinter::PageRange) {
        *from = printer.fromPage();
        *to = printer.toPage();
    }
}

// Centres the "本月无申报" that stands across a month's figures.
class MarkCentred : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::TextAlignmentRole &&
            QIdentityProxyModel::data(index, Qt::DisplayRole).toString() == EmployeeYear::noRowsText())
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        return QIdentityProxyModel::data(index, role);
    }
};

QSpinBox* yearSpin(int year, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QStringLiteral("year"));
    box->setRange(1990, 2100);
    box->setValue(year);
    box->setSuffix(QStringLiteral(" 年"));
    return box;
}

} // namespace

void previewDeclaration(QWidget* parent, const DeclarationDocument& doc)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(DeclarationForm::defaultPageLayout());
    printer.setDocName(QStringLiteral("代扣代缴个人所得税明细申报表"));
    DeclarationForm form(doc);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("printPreview"));
    dialog.setWindowTitle(QStringLiteral("打印预览"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&form](QPrinter* p) {
        int from = 1;
        int to = 0;
        printRange(*p, &from, &to);
        form.print(*p, from, to);
    });
    dialog.resize(1000, 720);
    dialog.exec();
}

EmployeeYearDialog::EmployeeYearDialog(const AppContext& ctx, qint64 unitId, const QString& empId, int year,
                                       QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_unitId(unitId), m_empId(empId)
{
    setObjectName(QStringLiteral("employeeYear"));
    setWindowTitle(QStringLiteral("职工年度扣税明细"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    m_year = yearSpin(year, this);
    m_who = new QLabel(this);
    top->addWidget(new QLabel(QStringLiteral("年度："), this));
    top->addWidget(m_year);
    top->addSpacing(20);
    top->addWidget(m_who, 1);
    layout->addLayout(top);
    m_model = new StringTableModel(EmployeeYear::columnTitles(), this);
    for (int c = 1; c < 7; ++c)
        m_model->setAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    m_table = new QTableView(this);
    auto* centred = new MarkCentred(this);
    centred->setSourceModel(m_model);
    m_table->setModel(centred);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    layout->addWidget(m_table, 1);
    auto* buttons = new QDialogButtonBox(this);
    auto* print = buttons->addButton(QStringLiteral("打印"), QDialogButtonBox::ActionRole);
    print->setObjectName(QStringLiteral("print"));
    auto* csv = buttons->addButton(QStringLiteral("导出CSV"), QDialogButtonBox::ActionRole);
    csv->setObjectName(QStringLiteral("csv"));
    buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(print, &QPushButton::clicked, this, &EmployeeYearDialog::preview);
    connect(csv, &QPushButton::clicked, this, &EmployeeYearDialog::exportCsv);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_year, &QSpinBox::valueChanged, this, &EmployeeYearDialog::reload);
    resize(820, 520);
    reload();
}

void EmployeeYearDialog::reload()
{
    QString problem;
    try {
        m_figures = EmployeeYear::load(*m_ctx.db, m_unitId, m_empId, m_year->value(), &problem);
    } catch (const DatabaseError& e) {
        m_figures.reset();
        problem = e.description();
    }
    QList<QStringList> rows;
    if (!m_figures) {
        m_who->setText(problem);
        m_model->setRows(rows);
        m_table->clearSpans();
        return;
    }
    const EmployeeYear& y = *m_figures;
    m_who->setText(QStringLiteral("%1　%2　身份证件号码：%3").arg(y.empId, y.name, y.idCard));
    const auto line = [](const QString& first, const PersonMonth& m) {
        return QStringList{first} + m.texts(u"#,##0.00");
    };
    for (int m = 0; m < 12; ++m) {
        const QString month = EmployeeYear::monthText(y.year, m + 1);
        rows << (y.months[m] ? line(month, *y.months[m]) : QStringList{month, EmployeeYear::noRowsText()});
    }
    rows << line(QStringLiteral("合计"), y.total());
    m_model->setRows(rows);
    m_table->clearSpans();
    for (int m = 0; m < 12; ++m)
        if (!y.months[m])
            m_table->setSpan(m, 1, 1, 6);
}

void EmployeeYearDialog::preview()
{
    if (!m_figures)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    QPrintPreviewDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("打印预览"));
    const EmployeeYear& y = *m_figures;
    connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&y](QPrinter* p) {
        QPainter painter(p);
        painter.scale(p->logicalDpiX() / 254.0, p->logicalDpiY() / 254.0);
        y.paint(painter, p->pageLayout().paintRect(QPageLayout::Millimeter).size() * 10);
    });
    dialog.exec();
}

void EmployeeYearDialog::exportCsv()
{
    if (!m_figures)
        return;
    const QString proposed = QStringLiteral("%1_%2.csv")
                                 .arg(m_figures->name.isEmpty() ? m_empId : m_figures->name)
                                 .arg(m_figures->year);
    const auto path =
        m_ctx.prompter->saveFileName(QStringLiteral("导出CSV"), proposed, QStringLiteral("CSV文件 (*.csv)"));
    if (!path || path->isEmpty())
        return;
    QString target = *path;
    if (!target.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        target += QStringLiteral(".csv");
    if (const auto problem = m_figures->writeFile(target))
        m_ctx.prompter->notice(*problem, Prompter::Icon::Critical);
    else
        m_ctx.prompter->notice(QStringLiteral("导出成功！"));
}

UnitYearDialog::UnitYearDialog(const AppContext& ctx, qint64 unitId, const QString& unitName, int year,
                               QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_unitId(unitId), m_unitName(unitName)
{
    setObjectName(QStringLiteral("unitYear"));
    setWindowTitle(QStringLiteral("年度汇总 - %1").arg(unitName));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    m_year = yearSpin(year, this);
    top->addWidget(new QLabel(QStringLiteral("年度："), this));
    top->addWidget(m_year);
    top->addStretch(1);
    layout->addLayout(top);
    auto* split = new QSplitter(Qt::Horizontal, this);
    m_chartView = new QChartView(new QChart, split);
    m_chartView->setRenderHint(QPainter::Antialiasing);
    m_chartView->setMinimumWidth(480);
    m_model = new StringTableModel({QStringLiteral("月份"), QStringLiteral("申报表"),
                                    QStringLiteral("实缴税额"), QStringLiteral("纳税人数")},
                                   this);
    for (int c = 1; c < 4; ++c)
        m_model->setAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    m_table = new QTableView(split);
    m_table->setModel(m_model);
    m_table->verticalHeader()->hide();
    // Every amount whole: the columns take the width their texts need, and the table never less than that.
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    split->addWidget(m_chartView);
    split->addWidget(m_table);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_year, &QSpinBox::valueChanged, this, &UnitYearDialog::reload);
    resize(1000, 540);
    reload();
}

QChart* UnitYearDialog::chart() const
{
    return m_chartView->chart();
}

void UnitYearDialog::reload()
{
    try {
        m_figures = UnitYear::load(*m_ctx.db, m_unitId, m_year->value());
    } catch (const DatabaseError& e) {
        m_figures = UnitYear();
        m_ctx.prompter->notice(e.description(), Prompter::Icon::Critical);
    }
    const UnitYear& y = m_figures;

    QList<QStringList> rows;
    for (int m = 0; m < 12; ++m) {
        const QString month = QStringLiteral("%1月").arg(m + 1);
        if (!y.months[m])
            rows << QStringList{month, QStringLiteral("无申报")};
        else
            rows << QStringList{month, QString::number(y.months[m]->declarations),
                                y.months[m]->paid.format(u"#,##0.00"),
                                QString::number(y.months[m]->taxpayers)};
    }
    rows << QStringList{QStringLiteral("全年"), QString::number(y.declaredMonths()) + QStringLiteral("个月"),
                        y.totalPaid().format(u"#,##0.00"), QString()};
    m_model->setRows(rows);
    m_table->resizeColumnsToContents();
    m_table->setMinimumWidth(fullWidth(m_table));

    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("%1 %2年 实缴税额与纳税人数").arg(m_unitName).arg(y.year));
    QStringList categories;
    for (int m = 1; m <= 12; ++m)
        categories << QString::number(m);
    auto* axisX = new QBarCategoryAxis;
    axisX->append(categories);
    axisX->setTitleText(QStringLiteral("月份"));
    auto* axisTax = new QValueAxis;
    axisTax->setTitleText(QStringLiteral("实缴税额（元）"));
    axisTax->setLabelFormat(QStringLiteral("%.0f"));
    auto* axisPeople = new QValueAxis;
    axisPeople->setTitleText(QStringLiteral("纳税人数"));
    axisPeople->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(axisX, Qt::AlignBottom);
    chart->addAxis(axisTax, Qt::AlignLeft);
    chart->addAxis(axisPeople, Qt::AlignRight);

    // A bar set has a value for every category; a month without a declaration gets no bar at all (0 height),
    // and the table says "无申报" for it.
    auto* bars = new QBarSeries;
    bars->setObjectName(QStringLiteral("paid"));
    auto* paid = new QBarSet(QStringLiteral("实缴税额"));
    double maxPaid = 0;
    int maxPeople = 0;
    for (int m = 0; m < 12; ++m) {
        const double v = y.months[m] ? double(y.months[m]->paid.raw()) / Money::Scale : 0.0;
        paid->append(v);
        maxPaid = std::max(maxPaid, v);
        if (y.months[m])
            maxPeople = std::max(maxPeople, y.months[m]->taxpayers);
    }
    bars->append(paid);
    chart->addSeries(bars);
    bars->attachAxis(axisX);
    bars->attachAxis(axisTax);

    // The line of taxpayers breaks where a month has no declaration: one series per run of declared months,
    // each point also marked, so a lone month shows as a dot.
    auto* points = new QScatterSeries;
    points->setObjectName(QStringLiteral("taxpayerPoints"));
    points->setName(QStringLiteral("纳税人数"));
    points->setMarkerSize(8);
    QLineSeries* run = nullptr;
    int runs = 0;
    // The category axis puts month m at m - 1 on a hidden value axis below the bars.
    auto* axisRun = new QValueAxis;
    axisRun->setRange(-0.5, 11.5);
    axisRun->setVisible(false);
    chart->addAxis(axisRun, Qt::AlignBottom);
    const auto attach = [&](QAbstractSeries* s) {
        chart->addSeries(s);
        s->attachAxis(axisRun);
        s->attachAxis(axisPeople);
    };
    attach(points);
    for (int m = 0; m < 12; ++m) {
        if (!y.months[m]) {
            run = nullptr;
            continue;
        }
        if (!run) {
            run = new QLineSeries;
            run->setObjectName(QStringLiteral("taxpayers%1").arg(++runs));
            run->setColor(points->color());
            attach(run);
        }
        run->append(m, y.months[m]->taxpayers);
        points->append(m, y.months[m]->taxpayers);
    }
    axisTax->setRange(0, maxPaid > 0 ? maxPaid * 1.1 : 1);
    axisTax->applyNiceNumbers();
    axisPeople->setRange(0, std::max(1, maxPeople + 1));
    axisPeople->applyNiceNumbers();
    // The line segments share the legend entry of the points.
    for (QLegendMarker* marker : chart->legend()->markers())
        if (qobject_cast<QLineSeries*>(marker->series()))
            marker->setVisible(false);
    chart->legend()->setAlignment(Qt::AlignBottom);

    QChart* old = m_chartView->chart();
    m_chartView->setChart(chart);
    delete old;
}

} // namespace zq::ui
