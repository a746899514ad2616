#pragma once

#include "support/PeerProcess.h"

// The terminal stand-in.
class TerminalProcess : public PeerProcess
{
public:
    // Starts it with these options ({"--pty"}, {"--relay", "127.0.0.1:7000"}, ...) and waits for
    // its "PTY" or "REGISTERED" line.
    bool start(const QStringList &arguments, int timeoutMs = 10000);
    QString ptyPath() const { return m_ptyPath; }

    // Waits for an event line that starts with prefix and was not taken by an earlier wait;
    // the line, or empty when none came in time.
    QString waitForEvent(const QString &prefix, int timeoutMs = 5000) { return takeLine({prefix}, timeoutMs); }
    // Sends a control line and waits for its "OK"; false on "ERROR" or no answer.
    bool control(const QString &line, int timeoutMs = 5000);
    // The terminal's BASE file and LOG file as they are now.
    QByteArray dumpBase() { return fileOf(QStringLiteral("dump"), QStringLiteral("BASE ")); }
    QByteArray logBytes() { return fileOf(QStringLiteral("log"), QStringLiteral("LOG ")); }

private:
    QByteArray fileOf(const QString &command, const QString &prefix);

    QString m_ptyPath;
};
