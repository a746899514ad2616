#pragma once

#include "transport/LinkWait.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QSerialPort;

// The terminal's USB virtual serial port. Only moves bytes: no framing, no protocol.
class SerialLink : public QObject
{
    Q_OBJECT
public:
    static constexpr int BAUD_RATE = 921600;

    explicit SerialLink(QObject *parent = nullptr);

    // Opens the port at BAUD_RATE; one left open by an earlier open is closed first.
    bool open(const QString &portName);
    void close();
    bool isOpen() const;
    QString errorString() const;
    // Bytes taken for sending; 0, never negative, when the port refused them.
    qint64 write(const char *data, qint64 size);
    // What has arrived, at most maxSize bytes (all with -1).
    QByteArray read(qint64 maxSize = -1);
    // Drops what has arrived and was not read.
    void clearInput();
    // Ready at once while unread bytes are there, so an answer can be gathered over several
    // waits. A port gone with its cable is closed and reads as Closed.
    EWait waitForBytes(const QDeadlineTimer &deadline, const std::atomic<bool> &cancel);

private:
    QSerialPort *m_port;
};
