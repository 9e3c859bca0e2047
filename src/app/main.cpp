// The desktop program: one copy per installation, the own database beside the executable, the password, then
// the main window until it closes.
#include "core/AppSettings.h"
#include "core/DatabaseCopy.h"
#include "core/TaxDatabase.h"
#include "platform/SingleInstance.h"
#include "ui/MainWindow.h"
#include "ui/QtPrompter.h"
#include "ui/Startup.h"

#include <QApplication>
#include <QDate>
#include <QDir>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    zq::ui::useChinese(app);
    const QString programFolder = QCoreApplication::applicationDirPath();

    // A second start brings the running copy to the front and ends without a word.
    zq::SingleInstance instance(programFolder);
    if (!instance.tryAcquire()) {
        instance.requestActivation();
        return 0;
    }

    zq::ui::QtPrompter prompter;
    zq::AppSettings settings;
    // Also while a password dialog is open: then that dialog comes to the front.
    std::unique_ptr<zq::ui::MainWindow> window;
    QObject::connect(&instance, &zq::SingleInstance::activationRequested, [&window] {
        QWidget* target = QApplication::activeModalWidget();
        if (!target && window)
            target = window.get();
        if (!target)
            return;
        target->setWindowState(target->windowState() & ~Qt::WindowMinimized);
        target->raise();
        target->activateWindow();
    });
    const QString dbPath = QDir(programFolder).filePath(zq::TaxDatabase::fileName());
    window = zq::ui::startUp(dbPath, prompter, settings);
    if (!window)
        return 0;
    window->showMaximized();
    const int exitCode = app.exec();
    // A normal exit keeps a copy of the day in backup/ beside the database; a failure is told, not fatal.
    if (!window->restoredData()) {
        if (const auto problem =
                zq::DatabaseCopy::automaticBackup(dbPath, settings.backupKeep(), QDate::currentDate()))
            prompter.notice(
                QStringLiteral("自动备份"),
                QStringLiteral("今天的数据没有自动备份：%1\r\n可以在“文件”菜单中用“备份数据…”另行备份。")
                    .arg(*problem),
                zq::Prompter::Icon::Exclamation);
    }
    return exitCode;
}
