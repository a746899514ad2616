#include "transport/CConfiguratorHandlerPort.h"

#include "transport/EPacketType.h"
#include "transport/Packet.h"
#include "transport/PortTerminalLink.h"
#include "transport/RelayCodec.h"
#include "transport/TransportLog.h"

#include <QSerialPort>
#include <QSerialPortInfo>
#include <QTcpSocket>

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
{
    tcpSocket = new QTcpSocket(this);
    connect(tcpSocket, &QTcpSocket::disconnected, this, &CConfiguratorHandlerPort::tcpSocketDisconnect);
    connect(tcpSocket, &QTcpSocket::readyRead, this, &CConfiguratorHandlerPort::readTcpData);
    // Requests and answers are single small writes; Nagle would only add latency.
    connect(tcpSocket, &QTcpSocket::connected, this,
            [this] { tcpSocket->setSocketOption(QAbstractSocket::LowDelayOption, 1); });
    serverAddress.ip = QString::fromLatin1(DEFAULT_SERVER_ADDRESS);
    serverAddress.port = DEFAULT_SERVER_PORT;
    connectionKind = CONNECTION_NONE;
    lastReadOk = false;
    serialPort = new QSerialPort(this);
}

CConfiguratorHandlerPort::~CConfiguratorHandlerPort()
{
    // Whoever listens to device_lost may be half destroyed already (the owner is).
    tcpSocket->disconnect(this);
    close(true);
    deviceList.clear();
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

EKora_connect_to_dev_res CConfiguratorHandlerPort::findDevice(TDeviceToConnect _dev)
{
    if (_dev.via_server == 0)
        return findUsbDevice();
    return findRelayDevice(_dev.info);
}

EKora_connect_to_dev_res CConfiguratorHandlerPort::findUsbDevice()
{
    connectionKind = CONNECTION_SERIAL;
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
    // A port left open by an earlier search would refuse to open again.
    if (serialPort->isOpen())
        serialPort->close();
    serialPort->setPortName(chosen);
    serialPort->setBaudRate(USB_BAUD_RATE);
    if (!serialPort->open(QIODevice::ReadWrite)) {
        qCDebug(lcTransport) << "[CConfiguratorHandlerPort::findDevice] Cannot open" << chosen << ":"
                             << serialPort->errorString();
        return CONNECT_FAILED;
    }
    qCDebug(lcTransport) << "[CConfiguratorHandlerPort::findDevice] Opened" << chosen;
    return CONNECT_OK;
}

EKora_connect_to_dev_res CConfiguratorHandlerPort::findRelayDevice(const TDeviceToConfigInfo &info)
{
    connectionKind = CONNECTION_TCP;
    // A socket the server has closed is still "open" locally but can carry nothing.
    if (tcpSocket->isOpen() && tcpSocket->state() == QAbstractSocket::UnconnectedState)
        closeSocket(false);
    if (!tcpSocket->isOpen())
        connectSocket();
    if (!tcpSocket->isOpen()) {
        lastError = QStringLiteral("ERROR[tcpSocket-connectToDevice] Сокет не удалось открыть");
        qCDebug(lcTransport).noquote() << lastError;
        return CONNECT_FAILED;
    }
    lastError.clear();
    // Reset before sending: on loopback the result can arrive while the write is awaited.
    connectResult = 0xFF;
    if (!connectToDevice(info)) {
        lastError = QStringLiteral("[CConfiguratorHandlerPort::findDevice] Не удалось подключиться к устройству");
        qCDebug(lcTransport).noquote() << lastError;
        return CONNECT_FAILED;
    }

    const bool answered = waitOnSocket([this] { return connectResult != 0xFF; },
                                       QDeadlineTimer(m_timeouts.relayAnswerMs), true);
    if (!answered) {
        if (tcpSocket->isOpen() && tcpSocket->state() == QAbstractSocket::ConnectedState) {
            lastError = QStringLiteral("[CConfiguratorHandlerPort::findDevice] Не удалось получить подтверждение "
                                       "сервера о подключении к устройству");
            qCDebug(lcTransport).noquote() << lastError;
            return CONNECT_FAILED;
        }
        lastError = QStringLiteral("ERROR[tcpSocket-connectToDevice] Не пришел ответ от сервера");
        qCDebug(lcTransport).noquote() << lastError;
        return CONNECT_NO_ANSWER;
    }

    switch (connectResult) {
    case 0:
        lastError.clear();
        return CONNECT_OK;
    case 1:
        lastError = QStringLiteral("ERROR[tcpSocket-connectToDevice] Неуспешное подключение к устройству");
        qCDebug(lcTransport).noquote() << lastError;
        return CONNECT_FAILED;
    case 2:
        lastError = QStringLiteral("ERROR[tcpSocket-connectToDevice] Устройство не найдено");
        qCDebug(lcTransport).noquote() << lastError;
        return CONNECT_NOT_FOUND;
    case 3:
        lastError = QStringLiteral("ERROR[tcpSocket-connectToDevice] Устройство занято");
        qCDebug(lcTransport).noquote() << lastError;
        return CONNECT_BUSY;
    default:
        return CONNECT_FAILED;
    }
}

bool CConfiguratorHandlerPort::connectToDevice(TDeviceToConfigInfo _dev)
{
    const QByteArray packet = RelayCodec::connectRequestPacket(_dev);
    return writeTcpData(reinterpret_cast<const uint8_t *>(packet.constData()), uint16_t(packet.size())) != 0;
}

bool CConfiguratorHandlerPort::updateServerParameters(TServerAddress addr)
{
    serverAddress = addr;
    // Only the relay socket is replaced; a USB session in force is left alone.
    closeSocket(connectionKind == CONNECTION_TCP);
    connectSocket();
    if (tcpSocket->waitForConnected(m_timeouts.serverConnectMs)) {
        qCDebug(lcTransport).noquote() << QStringLiteral("Сокет для сервера IP [%1] порт [%2] успешно открыт!")
                                              .arg(addr.ip)
                                              .arg(addr.port);
        return true;
    }
    qCDebug(lcTransport).noquote() << QStringLiteral("ERROR: Сокет для сервера IP [%1] порт [%2] не открыт!")
                                          .arg(addr.ip)
                                          .arg(addr.port)
                                   << tcpSocket->errorString();
    tcpSocket->abort();
    return false;
}

QList<TDeviceToConfigInfo> CConfiguratorHandlerPort::getServerDeviceList()
{
    deviceList.clear();
    m_listReceived = false;
    closeSocket(connectionKind == CONNECTION_TCP);
    connectSocket();

    const uint32_t listsBefore = m_deviceListCount;
    const QByteArray request = RelayCodec::deviceListRequestPacket();
    if (writeTcpData(reinterpret_cast<const uint8_t *>(request.constData()), uint16_t(request.size())) == 0) {
        lastError = QStringLiteral("ERROR[tcpSocket-getServerDeviceList] Не удалось отправить запрос на получение "
                                   "списка устройств");
        qCDebug(lcTransport).noquote() << lastError;
        return {};
    }
    // Pings and other relay packets may come first; only the list ends the wait.
    const bool received = waitOnSocket([this, listsBefore] { return m_deviceListCount != listsBefore; },
                                       QDeadlineTimer(m_timeouts.relayAnswerMs), true);
    if (!received) {
        lastError = QStringLiteral("[CConfiguratorHandlerPort::findDevice] The device list is not received");
        qCDebug(lcTransport).noquote() << lastError;
        return {};
    }
    m_listReceived = true;
    return deviceList;
}

QString CConfiguratorHandlerPort::errorString()
{
    switch (connectionKind) {
    case CONNECTION_SERIAL:
        if (!serialPort)
            return QStringLiteral("serialPort not created!");
        return serialPort->errorString();
    case CONNECTION_TCP:
        if (!tcpSocket)
            return QStringLiteral("tcpSocket not created!");
        return lastError.isEmpty() ? tcpSocket->errorString() : lastError;
    default:
        return QStringLiteral("Houston, We Have Had a Problem!");
    }
}

void CConfiguratorHandlerPort::close(bool validate)
{
    switch (connectionKind) {
    case CONNECTION_SERIAL:
        if (serialPort && serialPort->isOpen())
            serialPort->close();
        break;
    case CONNECTION_TCP:
        closeSocket(validate);
        break;
    default:
        closeSocket(false);
        break;
    }
}

void CConfiguratorHandlerPort::closeSocket(bool notify, bool keepQueued)
{
    if (!tcpSocket || !tcpSocket->isOpen())
        return;
    // After the server has gone the notification could only fail and overwrite lastError.
    if (notify && tcpSocket->state() == QAbstractSocket::ConnectedState) {
        const QByteArray note = RelayCodec::closeSocketPacket();
        if (writeTcpData(reinterpret_cast<const uint8_t *>(note.constData()), uint16_t(note.size())) != 0)
            qCDebug(lcTransport).noquote()
                << QStringLiteral("[CConfiguratorHandlerPort::close] Уведомление о закрытии сокета отправлено");
        else
            qCDebug(lcTransport).noquote()
                << QStringLiteral("[CConfiguratorHandlerPort::close] Уведомление о закрытии сокета не отправлено");
    }
    // The notification's write may have run a close packet from the server already.
    if (tcpSocket->isOpen())
        tcpSocket->close();
    rxBuffer.clear();
    if (!keepQueued) {
        tcpPacket.clear();
        m_lostBehindQueued = false;
    }
    lastReadOk = false;
}

void CConfiguratorHandlerPort::connectSocket()
{
    // Bytes of an earlier connection must not be taken for the start of this one's.
    rxBuffer.clear();
    tcpPacket.clear();
    m_lostBehindQueued = false;
    lastReadOk = false;
    tcpSocket->connectToHost(serverAddress.ip, serverAddress.port, QIODevice::ReadWrite,
                             QAbstractSocket::AnyIPProtocol);
}

bool CConfiguratorHandlerPort::isOpen()
{
    switch (connectionKind) {
    case CONNECTION_SERIAL:
        return serialPort->isOpen();
    case CONNECTION_TCP:
        // A socket the server has closed stays open locally but can carry nothing more.
        return tcpSocket->isOpen() && tcpSocket->state() != QAbstractSocket::UnconnectedState;
    default:
        return false;
    }
}

uint64_t CConfiguratorHandlerPort::write(uint8_t *data, uint64_t size)
{
    switch (connectionKind) {
    case CONNECTION_SERIAL: {
        if (!serialPort->isOpen())
            return 0;
        const qint64 written = serialPort->write(reinterpret_cast<const char *>(data), qint64(size));
        // -1 must not pass for a huge byte count.
        return written < 0 ? 0 : uint64_t(written);
    }
    case CONNECTION_TCP:
        // Cutting the count to 16 bits would send a truncated packet.
        if (size > uint64_t(Packet::MAX_TCP_PACKET)) {
            lastError = QStringLiteral("[CConfiguratorHandlerPort::writeTcpData] Не удалось отправить данные по TCP");
            qCDebug(lcTransport) << "[CConfiguratorHandlerPort::write] Packet of" << size
                                 << "bytes exceeds the TCP packet limit, not sent";
            return 0;
        }
        return writeTcpData(data, uint16_t(size));
    default:
        return 0;
    }
}

uint64_t CConfiguratorHandlerPort::write(QByteArray &data, uint64_t size)
{
    const uint64_t available = uint64_t(data.size());
    return write(reinterpret_cast<uint8_t *>(data.data()), qMin(size, available));
}

uint64_t CConfiguratorHandlerPort::writeTcpData(const uint8_t *data, uint16_t size)
{
    if (!tcpSocket)
        return 0;
    if (!tcpSocket->isOpen()) {
        qCDebug(lcTransport).noquote() << QStringLiteral("[CAbstractInfoWidget::readDeviceData] Сокет закрыт!");
        return 0;
    }
    if (!tcpSocket->waitForConnected(m_timeouts.socketWaitMs)) {
        lastError = QStringLiteral("[CConfiguratorHandlerPort::writeTcpData] Не удалось подключиться к TCP сокету");
        qCDebug(lcTransport).noquote() << lastError;
        return 0;
    }
    const qint64 accepted = tcpSocket->write(reinterpret_cast<const char *>(data), size);
    // A ping answered from inside our own wait below: that wait sends it along. Waiting
    // here too would empty the buffer under the outer wait, which then sits out its whole
    // limit waiting for bytes to write that are gone.
    if (m_inWrite)
        return accepted > 0 ? uint64_t(accepted) : 0;
    m_inWrite = true;
    // One waitForBytesWritten may hand over only part of a large packet.
    QDeadlineTimer deadline(m_timeouts.socketWaitMs);
    bool written = accepted > 0;
    while (written && tcpSocket->bytesToWrite() > 0) {
        if (!tcpSocket->waitForBytesWritten(int(deadline.remainingTime())) && tcpSocket->bytesToWrite() > 0)
            written = false;
    }
    m_inWrite = false;
    if (!written) {
        lastError = QStringLiteral("[CConfiguratorHandlerPort::writeTcpData] Не удалось отправить данные по TCP");
        qCDebug(lcTransport).noquote() << lastError;
        return 0;
    }
    return uint64_t(accepted);
}

QByteArray CConfiguratorHandlerPort::readAll()
{
    switch (connectionKind) {
    case CONNECTION_SERIAL:
        return serialPort->readAll();
    case CONNECTION_TCP: {
        const QByteArray packets = tcpPacket;
        tcpPacket.clear();
        if (m_lostBehindQueued) {
            // Reported once the reader has taken the answers and finished with them.
            m_lostBehindQueued = false;
            QMetaObject::invokeMethod(this, &CConfiguratorHandlerPort::device_lost, Qt::QueuedConnection);
        }
        return packets;
    }
    default:
        return {};
    }
}

bool CConfiguratorHandlerPort::waitForReadyRead(uint32_t msec)
{
    switch (connectionKind) {
    case CONNECTION_SERIAL:
        if (!serialPort->isOpen())
            return false;
        // Unread bytes count as ready, so an answer can be gathered over several calls.
        if (serialPort->bytesAvailable() > 0)
            return true;
        if (serialPort->waitForReadyRead(int(qMin<uint32_t>(msec, INT32_MAX))))
            return true;
        // A port gone with its cable fails every wait at once (a read error, or the device
        // vanished); closed, it shows as not open and the caller stops waiting.
        if (serialPort->error() == QSerialPort::ResourceError || serialPort->error() == QSerialPort::ReadError) {
            qCDebug(lcTransport) << "[CConfiguratorHandlerPort::waitForReadyRead] Serial port lost:"
                                 << serialPort->errorString();
            serialPort->close();
        }
        return false;
    case CONNECTION_TCP: {
        if (!tcpPacket.isEmpty())
            return true;
        const bool arrived = waitOnSocket([this] { return !tcpPacket.isEmpty(); },
                                          QDeadlineTimer(qint64(msec)), false);
        if (arrived)
            qCDebug(lcTransport).noquote()
                << QStringLiteral("[CConfiguratorHandlerPort::waitForReadyRead] Получено %1 байт данных")
                       .arg(tcpPacket.size());
        return arrived;
    }
    default:
        return false;
    }
}

void CConfiguratorHandlerPort::discardInput()
{
    switch (connectionKind) {
    case CONNECTION_SERIAL:
        if (serialPort->isOpen()) {
            serialPort->clear(QSerialPort::Input);
            serialPort->readAll();
        }
        break;
    case CONNECTION_TCP:
        if (tcpSocket->state() == QAbstractSocket::ConnectedState)
            tcpSocket->waitForReadyRead(0); // pulls in what the system holds already
        readTcpData();
        // Taken and dropped, not left unread: a loss queued behind them is due now.
        readAll();
        break;
    default:
        break;
    }
}

bool CConfiguratorHandlerPort::waitOnSocket(const std::function<bool()> &done, const QDeadlineTimer &deadline,
                                            bool logPartial)
{
    readTcpData();
    while (!done()) {
        if (!tcpSocket->isOpen())
            return false;
        const auto state = tcpSocket->state();
        if (state == QAbstractSocket::UnconnectedState && tcpSocket->bytesAvailable() == 0)
            return false;
        if (deadline.hasExpired())
            return false;
        const bool arrived = tcpSocket->waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), INT32_MAX)));
        readTcpData();
        if (arrived && logPartial && !done())
            qCDebug(lcTransport)
                << "[CConfiguratorHandlerPort::findDevice] Receive partial packet. Wait for additional data!";
    }
    return true;
}

bool CConfiguratorHandlerPort::readTcpData()
{
    if (!tcpSocket || !tcpSocket->isOpen())
        return false;
    // A ping answer written from parseData may deliver more bytes; the running pass takes them.
    if (m_inRead || tcpSocket->bytesAvailable() <= 0)
        return lastReadOk;
    m_inRead = true;
    bool consumed = false;
    while (tcpSocket->isOpen() && tcpSocket->bytesAvailable() > 0) {
        rxBuffer.append(tcpSocket->read(RX_BUFFER_LIMIT - rxBuffer.size()));
        if (consumePackets())
            consumed = true;
    }
    m_inRead = false;
    lastReadOk = consumed;
    return consumed;
}

bool CConfiguratorHandlerPort::consumePackets()
{
    bool consumed = false;
    while (tcpSocket->isOpen()) {
        const int size = Packet::claimedSize(rxBuffer);
        if (size < 0)
            break;
        if (size > Packet::MAX_TCP_PACKET) {
            // No packet of the TCP link is that long: the stream is out of step, and nothing
            // in it marks where the next packet starts.
            qCDebug(lcTransport) << "[CConfiguratorHandlerPort::readTcpData] WARNING Impossible packet length"
                                 << size << "- dropping" << rxBuffer.size() << "received bytes";
            rxBuffer.clear();
            break;
        }
        if (!parseHeader(rxBuffer)) {
            if (rxBuffer.size() < size)
                break;
            qCDebug(lcTransport) << "[CConfiguratorHandlerPort::readTcpData] WARNING Dropped a packet of" << size
                                 << "bytes with invalid CRC";
            rxBuffer.remove(0, size);
            continue;
        }
        const QByteArray packet = rxBuffer.left(size);
        rxBuffer.remove(0, size);
        parseData(packet);
        consumed = true;
    }
    return consumed;
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
    // Validated by the caller; only guard against reading past the bytes given.
    const int size = Packet::claimedSize(_array);
    if (size < 0 || _array.size() < size)
        return 0;
    const uint8_t type = uint8_t(_array.at(2));
    const QByteArray payload = _array.mid(Packet::HEADER_SIZE, size - Packet::OVERHEAD);

    switch (type) {
    case PACKET_PING: {
        qCDebug(lcTransport) << "PING";
        const QByteArray answer = RelayCodec::pingAnswerPacket();
        writeTcpData(reinterpret_cast<const uint8_t *>(answer.constData()), uint16_t(answer.size()));
        break;
    }
    case PACKET_PING_ANSWER:
    case PACKET_GET_DEVICE_LIST:
    case PACKET_CONNECT_TO_DEVICE:
        break;
    case PACKET_DEVICE_LIST: {
        int declared = 0;
        deviceList = RelayCodec::parseDeviceList(payload, &declared);
        if (declared != deviceList.size())
            qCDebug(lcTransport) << "[CConfiguratorHandlerPort::readTcpData] WARNING Device list claims" << declared
                                 << "records but carries" << deviceList.size();
        qCDebug(lcTransport).noquote()
            << QStringLiteral("[CConfiguratorHandlerPort::readTcpData] Получен список из %1 устройств")
                   .arg(deviceList.size());
        ++m_deviceListCount;
        break;
    }
    case PACKET_CONNECT_RESULT:
        if (payload.isEmpty()) {
            qCDebug(lcTransport) << "[CConfiguratorHandlerPort::readTcpData] WARNING Connect result without a result byte";
            break;
        }
        connectResult = uint8_t(payload.at(0));
        if (connectResult == 0)
            qCDebug(lcTransport).noquote()
                << QStringLiteral("[CConfiguratorHandlerPort::readTcpData] Устройство успешно подключено");
        else if (connectResult == 1)
            qCDebug(lcTransport).noquote()
                << QStringLiteral("[CConfiguratorHandlerPort::readTcpData] ERROR: Устройство не подключено!");
        else if (connectResult == 2)
            qCDebug(lcTransport).noquote()
                << QStringLiteral("[CConfiguratorHandlerPort::readTcpData] ERROR: Устройство не найдено!");
        break;
    case PACKET_CLOSE_SOCKET:
        // On a relay socket left open beside a USB session this must not end that session.
        if (connectionKind != CONNECTION_TCP) {
            qCDebug(lcTransport) << "[CConfiguratorHandlerPort::readTcpData] Server closed an idle relay connection";
            closeSocket(false);
        } else if (tcpPacket.isEmpty()) {
            emit device_lost();
            closeSocket(false);
        } else {
            // A terminal that answers and then goes (a restart) has still answered: its
            // packets stay readable and the loss is reported after they are read.
            m_lostBehindQueued = true;
            closeSocket(false, true);
        }
        break;
    default:
        // The session reads whole packets; when it does not read at all, keep only the newest.
        if (tcpPacket.size() + size > RX_BUFFER_LIMIT) {
            qCDebug(lcTransport) << "[CConfiguratorHandlerPort::readTcpData] WARNING Dropping" << tcpPacket.size()
                                 << "unread bytes of terminal packets";
            tcpPacket.clear();
        }
        tcpPacket.append(_array.constData(), size);
        break;
    }
    return uint32_t(uint16_t(size));
}

void CConfiguratorHandlerPort::tcpSocketDisconnect()
{
    // A lost link is learnt from the server's close packet or a missing answer, not here.
    qCDebug(lcTransport) << "[CConfiguratorHandlerPort::tcpSocketDisconnect] Socket disconnected";
}

TerminalLink *CConfiguratorHandlerPort::terminalLink()
{
    if (!m_link)
        m_link = std::make_unique<PortTerminalLink>(this);
    return m_link.get();
}
