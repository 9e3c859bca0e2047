#pragma once

#include "Warning.h"

#include <QString>
#include <optional>

namespace zq {

// How the program talks to the user in message boxes, the input box and the save-file dialog. Logic that the
// program's rules make show a message takes a Prompter; windows use the Qt one, tests a scripted one.
class Prompter {
public:
    enum class Icon { None, Information, Exclamation, Critical, Question };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~Prompter() = default;

    // A message box; returns the button pressed (closing the box counts as Cancel, or No when there is no
    // Cancel button, or Ok for a plain notice).
    virtual Answer message(const QString& title, const QString& text, Icon icon, Buttons buttons) = 0;
    // A one-line input box; nothing when cancelled.
    virtual std::optional<QString> input(const QString& title, const QString& prompt,
                                         const QString& defaultText) = 0;
    // A save-file dialog with a proposed file name and a filter such as "CSV文件 (*.csv)"; nothing when
    // cancelled.
    virtual std::optional<QString> saveFileName(const QString& title, const QString& proposedPath,
                                                const QString& filter) = 0;
    // An open-file dialog in a folder with a filter such as "旧版数据库 (*.mdb)"; nothing when cancelled. A
    // prompter without dialogs (batch runs) answers nothing.
    virtual std::optional<QString> openFileName(const QString& title, const QString& folder,
                                                const QString& filter)
    {
        Q_UNUSED(title)
        Q_UNUSED(folder)
        Q_UNUSED(filter)
        return std::nullopt;
    }

    // Warnings that do not stop what the user started (action: "保存", "生成上传文件"), shown with the
    // question whether to go on; Yes goes on. The windows show them as a list; the default is one message
    // box.
    virtual Answer warnings(const QString& action, const Warnings& list)
    {
        QString text = QStringLiteral("发现%1条警告：\r\n").arg(list.size());
        constexpr qsizetype shownLines = 20;
        for (qsizetype i = 0; i < list.size() && i < shownLines; ++i)
            text += list[i].line() + QStringLiteral("\r\n");
        if (list.size() > shownLines)
            text += QStringLiteral("……\r\n");
        text += QStringLiteral("\r\n仍要%1吗？").arg(action);
        return message(noticeTitle(), text, Icon::Exclamation, Buttons::YesNo);
    }
    // True when there is nothing to warn about or the user chose to go on.
    bool goOnDespite(const QString& action, const Warnings& list)
    {
        return list.isEmpty() || warnings(action, list) == Answer::Yes;
    }

    // The conventions: a notice has OK only and the title "提示信息" unless told otherwise.
    void notice(const QString& text, Icon icon = Icon::None)
    {
        message(noticeTitle(), text, icon, Buttons::Ok);
    }
    void notice(const QString& title, const QString& text, Icon icon)
    {
        message(title, text, icon, Buttons::Ok);
    }
    bool askYesNo(const QString& title, const QString& text)
    {
        return message(title, text, Icon::Question, Buttons::YesNo) == Answer::Yes;
    }
    static QString noticeTitle() { return QStringLiteral("提示信息"); }
    static QString errorTitle() { return QStringLiteral("错误信息"); }
};

} // namespace zq
