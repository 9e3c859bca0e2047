#include "WarningList.h"

#include "StringTableModel.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace zq::ui {

WarningList::WarningList(const Warnings& warnings, const QString& question, QWidget* parent)
    : QDialog(parent), m_warnings(warnings)
{
    setObjectName(QStringLiteral("frmWarnings"));
    setWindowTitle(title());
    auto* layout = new QVBoxLayout(this);
    auto* summary = new QLabel(
        QStringLiteral("发现%1条警告。警告不妨碍保存和生成上传文件，请核对后再上报。").arg(warnings.size()),
        this);
    summary->setObjectName(QStringLiteral("LblSummary"));
    summary->setWordWrap(true);
    layout->addWidget(summary);

    m_model = new StringTableModel(
        {QStringLiteral("行"), QStringLiteral("列"), QStringLiteral("问题"), QStringLiteral("应为")}, this);
    QList<QStringList> rows;
    rows.reserve(warnings.size());
    for (const Warning& w : warnings)
        rows.append({w.row >= 0 ? QString::number(w.row + 1) : QStringLiteral("表头"), w.columnName,
                     w.problem, w.expected});
    m_model->setRows(std::move(rows));
    m_model->setAlignment(0, Qt::AlignRight | Qt::AlignVCenter);

    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("VfgWarnings"));
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Long texts (a tax worked out, the table it comes from) wrap rather than end in dots.
    m_view->setWordWrap(true);
    m_view->verticalHeader()->hide();
    m_view->horizontalHeader()->setStretchLastSection(true);
    m_view->setColumnWidth(0, 50);
    m_view->setColumnWidth(1, 110);
    m_view->setColumnWidth(2, 400);
    connect(m_view->horizontalHeader(), &QHeaderView::sectionResized, m_view,
            &QTableView::resizeRowsToContents);
    layout->addWidget(m_view, 1);
    // A double-click and Enter on a row both activate it.
    connect(m_view, &QTableView::activated, this, [this](const QModelIndex& i) {
        if (i.isValid())
            emit warningActivated(i.row());
    });

    auto* buttons = new QDialogButtonBox(this);
    if (question.isEmpty()) {
        QPushButton* close = buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
        close->setObjectName(QStringLiteral("CmdClose"));
    } else {
        auto* ask = new QLabel(question, this);
        ask->setObjectName(QStringLiteral("LblQuestion"));
        layout->addWidget(ask);
        QPushButton* yes = buttons->addButton(QStringLiteral("是(&Y)"), QDialogButtonBox::YesRole);
        yes->setObjectName(QStringLiteral("CmdYes"));
        QPushButton* no = buttons->addButton(QStringLiteral("否(&N)"), QDialogButtonBox::NoRole);
        no->setObjectName(QStringLiteral("CmdNo"));
        no->setDefault(true);
        connect(yes, &QPushButton::clicked, this, &QDialog::accept);
        connect(no, &QPushButton::clicked, this, &QDialog::reject);
    }
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(920, 420);
}

bool WarningList::askGoOn(const QString& action, const Warnings& warnings, QWidget* parent)
{
    WarningList dialog(warnings, QStringLiteral("仍要%1吗？").arg(action), parent);
    return dialog.exec() == QDialog::Accepted;
}

WarningList* WarningList::showFor(QWidget* window, const Warnings& warnings,
                                  std::function<void(const Warning&)> goTo)
{
    if (auto* old = window->findChild<WarningList*>(QString(), Qt::FindDirectChildrenOnly))
        old->close();
    auto* list = new WarningList(warnings, QString(), window);
    list->setAttribute(Qt::WA_DeleteOnClose);
    list->setWindowFlag(Qt::Window);
    connect(list, &WarningList::warningActivated, window,
            [list, goTo = std::move(goTo)](int i) { goTo(list->warnings()[i]); });
    list->show();
    return list;
}

} // namespace zq::ui
