#include "dialogs/select_device_dialog.h"

#include "dialogs/DialogsLog.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

select_device_dialog::select_device_dialog(const QStringList &devices, QWidget *parent)
    : QDialog(parent),
      main_layout(new QVBoxLayout(this)),
      button_layout(new QHBoxLayout),
      ok_button(new QPushButton(tr("Ok"), this)),
      cancel_button(new QPushButton(tr("Отмена"), this)),
      filter_edit(new QLineEdit(this)),
      device_list(new QListWidget(this)),
      all_devices(devices)
{
    setWindowTitle(tr("Выберите устройство"));
    filter_edit->setObjectName(QStringLiteral("filter_edit"));
    device_list->setObjectName(QStringLiteral("device_list"));
    ok_button->setObjectName(QStringLiteral("ok_button"));
    cancel_button->setObjectName(QStringLiteral("cancel_button"));

    main_layout->addWidget(filter_edit);
    main_layout->addWidget(device_list);
    button_layout->addWidget(ok_button);
    button_layout->addWidget(cancel_button);
    main_layout->addLayout(button_layout);

    filter_edit->setFocus();
    device_list->addItems(all_devices);

    connect(ok_button, &QPushButton::clicked, this, &select_device_dialog::accepted);
    connect(cancel_button, &QPushButton::clicked, this, &QDialog::reject);
    connect(filter_edit, &QLineEdit::textChanged, this, &select_device_dialog::filter_devs);
    connect(device_list, &QListWidget::currentTextChanged, this, &select_device_dialog::select_device);
    adjustSize();
}

void select_device_dialog::filter_devs(const QString &filter)
{
    device_list->clear();
    for (const QString &device : all_devices)
        if (device.contains(filter, Qt::CaseInsensitive))
            device_list->addItem(device);
    // The list rebuilt without a current entry: the old choice may no longer be shown.
    device_list->setCurrentRow(-1);
    selected_device.clear();
}

void select_device_dialog::select_device(const QString &device)
{
    selected_device = device;
}

void select_device_dialog::accepted()
{
    if (selected_device.isEmpty()) {
        qCDebug(lcDialogs) << "[select_device_dialog::accepted] no device chosen yet";
        return;
    }
    accept();
}
