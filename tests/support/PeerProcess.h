#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// A stand-in peer from $TRIVOX_PEERS_DIR as a child process: its standard output is a stream
// of event lines, its standard input takes control lines. Killed on destruction.
class PeerProcess
{
public:
    PeerProcess() = default;
    ~PeerProcess() { stop(); }
    PeerProcess(const PeerProcess &) = delete;
    PeerProcess &operator=(const PeerProcess &) = delete;

    void stop();
    QString errorString() const { return m_error; }
    // Every event line seen so far, in order.
    QStringList events();
    // Whether a line starting with prefix has come that no wait has taken yet.
    bool hasEvent(const QString &prefix);

    // $TRIVOX_PEERS_DIR, else next to the build's binaries.
    static QString peersDir();

protected:
    bool start(const QString &program, const QStringList &arguments, int timeoutMs);
    void write(const QString &line);
    // Serves the caller's event loop until done() holds, the limit passes or the peer ends.
    bool waitUntil(const std::function<bool()> &done, int timeoutMs);
    // Takes the first line, not taken before, that starts with one of the prefixes; empty
    // when none came in time.
    QString takeLine(const QStringList &prefixes, int timeoutMs);

    QString m_error;

private:
    void readLines();
    int findUntaken(const QString &prefix) const;

    QProcess m_process;
    QByteArray m_partial;
    QStringList m_lines;
    QVector<bool> m_taken;
};
