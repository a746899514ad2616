#pragma once

#include <QDialog>
#include <QString>

namespace Ui {
class AboutDialog;
}

// Title, version and build date and time of the program, in a read-only text box.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(const QString &title, QWidget *parent = nullptr);
    ~AboutDialog() override;

    // Rewrites the window title and the text; the window calls it before every show.
    void refresh();

private:
    Ui::AboutDialog *ui;
    QString title;
};
