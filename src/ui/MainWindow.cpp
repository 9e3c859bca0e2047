#include "MainWindow.h"

#include "ChangePasswordDialog.h"
#include "DeclarationList.h"
#include "EmployeeList.h"
#include "LegacyImport.h"
#include "ToolbarIcons.h"
#include "UnitList.h"
#include "core/AppSettings.h"
#include "core/Database.h"
#include "core/DatabaseCopy.h"
#include "core/DatabaseError.h"
#include "core/Prompter.h"
#include "core/TaxDatabase.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QToolBar>

namespace zq::ui {
namespace {

// The MDI area with the background picture drawn to its size, behind every child window.
class BackgroundArea : public QMdiArea {
public:
    BackgroundArea(BackgroundKind kind, QWidget* parent) : QMdiArea(parent), m_kind(kind)
    {
        setObjectName(QStringLiteral("MdiArea"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const QSize size = viewport()->size();
        if (m_cache.size() != size * devicePixelRatio()) {
            m_cache = QPixmap(size * devicePixelRatio());
            m_cache.setDevicePixelRatio(devicePixelRatio());
            QPainter p(&m_cache);
            paintBackground(p, QRect(QPoint(), size), m_kind);
        }
        QPainter painter(viewport());
        painter.drawPixmap(0, 0, m_cache);
    }

private:
    BackgroundKind m_kind;
    QPixmap m_cache;
};

const QString kWindowTitle = QStringLiteral("代扣代缴个人所得税明细申报");

} // namespace

MainWindow::MainWindow(std::unique_ptr<Database> db, Prompter& prompter, AppSettings& settings,
                       const QString& programFolder, QWidget* parent)
    : QMainWindow(parent), m_db(std::move(db))
{
    m_ctx.db = m_db.get();
    if (m_db)
        m_dbPath = m_db->connection().databaseName();
    m_ctx.prompter = &prompter;
    m_ctx.settings = &settings;
    m_ctx.programFolder = programFolder;

    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(kWindowTitle);
    setWindowIcon(toolbarIcon(ToolbarIcon::Program));
    const QScreen* screen = QGuiApplication::primaryScreen();
    m_background = backgroundFor(screen ? screen->size().width() : 0);
    m_mdi = new BackgroundArea(m_background, this);
    setCentralWidget(m_mdi);
    createMenus();
    createToolbar();
    if (screen)
        resize(screen->availableSize() * 4 / 5);
}

MainWindow::~MainWindow() = default;

void MainWindow::createMenus()
{
    auto add = [this](QMenu* menu, const char* name, const QString& text, void (MainWindow::*slot)()) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    file->setObjectName(QStringLiteral("numfile"));
    add(file, "numexport", QStringLiteral("修改密码"), &MainWindow::changePassword);
    add(file, "numImportOld", QStringLiteral("导入旧版数据库…"), &MainWindow::importOldDatabase);
    file->addSeparator();
    add(file, "numBackup", QStringLiteral("备份数据…"), &MainWindow::backupData);
    add(file, "numRestore", QStringLiteral("恢复数据…"), &MainWindow::restoreData);
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("退出(&X)"));
    exit->setObjectName(QStringLiteral("numexit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* manage = menuBar()->addMenu(QStringLiteral("管理(&D)"));
    manage->setObjectName(QStringLiteral("numManage"));
    add(manage, "numUnit", QStringLiteral("单位管理"), &MainWindow::openUnitList);
    add(manage, "numEmploer", QStringLiteral("员工管理"), &MainWindow::openEmployeeList);
    add(manage, "numWrite", QStringLiteral("填报管理"), &MainWindow::openDeclarationList);
    add(manage, "numbb", QStringLiteral("税率启征值"), &MainWindow::editTaxThreshold);

    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    help->setObjectName(QStringLiteral("numhelp"));
    add(help, "numhelp_zt", QStringLiteral("主题"), &MainWindow::showHelp);
    add(help, "numabout", QStringLiteral("关于..."), &MainWindow::showAbout);
}

void MainWindow::createToolbar()
{
    m_band = new QToolBar(QStringLiteral("工具栏"), this);
    m_band->setObjectName(QStringLiteral("CoolBar1"));
    m_band->setMovable(false);
    m_band->setFloatable(false);
    m_band->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_band->setIconSize(QSize(32, 32));
    m_band->toggleViewAction()->setEnabled(false); // nothing but the declaration editor hides the band
    setContextMenuPolicy(Qt::NoContextMenu);
    struct Button {
        const char* caption;
        const char* key;
        ToolbarIcon icon;
    };
    const Button buttons[] = {
        {"单位", "单位", ToolbarIcon::Units},        {"员工", "员工", ToolbarIcon::Employees},
        {"填报", "填报", ToolbarIcon::Declarations}, {"帮助", "帮助", ToolbarIcon::Help},
        {"退出", "Exit", ToolbarIcon::Exit},
    };
    for (const Button& b : buttons) {
        QAction* a = m_band->addAction(toolbarIcon(b.icon), QString::fromUtf8(b.caption));
        a->setData(QString::fromUtf8(b.key));
        a->setObjectName(QStringLiteral("Toolbar1_") + QString::fromUtf8(b.key));
    }
    connect(m_band, &QToolBar::actionTriggered, this, &MainWindow::onToolbarButton);
    addToolBar(Qt::TopToolBarArea, m_band);
}

QAction* MainWindow::toolbarAction(const QString& key) const
{
    for (QAction* a : m_band->actions())
        if (a->data().toString() == key)
            return a;
    return nullptr;
}

void MainWindow::onToolbarButton(QAction* action)
{
    const QString key = action->data().toString();
    if (key == u"单位")
        openUnitList();
    else if (key == u"员工")
        openEmployeeList();
    else if (key == u"填报")
        openDeclarationList();
    else if (key == u"帮助")
        showHelp();
    else if (key == QLatin1String("Exit"))
        close();
}

void MainWindow::setToolbarBandVisible(bool visible)
{
    m_band->setVisible(visible);
}

bool MainWindow::isToolbarBandVisible() const
{
    return !m_band->isHidden();
}

void MainWindow::changePassword()
{
    if (!m_ctx.db)
        return;
    ChangePasswordDialog dialog(*m_ctx.db, *m_ctx.prompter, this);
    dialog.exec();
}

void MainWindow::openUnitList()
{
    UnitList list(m_ctx, this);
    list.exec();
}

void MainWindow::importOldDatabase()
{
    // The open lists would show the database as it was; they close first (an editor may refuse).
    m_mdi->closeAllSubWindows();
    for (QMdiSubWindow* w : m_mdi->subWindowList())
        if (w->isVisible())
            return;
    ui::importOldDatabase(m_ctx, this);
}

void MainWindow::openEmployeeList()
{
    if (!m_ctx.db)
        return;
    EmployeeList list(m_ctx, this);
    list.exec();
}

void MainWindow::openDeclarationList()
{
    // One declaration list, beside the other windows; asking again brings it to the front.
    if (m_declarationList) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(m_declarationList->parentWidget()))
            m_mdi->setActiveSubWindow(sub);
        return;
    }
    auto* list = new DeclarationList(m_ctx, this);
    m_declarationList = list;
    showChild(list);
    // The list stands centred across the frame.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(list->parentWidget()))
        sub->move(qMax(0, (m_mdi->viewport()->width() - sub->width()) / 2), sub->y());
}

void MainWindow::showChild(QWidget* window)
{
    const QSize wanted = window->size(); // the size the window gave itself
    QMdiSubWindow* sub = m_mdi->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(windowIcon());
    window->show();
    const QSize frame = sub->size() - window->size();
    const QSize room = m_mdi->viewport()->size();
    sub->resize((wanted + frame).boundedTo(room));
    // A window that would hang over the frame's edge moves back inside it.
    sub->move(qBound(0, sub->x(), qMax(0, room.width() - sub->width())),
              qBound(0, sub->y(), qMax(0, room.height() - sub->height())));
    m_mdi->setActiveSubWindow(sub);
}

void MainWindow::editTaxThreshold()
{
    // Stored exactly as the box returns it; a cancelled box returns empty text, which is stored too.
    const QString current = m_ctx.settings->taxThreshold();
    const auto answer =
        m_ctx.prompter->input(QStringLiteral("税率启征值"), QStringLiteral("税率启征值"), current);
    if (!m_ctx.settings->setTaxThreshold(answer.value_or(QString())))
        m_ctx.prompter->notice(m_ctx.settings->notSavedText(QStringLiteral("税率启征值")),
                               Prompter::Icon::Exclamation);
}

void MainWindow::showHelp()
{
    m_ctx.prompter->notice(
        QStringLiteral("帮助"),
        QStringLiteral("每月的申报按以下步骤进行：\r\n"
                       "1. “管理”→“单位管理”：登记扣缴单位，设置与财务软件的连接和工资项目。\r\n"
                       "2. “管理”→“员工管理”：录入或从财务软件导入员工。\r\n"
                       "3. “管理”→“填报管理”：新增申报表，导入当月工资数据，核对后保存。\r\n"
                       "4. 在填报管理中选中申报表，生成上传文件，交税务机关。\r\n"
                       "“税率启征值”是每月的费用扣除标准，导入工资时查找税率使用。"),
        Prompter::Icon::Information);
}

void MainWindow::showAbout()
{
    m_ctx.prompter->notice(QStringLiteral("关于"),
                           kWindowTitle + QStringLiteral("\r\n版本 ") + QStringLiteral(ZQ_VERSION),
                           Prompter::Icon::Information);
}

bool MainWindow::closeOtherWindows()
{
    m_mdi->closeAllSubWindows();
    for (QMdiSubWindow* w : m_mdi->subWindowList())
        if (w->isVisible())
            return false; // a child refused to close (it has unsaved work the user wants to keep)
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == this || !w->isVisible() || w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip)
            continue;
        if (!w->close())
            return false;
    }
    return true;
}

void MainWindow::backupData()
{
    const QString title = QStringLiteral("备份数据");
    const QString folder = DatabaseCopy::automaticFolder(m_dbPath);
    QDir().mkpath(folder);
    const QString proposed = QDir(folder).filePath(
        QStringLiteral("ZqSalTax-%1.db")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
    const auto chosen = m_ctx.prompter->saveFileName(title, proposed, QStringLiteral("数据库文件 (*.db)"));
    if (!chosen || chosen->isEmpty())
        return;
    if (QFileInfo(*chosen).isFile() &&
        !m_ctx.prompter->askYesNo(Prompter::noticeTitle(), QStringLiteral("文件已存在是否覆盖？")))
        return;
    if (const auto problem = DatabaseCopy::backup(m_dbPath, *chosen)) {
        m_ctx.prompter->notice(title, QStringLiteral("备份没有完成：%1").arg(*problem),
                               Prompter::Icon::Exclamation);
        return;
    }
    m_ctx.prompter->notice(title, QStringLiteral("数据已备份到“%1”。").arg(QDir::toNativeSeparators(*chosen)),
                           Prompter::Icon::Information);
}

void MainWindow::restoreData()
{
    const QString title = QStringLiteral("恢复数据");
    const auto chosen = m_ctx.prompter->openFileName(title, DatabaseCopy::automaticFolder(m_dbPath),
                                                     QStringLiteral("数据库文件 (*.db *.bak);;所有文件 (*)"));
    if (!chosen || chosen->isEmpty())
        return;
    if (const auto problem = DatabaseCopy::verify(*chosen)) {
        m_ctx.prompter->notice(title, QStringLiteral("不能用这个文件恢复：%1").arg(*problem),
                               Prompter::Icon::Exclamation);
        return;
    }
    if (!m_ctx.prompter->askYesNo(title,
                                  QStringLiteral("用“%1”中的数据替换现在的全部数据吗？\r\n"
                                                 "现在的数据库会另存一份。恢复后程序将退出，请重新启动。")
                                      .arg(QDir::toNativeSeparators(*chosen))))
        return;
    // Every window lets go of the database first; one with unsaved changes may still say no.
    if (!closeOtherWindows())
        return;
    m_ctx.db = nullptr;
    m_db.reset();
    QString kept;
    if (const auto problem = DatabaseCopy::restore(*chosen, m_dbPath, QDateTime::currentDateTime(), &kept)) {
        try {
            m_db = TaxDatabase::open(m_dbPath);
            m_ctx.db = m_db.get();
            m_ctx.prompter->notice(title, QStringLiteral("恢复没有完成，数据没有改变：%1").arg(*problem),
                                   Prompter::Icon::Exclamation);
            return;
        } catch (const DatabaseError& e) {
            m_ctx.prompter->notice(title,
                                   QStringLiteral("恢复没有完成：%1\r\n数据库不能再打开（%2），程序将退出。")
                                       .arg(*problem, e.description()),
                                   Prompter::Icon::Critical);
            m_restored = true;
            close();
            return;
        }
    }
    m_restored = true;
    QString text = QStringLiteral("数据已经恢复。");
    if (!kept.isEmpty())
        text += QStringLiteral("原来的数据库保存为“%1”。").arg(QDir::toNativeSeparators(kept));
    m_ctx.prompter->notice(title, text + QStringLiteral("\r\n程序将退出，请重新启动。"),
                           Prompter::Icon::Information);
    close();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The other windows close first, so none of them is left working on a closed database.
    if (!closeOtherWindows()) {
        event->ignore();
        return;
    }
    m_ctx.db = nullptr;
    m_db.reset();
    event->accept();
}

} // namespace zq::ui
