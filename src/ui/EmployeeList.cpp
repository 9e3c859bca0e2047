#include "EmployeeList.h"

#include "ColumnFit.h"
#include "KeyedToolBar.h"

#include "GridView.h"
#include "StringTableModel.h"
#include "WarningList.h"
#include "core/CodeList.h"
#include "core/Database.h"
#include "core/Prompter.h"
#include "employees/EmployeeImport.h"
#include "employees/EmployeeWarnings.h"

#include <QAction>
#include <QComboBox>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>
#include <functional>
#include <memory>

namespace zq::ui {
namespace {

QString windowTitleText()
{
    return QStringLiteral("单位员工管理");
}

// The grid's texts; a cell the user changed through an editor marks the list as changed.
class EmployeeTableModel : public StringTableModel {
public:
    using StringTableModel::StringTableModel;
    std::function<void()> onEdited;

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        const QString before = index.isValid() ? text(index.row(), index.column()) : QString();
        if (!StringTableModel::setData(index, value, role))
            return false;
        if (value.toString() != before && onEdited)
            onEdited();
        return true;
    }
};

// Hands every prompt on, first hiding the import's progress dialog so that no message appears behind it.
class ProgressHidingPrompter : public Prompter {
public:
    ProgressHidingPrompter(Prompter& inner, std::unique_ptr<QProgressDialog>& progress)
        : m_inner(inner), m_progress(progress)
    {
    }
    Answer message(const QString& title, const QString& text, Icon icon, Buttons buttons) override
    {
        hide();
        return m_inner.message(title, text, icon, buttons);
    }
    std::optional<QString> input(const QString& title, const QString& prompt,
                                 const QString& defaultText) override
    {
        hide();
        return m_inner.input(title, prompt, defaultText);
    }
    std::optional<QString> saveFileName(const QString& title, const QString& proposedPath,
                                        const QString& filter) override
    {
        hide();
        return m_inner.saveFileName(title, proposedPath, filter);
    }

private:
    void hide()
    {
        if (m_progress)
            m_progress->hide();
    }
    Prompter& m_inner;
    std::unique_ptr<QProgressDialog>& m_progress;
};

} // namespace

EmployeeList::EmployeeList(const AppContext& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("frmBmEmp"));
    setWindowTitle(windowTitleText());
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_menuBar = new QMenuBar(this);
    layout->setMenuBar(m_menuBar);
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("Toolbar1"));
    layout->addWidget(m_toolBar);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(8, 6, 8, 6);
    auto* label = new QLabel(QStringLiteral("单位："), this);
    m_units = new QComboBox(this);
    m_units->setObjectName(QStringLiteral("CboUnit"));
    m_units->setMinimumContentsLength(24);
    m_units->installEventFilter(this);
    label->setBuddy(m_units);
    top->addWidget(label);
    top->addWidget(m_units, 1);
    layout->addLayout(top);

    buildGrid();
    layout->addWidget(m_grid, 1);
    buildMenus();
    buildToolBar();
    resize(560, 440);

    connect(m_units, &QComboBox::currentIndexChanged, this, &EmployeeList::unitChanged);
    LoadUnits();
    fitToColumns();
}

void EmployeeList::fitToColumns()
{
    // Every column as wide as its title and its longest value (an 18-character identity number, a name)
    // need; the last one takes what is left.
    const int gridWidth = zq::ui::fitColumns(m_grid, {{EmpColIdCard, QStringLiteral("11010519491231002X")},
                                                      {EmpColName, QStringLiteral("欧阳建国")}});
    resize(qMax(width(), gridWidth), height());
}

void EmployeeList::buildGrid()
{
    m_grid = new GridView(this);
    m_grid->setObjectName(QStringLiteral("vsfEmp"));
    const QStringList titles{QStringLiteral("员工编码"), QStringLiteral("姓名"), QStringLiteral("证件号码"),
                             QStringLiteral("国籍"), QStringLiteral("职业")};
    auto* model = new EmployeeTableModel(titles, this);
    model->setEditable(true);
    model->onEdited = [this] { m_dataChanged = true; };
    m_model = model;
    m_grid->setModel(m_model);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);

    // The drop-downs show "code name" and store the code; a typed value is kept as typed.
    std::shared_ptr<CodeList> lists[2] = {std::make_shared<CodeList>(), std::make_shared<CodeList>()};
    try {
        *lists[0] = CodeList::nations(*m_ctx.db);
        *lists[1] = CodeList::professions(*m_ctx.db);
    } catch (const DatabaseError& e) {
        m_ctx.prompter->notice(windowTitleText(), errorTypeMessage(e), Prompter::Icon::Exclamation);
    }
    for (const auto& list : lists)
        list->separator = QStringLiteral(" ");

    const int widths[EmployeeColumnCount] = {1125, 1470, 1800, 1410, 1635};
    const int longest[EmployeeColumnCount] = {0, 50, 18, 0, 0};
    GridColumns columns;
    for (int c = 0; c < EmployeeColumnCount; ++c) {
        GridColumn column;
        column.title = titles[c];
        column.widthTwips = widths[c];
        column.maxLength = longest[c];
        if (c == EmpColNation || c == EmpColProf)
            column.codes = lists[c - EmpColNation];
        columns << column;
    }
    m_grid->setColumns(columns);
    // Enter in the last cell of the last row adds a row.
    connect(m_grid, &GridView::movedPastEnd, this, &EmployeeList::addRow);
}

void EmployeeList::buildMenus()
{
    auto add = [this](QMenu* menu, const QString& name, const QString& text) {
        return addNamedEntry(this, menu, name, text);
    };
    QMenu* file = m_menuBar->addMenu(QStringLiteral("文件(&F)"));
    connect(add(file, QStringLiteral("m_Quit"), QStringLiteral("退出(&X)")), &QAction::triggered, this,
            &QDialog::reject);

    QMenu* edit = m_menuBar->addMenu(QStringLiteral("编辑(&E)"));
    connect(add(edit, QStringLiteral("m_Add"), QStringLiteral("增加(&A)")), &QAction::triggered, this,
            &EmployeeList::addRow);
    connect(add(edit, QStringLiteral("m_Delete"), QStringLiteral("删除(&D)")), &QAction::triggered, this,
            &EmployeeList::deleteRow);
    connect(add(edit, QStringLiteral("m_Import"), QStringLiteral("导入(&I)")), &QAction::triggered, this,
            &EmployeeList::importEmployees);
    connect(add(edit, QStringLiteral("m_Save"), QStringLiteral("保存(&S)")), &QAction::triggered, this,
            &EmployeeList::save);
    connect(add(edit, QStringLiteral("m_Check"), QStringLiteral("检查(&C)")), &QAction::triggered, this,
            &EmployeeList::showWarnings);
    edit->addSeparator();
    connect(add(edit, QStringLiteral("m_Refresh"), QStringLiteral("刷新")), &QAction::triggered, this,
            &EmployeeList::refresh);
    connect(add(edit, QStringLiteral("m_Statement"), QStringLiteral("年度扣税明细(&Y)")), &QAction::triggered,
            this, &EmployeeList::showStatement);

    addListHelpMenu(this, m_menuBar);
}

void EmployeeList::buildToolBar()
{
    m_buttons =
        addKeyedButtons(m_toolBar, {
                                       {u"增加", u"Add", u"增加", QStyle::SP_FileDialogNewFolder},
                                       {u"删除", u"Delete", u"删除", QStyle::SP_TrashIcon},
                                       {u"导入", u"Import", u"从财务软件中导入", QStyle::SP_ArrowDown},
                                       {u"保存", u"Save", u"", QStyle::SP_DialogSaveButton},
                                       {u"帮助", u"Help", u"帮助主题", QStyle::SP_DialogHelpButton},
                                       {u"退出", u"Exit", u"退出", QStyle::SP_DialogCloseButton},
                                   });
    auto* statement =
        new QAction(style()->standardIcon(QStyle::SP_FileDialogInfoView), QStringLiteral("年度明细"), this);
    statement->setObjectName(QStringLiteral("statement"));
    statement->setToolTip(QStringLiteral("当前职工的年度扣税明细"));
    m_toolBar->insertAction(m_buttons.value(QStringLiteral("Help")), statement);
    connect(statement, &QAction::triggered, this, &EmployeeList::showStatement);
    connect(m_toolBar, &QToolBar::actionTriggered, this, &EmployeeList::onToolbarButton);
}

void EmployeeList::onToolbarButton(QAction* action)
{
    const QString key = action->data().toString();
    if (key == u"Add")
        addRow();
    else if (key == u"Delete")
        deleteRow();
    else if (key == u"Import")
        importEmployees();
    else if (key == u"Save")
        save();
    else if (key == u"Exit")
        reject();
}

std::optional<qint64> EmployeeList::selectedUnit() const
{
    const int i = m_units->currentIndex();
    if (i < 0 || i >= m_unitIds.size())
        return std::nullopt;
    return m_unitIds[i];
}

EmployeeRows EmployeeList::rows() const
{
    EmployeeRows out;
    out.reserve(m_model->rowCount());
    for (int r = 0; r < m_model->rowCount(); ++r)
        out << m_model->row(r);
    return out;
}

void EmployeeList::LoadUnits()
{
    {
        const QSignalBlocker block(m_units);
        m_units->clear();
        m_unitIds.clear();
        try {
            for (const EmployeeUnit& u : EmployeeStore(*m_ctx.db).listUnits()) {
                m_unitIds << u.unitId;
                m_units->addItem(u.name);
            }
        } catch (const DatabaseError& e) {
            m_ctx.prompter->notice(windowTitleText(), errorTypeMessage(e), Prompter::Icon::Exclamation);
        }
    }
    if (m_units->count() == 0) {
        m_ctx.prompter->notice(windowTitleText(),
                               QStringLiteral("请先退出本界面，单击主界面工具栏上的“单位”进行单位信息设置。"),
                               Prompter::Icon::None);
    } else {
        const QSignalBlocker block(m_units);
        m_units->setCurrentIndex(0);
        unitChanged();
    }
    m_dataChanged = false;
}

void EmployeeList::unitChanged()
{
    LoadEmployees();
    m_dataChanged = false;
}

void EmployeeList::LoadEmployees()
{
    m_model->setRows({});
    const auto unit = selectedUnit();
    if (!unit)
        return;
    try {
        m_model->setRows(EmployeeStore(*m_ctx.db).load(*unit));
    } catch (const DatabaseError& e) {
        m_ctx.prompter->notice(windowTitleText(), errorTypeMessage(e), Prompter::Icon::Exclamation);
    }
}

void EmployeeList::refresh()
{
    LoadEmployees();
}

void EmployeeList::addRow()
{
    if (!selectedUnit()) {
        m_ctx.prompter->notice(windowTitleText(), QStringLiteral("请先选择要增加员工的单位。"),
                               Prompter::Icon::None);
        return;
    }
    m_grid->commitOpenEditor();
    const int last = m_model->rowCount() - 1;
    if (last >= 0 && (m_model->text(last, EmpColId).trimmed().isEmpty() ||
                      m_model->text(last, EmpColName).trimmed().isEmpty()))
        m_model->removeRow(last);
    const int row = m_model->appendRow(QStringList(EmployeeColumnCount));
    m_grid->scrollTo(m_model->index(row, EmpColId));
    m_grid->focusCell(row, EmpColId);
}

void EmployeeList::deleteRow()
{
    m_grid->commitOpenEditor();
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid()) {
        m_ctx.prompter->notice(QStringLiteral("单位员工删除"),
                               QStringLiteral("请先选中您要删除的行，然后再单击删除。"),
                               Prompter::Icon::None);
        return;
    }
    const int row = current.row();
    const QString number = m_model->text(row, EmpColId).trimmed();
    const auto unit = selectedUnit();
    if (!number.isEmpty() && unit) {
        try {
            EmployeeStore(*m_ctx.db).deleteEmployee(*unit, number);
        } catch (const DatabaseError& e) {
            // The row stays: it is still stored.
            m_ctx.prompter->notice(QStringLiteral("单位员工删除"), errorTypeMessage(e), Prompter::Icon::None);
            return;
        }
    }
    m_model->removeRow(row);
}

bool EmployeeList::save()
{
    m_grid->commitOpenEditor();
    const EmployeeRows all = rows();
    if (const auto problem = EmployeeRowChecker::checkAll(all)) {
        m_ctx.prompter->notice(problem->title, problem->text, Prompter::Icon::None);
        if (problem->focusGrid)
            m_grid->focusCell(problem->row, problem->column);
        else
            m_grid->setCurrentIndex(m_model->index(problem->row, problem->column));
        return false;
    }
    const QString errorTitle = QStringLiteral("读取账套信息出错");
    const auto unit = selectedUnit();
    if (!unit) {
        m_ctx.prompter->notice(errorTitle, errorTypeMessage(9, QStringLiteral("下标越界：没有选中的单位。")),
                               Prompter::Icon::None);
        return false;
    }
    if (!m_ctx.prompter->goOnDespite(QStringLiteral("保存"),
                                     EmployeeWarnings::check(all, QDate::currentDate())))
        return false;
    try {
        EmployeeStore(*m_ctx.db).save(*unit, all);
    } catch (const DatabaseError& e) {
        m_ctx.prompter->notice(errorTitle, errorTypeMessage(e), Prompter::Icon::None);
        return false;
    }
    m_dataChanged = false;
    return true;
}

void EmployeeList::showWarnings()
{
    m_grid->commitOpenEditor();
    const Warnings warnings = EmployeeWarnings::check(rows(), QDate::currentDate());
    if (warnings.isEmpty()) {
        m_ctx.prompter->notice(windowTitleText(), QStringLiteral("没有发现问题。"), Prompter::Icon::None);
        return;
    }
    WarningList::showFor(this, warnings, [this](const Warning& w) {
        m_grid->focusCell(w.row, w.column);
        activateWindow();
    });
}

void EmployeeList::setRowsKeepingCell(EmployeeRows rows)
{
    const QModelIndex current = m_grid->currentIndex();
    const int row = current.isValid() ? current.row() : -1;
    const int column = current.isValid() ? current.column() : EmpColId;
    m_model->setRows(std::move(rows));
    if (row >= 0 && row < m_model->rowCount())
        m_grid->setCurrentIndex(m_model->index(row, column));
}

void EmployeeList::importEmployees()
{
    m_grid->commitOpenEditor();
    EmployeeRows merged = rows();
    std::unique_ptr<QProgressDialog> progress;
    ProgressHidingPrompter prompter(*m_ctx.prompter, progress);
    AppContext ctx = m_ctx;
    ctx.prompter = &prompter;
    EmployeeImport import(ctx);
    // clang-format 14 loses its way in this lambda and unindents the rest of the function.
    // clang-format off
    import.setProgress([this, &progress](qsizetype done, qsizetype total) {
        if (!progress) {
            progress = std::make_unique<QProgressDialog>(QStringLiteral("正在导入员工信息……"), QString(), 0, 0,
                                                         this);
            progress->setWindowTitle(windowTitleText());
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumDuration(400);
            progress->setAutoClose(false);
            progress->setAutoReset(false);
        }
        const int max = total > 0 ? int(qMin<qsizetype>(total, INT_MAX)) : 0;
        if (progress->maximum() != max)
            progress->setRange(0, max);
        progress->setValue(max == 0 ? 0 : int(qMin<qsizetype>(done, max)));
    });
    import.run(selectedUnit(), merged);
    progress.reset();
    // What was merged stays in the grid even when the import stopped on an error; it is not stored yet.
    if (merged != rows()) {
        setRowsKeepingCell(std::move(merged));
        m_dataChanged = true;
    }
}
// clang-format on

void EmployeeList::reject()
{
    if (!confirmClose())
        return;
    QDialog::reject();
}

bool EmployeeList::confirmClose()
{
    m_grid->commitOpenEditor();
    if (!m_dataChanged)
        return true;
    // Closing would drop edits and imported employees that are not stored: the question of a change of unit,
    // with Cancel to stay.
    switch (m_ctx.prompter->message(QStringLiteral("员工信息维护"),
                                    QStringLiteral("此单位员工信息已改变，是否保存？"),
                                    Prompter::Icon::Question, Prompter::Buttons::YesNoCancel)) {
    case Prompter::Answer::Yes:
        return save();
    case Prompter::Answer::No:
        return true;
    default:
        return false;
    }
}

bool EmployeeList::eventFilter(QObject* watched, QEvent* event)
{
    // Going to the unit list with unsaved edits: offer to save them first. A focus that only comes back
    // (after a message box or the combo's own list) is no going there.
    if (watched == m_units && event->type() == QEvent::FocusIn && m_dataChanged) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            m_ctx.prompter->askYesNo(QStringLiteral("员工信息维护"),
                                     QStringLiteral("此单位员工信息已改变，是否保存？")))
            save();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace zq::ui
