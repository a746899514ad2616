#pragma once

#include "transport/LinkWait.h"
#include "transport/TServerAddress.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QString>

class QTcpSocket;

// A TCP connection to the relay server. Only moves bytes: no framing, no protocol.
class TcpLink : public QObject
{
    Q_OBJECT
public:
    enum class EWrite {
        Written,      // handed to the system, or left to a write wait that is running
        Closed,       // the socket is not open
        NotConnected, // the connection was not made in time
        NotWritten,   // the bytes did not go out in time
    };

    explicit TcpLink(QObject *parent = nullptr);

    // Starts connecting; wait with waitForConnected.
    void connectToServer(const TServerAddress &address);
    // A name lookup blocks, without slices; an address literal does not.
    bool waitForConnected(const QDeadlineTimer &deadline, const std::atomic<bool> &cancel);
    void close();
    void abort();
    // Open as a device; a socket the server has closed stays open until closed here.
    bool isOpen() const;
    QAbstractSocket::SocketState state() const;
    QString errorString() const;

    // Waits for the connection, then for the bytes to go out, each within limitMs.
    EWrite write(const QByteArray &bytes, int limitMs, const std::atomic<bool> &cancel);
    QByteArray read(qint64 maxSize);
    qint64 bytesAvailable() const;
    // Takes in what the system holds already, without waiting.
    void pull();
    // Ready when bytes arrive or are there unread.
    EWait waitForBytes(const QDeadlineTimer &deadline, const std::atomic<bool> &cancel);

signals:
    // Also from inside the waits above. A write its handler makes while a write wait runs
    // is left to that wait.
    void readyRead();
    void disconnected();

private:
    QTcpSocket *m_socket;
    bool m_inWrite = false;
};
