#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

// A peer played by the test in a thread of its own, so that the code under test may block: a
// terminal behind a pseudo-terminal, a relay server on a loopback port taking one connection,
// or a terminal that connects to a relay.
// Every whole frame that arrives is handed to the script, which returns the pieces to write back
// (none: silence); the test may also write or hang up at any moment. State is shared through
// standard primitives only, which thread checkers see.
class ScriptedPeer
{
public:
    enum Kind { Pty, Tcp, Connect };
    using Script = std::function<QList<QByteArray>(const QByteArray &frame)>;

    // Connect: to this loopback port.
    explicit ScriptedPeer(Kind kind, const Script &script = {}, quint16 port = 0);
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer &) = delete;
    ScriptedPeer &operator=(const ScriptedPeer &) = delete;

    bool isValid() const { return m_valid; }
    // The pty's slave stays open here too, raw, so the master keeps working while the port
    // under test reopens it.
    QString slavePath() const { return m_slavePath; }
    quint16 port() const { return m_port; } // Tcp: where it listens

    void setScript(const Script &script);
    // Written from the peer's thread, in order.
    void send(const QByteArray &bytes);
    // Closes the pty's master or the accepted socket, as a pulled cable or a relay going away.
    void hangUp();
    bool allSent() const;

    QByteArray received() const;
    // The whole frames received.
    QList<QByteArray> requests() const;
    int count(uint8_t type) const;
    void clearRequests();
    // Both run the event loop meanwhile, so a port in the test's thread gets its writes out.
    bool waitForReceived(int size, int timeoutMs = 5000);
    bool waitForClose(int timeoutMs = 5000); // hung up by either side

    // Answers every PACKET_AUTH with `accept`, everything else with `rest`.
    static Script withAuth(const Script &rest, bool accept = true);
    // A relay that binds every connection request.
    static Script binding();

private:
    void run();
    void writeAll(const QByteArray &bytes);

    int m_fd = -1; // the pty's master or the accepted socket; the peer's thread's alone once it runs
    int m_slave = -1;
    bool m_valid = false; // set before the thread starts, so read without the lock
    int m_listener = -1;
    QString m_slavePath;
    quint16 m_port = 0;
    mutable std::mutex m_lock;
    Script m_script;
    QByteArray m_out, m_received;
    QList<QByteArray> m_requests;
    bool m_writing = false, m_hangUp = false, m_closed = false;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
