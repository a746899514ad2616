#include "support/PtyPair.h"
#include "transport/CConfiguratorHandlerPort.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"
#include "transport/RelayCodec.h"

#include <QTcpServer>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QtTest>
#include <thread>

// The USB link through the port seam, with pseudo-terminals as the terminal's port.
class SerialLinkTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { CConfiguratorHandlerPort::setPortLister({}); }
    void searchPicksLastMatchingPort();
    void searchWithoutMatchFails_data();
    void searchWithoutMatchFails();
    void requestAndAnswerInPieces();
    void discardInputDropsStaleBytes();
    void unpluggedPortStopsTheWait();
    void closeAfterUsbLeavesRelaySocket();
    void relayCloseDoesNotEndUsbSession();

private:
    static TSerialPortCandidate usb(const PtyPair &pty, uint16_t product = CConfiguratorHandlerPort::USB_PRODUCT_ID)
    {
        return {pty.slavePath(), true, CConfiguratorHandlerPort::USB_VENDOR_ID, product};
    }
    static void offer(const QList<TSerialPortCandidate> &ports)
    {
        CConfiguratorHandlerPort::setPortLister([ports] { return ports; });
    }
};

void SerialLinkTest::searchPicksLastMatchingPort()
{
    PtyPair first, second, wrongProduct;
    QVERIFY(first.isOpen() && second.isOpen() && wrongProduct.isOpen());
    offer({usb(first), usb(second), usb(wrongProduct, 0x5741)});
    CConfiguratorHandlerPort port;
    QCOMPARE(port.findDevice(), CONNECT_OK);
    QCOMPARE(port.kind(), CONNECTION_SERIAL);

    QByteArray probe("probe");
    QCOMPARE(port.write(probe, 5), uint64_t(5));
    QCOMPARE(second.readMaster(5, 2000), probe);
    QVERIFY(first.readMaster(1, 50).isEmpty());
    QVERIFY(wrongProduct.readMaster(1, 50).isEmpty());
}

void SerialLinkTest::searchWithoutMatchFails_data()
{
    QTest::addColumn<int>("variant");
    QTest::newRow("no ports") << 0;
    QTest::newRow("other product") << 1;
    QTest::newRow("no identifiers") << 2;
}

void SerialLinkTest::searchWithoutMatchFails()
{
    QFETCH(int, variant);
    PtyPair pty;
    TSerialPortCandidate candidate = usb(pty, variant == 1 ? 0x5741 : CConfiguratorHandlerPort::USB_PRODUCT_ID);
    candidate.hasIdentifiers = variant != 2;
    offer(variant == 0 ? QList<TSerialPortCandidate>{} : QList<TSerialPortCandidate>{candidate});
    CConfiguratorHandlerPort port;
    QCOMPARE(port.findDevice(), CONNECT_FAILED);
    QVERIFY(!port.isOpen());
}

void SerialLinkTest::requestAndAnswerInPieces()
{
    PtyPair pty;
    offer({usb(pty)});
    CConfiguratorHandlerPort port;
    QCOMPARE(port.findDevice(), CONNECT_OK);

    QByteArray auth = Packet::assembleWithLength(4, PACKET_AUTH, "7390");
    QCOMPARE(port.write(auth, uint64_t(auth.size())), uint64_t(auth.size()));
    QCOMPARE(pty.readMaster(auth.size(), 2000), auth);

    const QByteArray answer = Packet::assemble(PACKET_AUTH, QByteArray(1, '\1'));
    pty.writeMaster(answer.left(4));
    std::thread later([&pty, &answer] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        pty.writeMaster(answer.mid(4));
    });
    QByteArray got;
    while (got.size() < answer.size() && port.waitForReadyRead(2000))
        got += port.readAll();
    later.join();
    QCOMPARE(got, answer);
}

void SerialLinkTest::discardInputDropsStaleBytes()
{
    PtyPair pty;
    offer({usb(pty)});
    CConfiguratorHandlerPort port;
    QCOMPARE(port.findDevice(), CONNECT_OK);

    pty.writeMaster("stale answer");
    QVERIFY(port.waitForReadyRead(2000));
    port.discardInput();
    QVERIFY(port.readAll().isEmpty());
    pty.writeMaster("fresh");
    QVERIFY(port.waitForReadyRead(2000));
    QCOMPARE(port.readAll(), QByteArray("fresh"));
}

void SerialLinkTest::unpluggedPortStopsTheWait()
{
    PtyPair pty;
    offer({usb(pty)});
    CConfiguratorHandlerPort port;
    QCOMPARE(port.findDevice(), CONNECT_OK);

    pty.closeMaster();
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!port.waitForReadyRead(3000));
    QVERIFY(clock.elapsed() < 2000);
    QVERIFY(!port.isOpen());
}

// A USB session with a relay socket still open beside it, as after a device-list fetch.
static QTcpSocket *usbBesideRelay(QTcpServer &relay, CConfiguratorHandlerPort &port)
{
    if (!relay.listen(QHostAddress::LocalHost)
        || !port.updateServerParameters({QStringLiteral("127.0.0.1"), relay.serverPort()})
        || !relay.waitForNewConnection(2000) || port.findDevice() != CONNECT_OK)
        return nullptr;
    return relay.nextPendingConnection();
}

void SerialLinkTest::closeAfterUsbLeavesRelaySocket()
{
    PtyPair pty;
    offer({usb(pty)});
    QTcpServer relay;
    CConfiguratorHandlerPort port;
    QTcpSocket *relaySide = usbBesideRelay(relay, port);
    QVERIFY(relaySide);

    port.close();
    QVERIFY(!port.isOpen());
    QVERIFY(!relaySide->waitForReadyRead(200));
    QCOMPARE(relaySide->state(), QAbstractSocket::ConnectedState);
    QVERIFY(relaySide->readAll().isEmpty());
}

void SerialLinkTest::relayCloseDoesNotEndUsbSession()
{
    PtyPair pty;
    offer({usb(pty)});
    QTcpServer relay;
    CConfiguratorHandlerPort port;
    QSignalSpy lost(&port, &CConfiguratorHandlerPort::device_lost);
    QTcpSocket *relaySide = usbBesideRelay(relay, port);
    QVERIFY(relaySide);

    relaySide->write(RelayCodec::closeSocketPacket());
    QTRY_COMPARE(relaySide->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(lost.count(), 0);
    QVERIFY(port.isOpen());
}

QTEST_GUILESS_MAIN(SerialLinkTest)
#include "tst_serial_link.moc"
