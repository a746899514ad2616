#include "ScriptedPeer.h"

#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTcpSocket>

ScriptedPeer::ScriptedPeer(const QList<Step> &steps)
    : m_steps(steps)
{
    start();
    m_listening.acquire();
}

ScriptedPeer::~ScriptedPeer()
{
    m_stop = true;
    m_go.release(1000);
    // Joined through a standard primitive too, so that a thread checker sees the end of
    // the peer's thread before this object's memory is reused.
    m_finished.acquire();
    wait();
}

QByteArray ScriptedPeer::received() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_received;
}

bool ScriptedPeer::waitForClientClose(int timeoutMs)
{
    if (!m_closed.tryAcquire(timeoutMs))
        return false;
    m_closed.release();
    return true;
}

void ScriptedPeer::run()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    m_port = server.serverPort();
    m_listening.release();
    struct Finish {
        ScriptedPeer *peer;
        ~Finish() { peer->m_closed.release(); peer->m_finished.release(); }
    } finish{this};
    if (!server.waitForNewConnection(10000))
        return;
    QTcpSocket *socket = server.nextPendingConnection();
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    const auto pull = [&](int ms) {
        const bool arrived = socket->waitForReadyRead(ms);
        std::lock_guard<std::mutex> lock(m_lock);
        m_received.append(socket->readAll());
        return arrived;
    };
    int expected = 0;
    for (const Step &step : qAsConst(m_steps)) {
        switch (step.kind) {
        case Step::Expect: {
            expected += step.count;
            QDeadlineTimer deadline(5000);
            while (received().size() < expected && !deadline.hasExpired() && !m_stop)
                pull(20);
            break;
        }
        case Step::Send:
            socket->write(step.bytes);
            while (socket->bytesToWrite() > 0 && socket->waitForBytesWritten(5000))
                continue;
            break;
        case Step::Go:
            while (!m_go.tryAcquire(10) && !m_stop)
                pull(0);
            break;
        case Step::Close:
            socket->disconnectFromHost();
            break;
        }
    }
    m_done = true;
    while (!m_stop && socket->state() == QAbstractSocket::ConnectedState)
        pull(20);
    pull(0);
}
