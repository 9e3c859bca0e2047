#pragma once

#include <QHash>
#include <QString>
#include <QStyle>
#include <initializer_list>

class QAction;
class QToolBar;

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

} // namespace zq::ui
