#pragma once

#include "support/PeerProcess.h"

// The relay stand-in on free loopback ports.
class RelayProcess : public PeerProcess
{
public:
    explicit RelayProcess(const QStringList &options = {});

    // True once both listeners have reported their ports.
    bool isReady() const { return m_configuratorPort != 0 && m_terminalPort != 0; }
    quint16 configuratorPort() const { return m_configuratorPort; }
    quint16 terminalPort() const { return m_terminalPort; }

    // Waits until `line` has been printed `times` times in all.
    bool waitForEvent(const QString &line, int times = 1, int timeoutMs = 5000);
    // Sends a control line ("ping", "drop <id>", ...); none is answered.
    void control(const QString &line) { write(line); }

private:
    quint16 m_configuratorPort = 0;
    quint16 m_terminalPort = 0;
};
