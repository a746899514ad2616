#include "RelayServer.h"

#include "RelayLog.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"
#include "transport/RelayCodec.h"

#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int PACE_INTERVAL_MS = 1;
constexpr int CONTROL_LINE_LIMIT = 4096;

uint8_t frameType(const QByteArray &frame)
{
    return uint8_t(frame.at(2));
}

} // namespace

RelayServer::RelayServer(const TRelayOptions &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
{
    m_configuratorServer = new QTcpServer(this);
    m_terminalServer = new QTcpServer(this);
    connect(m_configuratorServer, &QTcpServer::newConnection, this, &RelayServer::acceptConfigurator);
    connect(m_terminalServer, &QTcpServer::newConnection, this, &RelayServer::acceptTerminal);

    m_pingTimer = new QTimer(this);
    connect(m_pingTimer, &QTimer::timeout, this, &RelayServer::pingAll);
    m_paceTimer = new QTimer(this);
    m_paceTimer->setInterval(PACE_INTERVAL_MS);
    connect(m_paceTimer, &QTimer::timeout, this, &RelayServer::pumpAll);

    m_stdin = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_stdin, &QSocketNotifier::activated, this, &RelayServer::readControl);
}

bool RelayServer::start()
{
    if (!m_configuratorServer->listen(m_options.host, m_options.configuratorPort)) {
        std::fprintf(stderr, "cannot listen for configurators on %s:%u: %s\n",
                     qPrintable(m_options.host.toString()), unsigned(m_options.configuratorPort),
                     qPrintable(m_configuratorServer->errorString()));
        return false;
    }
    if (!m_terminalServer->listen(m_options.host, m_options.terminalPort)) {
        std::fprintf(stderr, "cannot listen for terminals on %s:%u: %s\n", qPrintable(m_options.host.toString()),
                     unsigned(m_options.terminalPort), qPrintable(m_terminalServer->errorString()));
        return false;
    }
    printEvent(QStringLiteral("LISTEN configurator %1").arg(m_configuratorServer->serverPort()));
    printEvent(QStringLiteral("LISTEN terminal %1").arg(m_terminalServer->serverPort()));
    if (m_options.pingMs > 0)
        m_pingTimer->start(m_options.pingMs);
    return true;
}

void RelayServer::acceptConfigurator()
{
    while (QTcpSocket *socket = m_configuratorServer->nextPendingConnection()) {
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_configurators.insert(socket, Configurator{});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readConfigurator(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { configuratorGone(socket); });
        qCDebug(lcRelay) << "configurator connected from" << socket->peerAddress().toString() << socket->peerPort();
    }
}

void RelayServer::acceptTerminal()
{
    while (QTcpSocket *socket = m_terminalServer->nextPendingConnection()) {
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_terminals.insert(socket, Terminal{});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readTerminal(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { terminalGone(socket); });
    }
}

void RelayServer::readConfigurator(QTcpSocket *socket)
{
    auto it = m_configurators.find(socket);
    if (it == m_configurators.end())
        return;
    it->rx.append(socket->readAll());
    const QList<QByteArray> frames = RelayCodec::takeFrames(it->rx);
    for (const QByteArray &frame : frames) {
        // A frame may end this configurator's record (through a terminal that went away).
        if (!m_configurators.contains(socket))
            return;
        handleConfiguratorFrame(socket, frame);
    }
}

void RelayServer::readTerminal(QTcpSocket *socket)
{
    auto it = m_terminals.find(socket);
    if (it == m_terminals.end())
        return;
    it->rx.append(socket->readAll());
    const QList<QByteArray> frames = RelayCodec::takeFrames(it->rx);
    for (const QByteArray &frame : frames) {
        if (!m_terminals.contains(socket))
            return;
        handleTerminalFrame(socket, frame);
    }
}

void RelayServer::handleConfiguratorFrame(QTcpSocket *socket, const QByteArray &frame)
{
    const uint8_t type = frameType(frame);
    switch (type) {
    case PACKET_PING_ANSWER:
        ++m_pingAnswers;
        printEvent(QStringLiteral("PING_ANSWER"));
        return;
    case PACKET_GET_DEVICE_LIST: {
        QList<TDeviceToConfigInfo> devices;
        for (QTcpSocket *terminal : qAsConst(m_registered))
            devices.append(m_terminals.value(terminal).info);
        if (m_options.pingBeforeAnswer)
            pingFirst(socket);
        QByteArray list = RelayCodec::deviceListPacket(devices);
        switch (m_options.listFault) {
        case TRelayOptions::ListFault::None:
            break;
        case TRelayOptions::ListFault::Silent:
            return;
        case TRelayOptions::ListFault::Garbage:
            list = QByteArray(list.size(), char(0xFF));
            break;
        case TRelayOptions::ListFault::BadCrc:
            list[list.size() - 1] = char(list.at(list.size() - 1) ^ 0x5A);
            break;
        case TRelayOptions::ListFault::Close:
            socket->disconnectFromHost();
            return;
        }
        sendToConfigurator(socket, list);
        return;
    }
    case PACKET_CONNECT_TO_DEVICE:
        answerConnect(socket, RelayCodec::payloadOf(frame));
        return;
    case PACKET_CLOSE_SOCKET:
        unbind(socket);
        return;
    default:
        break;
    }
    if (isRelayPacketType(type)) {
        qCDebug(lcRelay) << "ignored relay packet of type" << type << "from a configurator";
        return;
    }
    const QString id = m_configurators.value(socket).boundId;
    QTcpSocket *terminal = terminalById(id);
    if (!terminal) {
        qCDebug(lcRelay) << "dropped a terminal packet from an unbound configurator";
        return;
    }
    terminal->write(frame);
}

void RelayServer::answerConnect(QTcpSocket *socket, const QByteArray &payload)
{
    uint8_t result = 0;
    TDeviceToConfigInfo info;
    if (!RelayCodec::parseRecord(payload, &info)) {
        qCDebug(lcRelay) << "connect request with a payload of" << payload.size() << "bytes";
        result = 1;
    } else {
        const QString id = deviceIdText(info);
        Configurator &self = m_configurators[socket];
        if (!self.boundId.isEmpty() && self.boundId != id)
            unbind(socket);
        QTcpSocket *terminal = terminalById(id);
        if (!terminal) {
            result = 2;
        } else if (m_terminals[terminal].boundTo && m_terminals[terminal].boundTo != socket) {
            result = 3;
        } else if (m_refuse.value(id, 0) != 0) {
            result = uint8_t(m_refuse.value(id));
        } else {
            m_terminals[terminal].boundTo = socket;
            m_configurators[socket].boundId = id;
            printEvent(QStringLiteral("BOUND %1").arg(id));
        }
    }
    if (m_options.pingBeforeAnswer)
        pingFirst(socket);
    sendToConfigurator(socket, RelayCodec::connectResultPacket(result));
}

void RelayServer::handleTerminalFrame(QTcpSocket *socket, const QByteArray &frame)
{
    Terminal &terminal = m_terminals[socket];
    const uint8_t type = frameType(frame);
    if (!terminal.registered) {
        TDeviceToConfigInfo info;
        if (type == PACKET_CONNECT_TO_DEVICE && RelayCodec::parseRecord(RelayCodec::payloadOf(frame), &info))
            registerTerminal(socket, info);
        else
            qCDebug(lcRelay) << "frame of type" << type << "from an unregistered terminal ignored";
        return;
    }
    if (isRelayPacketType(type)) {
        qCDebug(lcRelay) << "ignored relay packet of type" << type << "from terminal" << terminal.id;
        return;
    }
    if (!terminal.boundTo) {
        qCDebug(lcRelay) << "dropped a packet of unbound terminal" << terminal.id;
        return;
    }
    if (m_options.pingBeforeAnswer)
        pingFirst(terminal.boundTo);
    sendToConfigurator(terminal.boundTo, frame, true);
}

void RelayServer::registerTerminal(QTcpSocket *socket, const TDeviceToConfigInfo &info)
{
    const QString id = deviceIdText(info);
    if (id.isEmpty()) {
        qCDebug(lcRelay) << "registration without an id ignored";
        return;
    }
    // A terminal that reconnects before its old connection is noticed as gone replaces it.
    if (QTcpSocket *previous = terminalById(id)) {
        forgetTerminal(previous);
        previous->abort();
        previous->deleteLater();
    }
    Terminal &terminal = m_terminals[socket];
    terminal.registered = true;
    terminal.info = info;
    terminal.id = id;
    m_registered.append(socket);
    printEvent(QStringLiteral("REGISTERED %1").arg(id));
}

void RelayServer::unbind(QTcpSocket *configurator)
{
    auto it = m_configurators.find(configurator);
    if (it == m_configurators.end() || it->boundId.isEmpty())
        return;
    const QString id = it->boundId;
    it->boundId.clear();
    if (QTcpSocket *terminal = terminalById(id)) {
        m_terminals[terminal].boundTo = nullptr;
        terminal->write(RelayCodec::closeSocketPacket());
    }
    printEvent(QStringLiteral("UNBOUND %1").arg(id));
}

void RelayServer::forgetTerminal(QTcpSocket *socket)
{
    auto it = m_terminals.find(socket);
    if (it == m_terminals.end())
        return;
    const Terminal terminal = *it;
    m_terminals.erase(it);
    m_registered.removeAll(socket);
    if (!terminal.registered)
        return;
    if (terminal.boundTo && m_configurators.contains(terminal.boundTo)) {
        m_configurators[terminal.boundTo].boundId.clear();
        sendToConfigurator(terminal.boundTo, RelayCodec::closeSocketPacket());
    }
    printEvent(QStringLiteral("GONE %1").arg(terminal.id));
}

void RelayServer::configuratorGone(QTcpSocket *socket)
{
    if (!m_configurators.contains(socket))
        return;
    unbind(socket);
    m_configurators.remove(socket);
    socket->deleteLater();
}

void RelayServer::terminalGone(QTcpSocket *socket)
{
    if (!m_terminals.contains(socket))
        return;
    forgetTerminal(socket);
    socket->deleteLater();
}

void RelayServer::sendToConfigurator(QTcpSocket *socket, const QByteArray &bytes, bool splittable)
{
    auto it = m_configurators.find(socket);
    if (it == m_configurators.end())
        return;
    if (splittable && m_options.split > 0) {
        for (int offset = 0; offset < bytes.size(); offset += m_options.split)
            it->outgoing.append(Piece{bytes.mid(offset, m_options.split), true});
    } else {
        it->outgoing.append(Piece{bytes, false});
    }
    pump(socket);
}

void RelayServer::pingFirst(QTcpSocket *socket)
{
    // Paced, so the ping arrives on its own and the answer comes as a later arrival.
    auto it = m_configurators.find(socket);
    if (it == m_configurators.end())
        return;
    it->outgoing.append(Piece{RelayCodec::pingPacket(), true});
    pump(socket);
}

void RelayServer::pump(QTcpSocket *socket)
{
    auto it = m_configurators.find(socket);
    if (it == m_configurators.end())
        return;
    // While a paced piece waits for the next tick, later bytes queue behind it.
    if (m_paceTimer->isActive())
        return;
    while (!it->outgoing.isEmpty()) {
        const Piece piece = it->outgoing.takeFirst();
        socket->write(piece.bytes);
        socket->flush();
        if (piece.paced) {
            m_paceTimer->start();
            return;
        }
    }
}

void RelayServer::pumpAll()
{
    m_paceTimer->stop();
    const QList<QTcpSocket *> sockets = m_configurators.keys();
    for (QTcpSocket *socket : sockets)
        pump(socket);
}

void RelayServer::pingAll()
{
    const QList<QTcpSocket *> sockets = m_configurators.keys();
    for (QTcpSocket *socket : sockets)
        sendToConfigurator(socket, RelayCodec::pingPacket());
}

void RelayServer::readControl()
{
    char chunk[512];
    const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (n <= 0) {
        // Without a controlling parent the relay keeps serving.
        m_stdin->setEnabled(false);
        return;
    }
    m_controlBuffer.append(chunk, int(n));
    int newline;
    while ((newline = m_controlBuffer.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(m_controlBuffer.left(newline)).trimmed();
        m_controlBuffer.remove(0, newline + 1);
        if (!line.isEmpty())
            handleControl(line);
    }
    if (m_controlBuffer.size() > CONTROL_LINE_LIMIT) {
        std::fprintf(stderr, "control line too long, dropped\n");
        m_controlBuffer.clear();
    }
}

void RelayServer::handleControl(const QString &line)
{
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString command = words.value(0);
    bool ok = true;
    if (command == QLatin1String("ping") && words.size() == 1) {
        pingAll();
    } else if (command == QLatin1String("drop") && words.size() == 2) {
        QTcpSocket *terminal = terminalById(words.at(1));
        if (terminal) {
            forgetTerminal(terminal);
            terminal->abort();
            terminal->deleteLater();
        } else {
            std::fprintf(stderr, "no terminal %s\n", qPrintable(words.at(1)));
        }
    } else if (command == QLatin1String("pings") && words.size() == 2) {
        const int ms = words.at(1).toInt(&ok);
        ok = ok && ms >= 0;
        if (ok) {
            m_options.pingMs = ms;
            if (ms > 0)
                m_pingTimer->start(ms);
            else
                m_pingTimer->stop();
        }
    } else if (command == QLatin1String("list-fault") && words.size() == 2) {
        ok = TRelayOptions::parseListFault(words.at(1), &m_options.listFault);
    } else if (command == QLatin1String("refuse") && words.size() == 3) {
        const int code = words.at(2).toInt(&ok);
        if (ok && code >= 0 && code <= 255) {
            if (code == 0)
                m_refuse.remove(words.at(1));
            else
                m_refuse.insert(words.at(1), code);
        } else {
            ok = false;
        }
    } else {
        ok = false;
    }
    if (!ok)
        std::fprintf(stderr, "unknown control line: %s\n", qPrintable(line));
}

void RelayServer::printEvent(const QString &line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QTcpSocket *RelayServer::terminalById(const QString &id) const
{
    for (QTcpSocket *socket : m_registered) {
        if (m_terminals.value(socket).id == id)
            return socket;
    }
    return nullptr;
}
