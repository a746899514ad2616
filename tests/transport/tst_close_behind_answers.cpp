#include "ScriptedPeer.h"
#include "transport/CConfiguratorHandlerPort.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"
#include "transport/RelayCodec.h"

#include <QSignalSpy>
#include <QtTest>

// The relay's close packet arriving behind terminal answers that nobody has read yet: the
// loss waits for the answers to be taken, whichever way the session takes them.
class CloseBehindAnswersTest : public QObject
{
    Q_OBJECT
private slots:
    void lossReportedOnceAnswersAreTaken_data()
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

    void lossReportedOnceAnswersAreTaken()
    {
        QFETCH(int, unread);
        QFETCH(bool, discard);
        QByteArray answers;
        for (int i = 0; i < unread; ++i)
            answers += Packet::assemble(PACKET_RESPONSE, QByteArray("late answer ") + QByteArray::number(i));
        ScriptedPeer peer({ScriptedPeer::expect(64), ScriptedPeer::send(RelayCodec::connectResultPacket(0)), ScriptedPeer::go(),
                          ScriptedPeer::send(answers + RelayCodec::closeSocketPacket())});
        CConfiguratorHandlerPort port;
        TTransportTimeouts timeouts;
        timeouts.relayAnswerMs = 2000;
        port.setTimeouts(timeouts);
        QSignalSpy lost(&port, &CConfiguratorHandlerPort::device_lost);
        QVERIFY(port.updateServerParameters({QStringLiteral("127.0.0.1"), peer.port()}));
        QCOMPARE(port.findDevice({RelayCodec::makeRecord("TRX-1", "t"), 1}), CONNECT_OK);

        // Idle between transactions: the event loop takes the bytes as they come.
        peer.release();
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

QTEST_GUILESS_MAIN(CloseBehindAnswersTest)
#include "tst_close_behind_answers.moc"
