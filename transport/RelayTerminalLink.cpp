#include "transport/RelayTerminalLink.h"

#include "transport/RelayClient.h"

bool RelayTerminalLink::isOpen() const
{
    return m_relay->isOpen();
}

bool RelayTerminalLink::send(const QByteArray &frame)
{
    return m_relay->write(frame.constData(), uint64_t(frame.size())) == uint64_t(frame.size());
}

void RelayTerminalLink::discardInput()
{
    m_relay->discardInput();
}

TerminalLink::EReceive RelayTerminalLink::receive(QByteArray *frame, const QDeadlineTimer &deadline,
                                                  const std::atomic<bool> &cancel)
{
    // Frames that came before the server closed the link are still read: the wait ends at
    // once while any are queued.
    if (m_relay->waitForFrame(deadline, cancel) && m_relay->takeFrame(frame))
        return EReceive::Frame;
    if (cancel.load())
        return EReceive::Cancelled;
    return m_relay->isOpen() ? EReceive::Timeout : EReceive::Closed;
}
