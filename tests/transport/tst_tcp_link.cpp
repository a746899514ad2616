#include "ScriptedPeer.h"
#include "support/LogCapture.h"
#include "transport/CConfiguratorHandlerPort.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"
#include "transport/RelayCodec.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

using Peer = ScriptedPeer;

// The TCP receive path and close behaviour, against a scripted server on loopback.
class TcpLinkTest : public QObject
{
    Q_OBJECT

    static QList<Peer::Step> bound(const QList<Peer::Step> &rest)
    {
        return QList<Peer::Step>{Peer::expect(64), Peer::send(RelayCodec::connectResultPacket(0))} + rest;
    }
    static bool connectThrough(CConfiguratorHandlerPort &port, const Peer &peer)
    {
        TTransportTimeouts timeouts;
        timeouts.relayAnswerMs = 2000;
        port.setTimeouts(timeouts);
        return port.updateServerParameters({QStringLiteral("127.0.0.1"), peer.port()})
            && port.findDevice({RelayCodec::makeRecord("TRX-1", "t"), 1}) == CONNECT_OK;
    }
    static QByteArray answer(const QByteArray &body) { return Packet::assemble(PACKET_RESPONSE, body); }

private slots:
    void packetSplitOverArrivals()
    {
        const QByteArray packet = answer("split answer");
        Peer peer(bound({Peer::go(), Peer::send(packet.left(5)), Peer::go(), Peer::send(packet.mid(5))}));
        CConfiguratorHandlerPort port;
        QVERIFY(connectThrough(port, peer));

        peer.release();
        QTRY_COMPARE(port.bufferedBytes(), 5);
        QVERIFY(port.readAll().isEmpty());
        peer.release();
        QVERIFY(port.waitForReadyRead(2000));
        QCOMPARE(port.readAll(), packet);
        QCOMPARE(port.bufferedBytes(), 0);
    }

    void severalPacketsInOneArrivalWithPing()
    {
        const QByteArray a = answer("first"), b = answer("second");
        Peer peer(bound({Peer::send(RelayCodec::pingPacket() + a + RelayCodec::pingPacket() + b), Peer::expect(56)}));
        CConfiguratorHandlerPort port;
        QVERIFY(connectThrough(port, peer));

        QVERIFY(port.waitForReadyRead(2000));
        QCOMPARE(port.readAll(), a + b);
        QTRY_VERIFY(peer.scriptDone());
        QCOMPARE(peer.received().mid(64), RelayCodec::pingAnswerPacket() + RelayCodec::pingAnswerPacket());
    }

    void corruptedPacketDoesNotBlockTheNextOne()
    {
        QByteArray bad = answer("corrupted");
        bad[5] = 'X';
        const QByteArray good = answer("good");
        Peer peer(bound({Peer::send(bad + good)}));
        CConfiguratorHandlerPort port;
        LogCapture capture;
        QVERIFY(connectThrough(port, peer));

        QVERIFY(port.waitForReadyRead(2000));
        QCOMPARE(port.readAll(), good);
        QVERIFY(capture.contains(QStringLiteral("WARNING Invalid CRC!")));
    }

    void receiveBufferBoundedUnderGarbage_data()
    {
        QTest::addColumn<bool>("impossibleLengths");
        QTest::newRow("random bytes") << false;
        QTest::newRow("lengths beyond a TCP packet") << true;
    }

    void receiveBufferBoundedUnderGarbage()
    {
        QFETCH(bool, impossibleLengths);
        QByteArray garbage(4 << 20, char(0xFF));
        if (!impossibleLengths)
            QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(garbage.data()), garbage.size() / 4);
        Peer peer(bound({Peer::send(garbage)}));
        CConfiguratorHandlerPort port;
        QVERIFY(connectThrough(port, peer));

        int largest = 0;
        while (!peer.scriptDone()) {
            port.waitForReadyRead(20);
            largest = qMax(largest, port.bufferedBytes());
        }
        port.waitForReadyRead(100);
        QVERIFY(port.readAll().size() <= CConfiguratorHandlerPort::RX_BUFFER_LIMIT);
        QVERIFY2(qMax(largest, port.bufferedBytes()) < Packet::MAX_TCP_PACKET, QByteArray::number(largest).constData());
    }

    void terminalPacketsQueueUntilRead()
    {
        const QByteArray a = answer("a"), b = answer("b");
        Peer peer(bound({Peer::send(a), Peer::go(), Peer::send(b), Peer::expect(11)}));
        CConfiguratorHandlerPort port;
        QVERIFY(connectThrough(port, peer));

        QVERIFY(port.waitForReadyRead(2000));
        peer.release();
        // The next request goes out while b arrives; b must stay queued behind a.
        QByteArray request = Packet::assemble(PACKET_REQUEST, "next");
        QCOMPARE(port.write(request, uint64_t(request.size())), uint64_t(request.size()));
        QTRY_VERIFY(peer.scriptDone());
        QByteArray got;
        QTRY_COMPARE(got += port.readAll(), a + b);
    }

    void discardInputDropsUnreadAnswer()
    {
        const QByteArray late = answer("late"), fresh = answer("fresh");
        Peer peer(bound({Peer::send(late), Peer::go(), Peer::send(fresh)}));
        CConfiguratorHandlerPort port;
        QVERIFY(connectThrough(port, peer));

        QTest::qWait(100);
        port.discardInput();
        QVERIFY(port.readAll().isEmpty());
        peer.release();
        QVERIFY(port.waitForReadyRead(2000));
        QCOMPARE(port.readAll(), fresh);
    }

    void closeFromServer_data()
    {
        QTest::addColumn<bool>("closePacket");
        QTest::newRow("close packet") << true;
        QTest::newRow("socket closed") << false;
    }

    void closeFromServer()
    {
        QFETCH(bool, closePacket);
        Peer peer(bound({Peer::go(), closePacket ? Peer::send(RelayCodec::closeSocketPacket()) : Peer::closeStep()}));
        CConfiguratorHandlerPort port;
        QSignalSpy lost(&port, &CConfiguratorHandlerPort::device_lost);
        QVERIFY(connectThrough(port, peer));
        peer.release();

        QElapsedTimer clock;
        clock.start();
        QVERIFY(!port.waitForReadyRead(3000));
        QVERIFY(clock.elapsed() < 2000);
        QVERIFY(!port.isOpen());
        QCOMPARE(lost.count(), closePacket ? 1 : 0);
        // Nothing goes back, not even on a later close.
        port.close();
        QVERIFY(peer.waitForClientClose());
        QCOMPARE(peer.received().size(), 64);
    }

    void closeNotification_data()
    {
        QTest::addColumn<bool>("validate");
        QTest::newRow("close()") << true;
        QTest::newRow("close(false)") << false;
    }

    void closeNotification()
    {
        QFETCH(bool, validate);
        Peer peer(bound({}));
        CConfiguratorHandlerPort port;
        QVERIFY(connectThrough(port, peer));

        port.close(validate);
        QVERIFY(!port.isOpen());
        QVERIFY(peer.waitForClientClose());
        QCOMPARE(peer.received().mid(64), validate ? RelayCodec::closeSocketPacket() : QByteArray());
    }

    void connectResultArrivingWhileRequestIsWrittenCounts()
    {
        Peer peer({Peer::send(RelayCodec::connectResultPacket(0)), Peer::expect(64)});
        CConfiguratorHandlerPort port;
        QVERIFY(port.updateServerParameters({QStringLiteral("127.0.0.1"), peer.port()}));
        // Without an event loop the result waits in the system until the request's write.
        QThread::msleep(100);
        TTransportTimeouts timeouts;
        timeouts.relayAnswerMs = 1000;
        port.setTimeouts(timeouts);
        QCOMPARE(port.findDevice({RelayCodec::makeRecord("TRX-1", "t"), 1}), CONNECT_OK);
    }
};

QTEST_GUILESS_MAIN(TcpLinkTest)
#include "tst_tcp_link.moc"
