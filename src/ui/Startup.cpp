#include "Startup.h"

#include "CreatePasswordDialog.h"
#include "LoginDialog.h"
#include "MainWindow.h"
#include "core/AppSettings.h"
#include "core/Database.h"
#include "core/PasswordStore.h"
#include "core/Prompter.h"
#include "core/TaxDatabase.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

namespace zq::ui {

QString openFailureMessage(const DatabaseError& error)
{
    switch (error.kind()) {
    case DatabaseError::Kind::InvalidPath:
        return QStringLiteral("系统配置文件有误, 请检查!");
    case DatabaseError::Kind::CannotOpen:
        return QStringLiteral("不能打开数据库\r\n") + error.description();
    case DatabaseError::Kind::NoPermission:
        return QStringLiteral("数据所在目录用户无权限, 请管理员设置数据目录的权限!");
    case DatabaseError::Kind::Other:
        break;
    }
    const int n = error.number();
    return QStringLiteral("在程序中\r\n发生类型") + (n >= 0 ? QStringLiteral(" ") : QString()) +
           QString::number(n) + QStringLiteral("错误。\r\n") + error.description();
}

bool useChinese(QCoreApplication& app)
{
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&app);
    if (!translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
        delete translator;
        std::fprintf(stderr, "Qt's Chinese translation (qtbase_zh_CN.qm) was not found in %s\n",
                     qUtf8Printable(QDir::toNativeSeparators(folder)));
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

std::unique_ptr<MainWindow> startUp(const QString& databasePath, Prompter& prompter, AppSettings& settings)
{
    std::unique_ptr<Database> db;
    bool passwordSet = false;
    try {
        db = TaxDatabase::open(databasePath);
        passwordSet = PasswordStore(*db).isSet();
    } catch (const DatabaseError& e) {
        // Nothing can run without the own database, so every failure here ends the program after its message.
        prompter.notice(Prompter::errorTitle(), openFailureMessage(e), Prompter::Icon::Exclamation);
        return nullptr;
    }

    // While only a password dialog is open, closing it must not end the application's event loop.
    const bool quitOnClose = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false);
    const bool confirmed =
        passwordSet ? LoginDialog::startWin(*db, prompter) : CreatePasswordDialog::startWin(*db, prompter);
    QApplication::setQuitOnLastWindowClosed(quitOnClose);
    if (!confirmed)
        return nullptr;

    const QString folder = QFileInfo(databasePath).absolutePath();
    return std::make_unique<MainWindow>(std::move(db), prompter, settings, folder);
}

} // namespace zq::ui
