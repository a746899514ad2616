#include "support/LogCapture.h"
#include "support/ScriptedPeer.h"
#include "transport/CConfiguratorHandlerPort.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"
#include "transport/RelayCodec.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

// The TCP receive path and close behaviour, against a relay played on loopback.
class TcpLinkTest : public QObject
{
    Q_OBJECT

    static QByteArray answer(const QByteArray &body) { return Packet::assemble(PACKET_RESPONSE, body); }

    // Every case but one starts bound to a terminal through a relay that binds at once.
    std::unique_ptr<ScriptedPeer> m_peer;
    std::unique_ptr<CConfiguratorHandlerPort> m_port;

private slots:
    void init()
    {
        m_peer = std::make_unique<ScriptedPeer>(ScriptedPeer::Tcp, ScriptedPeer::binding());
        m_port = std::make_unique<CConfiguratorHandlerPort>();
        TTransportTimeouts timeouts;
        timeouts.relayAnswerMs = 2000;
        m_port->setTimeouts(timeouts);
        QVERIFY(m_port->updateServerParameters({QStringLiteral("127.0.0.1"), m_peer->port()}));
        QCOMPARE(m_port->findDevice({RelayCodec::makeRecord("TRX-1", "t"), 1}), CONNECT_OK);
    }

    void cleanup()
    {
        m_port.reset();
        m_peer.reset();
    }

    void packetSplitOverArrivals()
    {
        const QByteArray packet = answer("split answer");

        m_peer->send(packet.left(5));
        QTRY_COMPARE(m_port->bufferedBytes(), 5);
        QVERIFY(m_port->readAll().isEmpty());
        m_peer->send(packet.mid(5));
        QVERIFY(m_port->waitForReadyRead(2000));
        QCOMPARE(m_port->readAll(), packet);
        QCOMPARE(m_port->bufferedBytes(), 0);
    }

    void severalPacketsInOneArrivalWithPing()
    {
        const QByteArray a = answer("first"), b = answer("second");

        m_peer->send(RelayCodec::pingPacket() + a + RelayCodec::pingPacket() + b);
        QVERIFY(m_port->waitForReadyRead(2000));
        QCOMPARE(m_port->readAll(), a + b);
        QVERIFY(m_peer->waitForReceived(64 + 56));
        QCOMPARE(m_peer->received().mid(64), RelayCodec::pingAnswerPacket() + RelayCodec::pingAnswerPacket());
    }

    void corruptedPacketDoesNotBlockTheNextOne()
    {
        QByteArray bad = answer("corrupted");
        bad[5] = 'X';
        LogCapture capture;

        m_peer->send(bad + answer("good"));
        QVERIFY(m_port->waitForReadyRead(2000));
        QCOMPARE(m_port->readAll(), answer("good"));
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

        m_peer->send(garbage);
        int largest = 0;
        do {
            m_port->waitForReadyRead(20);
            largest = qMax(largest, m_port->bufferedBytes());
        } while (!m_peer->allSent());
        m_port->waitForReadyRead(100);
        QVERIFY(m_port->readAll().size() <= CConfiguratorHandlerPort::RX_BUFFER_LIMIT);
        QVERIFY2(qMax(largest, m_port->bufferedBytes()) < Packet::MAX_TCP_PACKET, QByteArray::number(largest).constData());
    }

    void terminalPacketsQueueUntilRead()
    {
        const QByteArray a = answer("a"), b = answer("b");

        m_peer->send(a);
        QVERIFY(m_port->waitForReadyRead(2000));
        m_peer->send(b);
        // The next request goes out while b arrives; b must stay queued behind a.
        QByteArray request = Packet::assemble(PACKET_REQUEST, "next");
        QCOMPARE(m_port->write(request, uint64_t(request.size())), uint64_t(request.size()));
        QVERIFY(m_peer->waitForReceived(64 + 11));
        QByteArray got;
        QTRY_COMPARE(got += m_port->readAll(), a + b);
    }

    void discardInputDropsUnreadAnswer()
    {

        m_peer->send(answer("late"));
        QTest::qWait(100);
        m_port->discardInput();
        QVERIFY(m_port->readAll().isEmpty());
        m_peer->send(answer("fresh"));
        QVERIFY(m_port->waitForReadyRead(2000));
        QCOMPARE(m_port->readAll(), answer("fresh"));
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
        QSignalSpy lost(m_port.get(), &CConfiguratorHandlerPort::device_lost);
        if (closePacket)
            m_peer->send(RelayCodec::closeSocketPacket());
        else
            m_peer->hangUp();

        QElapsedTimer clock;
        clock.start();
        QVERIFY(!m_port->waitForReadyRead(3000));
        QVERIFY(clock.elapsed() < 2000);
        QVERIFY(!m_port->isOpen());
        QCOMPARE(lost.count(), closePacket ? 1 : 0);
        // Nothing goes back, not even on a later close.
        m_port->close();
        QVERIFY(m_peer->waitForClose());
        QCOMPARE(m_peer->received().size(), 64);
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

        m_port->close(validate);
        QVERIFY(!m_port->isOpen());
        QVERIFY(m_peer->waitForClose());
        QCOMPARE(m_peer->received().mid(64), validate ? RelayCodec::closeSocketPacket() : QByteArray());
    }

    void connectResultArrivingWhileRequestIsWrittenCounts()
    {
        ScriptedPeer relay(ScriptedPeer::Tcp);
        CConfiguratorHandlerPort port;
        QVERIFY(port.updateServerParameters({QStringLiteral("127.0.0.1"), relay.port()}));
        relay.send(RelayCodec::connectResultPacket(0));
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
        QSignalSpy lost(m_port.get(), &CConfiguratorHandlerPort::device_lost);

        // Idle between transactions: the event loop takes the bytes as they come.
        m_peer->send(answers + RelayCodec::closeSocketPacket());
        QTRY_VERIFY(!m_port->isOpen());
        QCOMPARE(lost.count(), unread ? 0 : 1);

        // The session's next request finds the link closed and reads nothing more.
        if (discard)
            m_port->discardInput();
        else
            QCOMPARE(m_port->readAll(), answers);
        QTRY_COMPARE(lost.count(), 1);
        // Taken once, reported once.
        m_port->discardInput();
        QVERIFY(m_port->readAll().isEmpty());
        QTest::qWait(20);
        QCOMPARE(lost.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TcpLinkTest)
#include "tst_tcp_link.moc"
