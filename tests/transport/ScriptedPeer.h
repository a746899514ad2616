#pragma once

#include "support/TestSemaphore.h"

#include <QByteArray>
#include <QList>
#include <QThread>
#include <atomic>
#include <mutex>

// A relay server played from a script, in its own thread: it accepts one connection and
// runs its steps in order, recording every byte the client sends until the client closes.
class ScriptedPeer : public QThread
{
public:
    struct Step {
        enum Kind { Expect, Send, Go, Close } kind;
        QByteArray bytes; // Send
        int count = 0;    // Expect: bytes to receive first
    };
    static Step expect(int count) { return {Step::Expect, {}, count}; }
    static Step send(const QByteArray &bytes) { return {Step::Send, bytes, 0}; }
    static Step go() { return {Step::Go, {}, 0}; } // waits for release()
    static Step closeStep() { return {Step::Close, {}, 0}; }

    explicit ScriptedPeer(const QList<Step> &steps);
    ~ScriptedPeer() override;

    quint16 port() const { return m_port; }
    void release() { m_go.release(); }
    QByteArray received() const;
    bool scriptDone() const { return m_done; }
    bool waitForClientClose(int timeoutMs = 5000);

protected:
    void run() override;

private:
    QList<Step> m_steps;
    TestSemaphore m_listening, m_go, m_closed, m_finished;
    quint16 m_port = 0;
    mutable std::mutex m_lock;
    QByteArray m_received;
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_stop{false};
};
