#pragma once

#include "BackgroundPicture.h"
#include "WindowHost.h"
#include "core/AppContext.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class QAction;
class QMdiArea;
class QToolBar;

namespace zq {
class Database;
}

namespace zq::ui {

// FrmMain: the program's frame, a multiple-document window with the menus, the toolbar band and the
// background picture. It owns the own database connection for the whole run and closes it when it closes,
// after every other window of the program.
class MainWindow : public QMainWindow, public WindowHost {
    Q_OBJECT
public:
    MainWindow(std::unique_ptr<Database> db, Prompter& prompter, AppSettings& settings,
               const QString& programFolder, QWidget* parent = nullptr);
    ~MainWindow() override;

    // What every window opened from here works with. Its database is null once the main window has closed.
    const AppContext& context() const { return m_ctx; }
    // Later windows are added here as children.
    QMdiArea* mdiArea() const { return m_mdi; }
    // The declaration editor hides the toolbar band while it is open.
    void setToolbarBandVisible(bool visible) override;
    // Adds a window to the multiple-document area; it is deleted when closed.
    void showChild(QWidget* window) override;
    bool isToolbarBandVisible() const;
    // A toolbar button by its key ("单位", "员工", "填报", "帮助", "Exit").
    QAction* toolbarAction(const QString& key) const;
    BackgroundKind backgroundKind() const { return m_background; }

    // The menu and toolbar commands.
    void changePassword();
    void importOldDatabase();
    void openUnitList();
    void openEmployeeList();
    void openDeclarationList();
    void editTaxThreshold();
    void showHelp();
    void showAbout();
    // 文件 menu: a checked copy of the own database to a file of the user's choice, and putting such a copy
    // in its place (the program then ends and is to be started again).
    void backupData();
    void restoreData();
    // The database was replaced by a restore: the exit takes no automatic copy.
    bool restoredData() const { return m_restored; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void createToolbar();
    void onToolbarButton(QAction* action);
    bool closeOtherWindows();

    std::unique_ptr<Database> m_db;
    AppContext m_ctx;
    QMdiArea* m_mdi = nullptr;
    QToolBar* m_band = nullptr;
    BackgroundKind m_background = BackgroundKind::Standard;
    QPointer<QWidget> m_declarationList;
    QString m_dbPath;
    bool m_restored = false;
};

} // namespace zq::ui
