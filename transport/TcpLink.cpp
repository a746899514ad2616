#include "transport/TcpLink.h"

#include <QSocketNotifier>
#include <QTcpSocket>

#include <poll.h>

namespace {

// The descriptor of a socket still connecting, which the socket keeps to itself until it is
// connected: the notifier that waits for the connection on the socket's behalf knows it.
// -1 where there is none (a thread without an event dispatcher).
int connectingDescriptor(const QTcpSocket *socket)
{
    const auto notifiers = socket->findChildren<QSocketNotifier *>();
    for (const QSocketNotifier *notifier : notifiers) {
        if (notifier->type() == QSocketNotifier::Write && notifier->isEnabled())
            return int(notifier->socket());
    }
    return -1;
}

} // namespace

TcpLink::TcpLink(QObject *parent)
    : QObject(parent)
    , m_socket(new QTcpSocket(this))
{
    connect(m_socket, &QTcpSocket::readyRead, this, &TcpLink::readyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &TcpLink::disconnected);
    // Requests and answers are single small writes; Nagle would only add latency.
    connect(m_socket, &QTcpSocket::connected, this,
            [this] { m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1); });
}

void TcpLink::connectToServer(const TServerAddress &address)
{
    m_socket->connectToHost(address.ip, address.port, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
}

bool TcpLink::waitForConnected(const QDeadlineTimer &deadline, const std::atomic<bool> &cancel)
{
    for (;;) {
        switch (m_socket->state()) {
        case QAbstractSocket::ConnectedState:
            return true;
        case QAbstractSocket::HostLookupState:
            return m_socket->waitForConnected(int(qMax<qint64>(1, deadline.remainingTime())));
        case QAbstractSocket::ConnectingState:
            break;
        default:
            return false;
        }
        // The socket's own wait gives up a connection whose wait times out, so it may not be
        // cut into slices: the slices poll the descriptor, and the socket's wait is called
        // only once the outcome is known, or with 0 to give up as it does.
        if (cancel.load() || deadline.hasExpired())
            return m_socket->waitForConnected(0);
        pollfd p{connectingDescriptor(m_socket), POLLOUT, 0};
        if (p.fd < 0 || ::poll(&p, 1, waitSlice(deadline)) > 0)
            m_socket->waitForConnected(int(qMax<qint64>(1, deadline.remainingTime())));
    }
}

void TcpLink::close()
{
    m_socket->close();
}

void TcpLink::abort()
{
    m_socket->abort();
}

bool TcpLink::isOpen() const
{
    return m_socket->isOpen();
}

QAbstractSocket::SocketState TcpLink::state() const
{
    return m_socket->state();
}

QString TcpLink::errorString() const
{
    return m_socket->errorString();
}

TcpLink::EWrite TcpLink::write(const QByteArray &bytes, int limitMs, const std::atomic<bool> &cancel)
{
    if (!m_socket->isOpen())
        return EWrite::Closed;
    if (!waitForConnected(QDeadlineTimer(limitMs), cancel))
        return EWrite::NotConnected;
    const qint64 accepted = m_socket->write(bytes);
    // Bytes written from inside our own wait below (a ping answered as it arrives): that wait
    // sends them along. Waiting here too would empty the buffer under the outer wait.
    if (m_inWrite)
        return accepted > 0 ? EWrite::Written : EWrite::NotWritten;
    m_inWrite = true;
    const QDeadlineTimer deadline(limitMs);
    bool written = accepted == bytes.size();
    // A wait can end with the buffer emptied by a nested write, or with only part of a large
    // packet handed over: what is left to write decides.
    while (written && m_socket->bytesToWrite() > 0) {
        if (!m_socket->waitForBytesWritten(waitSlice(deadline)) && m_socket->bytesToWrite() > 0
            && (deadline.hasExpired() || cancel.load() || m_socket->state() != QAbstractSocket::ConnectedState))
            written = false;
    }
    m_inWrite = false;
    return written ? EWrite::Written : EWrite::NotWritten;
}

QByteArray TcpLink::read(qint64 maxSize)
{
    return m_socket->read(maxSize);
}

qint64 TcpLink::bytesAvailable() const
{
    return m_socket->bytesAvailable();
}

void TcpLink::pull()
{
    if (m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->waitForReadyRead(0);
}

EWait TcpLink::waitForBytes(const QDeadlineTimer &deadline, const std::atomic<bool> &cancel)
{
    for (;;) {
        if (!m_socket->isOpen())
            return EWait::Closed;
        if (m_socket->bytesAvailable() > 0)
            return EWait::Ready;
        if (cancel.load())
            return EWait::Cancelled;
        const QAbstractSocket::SocketState state = m_socket->state();
        if (state == QAbstractSocket::HostLookupState || state == QAbstractSocket::ConnectingState) {
            // The socket's read wait would give the connection up at the end of a slice.
            if (!waitForConnected(deadline, cancel))
                return cancel.load() ? EWait::Cancelled : EWait::Closed;
            continue;
        }
        if (state != QAbstractSocket::ConnectedState)
            return EWait::Closed;
        if (m_socket->waitForReadyRead(waitSlice(deadline)))
            return EWait::Ready;
        if (deadline.hasExpired())
            return cancel.load() ? EWait::Cancelled : EWait::Timeout;
    }
}
