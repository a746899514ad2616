#include "peers/terminal/FrameGatherer.h"

#include "transport/Packet.h"

FrameGatherer::Result FrameGatherer::feed(const QByteArray &bytes, qint64 nowMs)
{
    Result result;
    if (!m_buffer.isEmpty() && nowMs - m_lastArrivalMs > STALE_PARTIAL_MS) {
        result.discarded = int(m_buffer.size());
        m_buffer.clear();
    }
    m_lastArrivalMs = nowMs;
    m_buffer.append(bytes);

    int at = 0;
    while (m_buffer.size() - at >= Packet::HEADER_SIZE) {
        // A view of the rest; no copy of the buffer per frame.
        const QByteArray rest = QByteArray::fromRawData(m_buffer.constData() + at, m_buffer.size() - at);
        const int size = Packet::claimedSize(rest);
        const Packet::HeaderStatus status = Packet::checkHeader(rest);
        if (status == Packet::HeaderStatus::Incomplete)
            break;
        if (status == Packet::HeaderStatus::Valid)
            result.frames.append(m_buffer.mid(at, size));
        else
            ++result.badCrc;
        at += size;
    }
    m_buffer.remove(0, at);
    return result;
}

void FrameGatherer::reset()
{
    m_buffer.clear();
}
