#pragma once

#include "transport/TDeviceToConnect.h"
#include "transport/TServerAddress.h"

#include <QString>
#include <QWidget>
#include <cstdint>

class QFile;

namespace Ui {
class connection_window;
}

// Asks how to reach a terminal: over USB, or through a relay server whose address and port
// it remembers in "settings.cfg" in the working directory.
class connection_window : public QWidget
{
    Q_OBJECT

public:
    explicit connection_window(QWidget *parent = nullptr);
    ~connection_window() override;

    // The operator's choice to get the terminal back by itself after it went (opt-in).
    bool autoReconnect() const;

signals:
    void sendServerParameters(TServerAddress address);
    void start_connection(TDeviceToConnect device);

private slots:
    void on_commandLinkButton_connect_clicked();
    void on_radioButton_usb_connect_clicked();
    void on_radioButton_tcp_connect_clicked();
    void on_pushButton_cancel_clicked();

private:
    void load_server_address();
    void store_server_address();
    void set_mode(uint32_t chosen);

    uint32_t mode = 0; // 0 USB, 1 TCP
    Ui::connection_window *ui;
    QFile *settings_file;
    QString address;
    uint16_t port = 0;
};
