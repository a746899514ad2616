#include "support/LogCapture.h"
#include "support/ScriptedPeer.h"
#include "support/TestTime.h"
#include "transport/CConfiguratorHandlerPort.h"
#include "transport/RelayCodec.h"
#include "transport/TerminalLink.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <future>
#include <memory>
#include <sys/socket.h>
#include <vector>

// The links behind the port handler: the relay client against a relay played on loopback,
// the serial link with pseudo-terminals as the terminal's port. What becomes of arbitrary
// streams in arbitrary splits is the fuzz targets'.
class LinksTest : public QObject
{
    Q_OBJECT

    static QByteArray answer(const QByteArray &body) { return Packet::assemble(PACKET_RESPONSE, body); }
    static TDeviceToConnect target() { return {RelayCodec::makeRecord("TRX-1", "x"), 1}; }
    static bool attach(CConfiguratorHandlerPort &port, quint16 relayPort)
    {
        return port.updateServerParameters({QStringLiteral("127.0.0.1"), relayPort});
    }
    static TerminalLink::EReceive receive(CConfiguratorHandlerPort &port, QByteArray *frame)
    {
        static const std::atomic<bool> never{false};
        return port.terminalLink()->receive(frame, QDeadlineTimer(2000 * testTimeScale()), never);
    }
    // A relay that answers `request` with a ping and the ping's answer with `reply`: the reply
    // comes only once the ping has arrived on its own and been answered.
    static ScriptedPeer::Script behindPing(uint8_t request, const QByteArray &reply)
    {
        const auto pending = std::make_shared<int>(0);
        return [=](const QByteArray &frame) {
            const uint8_t type = uint8_t(frame.at(2));
            if (type == request && ++*pending)
                return QByteArrayList{RelayCodec::pingPacket()};
            return type == PACKET_PING_ANSWER && *pending && (*pending)-- ? QByteArrayList{reply} : QByteArrayList{};
        };
    }

    static TSerialPortCandidate usb(const ScriptedPeer &pty, uint16_t product = CConfiguratorHandlerPort::USB_PRODUCT_ID)
    {
        return {pty.slavePath(), true, CConfiguratorHandlerPort::USB_VENDOR_ID, product};
    }
    static void offer(const QList<TSerialPortCandidate> &ports)
    {
        CConfiguratorHandlerPort::setPortLister([ports] { return ports; });
    }

    // Bound to a terminal through a relay that binds at once.
    std::unique_ptr<ScriptedPeer> m_peer;
    std::unique_ptr<CConfiguratorHandlerPort> m_port;

private slots:
    void init()
    {
        m_peer = std::make_unique<ScriptedPeer>(ScriptedPeer::Tcp, ScriptedPeer::binding());
        m_port = std::make_unique<CConfiguratorHandlerPort>();
        m_port->setTimeouts({1000, 2000, 2000});
        QVERIFY(attach(*m_port, m_peer->port()));
        QCOMPARE(m_port->findDevice(target()), CONNECT_OK);
    }

    void cleanup()
    {
        m_port.reset();
        m_peer.reset();
        CConfiguratorHandlerPort::setPortLister({});
    }

    // What is held back is bounded: the start of one packet the link can carry, the newest
    // unread frames, and nothing of an earlier connection.
    void heldBytesAreBounded()
    {
        m_peer->send(QByteArray::fromHex("F8FF01")); // the longest packet there can be
        QTRY_COMPARE(m_port->bufferedBytes(), 3);
        QVERIFY(attach(*m_port, m_peer->port()));
        QCOMPARE(m_port->bufferedBytes(), 0);
        QCOMPARE(m_port->findDevice(target()), CONNECT_OK);
        m_peer->send(QByteArray::fromHex("F9FF01")); // one byte longer: nothing to wait for
        QTest::qWait(50);
        const QByteArray big = answer(QByteArray(60000, 'b'));
        m_peer->send(big + big + big);
        QTRY_VERIFY(m_peer->allSent());
        QTest::qWait(100 * testTimeScale());
        QCOMPARE(m_port->readAll(), big);
    }

    // A ping waiting unread when a request is written must not stall the write, nor an
    // answer waiting with it be lost; the next answer's wait goes on past the ping before it.
    void pingWaitingWhenWriting()
    {
        m_peer->setScript(behindPing(PACKET_REQUEST, answer("echo")));
        QByteArray request = Packet::assemble(PACKET_REQUEST, "q"), frame;
        for (int i = 0; i < 3; ++i) {
            m_peer->send(RelayCodec::pingPacket() + answer("early"));
            QThread::msleep(100); // no event loop: both wait in the socket
            QElapsedTimer clock;
            clock.start();
            QCOMPARE(m_port->write(request, uint64_t(request.size())), uint64_t(request.size()));
            QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
            for (const QByteArray &expected : {answer("early"), answer("echo")}) {
                QCOMPARE(receive(*m_port, &frame), TerminalLink::EReceive::Frame);
                QCOMPARE(frame, expected);
            }
        }
        QTRY_COMPARE(m_peer->count(PACKET_PING_ANSWER), 6);
        // Its size would not fit the 16 bits that carry it.
        QByteArray tooLong(Packet::MAX_TCP_PACKET + 1, 'x');
        QCOMPARE(m_port->write(tooLong, uint64_t(tooLong.size())), uint64_t(0));
        QTest::qWait(50);
        QCOMPARE(m_peer->received().size(), 64 + 3 * (request.size() + 2 * 28));
        // Requests and answers are small single writes, not to be held back for acknowledgements.
        QCOMPARE(m_port->findChild<QTcpSocket *>()->socketOption(QAbstractSocket::LowDelayOption).toInt(), 1);
    }

    // The list comes behind a ping; pings are answered while nothing is awaited too.
    void deviceList_data()
    {
        QTest::addColumn<QByteArrayList>("names");
        QTest::newRow("none") << QByteArrayList{};
        QTest::newRow("two") << QByteArrayList{"Котельная №1", "Насосная станция"};
    }

    void deviceList()
    {
        QFETCH(QByteArrayList, names);
        QList<TDeviceToConfigInfo> devices;
        for (const QByteArray &name : names)
            devices << RelayCodec::makeRecord("TRX-" + QByteArray::number(devices.size()), name);
        m_peer->setScript(behindPing(PACKET_GET_DEVICE_LIST, RelayCodec::deviceListPacket(devices)));
        LogCapture capture;
        const QList<TDeviceToConfigInfo> list = m_port->getServerDeviceList();
        QVERIFY(m_port->deviceListReceived());
        QCOMPARE(RelayCodec::deviceListPacket(list), RelayCodec::deviceListPacket(devices));
        QCOMPARE(list.isEmpty() ? QString() : deviceNameText(list.last()), QString::fromUtf8(names.value(1)));
        QVERIFY(capture.contains(QStringLiteral("[CConfiguratorHandlerPort::readTcpData] Получен список из %1 устройств")
                                     .arg(names.size())));
        m_peer->send(RelayCodec::pingPacket());
        QTRY_COMPARE(m_peer->count(PACKET_PING_ANSWER), 2);
    }

    // The result counts however it comes: behind a ping of its own, or already while the
    // request is being written, behind a ping and a device list nobody asked for.
    void connectResults_data()
    {
        QTest::addColumn<QByteArray>("before"); // waits in the socket when the request goes out
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("error");
        const QString prefix = QStringLiteral("ERROR[tcpSocket-connectToDevice] ");
        QTest::newRow("0 behind a ping") << QByteArray() << int(CONNECT_OK) << QString();
        QTest::newRow("1 behind a ping") << QByteArray() << int(CONNECT_FAILED) << prefix + "Неуспешное подключение к устройству";
        QTest::newRow("2 behind a ping") << QByteArray() << int(CONNECT_NOT_FOUND) << prefix + "Устройство не найдено";
        QTest::newRow("3 while writing") << RelayCodec::pingPacket() + RelayCodec::deviceListPacket({})
                + RelayCodec::connectResultPacket(3) << int(CONNECT_BUSY) << prefix + "Устройство занято";
        QTest::newRow("0 while writing") << RelayCodec::connectResultPacket(0) << int(CONNECT_OK) << QString();
    }

    void connectResults()
    {
        QFETCH(QByteArray, before);
        QFETCH(int, result);
        QFETCH(QString, error);
        m_peer->setScript(before.isEmpty() ? behindPing(PACKET_CONNECT_TO_DEVICE, RelayCodec::connectResultPacket(uint8_t(result)))
                                           : ScriptedPeer::Script());
        m_peer->send(before);
        QThread::msleep(100);
        QCOMPARE(int(m_port->findDevice(target())), result);
        QCOMPARE(m_port->lastConnectResult(), uint8_t(result));
        QCOMPARE(m_port->terminalLink() != nullptr, result == CONNECT_OK);
        QCOMPARE(m_port->errorString(), error.isEmpty() ? m_port->findChild<QTcpSocket *>()->errorString() : error);
    }

    // Either side ends the link. The server's close packet may come behind terminal answers
    // nobody has taken yet: they stay readable and the loss is reported once they are taken,
    // however the session takes them. Every wait then ends at once.
    void linkEnds_data()
    {
        QTest::addColumn<int>("unread");
        QTest::addColumn<QString>("take");
        QTest::newRow("closed, notifying") << 0 << "close";
        QTest::newRow("closed quietly") << 0 << "close quietly";
        QTest::newRow("server hangs up") << 0 << "hang up";
        QTest::newRow("close packet") << 0 << "discard";
        QTest::newRow("one queued, read") << 1 << "read";
        // Before each request the session drops unread answers as stale; the loss queued
        // behind them must not go with them.
        QTest::newRow("two queued, discarded") << 2 << "discard";
        QTest::newRow("two queued, received") << 2 << "receive";
        // A new connection leaves the old one's answers and loss behind.
        QTest::newRow("two queued, reconnected") << 2 << "reconnect";
    }

    void linkEnds()
    {
        QFETCH(int, unread);
        QFETCH(QString, take);
        const QByteArrayList answers = QByteArrayList{answer("late answer 0"), answer("late answer 1")}.mid(0, unread);
        const bool ours = take.startsWith("close"), serverClosed = !ours && take != "hang up";
        const int losses = serverClosed && !(unread && take == "reconnect") ? 1 : 0;
        QSignalSpy lost(m_port.get(), &CConfiguratorHandlerPort::device_lost);

        // Idle between transactions: the event loop takes the bytes as they come.
        if (ours)
            m_port->close(take == "close");
        else if (take == "hang up")
            m_peer->hangUp();
        else
            m_peer->send(answers.join() + RelayCodec::closeSocketPacket());
        QTRY_VERIFY(!m_port->isOpen());
        QCOMPARE(lost.count(), unread ? 0 : losses);

        QByteArray frame;
        if (take == "read")
            QCOMPARE(m_port->readAll(), answers.join());
        else if (take == "discard")
            m_port->discardInput();
        else if (take == "reconnect" && m_port->findDevice(target()) == CONNECT_OK) {
            QVERIFY(m_port->readAll().isEmpty());
            m_port->close(false);
        }
        for (int i = 0; take == "receive" && i < unread; ++i) {
            QCoreApplication::sendPostedEvents();
            QCOMPARE(lost.count(), 0);
            QCOMPARE(receive(*m_port, &frame), TerminalLink::EReceive::Frame);
            QCOMPARE(frame, answers.at(i));
        }
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(receive(*m_port, &frame), TerminalLink::EReceive::Closed);
        QVERIFY(!m_port->waitForReadyRead(3000));
        QVERIFY(clock.elapsed() < 1000);
        // Taken once, reported once; only our own close is told to the server.
        m_port->discardInput();
        m_port->close();
        QVERIFY(m_peer->waitForClose());
        QCOMPARE(m_peer->received().contains(RelayCodec::closeSocketPacket()), take == "close");
        QTRY_COMPARE(lost.count(), losses);
        QTest::qWait(20);
        QCOMPARE(lost.count(), losses);
    }

    // Shutting down, every wait ends within a slice of the flag being set: also the close
    // notification's, when the server reads nothing.
    void cancelEndsEveryWait_data()
    {
        QTest::addColumn<int>("wait");
        const char *const waits[] = {"server connect", "device list", "connect result", "answer", "terminal link", "close"};
        for (int i = 0; i < 6; ++i)
            QTest::newRow(waits[i]) << i;
    }

    void cancelEndsEveryWait()
    {
        QFETCH(int, wait);
        // A listener whose queue is full: a connection to it is neither made nor refused. One
        // that accepts nothing while no event loop runs: what is sent there piles up.
        QTcpServer full, stalled;
        QTcpSocket filler;
        QVERIFY(full.listen(QHostAddress::LocalHost) && ::listen(int(full.socketDescriptor()), 0) == 0);
        filler.connectToHost(QHostAddress::LocalHost, full.serverPort());
        QVERIFY(filler.waitForConnected(1000) && stalled.listen(QHostAddress::LocalHost));
        if (wait == 5) {
            m_port->setTimeouts({1000, 200, 50});
            QVERIFY(attach(*m_port, stalled.serverPort()));
            QCOMPARE(m_port->findDevice(target()), CONNECT_FAILED);
            for (QByteArray chunk(Packet::MAX_TCP_PACKET, 'x'); m_port->write(chunk, uint64_t(chunk.size())) != 0;)
                continue;
        }
        std::atomic<bool> cancel{false};
        m_port->setTimeouts({10000, 10000, 10000});
        m_port->setCancelFlag(&cancel);
        m_peer->setScript({});

        QElapsedTimer clock;
        clock.start();
        const auto later = std::async(std::launch::async, [&cancel] {
            QThread::msleep(200);
            cancel = true;
        });
        QByteArray frame;
        if (wait == 0)
            QVERIFY(!attach(*m_port, full.serverPort()));
        else if (wait == 1)
            QVERIFY(m_port->getServerDeviceList().isEmpty());
        else if (wait == 2) {
            m_port->close();
            QCOMPARE(m_port->findDevice(target()), CONNECT_FAILED);
        }
        else if (wait == 3)
            QVERIFY(!m_port->waitForReadyRead(10000));
        else if (wait == 4)
            QCOMPARE(m_port->terminalLink()->receive(&frame, QDeadlineTimer(10000), cancel), TerminalLink::EReceive::Cancelled);
        else
            m_port->close(); // the notification
        const qint64 took = clock.elapsed();
        QVERIFY2(took >= 190 && took < 200 + 150 * testTimeScale(), QByteArray::number(took).constData());
    }

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
    // answer can have is given up at once, not waited for; an unplugged port ends the waits.
    void serialAnswers()
    {
        ScriptedPeer pty(ScriptedPeer::Pty);
        offer({usb(pty)});
        CConfiguratorHandlerPort port;
        QCOMPARE(port.findDevice(), CONNECT_OK);
        const QByteArray answer = Packet::assemble(PACKET_AUTH, QByteArray(1, '\1'));
        const std::atomic<bool> never{false};
        QByteArray frame;
        QElapsedTimer clock;
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

        // A port gone with its cable ends every wait at once, and takes nothing more.
        pty.hangUp();
        clock.start();
        QCOMPARE(port.terminalLink()->receive(&frame, QDeadlineTimer(3000), never), TerminalLink::EReceive::Closed);
        QVERIFY(!port.waitForReadyRead(3000) && !port.isOpen());
        QVERIFY(clock.elapsed() < 1000);
        QCOMPARE(port.write(frame, uint64_t(frame.size())), uint64_t(0));
    }

    // A wait ends within a slice of a cancel: the port's and the terminal link's.
    void serialWaitsEndOnCancel()
    {
        ScriptedPeer pty(ScriptedPeer::Pty);
        offer({usb(pty)});
        CConfiguratorHandlerPort port;
        std::atomic<bool> shutdown{false}, linkCancel{false};
        port.setCancelFlag(&shutdown);
        QCOMPARE(port.findDevice(), CONNECT_OK);
        QElapsedTimer clock;
        clock.start();
        const auto later = std::async(std::launch::async, [&] {
            QThread::msleep(100);
            linkCancel = true;
            QThread::msleep(100);
            shutdown = true;
        });
        QByteArray frame;
        QCOMPARE(port.terminalLink()->receive(&frame, QDeadlineTimer(5000), linkCancel), TerminalLink::EReceive::Cancelled);
        QVERIFY(!port.waitForReadyRead(5000));
        QVERIFY2(clock.elapsed() < 500, QByteArray::number(clock.elapsed()).constData());
    }

    // A relay socket left open beside a USB session: closing the session tells the relay
    // nothing, and the relay closing the socket does not end the session.
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
        QSignalSpy lost(m_port.get(), &CConfiguratorHandlerPort::device_lost);
        QCOMPARE(m_port->findDevice(), CONNECT_OK);
        if (relayCloses)
            m_peer->send(RelayCodec::closeSocketPacket());
        else
            m_port->close();
        QCOMPARE(m_peer->waitForClose(300), relayCloses);
        QCOMPARE(m_peer->received().size(), 64);
        QCOMPARE(m_port->isOpen(), relayCloses);
        QCOMPARE(lost.count(), 0);
    }
};

QTEST_GUILESS_MAIN(LinksTest)
#include "tst_links.moc"
