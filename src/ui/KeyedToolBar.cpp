#include "KeyedToolBar.h"

#include "ToolbarIcons.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace zq::ui {

QHash<QString, QAction*> addKeyedButtons(QToolBar* bar, std::initializer_list<KeyedButton> buttons)
{
    QHash<QString, QAction*> actions;
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (const KeyedButton& b : buttons) {
        // The program's own picture of the command, the same in every window; the style's where it has none.
        const QString caption = QString::fromUtf16(b.caption);
        QIcon icon = commandIcon(caption);
        if (icon.isNull())
            icon = bar->style()->standardIcon(b.icon);
        QAction* a = bar->addAction(icon, caption);
        const QString key = QString::fromUtf16(b.key);
        a->setData(key);
        const QString tip = QString::fromUtf16(b.tip);
        if (!tip.isEmpty())
            a->setToolTip(tip);
        actions.insert(key, a);
    }
    return actions;
}

QAction* addNamedEntry(QWidget* window, QMenu* menu, const QString& name, const QString& text)
{
    QAction* a = menu->addAction(text);
    a->setObjectName(name);
    window->addAction(a);
    return a;
}

void addListHelpMenu(QWidget* window, QMenuBar* bar)
{
    QMenu* help = bar->addMenu(QStringLiteral("帮助(&H)"));
    addNamedEntry(window, help, QStringLiteral("m_Content"), QStringLiteral("目录(&C)"));
    addNamedEntry(window, help, QStringLiteral("m_Search"), QStringLiteral("搜索(&S)"));
    help->addSeparator();
    addNamedEntry(window, help, QStringLiteral("m_About"), QStringLiteral("关于(&A)"));
}

} // namespace zq::ui
