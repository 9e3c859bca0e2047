#include "ScriptedPrompter.h"

namespace zq::test {

Prompter::Answer ScriptedPrompter::message(const QString& title, const QString& text, Icon icon,
                                           Buttons buttons)
{
    m_records << Record{QStringLiteral("message"), title, text, icon, buttons, {}, {}};
    if (buttons == Buttons::Ok && m_autoOk)
        return Answer::Ok;
    if (m_answers.isEmpty() || m_answers.first().typeId() != QMetaType::Int) {
        ++m_unexpected;
        return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
    return Answer(m_answers.takeFirst().toInt());
}

std::optional<QString> ScriptedPrompter::input(const QString& title, const QString& prompt,
                                               const QString& defaultText)
{
    m_records << Record{QStringLiteral("input"), title,       prompt, Icon::None,
                        Buttons::OkCancel,       defaultText, {}};
    if (m_answers.isEmpty() || m_answers.first().typeId() == QMetaType::Int) {
        ++m_unexpected;
        return std::nullopt;
    }
    const QVariant v = m_answers.takeFirst();
    return v.isNull() ? std::nullopt : std::optional<QString>(v.toString());
}

std::optional<QString> ScriptedPrompter::openFileName(const QString& title, const QString& folder,
                                                      const QString& filter)
{
    m_records << Record{QStringLiteral("open"), title,  QString(), Icon::None,
                        Buttons::OkCancel,      folder, filter};
    if (m_answers.isEmpty() || m_answers.first().typeId() == QMetaType::Int) {
        ++m_unexpected;
        return std::nullopt;
    }
    const QVariant v = m_answers.takeFirst();
    return v.isNull() ? std::nullopt : std::optional<QString>(v.toString());
}

std::optional<QString> ScriptedPrompter::saveFileName(const QString& title, const QString& proposedPath,
                                                      const QString& filter)
{
    m_records << Record{QStringLiteral("save"), title,        QString(), Icon::None,
                        Buttons::OkCancel,      proposedPath, filter};
    if (m_answers.isEmpty() || m_answers.first().typeId() == QMetaType::Int) {
        ++m_unexpected;
        return std::nullopt;
    }
    const QVariant v = m_answers.takeFirst();
    return v.isNull() ? std::nullopt : std::optional<QString>(v.toString());
}

QStringList ScriptedPrompter::texts() const
{
    QStringList out;
    for (const Record& r : m_records)
        out << r.text;
    return out;
}

} // namespace zq::test
