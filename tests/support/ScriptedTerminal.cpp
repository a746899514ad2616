#include "support/ScriptedTerminal.h"

#include "transport/EPacketType.h"
#include "transport/Packet.h"

#include <poll.h>
#include <unistd.h>

ScriptedTerminal::ScriptedTerminal()
{
    if (m_pty.isOpen())
        start();
    else
        m_finished.release();
}

ScriptedTerminal::~ScriptedTerminal()
{
    m_stop.store(true);
    // Joined through a standard primitive, so that a thread checker sees the thread end.
    m_finished.acquire();
    wait();
}

void ScriptedTerminal::setScript(const Script &script)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_script = script;
}

QList<QByteArray> ScriptedTerminal::requests() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_requests;
}

void ScriptedTerminal::clearRequests()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_requests.clear();
}

ScriptedTerminal::Script ScriptedTerminal::withAuth(const Script &rest, bool accept)
{
    return [rest, accept](const QByteArray &request) -> QList<QByteArray> {
        if (uint8_t(request.at(2)) == PACKET_AUTH)
            return {Packet::assemble(PACKET_AUTH, QByteArray(1, accept ? '\x01' : '\x00'))};
        return rest ? rest(request) : QList<QByteArray>{};
    };
}

void ScriptedTerminal::run()
{
    struct Finish {
        TestSemaphore &done;
        ~Finish() { done.release(); }
    } finish{m_finished};
    const int master = m_pty.masterFd();
    QByteArray pending;
    while (!m_stop.load()) {
        pollfd pfd{master, POLLIN, 0};
        if (::poll(&pfd, 1, 20) <= 0 || !(pfd.revents & POLLIN))
            continue;
        char buf[4096];
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n <= 0)
            continue;
        pending.append(buf, int(n));
        for (;;) {
            const int size = Packet::claimedSize(pending);
            if (size < 0 || pending.size() < size)
                break;
            const QByteArray request = pending.left(size);
            pending.remove(0, size);
            Script script;
            {
                std::lock_guard<std::mutex> lock(m_lock);
                m_requests.append(request);
                script = m_script;
            }
            for (const QByteArray &piece : script ? script(request) : QList<QByteArray>{})
                m_pty.writeMaster(piece);
        }
    }
}
