#pragma once

#include "peers/terminal/TerminalLink.h"

#include <QString>
#include <QTcpSocket>
#include <QTimer>

// The terminal as a client of the relay server: it connects to the relay's terminal port,
// registers with one PACKET_CONNECT_TO_DEVICE frame carrying its 57-byte record, and then
// sees the bound configurator's frames. The relay's PACKET_CLOSE_SOCKET ends that binding.
// Whenever the connection goes, the terminal comes back after the reboot time.
class RelayLink : public TerminalLink
{
    Q_OBJECT
public:
    RelayLink(const QString &host, quint16 port, const QString &id, const QString &name, int rebootMs,
              TerminalDevice *device, FaultSwitches *faults, QObject *parent = nullptr);

    void start();
    // The 57-byte record: id text in bytes 0-15, name text from 16, zero-padded, UTF-8.
    static QByteArray registrationRecord(const QString &id, const QString &name);

protected:
    void writeBytes(const QByteArray &bytes) override;
    void dropLink(TerminalSession::LinkAction why) override;
    bool takeLinkFrame(const QByteArray &frame) override;

private:
    void onConnected();
    void onDisconnected();
    void onError(QAbstractSocket::SocketError error);
    void scheduleReconnect();

    QString m_host;
    quint16 m_port;
    QString m_id;
    QString m_name;
    int m_rebootMs;
    QTcpSocket m_socket;
    QTimer m_reconnectTimer;
};
