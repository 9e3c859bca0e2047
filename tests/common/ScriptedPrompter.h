#pragma once

#include "core/Prompter.h"

#include <QList>
#include <QStringList>
#include <QVariant>

namespace zq::test {

// A Prompter for tests: records every prompt and answers from a queue. A prompt that nobody queued an answer
// for is recorded as unexpected and answered Cancel/No/nothing; check unexpected() (or use expectNone()).
class ScriptedPrompter : public Prompter {
public:
    struct Record {
        QString kind; // "message", "input", "save", "open"
        QString title;
        QString text;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        QString defaultText; // input default, proposed path of a save dialog, folder of an open dialog
        QString filter;
    };

    // Answers, consumed in order. A message box takes an Answer; input and save take a text or nothing.
    void queue(Answer a) { m_answers << QVariant::fromValue(int(a)); }
    void queueText(const std::optional<QString>& text) { m_answers << (text ? QVariant(*text) : QVariant()); }
    // Plain notices (OK button only) are answered Ok without queueing.
    void setAutoOk(bool on) { m_autoOk = on; }

    Answer message(const QString& title, const QString& text, Icon icon, Buttons buttons) override;
    std::optional<QString> input(const QString& title, const QString& prompt,
                                 const QString& defaultText) override;
    std::optional<QString> saveFileName(const QString& title, const QString& proposedPath,
                                        const QString& filter) override;
    std::optional<QString> openFileName(const QString& title, const QString& folder,
                                        const QString& filter) override;

    // Warnings before a save or an export are kept apart from the records and answered Yes (go on, as the
    // program did before it had them) unless told otherwise.
    Answer warnings(const QString& action, const Warnings& list) override
    {
        m_warningActions << action;
        m_warnings << list;
        return m_warningAnswer;
    }
    void setWarningAnswer(Answer a) { m_warningAnswer = a; }
    const QStringList& warningActions() const { return m_warningActions; }
    const QList<Warnings>& warningsShown() const { return m_warnings; }

    const QList<Record>& records() const { return m_records; }
    QStringList texts() const;
    const Record& last() const { return m_records.last(); }
    int unexpected() const { return m_unexpected; }
    int pending() const { return int(m_answers.size()); }
    void clear()
    {
        m_records.clear();
        m_answers.clear();
        m_unexpected = 0;
        m_warningActions.clear();
        m_warnings.clear();
    }

private:
    QList<QVariant> m_answers;
    QList<Record> m_records;
    int m_unexpected = 0;
    bool m_autoOk = true;
    Answer m_warningAnswer = Answer::Yes;
    QStringList m_warningActions;
    QList<Warnings> m_warnings;
};

} // namespace zq::test
