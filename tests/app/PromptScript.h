#pragma once

#include "app/UserPrompts.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class select_device_dialog;

// Plays the user: records every message box and answers the PIN prompt, the file dialogs and
// the device selection from its script, so nothing blocks.
class PromptScript
{
public:
    struct Box {
        UserPrompts::Kind kind;
        QString title;
        QString text;
    };

    PromptScript();
    ~PromptScript() { UserPrompts::resetHandlers(); }
    QStringList boxTexts() const;

    QList<Box> boxes;
    QStringList pinAnswers; // taken front first; none left: the prompt is cancelled
    int pinQuestions = 0;
    QString fileAnswer; // empty: a cancelled file dialog
    QStringList fileCaptions;
    std::function<int(select_device_dialog &)> selection; // unset: the dialog is rejected
    int selections = 0;
    std::function<void()> onBox; // runs while a box is "open"
    QList<Box> questions;        // kind unused
    QList<bool> questionAnswers; // taken front first; none left: "Отмена"
};
