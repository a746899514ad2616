#pragma once

#include "transport/ConnectionKind.h"
#include "transport/EKora_connect_to_dev_res.h"
#include "transport/RelayClient.h"
#include "transport/SerialLink.h"
#include "transport/TDeviceToConfigInfo.h"
#include "transport/TDeviceToConnect.h"
#include "transport/TSerialPortCandidate.h"
#include "transport/TServerAddress.h"
#include "transport/TTransportTimeouts.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class RelayTerminalLink;
class SerialTerminalLink;
class TerminalLink;

// The one link to a terminal: its USB virtual serial port, or a TCP connection through the
// relay server. A face over the links and the relay client that does the work. Lives in the
// session's worker thread.
class CConfiguratorHandlerPort : public QObject
{
    Q_OBJECT
public:
    using PortLister = std::function<QList<TSerialPortCandidate>()>;

    static constexpr uint16_t USB_VENDOR_ID = 0x0483;
    static constexpr uint16_t USB_PRODUCT_ID = 0x5740;
    static constexpr int USB_BAUD_RATE = SerialLink::BAUD_RATE;
    static constexpr uint16_t DEFAULT_SERVER_PORT = 25501;
    static const char *const DEFAULT_SERVER_ADDRESS;
    // Nothing legal stays incomplete beyond one maximal TCP packet; more is garbage.
    static constexpr int RX_BUFFER_LIMIT = RelayClient::QUEUE_LIMIT;

    explicit CConfiguratorHandlerPort(QObject *parent = nullptr);
    ~CConfiguratorHandlerPort() override;

    // The USB search enumerates the system's serial ports; tests offer other ports here.
    // An empty lister restores the real enumeration.
    static void setPortLister(PortLister lister);
    static QList<TSerialPortCandidate> systemPorts();

    void setTimeouts(const TTransportTimeouts &timeouts);
    const TTransportTimeouts &timeouts() const { return m_timeouts; }
    // Every wait here and in the links also ends once *flag is true (the program shutting
    // down); null: never. The flag must outlive this object.
    void setCancelFlag(const std::atomic<bool> *flag);
    ConnectionKind kind() const { return connectionKind; }
    uint8_t lastConnectResult() const { return m_relay->lastConnectResult(); }

    // The link the last successful findDevice opened; null before one, and after a
    // findDevice that failed. Owned here.
    TerminalLink *terminalLink() const { return m_terminal; }

    // Drops every terminal byte that has arrived but was not read (a late answer to an
    // earlier request), so the next answer read is the one to the next request. Relay
    // packets among them are still acted on.
    void discardInput();

    // Whether the last getServerDeviceList got the server's list; an empty result means
    // "no terminals" only when it did.
    bool deviceListReceived() const { return m_listReceived; }

    // TCP bytes held back as the start of a packet that has not fully arrived.
    int bufferedBytes() const { return m_relay->bufferedBytes(); }

signals:
    void device_lost();

private slots:
    bool readTcpData();
    uint32_t parseData(QByteArray _array);
    bool parseHeader(QByteArray _array);
    bool connectToDevice(TDeviceToConfigInfo _dev);
    void tcpSocketDisconnect();

public slots:
    EKora_connect_to_dev_res findDevice(TDeviceToConnect _dev = TDeviceToConnect{});
    QString errorString();
    void close(bool validate = true);
    bool isOpen();
    uint64_t write(uint8_t *data, uint64_t size);
    uint64_t write(QByteArray &data, uint64_t size);
    QByteArray readAll();
    bool waitForReadyRead(uint32_t msec = 30000);
    QList<TDeviceToConfigInfo> getServerDeviceList();
    bool updateServerParameters(TServerAddress addr);

private:
    EKora_connect_to_dev_res findUsbDevice();
    const std::atomic<bool> &cancelFlag() const { return *m_cancel; }

    SerialLink *m_serial;
    RelayClient *m_relay;
    std::unique_ptr<SerialTerminalLink> m_serialTerminal;
    std::unique_ptr<RelayTerminalLink> m_relayTerminal;
    TerminalLink *m_terminal = nullptr;
    const std::atomic<bool> *m_cancel;
    ConnectionKind connectionKind = CONNECTION_NONE;
    TTransportTimeouts m_timeouts;
    bool m_listReceived = false;
};
