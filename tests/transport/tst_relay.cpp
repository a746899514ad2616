#include "support/FakeTerminal.h"
#include "support/LogCapture.h"
#include "support/RelayProcess.h"
#include "transport/CConfiguratorHandlerPort.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"
#include "transport/RelayCodec.h"

#include <QSignalSpy>
#include <QtTest>
#include <memory>

// The port handler against the relay stand-in process and a terminal registered to it.
class RelayTest : public QObject
{
    Q_OBJECT

    static TDeviceToConnect target(const QByteArray &id) { return {RelayCodec::makeRecord(id, "x"), 1}; }
    static bool attach(CConfiguratorHandlerPort &port, const RelayProcess &relay)
    {
        return port.updateServerParameters({QStringLiteral("127.0.0.1"), relay.configuratorPort()});
    }
    // Collects an answer until its whole frame is there, as the session does.
    static QByteArray gather(CConfiguratorHandlerPort &port)
    {
        QByteArray got;
        QDeadlineTimer deadline(3000);
        while (Packet::claimedSize(got) < 0 || got.size() < Packet::claimedSize(got)) {
            if (!port.waitForReadyRead(uint32_t(qMax<qint64>(0, deadline.remainingTime()))))
                break;
            got += port.readAll();
        }
        return got;
    }

private slots:
    void deviceList_data()
    {
        QTest::addColumn<QList<QByteArray>>("names");
        QTest::newRow("none") << QList<QByteArray>{};
        QTest::newRow("two") << QList<QByteArray>{"Котельная №1", "Насосная станция"};
    }

    void deviceList()
    {
        QFETCH(QList<QByteArray>, names);
        RelayProcess relay({QStringLiteral("--ping-before-answer"), QStringLiteral("--ping-ms"), QStringLiteral("50")});
        QVERIFY(relay.isReady());
        std::vector<std::unique_ptr<FakeTerminal>> terminals;
        for (int i = 0; i < names.size(); ++i) {
            const QByteArray id = "TRX-000" + QByteArray::number(i + 1);
            terminals.emplace_back(new FakeTerminal(relay.terminalPort(), id, names.at(i)));
            QVERIFY(relay.waitForEvent(QStringLiteral("REGISTERED ") + QString::fromLatin1(id)));
        }
        CConfiguratorHandlerPort port;
        QVERIFY(attach(port, relay));

        LogCapture capture;
        const QList<TDeviceToConfigInfo> list = port.getServerDeviceList();
        QCOMPARE(list.size(), names.size());
        for (int i = 0; i < names.size(); ++i) {
            const QByteArray id = "TRX-000" + QByteArray::number(i + 1);
            QCOMPARE(RelayCodec::recordBytes(list.at(i)), RelayCodec::recordBytes(RelayCodec::makeRecord(id, names.at(i))));
            QCOMPARE(deviceNameText(list.at(i)), QString::fromUtf8(names.at(i)));
        }
        QVERIFY(capture.contains(QStringLiteral("[CConfiguratorHandlerPort::readTcpData] Получен список из %1 устройств")
                                     .arg(names.size())));
        // Keep-alive pings are answered while nothing is awaited.
        QTRY_VERIFY(relay.events().count(QStringLiteral("PING_ANSWER")) >= 3);
    }

    void connectResults_data()
    {
        QTest::addColumn<QByteArray>("id");
        QTest::addColumn<QString>("refuse");
        QTest::addColumn<bool>("heldByOther");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("error");

        QTest::newRow("0 bound") << QByteArray("TRX-1") << QString() << false << int(CONNECT_OK) << QString();
        QTest::newRow("1 refused") << QByteArray("TRX-1") << "refuse TRX-1 1" << false << int(CONNECT_FAILED)
                                   << "ERROR[tcpSocket-connectToDevice] Неуспешное подключение к устройству";
        QTest::newRow("2 unknown") << QByteArray("TRX-9") << QString() << false << int(CONNECT_NOT_FOUND)
                                   << "ERROR[tcpSocket-connectToDevice] Устройство не найдено";
        QTest::newRow("3 busy") << QByteArray("TRX-1") << QString() << true << int(CONNECT_BUSY)
                                << "ERROR[tcpSocket-connectToDevice] Устройство занято";
    }

    void connectResults()
    {
        QFETCH(QByteArray, id);
        QFETCH(QString, refuse);
        QFETCH(bool, heldByOther);
        QFETCH(int, result);
        QFETCH(QString, error);

        // Every answer comes after a ping: the ping must not end the wait.
        RelayProcess relay({QStringLiteral("--ping-before-answer")});
        FakeTerminal terminal(relay.terminalPort(), "TRX-1", "boiler");
        QVERIFY(relay.waitForEvent(QStringLiteral("REGISTERED TRX-1")));
        if (!refuse.isEmpty()) {
            relay.control(refuse);
            QTest::qWait(200); // stdin and the sockets are served in no fixed order
        }
        CConfiguratorHandlerPort other;
        if (heldByOther) {
            QVERIFY(attach(other, relay));
            QCOMPARE(other.findDevice(target("TRX-1")), CONNECT_OK);
        }

        CConfiguratorHandlerPort port;
        QVERIFY(attach(port, relay));
        QCOMPARE(int(port.findDevice(target(id))), result);
        QCOMPARE(port.lastConnectResult(), uint8_t(result));
        if (!error.isEmpty())
            QCOMPARE(port.errorString(), error);
        QVERIFY(relay.waitForEvent(QStringLiteral("PING_ANSWER"), heldByOther ? 2 : 1));
        if (heldByOther) {
            // The holder's close notification frees the terminal.
            other.close();
            QVERIFY(relay.waitForEvent(QStringLiteral("UNBOUND TRX-1")));
            QTRY_COMPARE(terminal.closeNotifications(), 1);
            QVERIFY(attach(port, relay));
            QCOMPARE(port.findDevice(target(id)), CONNECT_OK);
        }
    }

    void closeSocketFromServer()
    {
        RelayProcess relay;
        FakeTerminal terminal(relay.terminalPort(), "TRX-1", "boiler");
        QVERIFY(relay.waitForEvent(QStringLiteral("REGISTERED TRX-1")));
        CConfiguratorHandlerPort port;
        QSignalSpy lost(&port, &CConfiguratorHandlerPort::device_lost);
        QVERIFY(attach(port, relay));
        QCOMPARE(port.findDevice(target("TRX-1")), CONNECT_OK);

        relay.control(QStringLiteral("drop TRX-1"));
        QVERIFY(!port.waitForReadyRead(3000));
        QCOMPARE(lost.count(), 1);
        QVERIFY(!port.isOpen());
        QVERIFY(relay.waitForEvent(QStringLiteral("GONE TRX-1")));
    }

    void pingWaitingWhenWritingDoesNotStallTheWrite()
    {
        RelayProcess relay({QStringLiteral("--ping-ms"), QStringLiteral("0")});
        FakeTerminal terminal(relay.terminalPort(), "T-1", "t");
        QVERIFY(relay.waitForEvent(QStringLiteral("REGISTERED T-1")));
        CConfiguratorHandlerPort port;
        QVERIFY(attach(port, relay));
        QCOMPARE(port.findDevice(target("T-1")), CONNECT_OK);
        for (int i = 0; i < 3; ++i) {
            relay.control(QStringLiteral("ping"));
            // The ping now waits in the socket, unread, when the request goes out.
            QThread::msleep(100);
            QByteArray request = Packet::assemble(PACKET_REQUEST, QByteArray(16, 'q'));
            QElapsedTimer clock;
            clock.start();
            QCOMPARE(port.write(request, uint64_t(request.size())), uint64_t(request.size()));
            QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
            QVERIFY(!gather(port).isEmpty());
        }
        QVERIFY(relay.waitForEvent(QStringLiteral("PING_ANSWER"), 3));
    }
};

QTEST_GUILESS_MAIN(RelayTest)
#include "tst_relay.moc"
