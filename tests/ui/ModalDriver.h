#pragma once

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "TestSupport.h"

namespace zq::test {

// Drives a modal dialog from inside its own exec(): each step runs once the dialog with the given objectName
// is the active modal window, one step per turn of the event loop. A dialog still open after the last step is
// cancelled and counted in leftOpen(), so a test never hangs on a dialog it did not expect to stay.
class ModalDriver {
public:
    using Step = std::function<void(QDialog*)>;

    ModalDriver(QString objectName, QList<Step> steps)
        : m_name(std::move(objectName)), m_steps(std::move(steps))
    {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_timer.start();
    }

    int stepsRun() const { return m_done; }
    int leftOpen() const { return m_leftOpen; }

private:
    void tick()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != m_name || !dialog->isVisible())
            return;
        if (m_done < m_steps.size()) {
            m_steps[m_done++](dialog);
            return;
        }
        ++m_leftOpen;
        dialog->reject();
    }

    QString m_name;
    QList<Step> m_steps;
    qsizetype m_done = 0;
    int m_leftOpen = 0;
    QTimer m_timer;
};

inline QPushButton* button(QWidget* dialog, const char* name)
{
    return dialog->findChild<QPushButton*>(QLatin1String(name));
}
inline void typeInto(QWidget* dialog, const char* name, const QString& text)
{
    auto* b = dialog->findChild<QLineEdit*>(QLatin1String(name));
    b->clear();
    typeText(b, text);
}

} // namespace zq::test
