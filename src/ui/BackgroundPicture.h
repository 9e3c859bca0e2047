#pragma once

#include <QRect>

class QPainter;

namespace zq::ui {

// The main window's background. The standard picture is the one the window is designed with; on a screen
// wider than 800 pixels the wide picture takes its place.
enum class BackgroundKind { Standard, Wide };

BackgroundKind backgroundFor(int screenWidth);
// Paints the picture to fill rect; it is drawn, not scaled, so it stays sharp at any window size.
void paintBackground(QPainter& painter, const QRect& rect, BackgroundKind kind);

} // namespace zq::ui
