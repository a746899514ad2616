#include "support/LogCapture.h"
#include "support/ScriptedPeer.h"
#include "transport/CConfiguratorHandlerPort.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"
#include "transport/RelayCodec.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

// The TCP receive path and close behaviour, against a relay played on loopback.
class TcpLinkTest : public QObject
{
    Q_OBJECT

    static bool connectThrough(CConfiguratorHandlerPort &port, const ScriptedPeer &peer)
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
        ScriptedPeer peer(ScriptedPeer::Tcp, ScriptedPeer::binding());
        CConfiguratorHandlerPort port;
        QVERIFY(connectThrough(port, peer));

        peer.send(packet.left(5));
        QTRY_COMPARE(port.bufferedBytes(), 5);
        QVERIFY(port.readAll().isEmpty());
        peer.send(packet.mid(5));
        QVERIFY(port.waitForReadyRead(2000));
        QCOMPARE(port.readAll(), packet);
        QCOMPARE(port.bufferedBytes(), 0);
    }

    void severalPacketsInOneArrivalWithPing()
    {
        const QByteArray a = answer("first"), b = answer("second");
        ScriptedPeer peer(ScriptedPeer::Tcp, ScriptedPeer::binding());
        CConfiguratorHandlerPort port;
        QVERIFY(connectThrough(port, peer));

        peer.send(RelayCodec::pingPacket() + a + RelayCodec::pingPacket() + b);
        QVERIFY(port.waitForReadyRead(2000));
        QCOMPARE(port.readAll(), a + b);
        QVERIFY(peer.waitForReceived(64 + 56));
        QCOMPARE(peer.received().mid(64), RelayCodec::pingAnswerPacket() + RelayCodec::pingAnswerPacket());
    }

    void corruptedPacketDoesNotBlockTheNextOne()
    {
        QByteArray bad = answer("corrupted");
        bad[5] = 'X';
        ScriptedPeer peer(ScriptedPeer::Tcp, ScriptedPeer::binding());
        CConfiguratorHandlerPort port;
        LogCapture capture;
        QVERIFY(connectThrough(port, peer));

        peer.send(bad + answer("good"));
        QVERIFY(port.waitForReadyRead(2000));
        QCOMPARE(port.readAll(), answer("good"));
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
        ScriptedPeer peer(ScriptedPeer::Tcp, ScriptedPeer::binding());
        CConfiguratorHandlerPort port;
        QVERIFY(connectThrough(port, peer));

        peer.send(garbage);
        int largest = 0;
        do {
            port.waitForReadyRead(20);
            largest = qMax(largest, port.bufferedBytes());
        } while (!peer.allSent());
        port.waitForReadyRead(100);
        QVERIFY(port.readAll().size() <= CConfiguratorHandlerPort::RX_BUFFER_LIMIT);
        QVERIFY2(qMax(largest, port.bufferedBytes()) < Packet::MAX_TCP_PACKET, QByteArray::number(largest).constData());
    }

    void terminalPacketsQueueUntilRead()
    {
        const QByteArray a = answer("a"), b = answer("b");
        ScriptedPeer peer(ScriptedPeer::Tcp, ScriptedPeer::binding());
        CConfiguratorHandlerPort port;
        QVERIFY(connectThrough(port, peer));

        peer.send(a);
        QVERIFY(port.waitForReadyRead(2000));
        peer.send(b);
        // The next request goes out while b arrives; b must stay queued behind a.
        QByteArray request = Packet::assemble(PACKET_REQUEST, "next");
        QCOMPARE(port.write(request, uint64_t(request.size())), uint64_t(request.size()));
        QVERIFY(peer.waitForReceived(64 + 11));
        QByteArray got;
        QTRY_COMPARE(got += port.readAll(), a + b);
    }

    void discardInputDropsUnreadAnswer()
    {
        ScriptedPeer peer(ScriptedPeer::Tcp, ScriptedPeer::binding());
        CConfiguratorHandlerPort port;
        QVERIFY(connectThrough(port, peer));

        peer.send(answer("late"));
        QTest::qWait(100);
        port.discardInput();
        QVERIFY(port.readAll().isEmpty());
        peer.send(answer("fresh"));
        QVERIFY(port.waitForReadyRead(2000));
        QCOMPARE(port.readAll(), answer("fresh"));
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
        ScriptedPeer peer(ScriptedPeer::Tcp, ScriptedPeer::binding());
        CConfiguratorHandlerPort port;
        QSignalSpy lost(&port, &CConfiguratorHandlerPort::device_lost);
        QVERIFY(connectThrough(port, peer));
        if (closePacket)
            peer.send(RelayCodec::closeSocketPacket());
        else
            peer.hangUp();

        QElapsedTimer clock;
        clock.start();
        QVERIFY(!port.waitForReadyRead(3000));
        QVERIFY(clock.elapsed() < 2000);
        QVERIFY(!port.isOpen());
        QCOMPARE(lost.count(), closePacket ? 1 : 0);
        // Nothing goes back, not even on a later close.
        port.close();
        QVERIFY(peer.waitForClose());
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
        ScriptedPeer peer(ScriptedPeer::Tcp, ScriptedPeer::binding());
        CConfiguratorHandlerPort port;
        QVERIFY(connectThrough(port, peer));

        port.close(validate);
        QVERIFY(!port.isOpen());
        QVERIFY(peer.waitForClose());
        QCOMPARE(peer.received().mid(64), validate ? RelayCodec::closeSocketPacket() : QByteArray());
    }

    void connectResultArrivingWhileRequestIsWrittenCounts()
    {
        ScriptedPeer peer(ScriptedPeer::Tcp);
        CConfiguratorHandlerPort port;
        QVERIFY(port.updateServerParameters({QStringLiteral("127.0.0.1"), peer.port()}));
        peer.send(RelayCodec::connectResultPacket(0));
        // Without an event loop the result waits in the system until the request's write.
        QThread::msleep(100);
        TTransportTimeouts timeouts;
        timeouts.relayAnswerMs = 1000;
        port.setTimeouts(timeouts);
        QCOMPARE(port.findDevice({RelayCodec::makeRecord("TRX-1", "t"), 1}), CONNECT_OK);
    }

    // The relay's close packet behind terminal answers nobody has read yet: the loss waits for
    // the answers to be taken, whichever way the session takes them.
    void closeBehindAnswers_data()
    {
        QTest::addColumn<int>("unread");
        QTest::addColumn<bool>("discard");
        QTest::newRow("no answer queued, discarded") << 0 << true;
        QTest::newRow("one answer queued, read") << 1 << false;
        // Before each request the session drops unread answers as stale; the loss queued
        // behind them must not be dropped with them.
        QTest::newRow("one answer queued, discarded") << 1 << true;
        QTest::newRow("two answers queued, discarded") << 2 << true;
    }

    void closeBehindAnswers()
    {
        QFETCH(int, unread);
        QFETCH(bool, discard);
        QByteArray answers;
        for (int i = 0; i < unread; ++i)
            answers += answer("late answer " + QByteArray::number(i));
        ScriptedPeer peer(ScriptedPeer::Tcp, ScriptedPeer::binding());
        CConfiguratorHandlerPort port;
        QSignalSpy lost(&port, &CConfiguratorHandlerPort::device_lost);
        QVERIFY(connectThrough(port, peer));

        // Idle between transactions: the event loop takes the bytes as they come.
        peer.send(answers + RelayCodec::closeSocketPacket());
        QTRY_VERIFY(!port.isOpen());
        QCOMPARE(lost.count(), unread ? 0 : 1);

        // The session's next request finds the link closed and reads nothing more.
        if (discard)
            port.discardInput();
        else
            QCOMPARE(port.readAll(), answers);
        QTRY_COMPARE(lost.count(), 1);
        // Taken once, reported once.
        port.discardInput();
        QVERIFY(port.readAll().isEmpty());
        QTest::qWait(20);
        QCOMPARE(lost.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TcpLinkTest)
#include "tst_tcp_link.moc"
