#pragma once

class QWidget;

namespace zq::ui {

// Where the lists and editors live: the main window's multiple-document area, and its toolbar band that the
// declaration editor hides while it is open.
class WindowHost {
public:
    virtual ~WindowHost() = default;
    // Shows a window as a child of the main window (it is deleted when closed).
    virtual void showChild(QWidget* window) = 0;
    virtual void setToolbarBandVisible(bool visible) = 0;
};

} // namespace zq::ui
