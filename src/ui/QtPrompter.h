#pragma once

#include "core/Prompter.h"

namespace zq::ui {

// The Prompter of the running program: message boxes, the input box and the save-file dialog, over the window
// that is active at the time.
class QtPrompter : public Prompter {
public:
    Answer message(const QString& title, const QString& text, Icon icon, Buttons buttons) override;
    std::optional<QString> input(const QString& title, const QString& prompt,
                                 const QString& defaultText) override;
    std::optional<QString> saveFileName(const QString& title, const QString& proposedPath,
                                        const QString& filter) override;
    std::optional<QString> openFileName(const QString& title, const QString& folder,
                                        const QString& filter) override;
};

} // namespace zq::ui
