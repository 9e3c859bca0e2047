#include "UnitList.h"

#include "ColumnFit.h"
#include "KeyedToolBar.h"

#include "GridView.h"
#include "StringTableModel.h"
#include "UnitEditor.h"
#include "core/Database.h"
#include "core/Prompter.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace zq::ui {
namespace {

QString noEditionsText()
{
    return QStringLiteral("数据错误，不能加载各种财务软件的版本号。\r\n您将不能添加单位信息。");
}

QString errorTitleOfList()
{
    return QStringLiteral("读取单位信息出错");
}

} // namespace

UnitList::UnitList(const AppContext& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("frmBmUnit"));
    setWindowTitle(QStringLiteral("单位编码"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_menuBar = new QMenuBar(this);
    layout->setMenuBar(m_menuBar);
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("Toolbar1"));
    layout->addWidget(m_toolBar);

    m_grid = new GridView(this);
    m_grid->setObjectName(QStringLiteral("vsfUnit"));
    QStringList titles{QStringLiteral("单位名称"),     QStringLiteral("计算机代码"),
                       QStringLiteral("有效联系电话"), QStringLiteral("声明人"),
                       QStringLiteral("软件版本"),     QStringLiteral("帐套代码")};
    while (titles.size() < ColumnCount)
        titles << QString();
    m_model = new StringTableModel(titles, this);
    m_grid->setModel(m_model);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    GridColumns columns;
    const int widths[] = {1125, 1470, 1230, 1410, 1635, 1740};
    for (int c = 0; c < ColumnCount; ++c) {
        GridColumn column;
        column.title = titles[c];
        column.widthTwips = c <= ColCopyId ? widths[c] : 0;
        column.hidden = c > ColCopyId;
        columns << column;
    }
    m_grid->setColumns(columns);
    layout->addWidget(m_grid, 1);
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            changeUnit();
    });

    buildMenus();
    buildToolBar();
    resize(640, 400);

    loadEditions();
    refresh();
    fitToColumns();
}

void UnitList::fitToColumns()
{
    // Every column as wide as its title and its longest value need; the last one takes what is left.
    resize(qMax(width(), zq::ui::fitColumns(m_grid)), height());
}

void UnitList::buildMenus()
{
    auto add = [this](QMenu* menu, const QString& name, const QString& text) {
        return addNamedEntry(this, menu, name, text);
    };
    QMenu* file = m_menuBar->addMenu(QStringLiteral("文件(&F)"));
    connect(add(file, QStringLiteral("m_Quit"), QStringLiteral("退出(&X)")), &QAction::triggered, this,
            &QDialog::reject);

    QMenu* edit = m_menuBar->addMenu(QStringLiteral("编辑(&E)"));
    connect(add(edit, QStringLiteral("m_Add"), QStringLiteral("增加(&A)")), &QAction::triggered, this,
            &UnitList::addUnit);
    connect(add(edit, QStringLiteral("m_Update"), QStringLiteral("修改(&E)")), &QAction::triggered, this,
            &UnitList::changeUnit);
    connect(add(edit, QStringLiteral("m_Delete"), QStringLiteral("删除(&D)")), &QAction::triggered, this,
            &UnitList::deleteUnit);
    edit->addSeparator();
    QAction* refreshAction = add(edit, QStringLiteral("m_Refresh"), QStringLiteral("刷新"));
    refreshAction->setShortcut(QKeySequence(Qt::Key_F5));
    refreshAction->setShortcutContext(Qt::WindowShortcut);
    connect(refreshAction, &QAction::triggered, this, &UnitList::refresh);

    addListHelpMenu(this, m_menuBar);
}

void UnitList::buildToolBar()
{
    m_buttons =
        addKeyedButtons(m_toolBar, {
                                       {u"增加", u"Add", u"", QStyle::SP_FileDialogNewFolder},
                                       {u"修改", u"Update", u"修改单位", QStyle::SP_FileDialogDetailedView},
                                       {u"删除", u"Delete", u"", QStyle::SP_TrashIcon},
                                       {u"帮助", u"Help", u"帮助主题", QStyle::SP_DialogHelpButton},
                                       {u"退出", u"Exit", u"", QStyle::SP_DialogCloseButton},
                                   });
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it)
        connect(it.value(), &QAction::triggered, this, [this, key = it.key()] { onToolButton(key); });
}

void UnitList::onToolButton(const QString& key)
{
    if (key == u"Add")
        addUnit();
    else if (key == u"Update")
        changeUnit();
    else if (key == u"Delete")
        deleteUnit();
    else if (key == u"Exit")
        reject();
    // "Help" runs the help contents, which have no content yet.
}

void UnitList::loadEditions()
{
    try {
        m_editions = UnitStore(*m_ctx.db).loadEditions();
    } catch (const DatabaseError& e) {
        m_editions = Editions{{QString()}, {QString()}};
        m_ctx.prompter->notice(errorTitleOfList(), errorTypeMessage(e), Prompter::Icon::Exclamation);
    }
}

void UnitList::refresh()
{
    m_model->setRows({});
    QList<QStringList> rows;
    try {
        const QList<UnitRecord> units = UnitStore(*m_ctx.db).listUnits();
        for (const UnitRecord& unit : units)
            rows << unit.toListRow();
    } catch (const DatabaseError& e) {
        m_ctx.prompter->notice(errorTitleOfList(), errorTypeMessage(e), Prompter::Icon::Exclamation);
        return;
    }
    m_model->setRows(rows);
    if (!rows.isEmpty())
        m_grid->setCurrentIndex(m_model->index(0, ColName));
}

int UnitList::currentGridRow() const
{
    const QModelIndex current = m_grid->currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void UnitList::addUnit()
{
    if (m_editions.unusable()) {
        m_ctx.prompter->notice(QStringLiteral("单位信息添加"), noEditionsText(), Prompter::Icon::None);
        return;
    }
    openEditor(0);
}

void UnitList::changeUnit()
{
    const int row = currentGridRow();
    if (row < 1) {
        m_ctx.prompter->notice(QStringLiteral("单位信息修改"),
                               QStringLiteral("请先选中您要修改的行，然后点击“修改”菜单或按钮；\r\n"
                                              "也可以直接双击您要修改的行。"),
                               Prompter::Icon::None);
        return;
    }
    if (m_editions.unusable()) {
        m_ctx.prompter->notice(QStringLiteral("单位信息修改"), noEditionsText(), Prompter::Icon::None);
        return;
    }
    openEditor(row);
}

void UnitList::openEditor(int gridRow)
{
    UnitEditor editor(m_ctx, m_model, this);
    if (editor.FrmInit(gridRow, m_editions.names, m_editions.keys) == QDialog::Accepted)
        m_grid->focusCell(m_model->rowCount() - 1, ColName); // the saved unit is the last row
}

void UnitList::deleteUnit()
{
    const QString title = QStringLiteral("单位信息删除");
    const int row = currentGridRow();
    if (row < 1) {
        m_ctx.prompter->notice(title, QStringLiteral("请先选中您要删除的行，然后点击“删除”菜单或按钮"),
                               Prompter::Icon::None);
        return;
    }
    const int r = row - 1;
    const qint64 unitId = m_model->text(r, ColUnitId).trimmed().toLongLong();
    try {
        UnitStore store(*m_ctx.db);
        const qint64 employees = store.employeeCount(unitId);
        if (employees > 0) {
            if (!m_ctx.prompter->askYesNo(Prompter::noticeTitle(),
                                          QStringLiteral("此单位还有%1个员工，确实要删除吗").arg(employees)))
                return;
        } else if (!m_ctx.prompter->askYesNo(
                       title, QStringLiteral("确定删除单位：“%1”吗？").arg(m_model->text(r, ColName)))) {
            return;
        }
        store.deleteUnit(unitId);
    } catch (const DatabaseError& e) {
        m_ctx.prompter->notice(title, errorTypeMessage(e), Prompter::Icon::Exclamation);
        return;
    }
    m_model->removeRow(r);
}

} // namespace zq::ui
