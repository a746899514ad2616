#pragma once

#include <QByteArray>
#include <QThread>
#include <atomic>

// The least of a terminal behind the relay stand-in: registers with its record, answers
// PACKET_AUTH with the payload byte 1 and echoes every PACKET_REQUEST payload in a
// PACKET_RESPONSE. Runs in a thread of its own so the code under test may block.
class FakeTerminal : public QThread
{
public:
    FakeTerminal(quint16 relayTerminalPort, const QByteArray &id, const QByteArray &name);
    ~FakeTerminal() override;

    int closeNotifications() const { return m_closes; }

protected:
    void run() override;

private:
    quint16 m_port;
    QByteArray m_id;
    QByteArray m_name;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_closes{0};
};
