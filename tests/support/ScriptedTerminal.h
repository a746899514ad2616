#pragma once

#include "support/PtyPair.h"
#include "support/TestSemaphore.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QThread>
#include <atomic>
#include <functional>
#include <mutex>

// A terminal played by the test over a pseudo-terminal: every request frame that arrives
// is handed to the script, which returns the pieces to write back (none: silence). Runs in
// its own thread so the worker under test can block on it.
class ScriptedTerminal : public QThread
{
public:
    using Script = std::function<QList<QByteArray>(const QByteArray &request)>;

    ScriptedTerminal();
    ~ScriptedTerminal() override;

    bool isValid() const { return m_pty.isOpen(); }
    QString slavePath() const { return m_pty.slavePath(); }
    void setScript(const Script &script);
    QList<QByteArray> requests() const;
    void clearRequests();

    // Answers every PACKET_AUTH with `accept`, everything else with the script.
    static Script withAuth(const Script &rest, bool accept = true);

protected:
    void run() override;

private:
    PtyPair m_pty;
    mutable std::mutex m_lock;
    Script m_script;
    QList<QByteArray> m_requests;
    std::atomic<bool> m_stop{false};
    TestSemaphore m_finished;
};
