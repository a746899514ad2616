#pragma once

#include "transport/TDeviceToConfigInfo.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

class QSocketNotifier;
class QTcpServer;
class QTcpSocket;
class QTimer;

struct TRelayOptions {
    QHostAddress host = QHostAddress::LocalHost;
    quint16 configuratorPort = 25501;
    quint16 terminalPort = 25502;
    int pingMs = 5000;              // 0: no keep-alive probes
    bool pingBeforeAnswer = false;  // probe just before every answer, to exercise the configurator
    int split = 0;                  // forward terminal packets in pieces of this many bytes
    // How the device list request is answered: as it should be, not at all, with bytes of no
    // packet, with a broken CRC, or by closing the connection.
    enum class ListFault { None, Silent, Garbage, BadCrc, Close } listFault = ListFault::None;

    static bool parseListFault(const QString &text, ListFault *fault)
    {
        static const char *const names[] = {"none", "silent", "garbage", "bad-crc", "close"};
        for (int i = 0; i < 5; ++i) {
            if (text == QLatin1String(names[i])) {
                *fault = ListFault(i);
                return true;
            }
        }
        return false;
    }
};

// Stand-in relay server. Two listeners: configurators on one port, terminals on the other.
//
// A terminal registers by connecting to the terminal port and sending one frame of type 14
// (PACKET_CONNECT_TO_DEVICE) whose payload is its 57-byte TDeviceToConfigInfo record; its
// device id is the record's id text. A second registration with the same id replaces the
// first connection. Nothing is answered to the registration.
//
// A configurator gets the registered terminals, in registration order, in the device list.
// Its connect request is answered 2 when no such id is registered, 3 when another
// configurator holds the terminal, the refuse code when one is set for the id, else 0, and
// the two connections are bound. Once bound, both streams are cut into frames by their
// length field alone (CRCs are not checked, bytes are forwarded unchanged): from the
// configurator types 10-16 are relay-layer and every other frame goes to the terminal; from
// the terminal every frame outside 10-16 goes to the configurator.
//
// A binding ends on the configurator's close notification (it may stay connected) or when
// its socket closes; the terminal then gets a close notification, so it resets its session.
// When a terminal's socket closes, its configurator gets a close notification.
//
// Events go to stdout one per line ("LISTEN configurator <port>", "LISTEN terminal <port>",
// "REGISTERED <id>", "BOUND <id>", "UNBOUND <id>", "GONE <id>", "PING_ANSWER"); stdin takes
// control lines ("ping", "drop <id>", "pings <ms>", "refuse <id> <code>",
// "list-fault none|silent|garbage|bad-crc|close").
class RelayServer : public QObject
{
    Q_OBJECT
public:
    explicit RelayServer(const TRelayOptions &options, QObject *parent = nullptr);

    // Opens both listeners and prints their ports; false with a message on stderr otherwise.
    bool start();

private:
    struct Piece {
        QByteArray bytes;
        bool paced = false; // a pause follows, so the configurator sees it arrive alone
    };
    struct Configurator {
        QByteArray rx;
        QString boundId;
        QList<Piece> outgoing;
    };
    struct Terminal {
        QByteArray rx;
        bool registered = false;
        TDeviceToConfigInfo info{};
        QString id;
        QTcpSocket *boundTo = nullptr;
    };

    void acceptConfigurator();
    void acceptTerminal();
    void readConfigurator(QTcpSocket *socket);
    void readTerminal(QTcpSocket *socket);
    void configuratorGone(QTcpSocket *socket);
    void terminalGone(QTcpSocket *socket);

    void handleConfiguratorFrame(QTcpSocket *socket, const QByteArray &frame);
    void handleTerminalFrame(QTcpSocket *socket, const QByteArray &frame);
    void answerConnect(QTcpSocket *socket, const QByteArray &payload);
    void registerTerminal(QTcpSocket *socket, const TDeviceToConfigInfo &info);
    void unbind(QTcpSocket *configurator);
    void forgetTerminal(QTcpSocket *socket);

    void sendToConfigurator(QTcpSocket *socket, const QByteArray &bytes, bool splittable = false);
    void pingFirst(QTcpSocket *socket);
    void pump(QTcpSocket *socket);
    void pumpAll();
    void pingAll();

    void readControl();
    void handleControl(const QString &line);
    void printEvent(const QString &line);

    QTcpSocket *terminalById(const QString &id) const;

    TRelayOptions m_options;
    QTcpServer *m_configuratorServer = nullptr;
    QTcpServer *m_terminalServer = nullptr;
    QTimer *m_pingTimer = nullptr;
    QTimer *m_paceTimer = nullptr;
    QSocketNotifier *m_stdin = nullptr;
    QByteArray m_controlBuffer;

    QHash<QTcpSocket *, Configurator> m_configurators;
    QHash<QTcpSocket *, Terminal> m_terminals;
    QList<QTcpSocket *> m_registered; // registration order
    QHash<QString, int> m_refuse;
    int m_pingAnswers = 0;
};
