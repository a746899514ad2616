#pragma once

#include "app/UserPrompts.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class select_device_dialog;

// Plays the user for the window under test: records every message box and answers the
// PIN prompt, the file dialogs and the device selection from its script, so nothing blocks.
class PromptScript
{
public:
    struct Box {
        UserPrompts::Kind kind;
        QString title;
        QString text;
    };

    PromptScript();
    ~PromptScript();

    QStringList boxTexts() const;

    QList<Box> boxes;
    // Taken front first; when none is left the prompt counts as cancelled.
    QStringList pinAnswers;
    int pinQuestions = 0;
    // Empty: a cancelled file dialog.
    QString fileAnswer;
    QStringList fileCaptions;
    // Plays the user on the real selection dialog; unset: the dialog is rejected.
    std::function<int(select_device_dialog &)> selection;
    int selections = 0;
    // Runs while a box is "open", after it has been recorded.
    std::function<void()> onBox;
};
