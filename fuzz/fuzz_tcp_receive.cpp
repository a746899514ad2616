// The TCP receive path of CConfiguratorHandlerPort fed arbitrary streams in arbitrary
// splits. The receive logic lives behind the port's own socket, so the target drives it
// through a real loopback connection: it plays the relay server on the other end.
//
// Input: byte 0 repeats the body 1 + (its low 6 bits) times, so that a small input can
// still fill the receive buffer; its bit 6 makes the session drop what arrives after each
// piece, as it does before a request, instead of reading it; its bit 7 rewrites the CRC of
// every whole packet in the body first, so that mutated packets get past the check.
// Byte 1 gives k = byte1 % 32 split sizes that follow as u16 LE; then comes the body. The
// stream is written in pieces of those sizes, cycling, and the port takes each piece
// before the next is written.

#include "FuzzSupport.h"

#include "transport/CConfiguratorHandlerPort.h"
#include "transport/Crc32.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"
#include "transport/RelayCodec.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdint>
#include <cstring>

namespace {

constexpr uint8_t REPEAT_MASK = 0x3F;
constexpr uint8_t DISCARD = 0x40;
constexpr uint8_t FIX_CRC = 0x80;
constexpr int MAX_SPLITS = 32;
// Past this many pieces the rest goes in one: each piece costs a round of system calls.
constexpr int MAX_PIECES = 48;
constexpr int WAIT_MS = 1000;

struct Link {
    QTcpServer server;
    CConfiguratorHandlerPort port;
    QTcpSocket *relay = nullptr; // our end: the relay server
    QTcpSocket *client = nullptr; // the port's socket
    int lostSignals = 0;
};

Link &link()
{
    static Link *l = [] {
        FuzzSupport::quietMessages();
        FuzzSupport::application();
        auto *made = new Link;
        if (!made->server.listen(QHostAddress::LocalHost, 0))
            FuzzSupport::fail("cannot listen on loopback", __FILE__, __LINE__);
        made->port.setTimeouts({WAIT_MS, WAIT_MS, WAIT_MS});
        made->client = made->port.findChild<QTcpSocket *>();
        FUZZ_REQUIRE(made->client);
        QObject::connect(&made->port, &CConfiguratorHandlerPort::device_lost, [made] { ++made->lostSignals; });
        return made;
    }();
    return *l;
}

// A fresh relay session: the port's receive buffer starts empty.
void reconnect(Link &l)
{
    if (!l.port.updateServerParameters({QStringLiteral("127.0.0.1"), l.server.serverPort()}))
        FuzzSupport::fail("cannot connect the port to the loopback relay", __FILE__, __LINE__);
    if (l.relay) {
        l.relay->abort();
        delete l.relay;
        l.relay = nullptr;
    }
    if (!l.server.waitForNewConnection(WAIT_MS))
        FuzzSupport::fail("loopback relay got no connection", __FILE__, __LINE__);
    l.relay = l.server.nextPendingConnection();
    // Pieces are small writes; Nagle would hold each one back for an acknowledgement.
    l.relay->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // This thread cannot answer while findDevice waits, so the answer goes out first.
    l.relay->write(RelayCodec::connectResultPacket(0));
    l.relay->waitForBytesWritten(WAIT_MS);
    TDeviceToConnect device;
    std::memset(&device, 0, sizeof device);
    device.via_server = 1;
    if (l.port.findDevice(device) != CONNECT_OK)
        FuzzSupport::fail("port did not take the loopback relay's connect result", __FILE__, __LINE__);
    // The connect request is not part of what the input makes the port send.
    l.relay->waitForReadyRead(WAIT_MS);
    l.relay->readAll();
}

void fixCrcs(QByteArray &body)
{
    int at = 0;
    while (body.size() - at >= Packet::HEADER_SIZE) {
        const int size = int(Packet::readU16(body, at)) + Packet::OVERHEAD;
        if (body.size() - at < size)
            break;
        const uint32_t crc = crc32(reinterpret_cast<const uint8_t *>(body.constData()) + at,
                                   size_t(size - Packet::CRC_SIZE));
        for (int i = 0; i < Packet::CRC_SIZE; ++i)
            body[at + size - Packet::CRC_SIZE + i] = char((crc >> (8 * i)) & 0xFF);
        at += size;
    }
}

// The port reports a loss behind unread answers with a queued call, as the session's event
// loop would deliver it.
void takeQueuedCalls()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

// Lets the port's socket pull in what has arrived; its readyRead runs the receive path.
void deliver(Link &l)
{
    if (l.client->state() != QAbstractSocket::ConnectedState)
        return;
    if (!l.client->waitForReadyRead(WAIT_MS))
        return;
    while (l.client->state() == QAbstractSocket::ConnectedState && l.client->waitForReadyRead(0)) {
    }
}

// What the port must make of a stream, split as it may be, when no packet in it claims an
// impossible length (the port then drops what it holds, and how much that is depends on
// the splits): every whole terminal packet with a right CRC in order, an answer to every
// ping, and nothing after the server's close packet.
struct Expected {
    bool known = true;
    QByteArray terminal;
    int pings = 0;
    bool closed = false;
};

Expected expect(const QByteArray &stream)
{
    Expected e;
    int at = 0;
    while (stream.size() - at >= Packet::HEADER_SIZE) {
        const int size = int(Packet::readU16(stream, at)) + Packet::OVERHEAD;
        if (size > Packet::MAX_TCP_PACKET) {
            e.known = false;
            break;
        }
        if (stream.size() - at < size)
            break;
        const QByteArray frame = stream.mid(at, size);
        at += size;
        if (Packet::checkHeader(frame) != Packet::HeaderStatus::Valid)
            continue;
        const uint8_t type = uint8_t(frame.at(2));
        if (type == PACKET_PING)
            ++e.pings;
        if (type == PACKET_CLOSE_SOCKET) {
            e.closed = true;
            break;
        }
        if (!isRelayPacketType(type))
            e.terminal += frame;
    }
    // Unread terminal packets beyond the limit are dropped, oldest first.
    if (e.terminal.size() > CConfiguratorHandlerPort::RX_BUFFER_LIMIT)
        e.known = false;
    return e;
}

// Everything the port hands the session must be whole terminal packets with a right CRC,
// each of them somewhere in what was sent.
void checkTerminalPackets(const QByteArray &packets, const QByteArray &stream)
{
    QByteArray rest = packets;
    const QList<QByteArray> frames = RelayCodec::takeFrames(rest);
    FUZZ_REQUIRE(rest.isEmpty());
    for (const QByteArray &frame : frames) {
        FUZZ_REQUIRE(Packet::checkHeader(frame) == Packet::HeaderStatus::Valid);
        FUZZ_REQUIRE(!isRelayPacketType(uint8_t(frame.at(2))));
        FUZZ_REQUIRE(stream.contains(frame));
    }
}

// The port answers pings and nothing else reaches the relay; returns the answers.
int checkRelayReceived(Link &l, int awaited)
{
    QByteArray got;
    const QByteArray answer = RelayCodec::pingAnswerPacket();
    const QDeadlineTimer deadline(WAIT_MS);
    for (;;) {
        while (l.relay->waitForReadyRead(0)) {
        }
        got += l.relay->readAll();
        if (got.size() >= awaited * answer.size() || deadline.hasExpired())
            break;
        // A ping still on its way to the port is answered once the port takes it.
        if (l.client->state() == QAbstractSocket::ConnectedState)
            l.client->waitForReadyRead(0);
        l.relay->waitForReadyRead(10);
    }
    const QList<QByteArray> frames = RelayCodec::takeFrames(got);
    FUZZ_REQUIRE(got.isEmpty());
    for (const QByteArray &frame : frames)
        FUZZ_REQUIRE(frame == answer);
    return frames.size();
}

// Whatever of the last input is still on its way is taken and dropped, so that it cannot
// count for this one.
void settle(Link &l)
{
    if (!l.relay)
        return;
    while (l.client->state() == QAbstractSocket::ConnectedState && l.client->waitForReadyRead(0)) {
    }
    l.port.readAll();
    takeQueuedCalls();
    while (l.relay->waitForReadyRead(0)) {
    }
    l.relay->readAll();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Link &l = link();
    if (size < 2)
        return 0;
    const int repeat = 1 + (data[0] & REPEAT_MASK);
    const int splitCount = data[1] % MAX_SPLITS;
    size_t at = 2;
    QVector<int> splits;
    for (int i = 0; i < splitCount && at + 2 <= size; ++i, at += 2)
        splits.append(qMax(1, int(data[at] | (data[at + 1] << 8))));
    QByteArray body(reinterpret_cast<const char *>(data + at), int(size - at));
    if (body.isEmpty())
        return 0;
    if (data[0] & FIX_CRC)
        fixCrcs(body);
    const QByteArray stream = body.repeated(repeat);

    // A finding must not depend on the inputs before it: a session that still holds bytes
    // of the last input is replaced. One that holds none is as good as new, and cheaper.
    settle(l);
    if (!l.relay || l.client->state() != QAbstractSocket::ConnectedState || l.port.bufferedBytes() != 0)
        reconnect(l);
    l.lostSignals = 0;
    QByteArray packets;
    int position = 0;
    for (int piece = 0; position < stream.size(); ++piece) {
        if (l.client->state() != QAbstractSocket::ConnectedState)
            break; // the input closed the link
        int length = splits.isEmpty() ? stream.size() : splits.at(piece % splits.size());
        if (piece >= MAX_PIECES)
            length = stream.size();
        length = qMin(length, stream.size() - position);
        l.relay->write(stream.constData() + position, length);
        while (l.relay->bytesToWrite() > 0 && l.relay->waitForBytesWritten(WAIT_MS)) {
        }
        position += length;
        if (data[0] & DISCARD) {
            l.port.discardInput();
        } else {
            deliver(l);
            packets += l.port.readAll();
        }
        takeQueuedCalls();
        FUZZ_REQUIRE(l.port.bufferedBytes() <= CConfiguratorHandlerPort::RX_BUFFER_LIMIT);
    }
    const Expected e = expect(stream);
    const bool reading = !(data[0] & DISCARD);
    // Bytes still in flight at the end are waited for only when the packets say more is due.
    while (e.known && reading && packets.size() < e.terminal.size()
           && l.client->state() == QAbstractSocket::ConnectedState && l.client->waitForReadyRead(WAIT_MS)) {
        packets += l.port.readAll();
        takeQueuedCalls();
    }
    checkTerminalPackets(packets, stream);
    const int answers = checkRelayReceived(l, e.known ? e.pings : 0);
    // The server's close packet ends the session once, and the link with it.
    FUZZ_REQUIRE(l.lostSignals <= 1);
    FUZZ_REQUIRE(l.lostSignals == 0 || l.client->state() != QAbstractSocket::ConnectedState);
    if (e.known) {
        if (reading)
            FUZZ_REQUIRE(packets == e.terminal);
        FUZZ_REQUIRE(answers == e.pings);
        FUZZ_REQUIRE(l.lostSignals == (e.closed ? 1 : 0));
    }
    return 0;
}
