#include "KeyedToolBar.h"

#include <QAction>
#include <QToolBar>

namespace zq::ui {

QHash<QString, QAction*> addKeyedButtons(QToolBar* bar, std::initializer_list<KeyedButton> buttons)
{
    QHash<QString, QAction*> actions;
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (const KeyedButton& b : buttons) {
        QAction* a = bar->addAction(bar->style()->standardIcon(b.icon), QString::fromUtf16(b.caption));
        const QString key = QString::fromUtf16(b.key);
        a->setData(key);
        const QString tip = QString::fromUtf16(b.tip);
        if (!tip.isEmpty())
            a->setToolTip(tip);
        actions.insert(key, a);
    }
    return actions;
}

} // namespace zq::ui
