#include "transport/Packet.h"

#include "transport/Crc32.h"

namespace Packet {

QByteArray assembleWithLength(uint16_t length, uint8_t type, const QByteArray &payload)
{
    QByteArray frame;
    frame.reserve(payload.size() + OVERHEAD);
    appendU16(frame, length);
    frame.append(char(type));
    frame.append(payload);
    appendU32(frame, crc32(frame));
    return frame;
}

QByteArray assemble(uint8_t type, const QByteArray &payload)
{
    return assembleWithLength(uint16_t(payload.size()), type, payload);
}

int claimedSize(const QByteArray &buf)
{
    if (buf.size() < HEADER_SIZE)
        return -1;
    return int(readU16(buf, 0)) + OVERHEAD;
}

HeaderStatus checkHeader(const QByteArray &buf)
{
    const int size = claimedSize(buf);
    if (size < 0 || buf.size() < size)
        return HeaderStatus::Incomplete;
    const int payloadEnd = size - CRC_SIZE;
    const uint32_t expected = crc32(reinterpret_cast<const uint8_t *>(buf.constData()), size_t(payloadEnd));
    return readU32(buf, payloadEnd) == expected ? HeaderStatus::Valid : HeaderStatus::BadCrc;
}

uint16_t readU16(const QByteArray &buf, int offset)
{
    Q_ASSERT(offset >= 0 && offset + 2 <= buf.size());
    const auto *p = reinterpret_cast<const uint8_t *>(buf.constData()) + offset;
    return uint16_t(p[0] | (p[1] << 8));
}

uint32_t readU32(const QByteArray &buf, int offset)
{
    Q_ASSERT(offset >= 0 && offset + 4 <= buf.size());
    const auto *p = reinterpret_cast<const uint8_t *>(buf.constData()) + offset;
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void appendU16(QByteArray &buf, uint16_t value)
{
    buf.append(char(value & 0xFF));
    buf.append(char(value >> 8));
}

void appendU32(QByteArray &buf, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        buf.append(char((value >> (8 * i)) & 0xFF));
}

} // namespace Packet
