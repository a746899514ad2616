#include "PromptScript.h"

#include "dialogs/select_device_dialog.h"

PromptScript::PromptScript()
{
    UserPrompts::setMessageHandler([this](UserPrompts::Kind kind, const QString &title, const QString &text) {
        boxes.append(Box{kind, title, text});
        if (onBox)
            onBox();
    });
    UserPrompts::setPinHandler([this](bool *ok) {
        ++pinQuestions;
        *ok = !pinAnswers.isEmpty();
        return *ok ? pinAnswers.takeFirst() : QString();
    });
    UserPrompts::setFileHandler([this](bool, const QString &caption, const QString &) {
        fileCaptions.append(caption);
        return fileAnswer;
    });
    UserPrompts::setQuestionHandler([this](const QString &title, const QString &text, const QString &) {
        questions.append(Box{UserPrompts::Kind::Warning, title, text});
        return !questionAnswers.isEmpty() && questionAnswers.takeFirst();
    });
    UserPrompts::setSelectionHandler([this](select_device_dialog &dialog) {
        ++selections;
        return selection ? selection(dialog) : int(QDialog::Rejected);
    });
}

QStringList PromptScript::boxTexts() const
{
    QStringList texts;
    for (const Box &box : boxes)
        texts.append(box.text);
    return texts;
}
