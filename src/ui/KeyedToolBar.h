#pragma once

#include <QHash>
#include <QString>
#include <QStyle>
#include <initializer_list>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

namespace zq::ui {

// One button of a toolbar whose buttons are dispatched by their key text.
struct KeyedButton {
    const char16_t* caption;
    const char16_t* key;
    const char16_t* tip; // empty: the caption serves as the tip
    QStyle::StandardPixmap icon;
};

// Adds the buttons (caption under icon) with their key as the action's data; returns the actions by key.
QHash<QString, QAction*> addKeyedButtons(QToolBar* bar, std::initializer_list<KeyedButton> buttons);

// A menu entry with an objectName; its shortcut works wherever the focus is in window.
QAction* addNamedEntry(QWidget* window, QMenu* menu, const QString& name, const QString& text);

// The help menu of the list windows: 目录(&C), 搜索(&S), a separator and 关于(&A), without content yet.
void addListHelpMenu(QWidget* window, QMenuBar* bar);

} // namespace zq::ui
