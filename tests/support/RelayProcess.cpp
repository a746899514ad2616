#include "support/RelayProcess.h"

RelayProcess::RelayProcess(const QStringList &options)
{
    if (!start(QStringLiteral("trivox-relay-sim"), QStringList{"--port", "0", "--terminal-port", "0"} + options, 5000)) {
        qWarning("cannot start the relay stand-in: %s", qPrintable(m_error));
        return;
    }
    m_configuratorPort = quint16(takeLine({QStringLiteral("LISTEN configurator ")}, 5000).section(' ', 2).toUInt());
    m_terminalPort = quint16(takeLine({QStringLiteral("LISTEN terminal ")}, 5000).section(' ', 2).toUInt());
}

bool RelayProcess::waitForEvent(const QString &line, int times, int timeoutMs)
{
    return waitUntil([&] { return events().count(line) >= times; }, timeoutMs);
}
