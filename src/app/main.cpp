// The desktop program: one copy per installation, the own database beside the executable, the password, then
// the main window until it closes.
#include "core/AppSettings.h"
#include "core/TaxDatabase.h"
#include "platform/SingleInstance.h"
#include "ui/MainWindow.h"
#include "ui/QtPrompter.h"
#include "ui/Startup.h"

#include <QApplication>
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
    window = zq::ui::startUp(QDir(programFolder).filePath(zq::TaxDatabase::fileName()), prompter, settings);
    if (!window)
        return 0;
    window->showMaximized();
    return app.exec();
}
