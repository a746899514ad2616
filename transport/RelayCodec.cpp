#include "transport/RelayCodec.h"

#include "transport/EPacketType.h"
#include "transport/Packet.h"

#include <cstring>

namespace RelayCodec {

QByteArray pingPacket()
{
    return Packet::assemble(PACKET_PING, {});
}

QByteArray pingAnswerPacket()
{
    QByteArray payload(PING_ANSWER_PAYLOAD, '\0');
    payload[PING_ANSWER_MARK_OFFSET] = char(PING_ANSWER_MARK);
    return Packet::assemble(PACKET_PING_ANSWER, payload);
}

QByteArray closeSocketPacket()
{
    return Packet::assemble(PACKET_CLOSE_SOCKET, {});
}

QByteArray deviceListRequestPacket()
{
    return Packet::assemble(PACKET_GET_DEVICE_LIST, {});
}

QByteArray deviceListPacket(const QList<TDeviceToConfigInfo> &devices)
{
    // Whatever does not fit one TCP packet is left out rather than wrapping the count.
    const int fit = (Packet::MAX_TCP_PAYLOAD - 2) / RECORD_SIZE;
    const int count = qMin(devices.size(), fit);
    QByteArray payload;
    payload.reserve(2 + count * RECORD_SIZE);
    Packet::appendU16(payload, uint16_t(count));
    for (int i = 0; i < count; ++i)
        payload.append(recordBytes(devices.at(i)));
    return Packet::assemble(PACKET_DEVICE_LIST, payload);
}

QByteArray connectRequestPacket(const TDeviceToConfigInfo &info)
{
    return Packet::assemble(PACKET_CONNECT_TO_DEVICE, recordBytes(info));
}

QByteArray connectResultPacket(uint8_t result)
{
    return Packet::assemble(PACKET_CONNECT_RESULT, QByteArray(1, char(result)));
}

QByteArray payloadOf(const QByteArray &frame)
{
    const int size = Packet::claimedSize(frame);
    if (size < 0 || frame.size() < size)
        return {};
    return frame.mid(Packet::HEADER_SIZE, size - Packet::OVERHEAD);
}

QList<TDeviceToConfigInfo> parseDeviceList(const QByteArray &payload, int *declaredCount)
{
    QList<TDeviceToConfigInfo> devices;
    const int declared = payload.size() >= 2 ? Packet::readU16(payload, 0) : 0;
    if (declaredCount)
        *declaredCount = declared;
    const int present = qMax(0, payload.size() - 2) / RECORD_SIZE;
    const int count = qMin(declared, present);
    for (int i = 0; i < count; ++i) {
        TDeviceToConfigInfo info;
        std::memcpy(&info, payload.constData() + 2 + i * RECORD_SIZE, RECORD_SIZE);
        devices.append(info);
    }
    return devices;
}

bool parseRecord(const QByteArray &payload, TDeviceToConfigInfo *info)
{
    if (payload.size() != RECORD_SIZE)
        return false;
    std::memcpy(info, payload.constData(), RECORD_SIZE);
    return true;
}

QByteArray recordBytes(const TDeviceToConfigInfo &info)
{
    return QByteArray(reinterpret_cast<const char *>(&info), RECORD_SIZE);
}

TDeviceToConfigInfo makeRecord(const QByteArray &id, const QByteArray &name)
{
    TDeviceToConfigInfo info;
    std::memset(&info, 0, sizeof info);
    // Keep a terminating zero inside each field.
    std::memcpy(info.device_id, id.constData(), size_t(qMin(id.size(), int(sizeof info.device_id) - 1)));
    std::memcpy(info.device_name, name.constData(), size_t(qMin(name.size(), int(sizeof info.device_name) - 1)));
    return info;
}

QList<QByteArray> takeFrames(QByteArray &stream)
{
    QList<QByteArray> frames;
    int offset = 0;
    while (stream.size() - offset >= Packet::HEADER_SIZE) {
        const int size = int(Packet::readU16(stream, offset)) + Packet::OVERHEAD;
        if (stream.size() - offset < size)
            break;
        frames.append(stream.mid(offset, size));
        offset += size;
    }
    stream.remove(0, offset);
    return frames;
}

} // namespace RelayCodec
