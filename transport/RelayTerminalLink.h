#pragma once

#include "transport/TerminalLink.h"

class RelayClient;

// The session's link to a terminal through the relay server: the terminal's frames the relay
// client has queued, while it acts on the relay's own packets on the way.
class RelayTerminalLink : public TerminalLink
{
public:
    explicit RelayTerminalLink(RelayClient *relay) : m_relay(relay) {}

    bool isOpen() const override;
    bool send(const QByteArray &frame) override;
    // Relay packets among the dropped frames are still acted on, and a loss queued behind
    // them becomes due.
    void discardInput() override;
    EReceive receive(QByteArray *frame, const QDeadlineTimer &deadline, const std::atomic<bool> &cancel) override;

private:
    RelayClient *m_relay;
};
