#include "transport/CConfiguratorHandlerPort.h"

#include "transport/Packet.h"
#include "transport/RelayTerminalLink.h"
#include "transport/SerialTerminalLink.h"
#include "transport/TransportLog.h"

#include <QSerialPortInfo>

const char *const CConfiguratorHandlerPort::DEFAULT_SERVER_ADDRESS = "127.0.0.1";

namespace {

CConfiguratorHandlerPort::PortLister &portLister()
{
    static CConfiguratorHandlerPort::PortLister lister;
    return lister;
}

} // namespace

CConfiguratorHandlerPort::CConfiguratorHandlerPort(QObject *parent)
    : QObject(parent)
    , m_serial(new SerialLink(this))
    , m_relay(new RelayClient(this))
    , m_serialTerminal(std::make_unique<SerialTerminalLink>(m_serial))
    , m_relayTerminal(std::make_unique<RelayTerminalLink>(m_relay))
    , m_cancel(&neverCancelled())
{
    connect(m_relay, &RelayClient::deviceLost, this, &CConfiguratorHandlerPort::device_lost);
    connect(m_relay, &RelayClient::disconnected, this, &CConfiguratorHandlerPort::tcpSocketDisconnect);
    m_relay->setServer({QString::fromLatin1(DEFAULT_SERVER_ADDRESS), DEFAULT_SERVER_PORT});
    m_relay->setTimeouts(m_timeouts);
}

CConfiguratorHandlerPort::~CConfiguratorHandlerPort()
{
    // Whoever listens to device_lost may be half destroyed already (the owner is).
    disconnect(m_relay, nullptr, this, nullptr);
    close(true);
}

void CConfiguratorHandlerPort::setPortLister(PortLister lister)
{
    portLister() = std::move(lister);
}

QList<TSerialPortCandidate> CConfiguratorHandlerPort::systemPorts()
{
    QList<TSerialPortCandidate> ports;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
        TSerialPortCandidate port;
        port.portName = info.portName();
        port.hasIdentifiers = info.hasVendorIdentifier() && info.hasProductIdentifier();
        port.vendorId = info.vendorIdentifier();
        port.productId = info.productIdentifier();
        ports.append(port);
    }
    return ports;
}

void CConfiguratorHandlerPort::setTimeouts(const TTransportTimeouts &timeouts)
{
    m_timeouts = timeouts;
    m_relay->setTimeouts(timeouts);
}

void CConfiguratorHandlerPort::setCancelFlag(const std::atomic<bool> *flag)
{
    m_cancel = flag ? flag : &neverCancelled();
    m_relay->setCancelFlag(flag);
}

EKora_connect_to_dev_res CConfiguratorHandlerPort::findDevice(TDeviceToConnect _dev)
{
    m_terminal = nullptr;
    EKora_connect_to_dev_res result;
    if (_dev.via_server == 0) {
        result = findUsbDevice();
        if (result == CONNECT_OK)
            m_terminal = m_serialTerminal.get();
    } else {
        connectionKind = CONNECTION_TCP;
        m_relay->setCarriesSession(true);
        result = m_relay->bindDevice(_dev.info);
        if (result == CONNECT_OK)
            m_terminal = m_relayTerminal.get();
    }
    return result;
}

EKora_connect_to_dev_res CConfiguratorHandlerPort::findUsbDevice()
{
    connectionKind = CONNECTION_SERIAL;
    m_relay->setCarriesSession(false);
    const QList<TSerialPortCandidate> ports = portLister() ? portLister()() : systemPorts();
    QString chosen;
    for (const TSerialPortCandidate &port : ports) {
        if (port.hasIdentifiers && port.vendorId == USB_VENDOR_ID && port.productId == USB_PRODUCT_ID)
            chosen = port.portName;
    }
    if (chosen.isEmpty()) {
        qCDebug(lcTransport) << "[CConfiguratorHandlerPort::findDevice] No USB port of the terminal found";
        return CONNECT_FAILED;
    }
    if (!m_serial->open(chosen)) {
        qCDebug(lcTransport) << "[CConfiguratorHandlerPort::findDevice] Cannot open" << chosen << ":"
                             << m_serial->errorString();
        return CONNECT_FAILED;
    }
    // Whatever the terminal sent before the port was ours answers nothing of ours.
    m_serialTerminal->discardInput();
    qCDebug(lcTransport) << "[CConfiguratorHandlerPort::findDevice] Opened" << chosen;
    return CONNECT_OK;
}

bool CConfiguratorHandlerPort::connectToDevice(TDeviceToConfigInfo _dev)
{
    return m_relay->sendConnectRequest(_dev);
}

bool CConfiguratorHandlerPort::updateServerParameters(TServerAddress addr)
{
    // Only the relay socket is replaced; a USB session in force is left alone.
    return m_relay->openServer(addr, connectionKind == CONNECTION_TCP);
}

QList<TDeviceToConfigInfo> CConfiguratorHandlerPort::getServerDeviceList()
{
    return m_relay->fetchDeviceList(connectionKind == CONNECTION_TCP, &m_listReceived);
}

QString CConfiguratorHandlerPort::errorString()
{
    switch (connectionKind) {
    case CONNECTION_SERIAL:
        return m_serial->errorString();
    case CONNECTION_TCP:
        return m_relay->errorString();
    default:
        return QStringLiteral("Houston, We Have Had a Problem!");
    }
}

void CConfiguratorHandlerPort::close(bool validate)
{
    switch (connectionKind) {
    case CONNECTION_SERIAL:
        m_serial->close();
        break;
    case CONNECTION_TCP:
        m_relay->close(validate);
        break;
    default:
        m_relay->close(false);
        break;
    }
}

bool CConfiguratorHandlerPort::isOpen()
{
    switch (connectionKind) {
    case CONNECTION_SERIAL:
        return m_serial->isOpen();
    case CONNECTION_TCP:
        return m_relay->isOpen();
    default:
        return false;
    }
}

uint64_t CConfiguratorHandlerPort::write(uint8_t *data, uint64_t size)
{
    switch (connectionKind) {
    case CONNECTION_SERIAL:
        return uint64_t(m_serial->write(reinterpret_cast<const char *>(data), qint64(size)));
    case CONNECTION_TCP:
        return m_relay->write(reinterpret_cast<const char *>(data), size);
    default:
        return 0;
    }
}

uint64_t CConfiguratorHandlerPort::write(QByteArray &data, uint64_t size)
{
    const uint64_t available = uint64_t(data.size());
    return write(reinterpret_cast<uint8_t *>(data.data()), qMin(size, available));
}

QByteArray CConfiguratorHandlerPort::readAll()
{
    switch (connectionKind) {
    case CONNECTION_SERIAL:
        return m_serial->read();
    case CONNECTION_TCP:
        return m_relay->takeAll();
    default:
        return {};
    }
}

bool CConfiguratorHandlerPort::waitForReadyRead(uint32_t msec)
{
    const QDeadlineTimer deadline{qint64(msec)};
    switch (connectionKind) {
    case CONNECTION_SERIAL:
        return m_serial->waitForBytes(deadline, cancelFlag()) == EWait::Ready;
    case CONNECTION_TCP:
        if (m_relay->hasFrames())
            return true;
        if (!m_relay->waitForFrame(deadline, cancelFlag()))
            return false;
        qCDebug(lcTransport).noquote()
            << QStringLiteral("[CConfiguratorHandlerPort::waitForReadyRead] Получено %1 байт данных")
                   .arg(m_relay->queuedBytes());
        return true;
    default:
        return false;
    }
}

void CConfiguratorHandlerPort::discardInput()
{
    switch (connectionKind) {
    case CONNECTION_SERIAL:
        m_serialTerminal->discardInput();
        break;
    case CONNECTION_TCP:
        m_relayTerminal->discardInput();
        break;
    default:
        break;
    }
}

bool CConfiguratorHandlerPort::readTcpData()
{
    return m_relay->pump();
}

bool CConfiguratorHandlerPort::parseHeader(QByteArray _array)
{
    const int size = Packet::claimedSize(_array);
    if (size < 0)
        return false;
    if (_array.size() < size) {
        qCDebug(lcTransport) << "[CConfiguratorHandlerPort::parseHeader] INFO Received data len < data len in header";
        return false;
    }
    qCDebug(lcTransport).nospace() << "[CConfiguratorHandlerPort::parseHeader] Packet length = " << size;
    if (Packet::checkHeader(_array) != Packet::HeaderStatus::Valid) {
        qCDebug(lcTransport) << "[CConfiguratorHandlerPort::parseHeader] WARNING Invalid CRC!";
        return false;
    }
    return true;
}

uint32_t CConfiguratorHandlerPort::parseData(QByteArray _array)
{
    return m_relay->handlePacket(_array);
}

void CConfiguratorHandlerPort::tcpSocketDisconnect()
{
    // A lost link is learnt from the server's close packet or a missing answer, not here.
    qCDebug(lcTransport) << "[CConfiguratorHandlerPort::tcpSocketDisconnect] Socket disconnected";
}
