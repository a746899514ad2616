#include "transport/PortTerminalLink.h"

#include "transport/CConfiguratorHandlerPort.h"

bool PortTerminalLink::isOpen() const
{
    return m_port->isOpen();
}

bool PortTerminalLink::send(const QByteArray &frame)
{
    QByteArray bytes = frame;
    return m_port->write(bytes, uint64_t(bytes.size())) == uint64_t(bytes.size());
}

void PortTerminalLink::discardInput()
{
    m_reader.clear();
    m_port->discardInput();
}

TerminalLink::EReceive PortTerminalLink::receive(QByteArray *frame, const QDeadlineTimer &deadline,
                                                 const std::atomic<bool> &cancel)
{
    for (;;) {
        while (true) {
            const FrameReader::EEvent event = m_reader.next(frame);
            if (event == FrameReader::EEvent::Frame)
                return EReceive::Frame;
            if (event == FrameReader::EEvent::None)
                break;
        }
        if (cancel.load())
            return EReceive::Cancelled;
        if (deadline.hasExpired())
            return EReceive::Timeout;
        if (!m_port->isOpen())
            return EReceive::Closed;
        if (m_port->waitForReadyRead(uint32_t(qMin<qint64>(deadline.remainingTime(), WAIT_SLICE_MS))))
            m_reader.append(m_port->readAll());
    }
}
