#include "peers/terminal/RelayLink.h"

#include "peers/terminal/EventLog.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"
#include "transport/TDeviceToConfigInfo.h"

#include <cstring>

namespace {

// UTF-8 of the text, cut at a character boundary to fit the field.
QByteArray fitted(const QString &text, int room)
{
    QString t = text;
    QByteArray bytes = t.toUtf8();
    while (bytes.size() > room) {
        t.chop(1);
        bytes = t.toUtf8();
    }
    return bytes;
}

} // namespace

RelayLink::RelayLink(const QString &host, quint16 port, const QString &id, const QString &name, int rebootMs,
                     TerminalDevice *device, FaultSwitches *faults, QObject *parent)
    : TerminalLink(device, faults, parent)
    , m_host(host)
    , m_port(port)
    , m_id(id)
    , m_name(name)
    , m_rebootMs(rebootMs)
{
    m_reconnectTimer.setSingleShot(true);
    connect(&m_reconnectTimer, &QTimer::timeout, this, &RelayLink::start);
    connect(&m_socket, &QTcpSocket::connected, this, &RelayLink::onConnected);
    connect(&m_socket, &QTcpSocket::disconnected, this, &RelayLink::onDisconnected);
    connect(&m_socket, &QAbstractSocket::errorOccurred, this, &RelayLink::onError);
    connect(&m_socket, &QTcpSocket::readyRead, this, [this] { bytesArrived(m_socket.readAll()); });
}

QByteArray RelayLink::registrationRecord(const QString &id, const QString &name)
{
    TDeviceToConfigInfo info;
    std::memset(&info, 0, sizeof info);
    const QByteArray idBytes = fitted(id, int(sizeof info.device_id));
    const QByteArray nameBytes = fitted(name, int(sizeof info.device_name));
    std::memcpy(info.device_id, idBytes.constData(), size_t(idBytes.size()));
    std::memcpy(info.device_name, nameBytes.constData(), size_t(nameBytes.size()));
    return QByteArray(reinterpret_cast<const char *>(&info), int(sizeof info));
}

void RelayLink::start()
{
    if (m_socket.state() != QAbstractSocket::UnconnectedState)
        return;
    m_socket.connectToHost(m_host, m_port);
}

void RelayLink::onConnected()
{
    linkLost();
    m_session.reset();
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    const QByteArray record = registrationRecord(m_id, m_name);
    m_socket.write(Packet::assemble(PACKET_CONNECT_TO_DEVICE, record));
    m_socket.flush();
    TDeviceToConfigInfo info;
    std::memcpy(&info, record.constData(), sizeof info);
    EventLog::line(QStringLiteral("REGISTERED %1").arg(deviceIdText(info)));
}

void RelayLink::onDisconnected()
{
    linkLost();
    m_session.reset();
    EventLog::line(QStringLiteral("RELAY_DOWN"));
    scheduleReconnect();
}

void RelayLink::onError(QAbstractSocket::SocketError error)
{
    // Errors of a live connection end in disconnected(); a failed connect does not.
    if (error != QAbstractSocket::RemoteHostClosedError && m_socket.state() == QAbstractSocket::UnconnectedState) {
        EventLog::line(QStringLiteral("RELAY_ERROR %1").arg(m_socket.errorString()));
        scheduleReconnect();
    }
}

void RelayLink::scheduleReconnect()
{
    m_reconnectTimer.start(m_rebootMs);
}

void RelayLink::writeBytes(const QByteArray &bytes)
{
    if (m_socket.state() != QAbstractSocket::ConnectedState)
        return;
    m_socket.write(bytes);
    m_socket.flush();
}

void RelayLink::dropLink(TerminalSession::LinkAction why)
{
    EventLog::line(why == TerminalSession::LinkAction::Reboot ? QStringLiteral("REBOOT relay")
                                                                : QStringLiteral("LINK_DROPPED relay"));
    linkLost();
    // Bytes already written still go out before the connection closes.
    m_socket.disconnectFromHost();
}

bool RelayLink::takeLinkFrame(const QByteArray &frame)
{
    const auto type = uint8_t(frame[2]);
    if (!isRelayPacketType(type))
        return false;
    if (type == PACKET_CLOSE_SOCKET) {
        m_session.reset();
        EventLog::line(QStringLiteral("UNBOUND"));
    } else {
        EventLog::line(QStringLiteral("IGNORED %1").arg(type));
    }
    return true;
}
