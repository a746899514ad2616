#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVector>

// The stand-in terminal (trivox-terminal-sim from $TRIVOX_PEERS_DIR) as a child process of a
// test. Its standard output is a stream of event lines; its standard input takes control lines.
class TerminalProcess
{
public:
    TerminalProcess() = default;
    ~TerminalProcess();
    TerminalProcess(const TerminalProcess &) = delete;
    TerminalProcess &operator=(const TerminalProcess &) = delete;

    // Starts it with these options (for example {"--pty"} or {"--relay", "127.0.0.1:7000"})
    // and waits for its "PTY" or "REGISTERED" line.
    bool start(const QStringList &arguments, int timeoutMs = 10000);
    void stop();

    QString ptyPath() const { return m_ptyPath; }
    QString errorString() const { return m_error; }
    // Every event line seen so far, in order.
    QStringList events();

    // Waits for an event line that starts with prefix and was not matched by an earlier
    // wait; the line (empty when none came in time).
    QString waitForEvent(const QString &prefix, int timeoutMs = 5000);
    bool hasEvent(const QString &prefix);
    // Sends a control line and waits for its "OK"; false on "ERROR" or no answer.
    bool control(const QString &line, int timeoutMs = 5000);
    // The terminal's BASE file and LOG file as they are now.
    QByteArray dumpBase(int timeoutMs = 5000);
    QByteArray logBytes(int timeoutMs = 5000);

private:
    void readLines();
    int findUnmatched(const QString &prefix) const;
    QString waitForLine(const QStringList &prefixes, int timeoutMs);

    QProcess m_process;
    QByteArray m_partial;
    QStringList m_lines;
    QVector<bool> m_matched;
    QString m_ptyPath;
    QString m_error;
};
