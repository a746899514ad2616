#pragma once

#include "transport/FrameReader.h"
#include "transport/TerminalLink.h"

class CConfiguratorHandlerPort;

// A TerminalLink over the port handler's own I/O.
class PortTerminalLink : public TerminalLink
{
public:
    explicit PortTerminalLink(CConfiguratorHandlerPort *port) : m_port(port), m_reader(1024) {}
    bool isOpen() const override;
    bool send(const QByteArray &frame) override;
    void discardInput() override;
    EReceive receive(QByteArray *frame, const QDeadlineTimer &deadline, const std::atomic<bool> &cancel) override;

private:
    CConfiguratorHandlerPort *m_port;
    FrameReader m_reader;
};
