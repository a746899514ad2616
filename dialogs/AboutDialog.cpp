#include "dialogs/AboutDialog.h"

#include "ui_AboutDialog.h"

AboutDialog::AboutDialog(const QString &title, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                          | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ui(new Ui::AboutDialog),
      title(title)
{
    ui->setupUi(this);
    setFixedSize(size());
    refresh();
}

AboutDialog::~AboutDialog()
{
    delete ui;
}

void AboutDialog::refresh()
{
    setWindowTitle(tr("О программе"));
    ui->plainTextEdit->clear();
    // __DATE__ pads a one-digit day with a blank ("Nov  1 2019"); shown with one blank.
    const QString buildDate = QString::fromLatin1(__DATE__).simplified();
    ui->plainTextEdit->appendPlainText(title + QStringLiteral(". \n") + tr("Версия программы")
                                       + QStringLiteral(": ") + QLatin1String(TRIVOX_VERSION)
                                       + QStringLiteral("\n") + tr("Дата сборки программы")
                                       + QStringLiteral(": ") + buildDate + QStringLiteral(" ")
                                       + tr("в") + QStringLiteral(" ")
                                       + QLatin1String(__TIME__));
}
