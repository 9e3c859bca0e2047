#pragma once

#include "core/Prompter.h"

#include <QList>
#include <QStringList>
#include <QVariant>

namespace zq::test {

// A Prompter for tests: records every prompt and answers from a queue. A prompt that nobody queued an answer
// for is recorded as unexpected and answered Cancel/No/nothing; plain notices (OK only) are answered Ok.
class ScriptedPrompter : public Prompter {
public:
    struct Record {
        QString kind; // "message", "input", "save", "open"
        QString title;
        QString text;
        Buttons buttons = Buttons::Ok;
        QString defaultText; // input default, proposed path of a save dialog, folder of an open dialog
    };

    // Answers, consumed in order: an Answer for a message box, a text or nothing for the others.
    void queue(Answer a) { m_answers << QVariant::fromValue(int(a)); }
    void queueText(const std::optional<QString>& text) { m_answers << (text ? QVariant(*text) : QVariant()); }

    Answer message(const QString& title, const QString& text, Icon icon, Buttons buttons) override;
    std::optional<QString> input(const QString& title, const QString& prompt,
                                 const QString& defaultText) override
    {
        return textAnswer({"input", title, prompt, Buttons::OkCancel, defaultText});
    }
    std::optional<QString> saveFileName(const QString& title, const QString& proposedPath,
                                        const QString&) override
    {
        return textAnswer({"save", title, {}, Buttons::OkCancel, proposedPath});
    }
    std::optional<QString> openFileName(const QString& title, const QString& folder, const QString&) override
    {
        return textAnswer({"open", title, {}, Buttons::OkCancel, folder});
    }

    // Warnings before a save or an export are kept apart from the records and answered Yes (go on, as the
    // program did before it had them) unless told otherwise.
    Answer warnings(const QString& action, const Warnings&) override
    {
        m_warningActions << action;
        return m_warningAnswer;
    }
    void setWarningAnswer(Answer a) { m_warningAnswer = a; }
    const QStringList& warningActions() const { return m_warningActions; }

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
    }

private:
    std::optional<QString> textAnswer(const Record& record);

    QList<QVariant> m_answers;
    QList<Record> m_records;
    int m_unexpected = 0;
    Answer m_warningAnswer = Answer::Yes;
    QStringList m_warningActions;
};

} // namespace zq::test
