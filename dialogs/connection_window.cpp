#include "dialogs/connection_window.h"

#include "dialogs/DialogsLog.h"
#include "files/ServerAddressFile.h"
#include "ui_connection_window.h"

#include <QCheckBox>
#include <QFile>
#include <QSettings>

connection_window::connection_window(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                          | Qt::WindowTitleHint),
      ui(new Ui::connection_window),
      settings_file(new QFile(QStringLiteral("settings.cfg"), this))
{
    ui->setupUi(this);
    // The way chosen last time, and the reconnect choice, are remembered; "settings.cfg"
    // keeps the relay server's address only, as other installations read it.
    const QSettings remembered;
    set_mode(remembered.value(QStringLiteral("connection/mode"), 0).toUInt() == 1 ? 1 : 0);
    ui->checkBox_reconnect->setChecked(remembered.value(QStringLiteral("connection/reconnect"), false).toBool());
    connect(ui->checkBox_reconnect, &QCheckBox::toggled, this,
            [](bool on) { QSettings().setValue(QStringLiteral("connection/reconnect"), on); });
    load_server_address();
}

connection_window::~connection_window()
{
    delete ui;
}

void connection_window::load_server_address()
{
    // Opening for writing too creates the file on the first run.
    if (!settings_file->open(QIODevice::ReadWrite)) {
        qCWarning(lcDialogs).noquote() << "[connection_window::load_server_address] ERROR cannot open"
                                       << settings_file->fileName() << ":" << settings_file->errorString();
        return;
    }
    if (settings_file->size() != 0) {
        const QByteArray content = settings_file->read(ServerAddressFile::MAX_FILE_SIZE);
        TServerAddress stored;
        if (ServerAddressFile::read(content, &stored)) {
            address = stored.ip;
            port = stored.port;
            ui->lineEdit_address->setText(address);
            ui->spinBox_port->setValue(port);
        } else {
            qCWarning(lcDialogs).noquote() << "[connection_window::load_server_address] WARNING"
                                           << settings_file->fileName() << "is malformed, ignored";
        }
    }
    settings_file->close();
}

void connection_window::store_server_address()
{
    if (!settings_file->open(QIODevice::ReadWrite)) {
        qCWarning(lcDialogs).noquote() << "[connection_window::store_server_address] ERROR cannot open"
                                       << settings_file->fileName() << ":" << settings_file->errorString();
        return;
    }
    // Not truncated: a shorter record leaves older bytes behind it, which reading ignores.
    const QByteArray record = ServerAddressFile::bytes(TServerAddress{address, port});
    if (settings_file->write(record) != record.size())
        qCWarning(lcDialogs).noquote() << "[connection_window::store_server_address] ERROR cannot write"
                                       << settings_file->fileName() << ":" << settings_file->errorString();
    settings_file->close();
}

bool connection_window::autoReconnect() const
{
    return ui->checkBox_reconnect->isChecked();
}

void connection_window::set_mode(uint32_t chosen)
{
    mode = chosen;
    ui->radioButton_usb_connect->setChecked(mode == 0);
    ui->radioButton_tcp_connect->setChecked(mode == 1);
    ui->lineEdit_address->setEnabled(mode == 1);
    ui->spinBox_port->setEnabled(mode == 1);
}

void connection_window::on_radioButton_usb_connect_clicked()
{
    set_mode(0);
}

void connection_window::on_radioButton_tcp_connect_clicked()
{
    set_mode(1);
}

void connection_window::on_pushButton_cancel_clicked()
{
    hide();
}

void connection_window::on_commandLinkButton_connect_clicked()
{
    QSettings().setValue(QStringLiteral("connection/mode"), mode);
    if (mode == 1) {
        address = ui->lineEdit_address->text();
        port = uint16_t(ui->spinBox_port->value());
        emit sendServerParameters(TServerAddress{address, port});
        hide();
        store_server_address();
    } else {
        // Zeroed so that no stray memory travels with a USB request.
        TDeviceToConnect device{};
        device.via_server = 0;
        emit start_connection(device);
        hide();
    }
}
