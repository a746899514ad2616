#pragma once

#include "transport/EKora_connect_to_dev_res.h"
#include "transport/FrameReader.h"
#include "transport/Packet.h"
#include "transport/TDeviceToConfigInfo.h"
#include "transport/TServerAddress.h"
#include "transport/TTransportTimeouts.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>

class TcpLink;

// The configurator's side of the relay server's protocol over a TcpLink: the device list,
// binding to a terminal, answers to the server's pings, the close notification both ways,
// and a queue of the terminal's frames for the session. Relay packets are acted on whenever
// bytes are taken in: inside every wait below and, while none runs, from the event loop.
class RelayClient : public QObject
{
    Q_OBJECT
public:
    // Unread terminal frames beyond this are dropped: nobody reads them.
    static constexpr int QUEUE_LIMIT = 2 * 0x10000;

    explicit RelayClient(QObject *parent = nullptr);

    TcpLink *link() const { return m_link; }
    void setTimeouts(const TTransportTimeouts &timeouts) { m_timeouts = timeouts; }
    // Every wait also ends once *flag is true; null: never.
    void setCancelFlag(const std::atomic<bool> *flag);
    // Whether the session runs over this connection: only then does the server's close
    // packet end it.
    void setCarriesSession(bool carries) { m_carriesSession = carries; }
    void setServer(const TServerAddress &address) { m_server = address; }

    // A fresh connection to address, the old one closed first (notify: with a notification);
    // false when it is not made within serverConnectMs.
    bool openServer(const TServerAddress &address, bool notify);
    // Asks a fresh connection to the same server for its terminals; *received tells whether
    // the list came, since an empty list is a list too.
    QList<TDeviceToConfigInfo> fetchDeviceList(bool notify, bool *received);
    // Binds the connection to a terminal, reconnecting first when the server has closed it.
    EKora_connect_to_dev_res bindDevice(const TDeviceToConfigInfo &info);
    bool sendConnectRequest(const TDeviceToConfigInfo &info);
    uint8_t lastConnectResult() const { return m_connectResult; }
    // notify: tell the server first, if connected. keepQueued: unread terminal frames stay.
    void close(bool notify, bool keepQueued = false);
    // A socket the server has closed stays open locally but can carry nothing more.
    bool isOpen() const;
    QString errorString() const;

    // One packet as it is; 0 when not sent (over 65535 bytes, closed, not written in time).
    uint64_t write(const char *data, uint64_t size);

    // Terminal frames, oldest first; once the last is taken, a loss queued behind them is due.
    bool takeFrame(QByteArray *frame);
    QByteArray takeAll();
    // Drops the terminal frames not taken yet, after taking in what the system holds.
    void discardInput();
    // Until a terminal frame is queued; false when the deadline passed, the link went or cancel.
    bool waitForFrame(const QDeadlineTimer &deadline, const std::atomic<bool> &cancel);
    bool hasFrames() const { return !m_queue.isEmpty(); }
    int queuedBytes() const { return m_queuedBytes; }
    int bufferedBytes() const { return m_reader.buffered(); }

    // Takes in what the socket holds and acts on every whole packet in it; whether one was.
    bool pump();
    // Acts on one whole packet; returns its size.
    uint32_t handlePacket(const QByteArray &packet);

signals:
    // The server closed the session's connection: its terminal is gone.
    void deviceLost();
    void disconnected();

private:
    void connectSocket();
    bool waitUntil(const std::function<bool()> &done, const QDeadlineTimer &deadline,
                   const std::atomic<bool> &cancel, bool logPartial);
    void dueLossAfterTaking();

    TcpLink *m_link;
    TServerAddress m_server;
    TTransportTimeouts m_timeouts;
    const std::atomic<bool> *m_cancel;
    FrameReader m_reader{Packet::MAX_TCP_PACKET};
    QList<QByteArray> m_queue;
    int m_queuedBytes = 0;
    QList<TDeviceToConfigInfo> m_deviceList;
    uint32_t m_deviceListCount = 0; // device lists received so far
    QString m_lastError;
    uint8_t m_connectResult = 0xFF;
    bool m_carriesSession = false;
    bool m_inRead = false;
    bool m_lastReadOk = false;
    // The server closed the link behind terminal frames not taken yet.
    bool m_lostBehindQueued = false;
};
