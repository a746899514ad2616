#include "support/ScriptedLink.h"

bool ScriptedLink::send(const QByteArray &frame)
{
    if (!m_open)
        return false;
    m_requests.append(frame);
    if (m_script) {
        for (const QByteArray &piece : m_script(frame))
            m_reader.append(piece);
    }
    return true;
}

TerminalLink::EReceive ScriptedLink::receive(QByteArray *frame, const QDeadlineTimer &, const std::atomic<bool> &cancel)
{
    if (cancel.load())
        return EReceive::Cancelled;
    for (;;) {
        switch (m_reader.next(frame)) {
        case FrameReader::EEvent::Frame:
            return EReceive::Frame;
        case FrameReader::EEvent::None:
            return m_open ? EReceive::Timeout : EReceive::Closed;
        case FrameReader::EEvent::BadCrc:
        case FrameReader::EEvent::Impossible:
            break;
        }
    }
}
