#include "transport/FrameReader.h"

#include "transport/Crc32.h"
#include "transport/Packet.h"
#include "transport/TransportLog.h"

void FrameReader::append(const QByteArray &bytes)
{
    // Cutting many small frames from one arrival must not move the rest once per frame.
    m_buffer.remove(0, m_start);
    m_start = 0;
    m_buffer.append(bytes);
}

void FrameReader::clear()
{
    m_buffer.clear();
    m_start = 0;
}

FrameReader::EEvent FrameReader::next(QByteArray *frame)
{
    const int held = buffered();
    if (held < Packet::HEADER_SIZE)
        return EEvent::None;
    const auto *head = reinterpret_cast<const uint8_t *>(m_buffer.constData()) + m_start;
    const int size = int(head[0] | (head[1] << 8)) + Packet::OVERHEAD;
    if (size > m_maxFrame) {
        qCDebug(lcTransport) << "[CConfiguratorHandlerPort::readTcpData] WARNING Impossible packet length" << size
                             << "- dropping" << held << "received bytes";
        clear();
        return EEvent::Impossible;
    }
    if (held < size)
        return EEvent::None;
    const int crcAt = size - Packet::CRC_SIZE;
    const uint32_t carried = uint32_t(head[crcAt]) | (uint32_t(head[crcAt + 1]) << 8)
                             | (uint32_t(head[crcAt + 2]) << 16) | (uint32_t(head[crcAt + 3]) << 24);
    const bool valid = carried == crc32(head, size_t(crcAt));
    if (valid)
        *frame = m_buffer.mid(m_start, size);
    m_start += size;
    if (m_start == m_buffer.size())
        clear();
    if (valid)
        return EEvent::Frame;
    qCDebug(lcTransport) << "[CConfiguratorHandlerPort::parseHeader] WARNING Invalid CRC!";
    qCDebug(lcTransport) << "[CConfiguratorHandlerPort::readTcpData] WARNING Dropped a packet of" << size
                         << "bytes with invalid CRC";
    return EEvent::BadCrc;
}
