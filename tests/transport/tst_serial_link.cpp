#include "support/ScriptedPeer.h"
#include "transport/CConfiguratorHandlerPort.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"
#include "transport/RelayCodec.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <memory>
#include <thread>
#include <vector>

// The USB link through the port seam, with pseudo-terminals as the terminal's port.
class SerialLinkTest : public QObject
{
    Q_OBJECT

    static TSerialPortCandidate usb(const ScriptedPeer &pty, uint16_t product = CConfiguratorHandlerPort::USB_PRODUCT_ID)
    {
        return {pty.slavePath(), true, CConfiguratorHandlerPort::USB_VENDOR_ID, product};
    }
    static void offer(const QList<TSerialPortCandidate> &ports)
    {
        CConfiguratorHandlerPort::setPortLister([ports] { return ports; });
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

private slots:
    void cleanup() { CConfiguratorHandlerPort::setPortLister({}); }

    void searchPicksLastMatchingPort_data()
    {
        // Product ids of the offered ports; 0: a port without identifiers.
        QTest::addColumn<QList<int>>("products");
        QTest::addColumn<int>("chosen");
        QTest::newRow("last of two, wrong product after") << QList<int>{0x5740, 0x5740, 0x5741} << 1;
        QTest::newRow("no ports") << QList<int>{} << -1;
        QTest::newRow("other product") << QList<int>{0x5741} << -1;
        QTest::newRow("no identifiers") << QList<int>{0} << -1;
    }

    void searchPicksLastMatchingPort()
    {
        QFETCH(QList<int>, products);
        QFETCH(int, chosen);
        std::vector<std::unique_ptr<ScriptedPeer>> ptys;
        QList<TSerialPortCandidate> ports;
        for (int product : products) {
            ptys.emplace_back(new ScriptedPeer(ScriptedPeer::Pty));
            QVERIFY(ptys.back()->isValid());
            ports << usb(*ptys.back(), uint16_t(product ? product : CConfiguratorHandlerPort::USB_PRODUCT_ID));
            ports.last().hasIdentifiers = product != 0;
        }
        offer(ports);
        CConfiguratorHandlerPort port;
        QCOMPARE(port.findDevice(), chosen < 0 ? CONNECT_FAILED : CONNECT_OK);
        QCOMPARE(port.isOpen(), chosen >= 0);
        if (chosen < 0)
            return;
        QCOMPARE(port.kind(), CONNECTION_SERIAL);
        QByteArray probe("probe");
        QCOMPARE(port.write(probe, 5), uint64_t(5));
        QVERIFY(ptys[size_t(chosen)]->waitForReceived(5, 2000));
        QTest::qWait(50);
        for (int i = 0; i < int(ptys.size()); ++i)
            QCOMPARE(ptys[size_t(i)]->received(), i == chosen ? probe : QByteArray());
    }

    void requestAndAnswerInPieces()
    {
        ScriptedPeer pty(ScriptedPeer::Pty);
        offer({usb(pty)});
        CConfiguratorHandlerPort port;
        QCOMPARE(port.findDevice(), CONNECT_OK);

        QByteArray auth = Packet::assembleWithLength(4, PACKET_AUTH, "7390");
        QCOMPARE(port.write(auth, uint64_t(auth.size())), uint64_t(auth.size()));
        QVERIFY(pty.waitForReceived(auth.size(), 2000));
        QCOMPARE(pty.received(), auth);

        const QByteArray answer = Packet::assemble(PACKET_AUTH, QByteArray(1, '\1'));
        pty.send(answer.left(4));
        std::thread later([&pty, &answer] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            pty.send(answer.mid(4));
        });
        QByteArray got;
        while (got.size() < answer.size() && port.waitForReadyRead(2000))
            got += port.readAll();
        later.join();
        QCOMPARE(got, answer);
    }

    void unpluggedPortStopsTheWait()
    {
        ScriptedPeer pty(ScriptedPeer::Pty);
        offer({usb(pty)});
        CConfiguratorHandlerPort port;
        QCOMPARE(port.findDevice(), CONNECT_OK);

        pty.hangUp();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!port.waitForReadyRead(3000));
        QVERIFY(clock.elapsed() < 2000);
        QVERIFY(!port.isOpen());
    }

    void closeAfterUsbLeavesRelaySocket()
    {
        ScriptedPeer pty(ScriptedPeer::Pty);
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

    void relayCloseDoesNotEndUsbSession()
    {
        ScriptedPeer pty(ScriptedPeer::Pty);
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
};

QTEST_GUILESS_MAIN(SerialLinkTest)
#include "tst_serial_link.moc"
