#pragma once

#include "support/ScriptedPeer.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"
#include "transport/RelayCodec.h"

// The least of a terminal behind the relay: registers with its record, accepts any PIN and
// echoes every request's payload in a response.
class FakeTerminal : public ScriptedPeer
{
public:
    FakeTerminal(quint16 relayTerminalPort, const QByteArray &id, const QByteArray &name)
        : ScriptedPeer(Connect, withAuth(echo), relayTerminalPort)
    {
        send(Packet::assemble(PACKET_CONNECT_TO_DEVICE, RelayCodec::recordBytes(RelayCodec::makeRecord(id, name))));
    }

    int closeNotifications() const { return count(PACKET_CLOSE_SOCKET); }

private:
    static QList<QByteArray> echo(const QByteArray &frame)
    {
        if (uint8_t(frame.at(2)) != PACKET_REQUEST)
            return {};
        return {Packet::assemble(PACKET_RESPONSE, RelayCodec::payloadOf(frame))};
    }
};
