#pragma once

#include <QIcon>

namespace zq::ui {

// The main window's toolbar pictures, drawn so they stay sharp at any size and match the background.
enum class ToolbarIcon { Units, Employees, Declarations, Help, Exit, Program };

QIcon toolbarIcon(ToolbarIcon which);

} // namespace zq::ui
