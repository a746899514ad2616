#include "support/ScriptedPeer.h"
#include "transport/CConfiguratorHandlerPort.h"
#include "transport/RelayCodec.h"
#include "transport/TerminalLink.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <future>
#include <memory>
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

private slots:
    void cleanup() { CConfiguratorHandlerPort::setPortLister({}); }

    // The last port in enumeration order with the terminal's ids wins.
    void searchPicksLastMatchingPort()
    {
        std::vector<std::unique_ptr<ScriptedPeer>> ptys;
        QList<TSerialPortCandidate> ports;
        for (const uint16_t product : {0x5740, 0x5740, 0x5741, 0x5740, 0x5740}) {
            ptys.emplace_back(new ScriptedPeer(ScriptedPeer::Pty));
            ports << usb(*ptys.back(), product);
        }
        ports[3].vendorId = 0x0484;
        ports[4].hasIdentifiers = false;
        CConfiguratorHandlerPort port;
        for (const auto &offered : {QList<TSerialPortCandidate>(), ports.mid(2)}) {
            offer(offered);
            QCOMPARE(port.findDevice(), CONNECT_FAILED);
            QVERIFY(!port.isOpen() && !port.terminalLink());
        }
        offer(ports);
        QCOMPARE(port.findDevice(), CONNECT_OK);
        QVERIFY(port.isOpen() && port.terminalLink() && port.kind() == CONNECTION_SERIAL);
        QByteArray probe("probe");
        QCOMPARE(port.write(probe, 5), uint64_t(5));
        QVERIFY(ptys[1]->waitForReceived(5, 2000));
        QTest::qWait(50);
        for (size_t i = 0; i < ptys.size(); ++i)
            QCOMPARE(ptys[i]->received(), i == 1 ? probe : QByteArray());
    }

    // An answer in pieces is gathered, with nothing of stale ones held before it; a length no
    // answer can have is given up at once, not waited for.
    void answerInPiecesAfterACorruptedLength()
    {
        ScriptedPeer pty(ScriptedPeer::Pty);
        offer({usb(pty)});
        CConfiguratorHandlerPort port;
        QCOMPARE(port.findDevice(), CONNECT_OK);
        const QByteArray answer = Packet::assemble(PACKET_AUTH, QByteArray(1, '\1'));
        const std::atomic<bool> never{false};
        QByteArray frame;
        // Starts of stale answers, dropped before a request and when the port is opened anew.
        for (int stale = 0; stale < 2; ++stale) {
            pty.send(answer.left(2));
            QCOMPARE(port.terminalLink()->receive(&frame, QDeadlineTimer(200), never), TerminalLink::EReceive::Timeout);
            if (stale == 0)
                port.discardInput();
            else
                QCOMPARE(port.findDevice(), CONNECT_OK);
        }
        const QByteArray auth = Packet::assembleWithLength(4, PACKET_AUTH, "7390");
        QVERIFY(port.terminalLink()->send(auth));
        QVERIFY(pty.waitForReceived(auth.size(), 2000));
        QCOMPARE(pty.received(), auth);

        pty.send(QByteArray::fromHex("FA0305"));
        const auto later = std::async(std::launch::async, [&pty, &answer] {
            for (const QByteArray &piece : {answer.left(4), answer.mid(4)}) {
                QThread::msleep(100);
                pty.send(piece);
            }
        });
        QCOMPARE(port.terminalLink()->receive(&frame, QDeadlineTimer(2000), never), TerminalLink::EReceive::Frame);
        QCOMPARE(frame, answer);
    }

    // A wait ends at once when the cable is pulled, and within a slice of a cancel.
    void waitsEnd_data()
    {
        QTest::addColumn<bool>("unplug");
        QTest::newRow("unplugged") << true;
        QTest::newRow("cancelled") << false;
    }

    void waitsEnd()
    {
        QFETCH(bool, unplug);
        ScriptedPeer pty(ScriptedPeer::Pty);
        offer({usb(pty)});
        CConfiguratorHandlerPort port;
        std::atomic<bool> shutdown{false}, linkCancel{false};
        port.setCancelFlag(&shutdown);
        QCOMPARE(port.findDevice(), CONNECT_OK);
        if (unplug)
            pty.hangUp();
        QElapsedTimer clock;
        clock.start();
        const auto later = std::async(std::launch::async, [&] {
            if (unplug)
                return;
            QThread::msleep(100);
            linkCancel = true;
            QThread::msleep(100);
            shutdown = true;
        });
        QByteArray frame;
        QCOMPARE(port.terminalLink()->receive(&frame, QDeadlineTimer(5000), linkCancel),
                 unplug ? TerminalLink::EReceive::Closed : TerminalLink::EReceive::Cancelled);
        QVERIFY(!port.waitForReadyRead(5000));
        QVERIFY2(clock.elapsed() < 500, QByteArray::number(clock.elapsed()).constData());
        QCOMPARE(port.isOpen(), !unplug);
        QByteArray probe("probe");
        QCOMPARE(port.write(probe, 5), uint64_t(unplug ? 0 : 5));
    }

    // A relay socket left open beside a USB session, as after a device-list fetch: closing
    // the session tells the relay nothing, and the relay closing it does not end the session.
    void relaySocketBesideUsb_data()
    {
        QTest::addColumn<bool>("relayCloses");
        QTest::newRow("session closed") << false;
        QTest::newRow("relay closes") << true;
    }

    void relaySocketBesideUsb()
    {
        QFETCH(bool, relayCloses);
        ScriptedPeer pty(ScriptedPeer::Pty);
        offer({usb(pty)});
        QTcpServer relay;
        CConfiguratorHandlerPort port;
        QSignalSpy lost(&port, &CConfiguratorHandlerPort::device_lost);
        QVERIFY(relay.listen(QHostAddress::LocalHost) && port.updateServerParameters({QStringLiteral("127.0.0.1"), relay.serverPort()}));
        QVERIFY(relay.waitForNewConnection(2000) && port.findDevice() == CONNECT_OK);
        QTcpSocket *relaySide = relay.nextPendingConnection();
        if (relayCloses) {
            relaySide->write(RelayCodec::closeSocketPacket());
            QTRY_COMPARE(relaySide->state(), QAbstractSocket::UnconnectedState);
        } else {
            port.close();
            QVERIFY(!relaySide->waitForReadyRead(200));
            QCOMPARE(relaySide->state(), QAbstractSocket::ConnectedState);
            QVERIFY(relaySide->readAll().isEmpty());
        }
        QCOMPARE(port.isOpen(), relayCloses);
        QCOMPARE(lost.count(), 0);
    }
};

QTEST_GUILESS_MAIN(SerialLinkTest)
#include "tst_serial_link.moc"
