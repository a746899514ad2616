#include "dialogs/select_device_dialog.h"

#include "dialogs/DialogsLog.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QListWidgetItem>
#include <QPushButton>
#include <QVBoxLayout>

select_device_dialog::select_device_dialog(const QStringList &devices, QWidget *parent)
    : QDialog(parent),
      main_layout(new QVBoxLayout(this)),
      button_layout(new QHBoxLayout),
      ok_button(new QPushButton(tr("Ok"), this)),
      cancel_button(new QPushButton(tr("Отмена"), this)),
      refresh_button(new QPushButton(tr("Обновить"), this)),
      sort_button(new QPushButton(tr("По алфавиту"), this)),
      filter_edit(new QLineEdit(this)),
      device_list(new QListWidget(this)),
      all_devices(devices)
{
    setWindowTitle(tr("Выберите устройство"));
    filter_edit->setObjectName(QStringLiteral("filter_edit"));
    device_list->setObjectName(QStringLiteral("device_list"));
    ok_button->setObjectName(QStringLiteral("ok_button"));
    cancel_button->setObjectName(QStringLiteral("cancel_button"));
    refresh_button->setObjectName(QStringLiteral("refresh_button"));
    sort_button->setObjectName(QStringLiteral("sort_button"));
    filter_edit->setPlaceholderText(tr("Фильтр: номер или имя устройства"));
    sort_button->setCheckable(true);

    main_layout->addWidget(filter_edit);
    main_layout->addWidget(device_list);
    button_layout->addWidget(refresh_button);
    button_layout->addWidget(sort_button);
    button_layout->addStretch();
    button_layout->addWidget(ok_button);
    button_layout->addWidget(cancel_button);
    main_layout->addLayout(button_layout);

    filter_edit->setFocus();
    device_list->addItems(all_devices);

    connect(ok_button, &QPushButton::clicked, this, &select_device_dialog::accepted);
    connect(cancel_button, &QPushButton::clicked, this, &QDialog::reject);
    connect(filter_edit, &QLineEdit::textChanged, this, &select_device_dialog::filter_devs);
    connect(device_list, &QListWidget::currentTextChanged, this, &select_device_dialog::select_device);
    // A double click picks the entry at once.
    connect(device_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        select_device(item->text());
        accepted();
    });
    connect(refresh_button, &QPushButton::clicked, this, [this] { done(Refresh); });
    connect(sort_button, &QPushButton::toggled, this, [this] { filter_devs(filter_edit->text()); });
    adjustSize();
}

void select_device_dialog::filter_devs(const QString &filter)
{
    device_list->clear();
    for (const QString &device : all_devices)
        if (device.contains(filter, Qt::CaseInsensitive))
            device_list->addItem(device);
    // Sorted on demand; otherwise in the server's order.
    if (sort_button->isChecked())
        device_list->sortItems();
    // The list rebuilt without a current entry: the old choice may no longer be shown.
    device_list->setCurrentRow(-1);
    selected_device.clear();
}

void select_device_dialog::preselect(const QString &start)
{
    if (start.isEmpty())
        return;
    for (int row = 0; row < device_list->count(); ++row) {
        if (device_list->item(row)->text().startsWith(start)) {
            device_list->setCurrentRow(row);
            return;
        }
    }
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
