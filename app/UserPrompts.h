#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QDialog;
class QWidget;
class select_device_dialog;

// Every question the main window puts to the user goes through here, so that tests can
// answer in place of the user and a widget test never blocks on a modal box. Without a
// handler each call is the standard dialog.
class UserPrompts
{
public:
    enum class Kind { Warning, Critical, Information };

    using MessageHandler = std::function<void(Kind kind, const QString &title, const QString &text)>;
    // Answers the PIN prompt; *ok false stands for a cancelled prompt.
    using PinHandler = std::function<QString(bool *ok)>;
    // Answers a file dialog; an empty name stands for a cancelled one.
    using FileHandler = std::function<QString(bool save, const QString &caption, const QString &filter)>;
    // Plays the user on the real selection dialog and returns its result code.
    using SelectionHandler = std::function<int(select_device_dialog &dialog)>;
    // Answers a question: true for the action offered, false for "Отмена".
    using QuestionHandler = std::function<bool(const QString &title, const QString &text, const QString &action)>;
    // Plays the user on one of the window's own dialogs and returns its result code.
    using DialogHandler = std::function<int(QDialog &dialog)>;

    static void warning(QWidget *parent, const QString &title, const QString &text);
    static void critical(QWidget *parent, const QString &title, const QString &text);
    static void information(QWidget *parent, const QString &title, const QString &text);
    // Asks before an action that cannot be undone or that drops work: a button for the action
    // and "Отмена", which is the default and what Escape gives.
    static bool question(QWidget *parent, const QString &title, const QString &text, const QString &action);
    static QString getPin(QWidget *parent, const QString &title, const QString &label, bool *ok);
    static QString getSaveFileName(QWidget *parent, const QString &caption, const QString &filter);
    static QString getOpenFileName(QWidget *parent, const QString &caption, const QString &filter);
    // Runs the device selection on `devices`, the entry starting with `preferred` current:
    // QDialog::Accepted with *chosen set, QDialog::Rejected, or select_device_dialog::Refresh.
    static int runDeviceSelection(QWidget *parent, const QStringList &devices, const QString &preferred,
                                  QString *chosen);
    // Runs a dialog modally: its exec() result.
    static int runDialog(QDialog &dialog);

    static void setMessageHandler(MessageHandler handler);
    static void setPinHandler(PinHandler handler);
    static void setFileHandler(FileHandler handler);
    static void setSelectionHandler(SelectionHandler handler);
    static void setQuestionHandler(QuestionHandler handler);
    static void setDialogHandler(DialogHandler handler);
    // Back to the standard dialogs.
    static void resetHandlers();
};
