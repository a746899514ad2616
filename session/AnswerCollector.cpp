#include "session/AnswerCollector.h"

#include "transport/Packet.h"

void AnswerCollector::add(const QByteArray &piece)
{
    // Once complete, later bytes belong to no request of ours.
    if (!isComplete())
        m_buffer.append(piece);
}

bool AnswerCollector::isComplete() const
{
    const int size = Packet::claimedSize(m_buffer);
    return size > 0 && m_buffer.size() >= size;
}

QByteArray AnswerCollector::frame() const
{
    if (!isComplete())
        return QByteArray();
    return m_buffer.left(Packet::claimedSize(m_buffer));
}

bool AnswerCollector::crcOk() const
{
    return isComplete() && Packet::checkHeader(m_buffer) == Packet::HeaderStatus::Valid;
}
