#include "transport/RelayClient.h"

#include "transport/EPacketType.h"
#include "transport/LinkWait.h"
#include "transport/RelayCodec.h"
#include "transport/TcpLink.h"
#include "transport/TransportLog.h"

RelayClient::RelayClient(QObject *parent)
    : QObject(parent)
    , m_link(new TcpLink(this))
    , m_cancel(&neverCancelled())
{
    // Pings are answered, and the server's close is seen, while no transaction runs too.
    connect(m_link, &TcpLink::readyRead, this, &RelayClient::pump);
    connect(m_link, &TcpLink::disconnected, this, &RelayClient::disconnected);
}

void RelayClient::setCancelFlag(const std::atomic<bool> *flag)
{
    m_cancel = flag ? flag : &neverCancelled();
}

bool RelayClient::openServer(const TServerAddress &address, bool notify)
{
    m_server = address;
    close(notify);
    connectSocket();
    if (m_link->waitForConnected(QDeadlineTimer(m_timeouts.serverConnectMs), *m_cancel)) {
        qCDebug(lcTransport).noquote() << QStringLiteral("Сокет для сервера IP [%1] порт [%2] успешно открыт!")
                                              .arg(address.ip)
                                              .arg(address.port);
        return true;
    }
    qCDebug(lcTransport).noquote() << QStringLiteral("ERROR: Сокет для сервера IP [%1] порт [%2] не открыт!")
                                          .arg(address.ip)
                                          .arg(address.port)
                                   << m_link->errorString();
    m_link->abort();
    return false;
}

QList<TDeviceToConfigInfo> RelayClient::fetchDeviceList(bool notify, bool *received)
{
    m_deviceList.clear();
    *received = false;
    close(notify);
    connectSocket();

    const uint32_t listsBefore = m_deviceListCount;
    const QByteArray request = RelayCodec::deviceListRequestPacket();
    if (write(request.constData(), uint64_t(request.size())) == 0) {
        m_lastError = QStringLiteral("ERROR[tcpSocket-getServerDeviceList] Не удалось отправить запрос на получение "
                                     "списка устройств");
        qCDebug(lcTransport).noquote() << m_lastError;
        return {};
    }
    // Pings and other relay packets may come first; only the list ends the wait.
    if (!waitUntil([this, listsBefore] { return m_deviceListCount != listsBefore; },
                   QDeadlineTimer(m_timeouts.relayAnswerMs), *m_cancel, true)) {
        m_lastError = QStringLiteral("[CConfiguratorHandlerPort::findDevice] The device list is not received");
        qCDebug(lcTransport).noquote() << m_lastError;
        return {};
    }
    *received = true;
    return m_deviceList;
}

EKora_connect_to_dev_res RelayClient::bindDevice(const TDeviceToConfigInfo &info)
{
    // A socket the server has closed is still "open" locally but can carry nothing.
    if (m_link->isOpen() && m_link->state() == QAbstractSocket::UnconnectedState)
        close(false);
    if (!m_link->isOpen())
        connectSocket();
    if (!m_link->isOpen()) {
        m_lastError = QStringLiteral("ERROR[tcpSocket-connectToDevice] Сокет не удалось открыть");
        qCDebug(lcTransport).noquote() << m_lastError;
        return CONNECT_FAILED;
    }
    m_lastError.clear();
    // Reset before sending: on loopback the result can arrive while the write is awaited.
    m_connectResult = 0xFF;
    if (!sendConnectRequest(info)) {
        m_lastError = QStringLiteral("[CConfiguratorHandlerPort::findDevice] Не удалось подключиться к устройству");
        qCDebug(lcTransport).noquote() << m_lastError;
        return CONNECT_FAILED;
    }

    if (!waitUntil([this] { return m_connectResult != 0xFF; }, QDeadlineTimer(m_timeouts.relayAnswerMs), *m_cancel,
                   true)) {
        if (isOpen()) {
            m_lastError = QStringLiteral("[CConfiguratorHandlerPort::findDevice] Не удалось получить подтверждение "
                                         "сервера о подключении к устройству");
            qCDebug(lcTransport).noquote() << m_lastError;
            return CONNECT_FAILED;
        }
        m_lastError = QStringLiteral("ERROR[tcpSocket-connectToDevice] Не пришел ответ от сервера");
        qCDebug(lcTransport).noquote() << m_lastError;
        return CONNECT_NO_ANSWER;
    }

    switch (m_connectResult) {
    case 0:
        m_lastError.clear();
        return CONNECT_OK;
    case 1:
        m_lastError = QStringLiteral("ERROR[tcpSocket-connectToDevice] Неуспешное подключение к устройству");
        qCDebug(lcTransport).noquote() << m_lastError;
        return CONNECT_FAILED;
    case 2:
        m_lastError = QStringLiteral("ERROR[tcpSocket-connectToDevice] Устройство не найдено");
        qCDebug(lcTransport).noquote() << m_lastError;
        return CONNECT_NOT_FOUND;
    case 3:
        m_lastError = QStringLiteral("ERROR[tcpSocket-connectToDevice] Устройство занято");
        qCDebug(lcTransport).noquote() << m_lastError;
        return CONNECT_BUSY;
    default:
        return CONNECT_FAILED;
    }
}

bool RelayClient::sendConnectRequest(const TDeviceToConfigInfo &info)
{
    const QByteArray packet = RelayCodec::connectRequestPacket(info);
    return write(packet.constData(), uint64_t(packet.size())) != 0;
}

void RelayClient::close(bool notify, bool keepQueued)
{
    if (!m_link->isOpen())
        return;
    // After the server has gone the notification could only fail and overwrite the last error.
    // While the program shuts down it gets one slice, not the whole write wait.
    if (notify && m_link->state() == QAbstractSocket::ConnectedState) {
        const QByteArray note = RelayCodec::closeSocketPacket();
        if (write(note.constData(), uint64_t(note.size())) != 0)
            qCDebug(lcTransport).noquote()
                << QStringLiteral("[CConfiguratorHandlerPort::close] Уведомление о закрытии сокета отправлено");
        else
            qCDebug(lcTransport).noquote()
                << QStringLiteral("[CConfiguratorHandlerPort::close] Уведомление о закрытии сокета не отправлено");
    }
    // The notification's write may have run a close packet from the server already.
    if (m_link->isOpen())
        m_link->close();
    m_reader.clear();
    if (!keepQueued) {
        m_queue.clear();
        m_queuedBytes = 0;
        m_lostBehindQueued = false;
    }
    m_lastReadOk = false;
}

void RelayClient::connectSocket()
{
    // Bytes of an earlier connection must not be taken for the start of this one's.
    m_reader.clear();
    m_queue.clear();
    m_queuedBytes = 0;
    m_lostBehindQueued = false;
    m_lastReadOk = false;
    m_link->connectToServer(m_server);
}

bool RelayClient::isOpen() const
{
    return m_link->isOpen() && m_link->state() != QAbstractSocket::UnconnectedState;
}

QString RelayClient::errorString() const
{
    return m_lastError.isEmpty() ? m_link->errorString() : m_lastError;
}

uint64_t RelayClient::write(const char *data, uint64_t size)
{
    // Cutting the count to 16 bits would send a truncated packet.
    if (size > uint64_t(Packet::MAX_TCP_PACKET)) {
        m_lastError = QStringLiteral("[CConfiguratorHandlerPort::writeTcpData] Не удалось отправить данные по TCP");
        qCDebug(lcTransport) << "[CConfiguratorHandlerPort::write] Packet of" << size
                             << "bytes exceeds the TCP packet limit, not sent";
        return 0;
    }
    switch (m_link->write(QByteArray(data, int(size)), m_timeouts.socketWaitMs, *m_cancel)) {
    case TcpLink::EWrite::Written:
        return size;
    case TcpLink::EWrite::Closed:
        qCDebug(lcTransport).noquote() << QStringLiteral("[CAbstractInfoWidget::readDeviceData] Сокет закрыт!");
        return 0;
    case TcpLink::EWrite::NotConnected:
        m_lastError = QStringLiteral("[CConfiguratorHandlerPort::writeTcpData] Не удалось подключиться к TCP сокету");
        break;
    case TcpLink::EWrite::NotWritten:
        m_lastError = QStringLiteral("[CConfiguratorHandlerPort::writeTcpData] Не удалось отправить данные по TCP");
        break;
    }
    qCDebug(lcTransport).noquote() << m_lastError;
    return 0;
}

bool RelayClient::takeFrame(QByteArray *frame)
{
    if (m_queue.isEmpty())
        return false;
    *frame = m_queue.takeFirst();
    m_queuedBytes -= frame->size();
    dueLossAfterTaking();
    return true;
}

QByteArray RelayClient::takeAll()
{
    QByteArray frames;
    frames.reserve(m_queuedBytes);
    for (const QByteArray &frame : qAsConst(m_queue))
        frames += frame;
    m_queue.clear();
    m_queuedBytes = 0;
    dueLossAfterTaking();
    return frames;
}

void RelayClient::dueLossAfterTaking()
{
    if (!m_queue.isEmpty() || !m_lostBehindQueued)
        return;
    // Reported once the reader has taken the answers and finished with them.
    m_lostBehindQueued = false;
    QMetaObject::invokeMethod(this, &RelayClient::deviceLost, Qt::QueuedConnection);
}

void RelayClient::discardInput()
{
    m_link->pull();
    pump();
    takeAll();
}

bool RelayClient::waitForFrame(const QDeadlineTimer &deadline, const std::atomic<bool> &cancel)
{
    return waitUntil([this] { return !m_queue.isEmpty(); }, deadline, cancel, false);
}

bool RelayClient::waitUntil(const std::function<bool()> &done, const QDeadlineTimer &deadline,
                            const std::atomic<bool> &cancel, bool logPartial)
{
    pump();
    while (!done()) {
        // Pumping with nothing new cannot change done(): any other ending is final.
        if (m_link->waitForBytes(deadline, cancel) != EWait::Ready)
            return false;
        pump();
        if (logPartial && !done())
            qCDebug(lcTransport)
                << "[CConfiguratorHandlerPort::findDevice] Receive partial packet. Wait for additional data!";
    }
    return true;
}

bool RelayClient::pump()
{
    if (!m_link->isOpen())
        return false;
    // A ping answer written from handlePacket may deliver more bytes; the running pass takes them.
    if (m_inRead || m_link->bytesAvailable() <= 0)
        return m_lastReadOk;
    m_inRead = true;
    bool consumed = false;
    QByteArray packet;
    while (m_link->isOpen() && m_link->bytesAvailable() > 0) {
        m_reader.append(m_link->read(m_reader.maxFrame()));
        for (FrameReader::EEvent event; m_link->isOpen() && (event = m_reader.next(&packet)) != FrameReader::EEvent::None;) {
            if (event != FrameReader::EEvent::Frame)
                continue;
            qCDebug(lcTransport).nospace() << "[CConfiguratorHandlerPort::parseHeader] Packet length = " << packet.size();
            handlePacket(packet);
            consumed = true;
        }
    }
    if (m_reader.buffered() >= Packet::HEADER_SIZE)
        qCDebug(lcTransport) << "[CConfiguratorHandlerPort::parseHeader] INFO Received data len < data len in header";
    m_inRead = false;
    m_lastReadOk = consumed;
    return consumed;
}

uint32_t RelayClient::handlePacket(const QByteArray &packet)
{
    // Whole and checked when it comes from pump; only guard against reading past the bytes given.
    const int size = Packet::claimedSize(packet);
    if (size < 0 || packet.size() < size)
        return 0;
    const QByteArray payload = packet.mid(Packet::HEADER_SIZE, size - Packet::OVERHEAD);

    switch (uint8_t(packet.at(2))) {
    case PACKET_PING: {
        qCDebug(lcTransport) << "PING";
        const QByteArray answer = RelayCodec::pingAnswerPacket();
        write(answer.constData(), uint64_t(answer.size()));
        break;
    }
    case PACKET_PING_ANSWER:
    case PACKET_GET_DEVICE_LIST:
    case PACKET_CONNECT_TO_DEVICE:
        break;
    case PACKET_DEVICE_LIST: {
        int declared = 0;
        m_deviceList = RelayCodec::parseDeviceList(payload, &declared);
        if (declared != m_deviceList.size())
            qCDebug(lcTransport) << "[CConfiguratorHandlerPort::readTcpData] WARNING Device list claims" << declared
                                 << "records but carries" << m_deviceList.size();
        qCDebug(lcTransport).noquote()
            << QStringLiteral("[CConfiguratorHandlerPort::readTcpData] Получен список из %1 устройств")
                   .arg(m_deviceList.size());
        ++m_deviceListCount;
        break;
    }
    case PACKET_CONNECT_RESULT:
        if (payload.isEmpty()) {
            qCDebug(lcTransport) << "[CConfiguratorHandlerPort::readTcpData] WARNING Connect result without a result byte";
            break;
        }
        m_connectResult = uint8_t(payload.at(0));
        if (m_connectResult == 0)
            qCDebug(lcTransport).noquote()
                << QStringLiteral("[CConfiguratorHandlerPort::readTcpData] Устройство успешно подключено");
        else if (m_connectResult == 1)
            qCDebug(lcTransport).noquote()
                << QStringLiteral("[CConfiguratorHandlerPort::readTcpData] ERROR: Устройство не подключено!");
        else if (m_connectResult == 2)
            qCDebug(lcTransport).noquote()
                << QStringLiteral("[CConfiguratorHandlerPort::readTcpData] ERROR: Устройство не найдено!");
        break;
    case PACKET_CLOSE_SOCKET:
        if (!m_carriesSession) {
            qCDebug(lcTransport) << "[CConfiguratorHandlerPort::readTcpData] Server closed an idle relay connection";
            close(false);
        } else if (m_queue.isEmpty()) {
            emit deviceLost();
            close(false);
        } else {
            // A terminal that answers and then goes (a restart) has still answered: its
            // frames stay readable and the loss is reported after they are taken.
            m_lostBehindQueued = true;
            close(false, true);
        }
        break;
    default:
        // The session takes whole frames; when it takes none at all, keep only the newest.
        if (m_queuedBytes + size > QUEUE_LIMIT) {
            qCDebug(lcTransport) << "[CConfiguratorHandlerPort::readTcpData] WARNING Dropping" << m_queuedBytes
                                 << "unread bytes of terminal packets";
            m_queue.clear();
            m_queuedBytes = 0;
        }
        m_queue.append(packet.left(size));
        m_queuedBytes += size;
        break;
    }
    return uint32_t(uint16_t(size));
}
