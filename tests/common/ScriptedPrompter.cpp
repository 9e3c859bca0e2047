#include "ScriptedPrompter.h"

namespace zq::test {

Prompter::Answer ScriptedPrompter::message(const QString& title, const QString& text, Icon, Buttons buttons)
{
    m_records << Record{QStringLiteral("message"), title, text, buttons, {}};
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    if (m_answers.isEmpty() || m_answers.first().typeId() != QMetaType::Int) {
        ++m_unexpected;
        return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
    return Answer(m_answers.takeFirst().toInt());
}

std::optional<QString> ScriptedPrompter::textAnswer(const Record& record)
{
    m_records << record;
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
