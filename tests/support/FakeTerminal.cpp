#include "support/FakeTerminal.h"

#include "transport/EPacketType.h"
#include "transport/Packet.h"
#include "transport/RelayCodec.h"

#include <QHostAddress>
#include <QTcpSocket>

FakeTerminal::FakeTerminal(quint16 relayTerminalPort, const QByteArray &id, const QByteArray &name)
    : m_port(relayTerminalPort)
    , m_id(id)
    , m_name(name)
{
    start();
}

FakeTerminal::~FakeTerminal()
{
    m_stop = true;
    wait();
}

void FakeTerminal::run()
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, m_port);
    if (!socket.waitForConnected(5000))
        return;
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket.write(Packet::assemble(PACKET_CONNECT_TO_DEVICE,
                                  RelayCodec::recordBytes(RelayCodec::makeRecord(m_id, m_name))));
    QByteArray stream;
    while (!m_stop && socket.state() == QAbstractSocket::ConnectedState) {
        if (!socket.waitForReadyRead(20))
            continue;
        stream.append(socket.readAll());
        for (const QByteArray &frame : RelayCodec::takeFrames(stream)) {
            const uint8_t type = uint8_t(frame.at(2));
            if (type == PACKET_AUTH)
                socket.write(Packet::assemble(PACKET_AUTH, QByteArray(1, '\1')));
            else if (type == PACKET_REQUEST)
                socket.write(Packet::assemble(PACKET_RESPONSE, RelayCodec::payloadOf(frame)));
            else if (type == PACKET_CLOSE_SOCKET)
                ++m_closes;
        }
        socket.flush();
    }
}
