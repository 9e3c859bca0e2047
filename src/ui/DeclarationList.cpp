#include "DeclarationList.h"

#include "ColumnFit.h"
#include "DeclarationEditor.h"
#include "GridView.h"
#include "StringTableModel.h"
#include "WindowHost.h"
#include "core/Database.h"
#include "core/Dates.h"
#include "core/Money.h"
#include "core/Prompter.h"
#include "core/TextHelpers.h"
#include "declarations/UploadExport.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace zq::ui {

bool closeHostedWindow(QWidget* window)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
        return sub->close();
    return window->close();
}

DeclarationList::DeclarationList(const AppContext& ctx, WindowHost* host, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_host(host)
{
    setObjectName(QStringLiteral("frmTb"));
    setWindowTitle(QStringLiteral("填报记录"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("单位："), this);
    label->setObjectName(QStringLiteral("Label1"));
    m_units = new QComboBox(this);
    m_units->setObjectName(QStringLiteral("CboUnit"));
    m_units->setMinimumContentsLength(20);
    top->addWidget(label);
    top->addWidget(m_units, 1);
    layout->addLayout(top);

    m_grid = new GridView(this);
    m_grid->setObjectName(QStringLiteral("VfgSj"));
    m_model = new StringTableModel({QStringLiteral("所属月份"), QStringLiteral("填表日期"),
                                    QStringLiteral("实缴税额"), QStringLiteral("缴款书号"),
                                    QStringLiteral("上报文件"), QString()},
                                   this);
    m_model->setAlignment(ColFactTax, Qt::AlignRight | Qt::AlignVCenter);
    m_grid->setModel(m_model);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    GridColumns cols;
    const int widths[] = {1125, 1470, 1230, 1410, 1635, 1200};
    for (int c = 0; c < 6; ++c) {
        GridColumn col;
        col.title = m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        col.widthTwips = widths[c];
        col.hidden = c == ColAppId;
        cols << col;
    }
    m_grid->setColumns(cols);
    // A text too long for its cell shows its end: of a path the file's name, rather than where it begins.
    m_grid->setTextElideMode(Qt::ElideLeft);
    layout->addWidget(m_grid, 1);

    auto* buttons = new QHBoxLayout;
    const char16_t* captions[] = {u"新增申报表", u"删除申报表", u"生成上传文件"};
    QPushButton* made[3];
    for (int i = 0; i < 3; ++i) {
        made[i] = new QPushButton(QString::fromUtf16(captions[i]), this);
        made[i]->setObjectName(QStringLiteral("Command%1").arg(i + 1));
        buttons->addWidget(made[i]);
    }
    auto* print = new QPushButton(QStringLiteral("打印"), this);
    print->setObjectName(QStringLiteral("print"));
    auto* year = new QPushButton(QStringLiteral("年度汇总"), this);
    year->setObjectName(QStringLiteral("unitYear"));
    buttons->addWidget(print);
    buttons->addWidget(year);
    connect(print, &QPushButton::clicked, this, &DeclarationList::printCurrent);
    connect(year, &QPushButton::clicked, this, &DeclarationList::showUnitYear);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(made[0], &QPushButton::clicked, this, &DeclarationList::newDeclaration);
    connect(made[1], &QPushButton::clicked, this, &DeclarationList::deleteCurrent);
    connect(made[2], &QPushButton::clicked, this, &DeclarationList::exportCurrent);
    connect(m_grid, &QAbstractItemView::doubleClicked, this, &DeclarationList::openCurrent);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& cur) {
                if (cur.isValid())
                    m_grid->setToolTip(m_model->text(cur.row(), ColUploadResult));
            });
    connect(m_units, &QComboBox::currentIndexChanged, this, &DeclarationList::unitChanged);

    resize(640, 420);
    loadUnits();
    // Every column as wide as its title and its longest value need; the last one takes what is left.
    resize(qMax(width(),
                fitColumns(m_grid) + layout->contentsMargins().left() + layout->contentsMargins().right()),
           height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move((screen->availableGeometry().width() - width()) / 2, y());
}

qint64 DeclarationList::selectedUnit() const
{
    return m_units->currentIndex() >= 0 ? m_units->currentData().toLongLong() : 0;
}

int DeclarationList::currentRow() const
{
    const QModelIndex cur = m_grid->currentIndex();
    return cur.isValid() ? cur.row() : -1;
}

void DeclarationList::loadUnits()
{
    const QSignalBlocker block(m_units);
    m_units->clear();
    try {
        const Rows units = m_ctx.db->select(QStringLiteral("select * from UnitInfo"));
        for (qsizetype i = 0; i < units.size(); ++i)
            m_units->addItem(units.value(i, u"UnitName").toString(), units.value(i, u"UnitID"));
    } catch (const DatabaseError& e) {
        m_ctx.prompter->notice(Prompter::errorTitle(), errorTypeMessage(e), Prompter::Icon::Exclamation);
    }
    if (m_units->count() > 0) {
        m_units->setCurrentIndex(0);
        unitChanged();
    }
}

void DeclarationList::fillRow(int row, const Rows& rows, qsizetype i)
{
    const QDate month = Dates::fromStored(rows.value(i, u"Month"));
    const QDate date = Dates::fromStored(rows.value(i, u"ApplyDate"));
    const QVariant tax = rows.value(i, u"FactTax");
    m_model->setText(row, ColMonth, Dates::formatMonth(month));
    m_model->setText(row, ColApplyDate,
                     date.isValid() ? QLocale().toString(date, QLocale::ShortFormat)
                                    : NullToText(rows.value(i, u"ApplyDate")));
    m_model->setText(row, ColFactTax, tax.isNull() ? QString() : Money::fromStored(tax).toPlainString());
    m_model->setText(row, ColBookNo, rows.value(i, u"BookNo").toString());
    m_model->setText(row, ColUploadResult, NullToText(rows.value(i, u"UploadResult")));
    m_model->setText(row, ColAppId, rows.value(i, u"AppID").toString());
}

void DeclarationList::unitChanged()
{
    m_model->setRows({});
    if (m_units->currentIndex() < 0)
        return;
    try {
        const Rows rows =
            m_ctx.db->select(QStringLiteral("select * from ApplT where UnitId=?"), {selectedUnit()});
        for (qsizetype i = 0; i < rows.size(); ++i)
            fillRow(m_model->appendRow(QStringList(6)), rows, i);
    } catch (const DatabaseError& e) {
        m_ctx.prompter->notice(Prompter::errorTitle(), errorTypeMessage(e), Prompter::Icon::Exclamation);
    }
}

void DeclarationList::DoSetApp(qint64 appId)
{
    int row = m_model->find(ColAppId, QString::number(appId));
    if (row < 0) {
        row = m_model->appendRow(QStringList(6));
        m_grid->setCurrentIndex(m_model->index(row, ColMonth));
    }
    try {
        const Rows rows = m_ctx.db->select(QStringLiteral("select * from ApplT where AppId=?"), {appId});
        if (!rows.isEmpty())
            fillRow(row, rows, 0);
    } catch (const DatabaseError& e) {
        m_ctx.prompter->notice(Prompter::errorTitle(), errorTypeMessage(e), Prompter::Icon::Exclamation);
    }
}

void DeclarationList::newDeclaration()
{
    if (m_units->currentText().isEmpty()) {
        m_ctx.prompter->notice(QStringLiteral("请选择单位"));
        return;
    }
    openEditor(true, 0);
}

void DeclarationList::openCurrent()
{
    const int row = currentRow();
    if (row < 0)
        return;
    openEditor(false, m_model->text(row, ColAppId).toLongLong());
}

void DeclarationList::openEditor(bool isNew, qint64 appId)
{
    // A declaration already open, from this list or from one closed since, comes to the front; its saves
    // refresh this list from now on.
    if (DeclarationEditor* open = isNew ? nullptr : DeclarationEditor::openOn(m_ctx.db, appId)) {
        if (!m_editor)
            m_editor = open;
        connect(open, &DeclarationEditor::saved, this, &DeclarationList::DoSetApp, Qt::UniqueConnection);
        open->activateWindow();
        open->raise();
        if (auto* sub = qobject_cast<QMdiSubWindow*>(open->parentWidget()))
            sub->mdiArea()->setActiveSubWindow(sub);
        return;
    }
    if (m_editor) {
        // Another declaration first closes the open editor through its closing question, and is not opened
        // when the user keeps the editor.
        if (!closeHostedWindow(m_editor))
            return;
    }
    auto* editor = new DeclarationEditor(m_ctx, m_host, selectedUnit());
    m_editor = editor;
    connect(editor, &DeclarationEditor::saved, this, &DeclarationList::DoSetApp);
    editor->StartWin(isNew, appId);
    if (m_host)
        m_host->showChild(editor);
    else
        editor->show();
}

void DeclarationList::deleteCurrent()
{
    const int row = currentRow();
    if (row < 0) {
        m_ctx.prompter->notice(QStringLiteral("请选择申报表！"));
        return;
    }
    const qint64 appId = m_model->text(row, ColAppId).toLongLong();
    // Its editor would store it again at its next save.
    if (DeclarationEditor::openOn(m_ctx.db, appId)) {
        m_ctx.prompter->notice(QStringLiteral("这张申报表正在编辑，请先关闭它的编辑窗口再删除。"));
        return;
    }
    if (!m_ctx.prompter->askYesNo(Prompter::noticeTitle(), QStringLiteral("确定要删除申报表吗？")))
        return;
    try {
        m_ctx.db->exec(QStringLiteral("delete from ApplT  where AppID=?"), {appId});
    } catch (const DatabaseError& e) {
        m_ctx.prompter->notice(Prompter::errorTitle(), errorTypeMessage(e), Prompter::Icon::Exclamation);
        return;
    }
    m_model->removeRow(row);
}

void DeclarationList::exportCurrent()
{
    const int row = currentRow();
    const auto appId =
        row >= 0 ? std::optional<qint64>(m_model->text(row, ColAppId).toLongLong()) : std::nullopt;
    const UploadExport::Outcome outcome = UploadExport(*m_ctx.db, *m_ctx.prompter).run(appId);
    if (outcome.status == UploadExport::Status::Written) {
        m_model->setText(row, ColUploadResult, outcome.path);
        m_grid->setToolTip(outcome.path);
    }
}

} // namespace zq::ui
