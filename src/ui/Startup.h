#pragma once

#include <QString>
#include <memory>

class QCoreApplication;

namespace zq {
class AppSettings;
class DatabaseError;
class Prompter;
} // namespace zq

namespace zq::ui {

class MainWindow;

// The start-up from the own database on: opens it (a failure is reported in its message and ends the
// program), reads the password, shows the create-password dialog when none is set and the login dialog
// otherwise. Returns the main window, not yet shown, or nothing when the program is to end.
std::unique_ptr<MainWindow> startUp(const QString& databasePath, Prompter& prompter, AppSettings& settings);

// Qt's own dialogs, buttons and context menus speak Chinese (its translation from the Qt installation), and
// dates and numbers shown through QLocale take the Chinese (China) form, whatever the system's language. A
// missing translation leaves Qt's English texts and one line on standard error; the program still runs.
// Returns whether the translation was loaded.
bool useChinese(QCoreApplication& app);

// The message for a failed opening of the own database, by the kind of failure.
QString openFailureMessage(const DatabaseError& error);

} // namespace zq::ui
