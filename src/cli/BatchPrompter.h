#pragma once

#include "core/Prompter.h"

#include <QList>

namespace zq::cli {

// The answers a command gives where the window would ask: Yes to every question, OK to every notice, nothing
// to inputs and file dialogs. Every message is kept so the command can print the one the window would show.
class BatchPrompter : public Prompter {
public:
    struct Shown {
        QString title;
        QString text;
        Buttons buttons;
    };

    Answer message(const QString& title, const QString& text, Icon, Buttons buttons) override
    {
        m_shown.append(Shown{title, text, buttons});
        return (buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel) ? Answer::Yes : Answer::Ok;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    std::optional<QString> saveFileName(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }

    const QList<Shown>& shown() const { return m_shown; }
    // The text of the last notice (questions left out), "" when there was none.
    QString lastNotice() const
    {
        for (qsizetype i = m_shown.size() - 1; i >= 0; --i)
            if (m_shown[i].buttons == Buttons::Ok)
                return m_shown[i].text;
        return QString();
    }

private:
    QList<Shown> m_shown;
};

} // namespace zq::cli
