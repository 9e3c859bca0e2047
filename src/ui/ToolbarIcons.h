#pragma once

#include <QIcon>

namespace zq::ui {

// The toolbar pictures of every window, drawn so they stay sharp at any size and match the background. One
// command has one picture wherever its button stands.
enum class ToolbarIcon {
    Units,
    Employees,
    Declarations,
    Help,
    Exit,
    Program,
    Add,
    Insert,
    Delete,
    Edit,
    Copy,
    Paste,
    Save,
    Undo,
    Import,
    Print,
};

QIcon toolbarIcon(ToolbarIcon which);

// The picture of a toolbar command by its caption ("增加", "删行", "保存", ...); a null icon for a caption
// without one.
QIcon commandIcon(const QString& caption);

} // namespace zq::ui
