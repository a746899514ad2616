#pragma once

#include "transport/ConnectionKind.h"
#include "transport/EKora_connect_to_dev_res.h"
#include "transport/TDeviceToConfigInfo.h"
#include "transport/TDeviceToConnect.h"
#include "transport/TServerAddress.h"

#include <QByteArray>
#include <QList>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <cstdint>
#include <atomic>
#include <functional>
#include <memory>

class QSerialPort;
class TerminalLink;
class QTcpSocket;

// A serial port as the USB search sees it.
struct TSerialPortCandidate {
    QString portName; // a name the serial port accepts (a device path is fine)
    bool hasIdentifiers = false;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
};

// Time limits of the links. Production uses the defaults; tests shorten them.
struct TTransportTimeouts {
    int serverConnectMs = 1000; // connecting to the relay server
    int socketWaitMs = 5000;    // each TCP connect or write wait
    int relayAnswerMs = 10000;  // for the device list or the connect result to arrive
};

// The one link to a terminal: its USB virtual serial port, or a TCP connection through the
// relay server. Lives in the session's worker thread.
class CConfiguratorHandlerPort : public QObject
{
    Q_OBJECT
public:
    using PortLister = std::function<QList<TSerialPortCandidate>()>;

    static constexpr uint16_t USB_VENDOR_ID = 0x0483;
    static constexpr uint16_t USB_PRODUCT_ID = 0x5740;
    static constexpr int USB_BAUD_RATE = 921600;
    static constexpr uint16_t DEFAULT_SERVER_PORT = 25501;
    static const char *const DEFAULT_SERVER_ADDRESS;
    // Nothing legal stays incomplete beyond one maximal TCP packet; more is garbage.
    static constexpr int RX_BUFFER_LIMIT = 2 * 0x10000;

    explicit CConfiguratorHandlerPort(QObject *parent = nullptr);
    ~CConfiguratorHandlerPort() override;

    // The USB search enumerates the system's serial ports; tests offer other ports here.
    // An empty lister restores the real enumeration.
    static void setPortLister(PortLister lister);
    static QList<TSerialPortCandidate> systemPorts();

    void setTimeouts(const TTransportTimeouts &timeouts) { m_timeouts = timeouts; }
    const TTransportTimeouts &timeouts() const { return m_timeouts; }
    ConnectionKind kind() const { return connectionKind; }
    uint8_t lastConnectResult() const { return connectResult; }

    // Drops every terminal byte that has arrived but was not read (a late answer to an
    // earlier request), so the next answer read is the one to the next request. Relay
    // packets among them are still acted on.
    void discardInput();

    // Whether the last getServerDeviceList got the server's list; an empty result means
    // "no terminals" only when it did.
    bool deviceListReceived() const { return m_listReceived; }

    TerminalLink *terminalLink();
    void setCancelFlag(const std::atomic<bool> *flag) { m_cancel = flag; }

    // TCP bytes held back as the start of a packet that has not fully arrived.
    int bufferedBytes() const { return rxBuffer.size(); }

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
    uint64_t writeTcpData(const uint8_t *data, uint16_t size);
    EKora_connect_to_dev_res findUsbDevice();
    EKora_connect_to_dev_res findRelayDevice(const TDeviceToConfigInfo &info);
    bool consumePackets();
    void connectSocket();
    void closeSocket(bool notify, bool keepQueued = false);
    // Reads the socket until done() holds, the deadline passes or the link goes away.
    bool waitOnSocket(const std::function<bool()> &done, const QDeadlineTimer &deadline,
                      bool logPartial);

    QTcpSocket *tcpSocket = nullptr;
    QSerialPort *serialPort = nullptr;
    TServerAddress serverAddress;
    QList<TDeviceToConfigInfo> deviceList;
    ConnectionKind connectionKind = CONNECTION_NONE;
    QString lastError;
    uint8_t connectResult = 0xFF;
    // Complete terminal packets that arrived over TCP and were not read yet, in order.
    QByteArray tcpPacket;
    QByteArray rxBuffer;
    bool lastReadOk = false;

    TTransportTimeouts m_timeouts;
    bool m_inRead = false;
    bool m_inWrite = false;
    // The server closed the link behind terminal packets not read yet.
    bool m_lostBehindQueued = false;
    uint32_t m_deviceListCount = 0; // device lists received so far
    bool m_listReceived = false;
    const std::atomic<bool> *m_cancel = nullptr;
    std::unique_ptr<TerminalLink> m_link;
};
