#include "app/UserPrompts.h"

#include "dialogs/select_device_dialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

struct THandlers {
    UserPrompts::MessageHandler message;
    UserPrompts::PinHandler pin;
    UserPrompts::FileHandler file;
    UserPrompts::SelectionHandler selection;
    UserPrompts::QuestionHandler question;
    UserPrompts::DialogHandler dialog;
};

THandlers &handlers()
{
    static THandlers h;
    return h;
}

} // namespace

void UserPrompts::warning(QWidget *parent, const QString &title, const QString &text)
{
    if (handlers().message) {
        handlers().message(Kind::Warning, title, text);
        return;
    }
    QMessageBox::warning(parent, title, text, QMessageBox::Ok);
}

void UserPrompts::critical(QWidget *parent, const QString &title, const QString &text)
{
    if (handlers().message) {
        handlers().message(Kind::Critical, title, text);
        return;
    }
    QMessageBox::critical(parent, title, text, QMessageBox::Ok);
}

void UserPrompts::information(QWidget *parent, const QString &title, const QString &text)
{
    if (handlers().message) {
        handlers().message(Kind::Information, title, text);
        return;
    }
    QMessageBox::information(parent, title, text, QMessageBox::Ok);
}

bool UserPrompts::question(QWidget *parent, const QString &title, const QString &text, const QString &action)
{
    if (handlers().question)
        return handlers().question(title, text, action);
    // The title repeated in the box: not every window manager shows titles of dialogs.
    QMessageBox box(QMessageBox::Warning, title, QStringLiteral("<b>%1</b>").arg(title.toHtmlEscaped()),
                    QMessageBox::NoButton, parent);
    box.setInformativeText(text);
    QPushButton *accept = box.addButton(action, QMessageBox::AcceptRole);
    QPushButton *cancel = box.addButton(QCoreApplication::translate("UserPrompts", "Отмена"), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == accept;
}

QString UserPrompts::getPin(QWidget *parent, const QString &title, const QString &label, bool *ok)
{
    if (handlers().pin)
        return handlers().pin(ok);
    return QInputDialog::getText(parent, title, label, QLineEdit::Password, QString(), ok, Qt::WindowFlags(),
                                 Qt::ImhPreferNumbers);
}

QString UserPrompts::getSaveFileName(QWidget *parent, const QString &caption, const QString &filter)
{
    if (handlers().file)
        return handlers().file(true, caption, filter);
    return QFileDialog::getSaveFileName(parent, caption, QString(), filter);
}

QString UserPrompts::getOpenFileName(QWidget *parent, const QString &caption, const QString &filter)
{
    if (handlers().file)
        return handlers().file(false, caption, filter);
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

int UserPrompts::runDeviceSelection(QWidget *parent, const QStringList &devices, const QString &preferred,
                                    QString *chosen)
{
    select_device_dialog dialog(devices, parent);
    dialog.preselect(preferred);
    const int result = handlers().selection ? handlers().selection(dialog) : dialog.exec();
    if (result == QDialog::Accepted)
        *chosen = dialog.selected_device;
    return result;
}

void UserPrompts::setMessageHandler(MessageHandler handler) { handlers().message = std::move(handler); }
void UserPrompts::setPinHandler(PinHandler handler) { handlers().pin = std::move(handler); }
void UserPrompts::setFileHandler(FileHandler handler) { handlers().file = std::move(handler); }
void UserPrompts::setSelectionHandler(SelectionHandler handler) { handlers().selection = std::move(handler); }
void UserPrompts::setQuestionHandler(QuestionHandler handler) { handlers().question = std::move(handler); }
void UserPrompts::setDialogHandler(DialogHandler handler) { handlers().dialog = std::move(handler); }

int UserPrompts::runDialog(QDialog &dialog)
{
    return handlers().dialog ? handlers().dialog(dialog) : dialog.exec();
}

void UserPrompts::resetHandlers()
{
    handlers() = THandlers();
}
