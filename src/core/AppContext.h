#pragma once

#include <QString>

namespace zq {

class Database;
class Prompter;
class AppSettings;

// What the windows and the operations they start share for the whole run: the own database connection, the
// way to talk to the user, the settings and the program's folder (where the own database and the windows/
// stand-ins for the registry and the system folder live).
struct AppContext {
    Database* db = nullptr;
    Prompter* prompter = nullptr;
    AppSettings* settings = nullptr;
    QString programFolder;
    // The stand-in for Windows (registry.reg, system32/) where there is none; empty means the "windows"
    // folder inside the program's folder.
    QString windowsFolder;
};

} // namespace zq
