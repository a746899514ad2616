#include "transport/SerialLink.h"

#include "transport/TransportLog.h"

#include <QSerialPort>

SerialLink::SerialLink(QObject *parent)
    : QObject(parent)
    , m_port(new QSerialPort(this))
{
}

bool SerialLink::open(const QString &portName)
{
    // A port left open by an earlier search would refuse to open again.
    if (m_port->isOpen())
        m_port->close();
    m_port->setPortName(portName);
    m_port->setBaudRate(BAUD_RATE);
    return m_port->open(QIODevice::ReadWrite);
}

void SerialLink::close()
{
    if (m_port->isOpen())
        m_port->close();
}

bool SerialLink::isOpen() const
{
    return m_port->isOpen();
}

QString SerialLink::errorString() const
{
    return m_port->errorString();
}

qint64 SerialLink::write(const char *data, qint64 size)
{
    if (!m_port->isOpen())
        return 0;
    // -1 must not pass for a huge byte count.
    return qMax<qint64>(0, m_port->write(data, size));
}

QByteArray SerialLink::read(qint64 maxSize)
{
    return maxSize < 0 ? m_port->readAll() : m_port->read(maxSize);
}

void SerialLink::clearInput()
{
    if (!m_port->isOpen())
        return;
    m_port->clear(QSerialPort::Input);
    m_port->readAll();
}

EWait SerialLink::waitForBytes(const QDeadlineTimer &deadline, const std::atomic<bool> &cancel)
{
    for (;;) {
        if (!m_port->isOpen())
            return EWait::Closed;
        if (m_port->bytesAvailable() > 0)
            return EWait::Ready;
        if (cancel.load())
            return EWait::Cancelled;
        m_port->clearError();
        if (m_port->waitForReadyRead(waitSlice(deadline)))
            return EWait::Ready;
        // A port gone with its cable fails every wait at once (a read error, or the device
        // vanished); closed, it shows as not open and the caller stops waiting.
        const QSerialPort::SerialPortError error = m_port->error();
        if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError) {
            qCDebug(lcTransport) << "[CConfiguratorHandlerPort::waitForReadyRead] Serial port lost:"
                                 << m_port->errorString();
            m_port->close();
            return EWait::Closed;
        }
        // Only a slice that ran out may be followed by another: any other failure would
        // come back at once, again and again.
        if (error != QSerialPort::TimeoutError || deadline.hasExpired())
            return EWait::Timeout;
    }
}
