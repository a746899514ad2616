#include "transport/SerialTerminalLink.h"

#include "transport/SerialLink.h"

bool SerialTerminalLink::isOpen() const
{
    return m_link->isOpen();
}

bool SerialTerminalLink::send(const QByteArray &frame)
{
    return m_link->write(frame.constData(), frame.size()) == frame.size();
}

void SerialTerminalLink::discardInput()
{
    m_link->clearInput();
    m_reader.clear();
}

TerminalLink::EReceive SerialTerminalLink::receive(QByteArray *frame, const QDeadlineTimer &deadline,
                                                   const std::atomic<bool> &cancel)
{
    for (;;) {
        for (FrameReader::EEvent event; (event = m_reader.next(frame)) != FrameReader::EEvent::None;) {
            if (event == FrameReader::EEvent::Frame)
                return EReceive::Frame;
        }
        switch (m_link->waitForBytes(deadline, cancel)) {
        case EWait::Ready:
            // At most one frame's worth at a time keeps the reader bounded.
            m_reader.append(m_link->read(MAX_FRAME));
            break;
        case EWait::Timeout:
            return EReceive::Timeout;
        case EWait::Closed:
            return EReceive::Closed;
        case EWait::Cancelled:
            return EReceive::Cancelled;
        }
    }
}
