#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal standing in for a terminal's USB serial port. The slave is raw and
// stays open here too, so the master keeps working while the port under test reopens it.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isOpen() const { return m_master >= 0 && m_slave >= 0; }
    QString slavePath() const { return m_slavePath; }
    // For a peer that serves the master from a thread of its own.
    int masterFd() const { return m_master; }

    bool writeMaster(const QByteArray &bytes);
    // Hangs the line up, as a terminal does when its cable is pulled.
    void closeMaster();
    // Reads from the master until `size` bytes or the time limit. Runs the event loop
    // meanwhile, so a serial port in this thread gets its writes out.
    QByteArray readMaster(int size, int timeoutMs);

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};
