#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QHBoxLayout;
class QListWidgetItem;
class QLineEdit;
class QListWidget;
class QPushButton;
class QVBoxLayout;

// Lets the user pick one terminal from the relay server's list, narrowed by a filter.
// After an accepted run the choice is in selected_device.
class select_device_dialog : public QDialog
{
    Q_OBJECT

public:
    // Ends the dialog asking for the server's list anew.
    static constexpr int Refresh = 2;

    explicit select_device_dialog(const QStringList &devices, QWidget *parent = nullptr);

    // Makes the entry that starts with this text (the terminal chosen last time) current.
    void preselect(const QString &start);

    QString selected_device;

public slots:
    void filter_devs(const QString &filter);
    void select_device(const QString &device);
    // Shadows QDialog's signal of the same name; connect to finished() or the base signal
    // (QDialog::accepted) to learn about an accepted run.
    void accepted();

private:
    QVBoxLayout *main_layout;
    QHBoxLayout *button_layout;
    QPushButton *ok_button;
    QPushButton *cancel_button;
    QPushButton *refresh_button;
    QPushButton *sort_button;
    QLineEdit *filter_edit;
    QListWidget *device_list;
    const QStringList all_devices;
};
