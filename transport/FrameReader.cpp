#include "transport/FrameReader.h"

#include "transport/Packet.h"
#include "transport/TransportLog.h"

void FrameReader::append(const QByteArray &bytes)
{
    m_buffer.append(bytes);
}

FrameReader::EEvent FrameReader::next(QByteArray *frame)
{
    const int size = Packet::claimedSize(m_buffer);
    if (size < 0)
        return EEvent::None;
    if (size > m_maxFrame) {
        qCDebug(lcTransport) << "[FrameReader] WARNING Impossible packet length" << size << "- dropping"
                             << m_buffer.size() << "received bytes";
        m_buffer.clear();
        return EEvent::Impossible;
    }
    if (m_buffer.size() < size)
        return EEvent::None;
    const Packet::HeaderStatus status = Packet::checkHeader(m_buffer);
    if (status != Packet::HeaderStatus::Valid) {
        qCDebug(lcTransport) << "[CConfiguratorHandlerPort::parseHeader] WARNING Invalid CRC!";
        m_buffer.remove(0, size);
        return EEvent::BadCrc;
    }
    *frame = m_buffer.left(size);
    m_buffer.remove(0, size);
    return EEvent::Frame;
}
