#include "support/LogCapture.h"
#include "transport/CConfiguratorHandlerPort.h"
#include "transport/Crc32.h"
#include "transport/FrameReader.h"
#include "transport/RelayCodec.h"
#include "transport/SerialTerminalLink.h"

#include <QtTest>

static QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// The frame, the framer, the relay packet bodies and the header check, without any link.
// Device lists of any bytes are the fuzz target's.
class FrameTest : public QObject
{
    Q_OBJECT
private slots:
    void fixedBytesAreExact()
    {
        QCOMPARE(crc32(QByteArrayLiteral("123456789")), 0xCBF43926u);
        QCOMPARE(crc32(QByteArray()), 0u);
        QCOMPARE(RelayCodec::closeSocketPacket(), hex("00001076C9F6E2"));
        QCOMPARE(RelayCodec::deviceListRequestPacket(), hex("00000C3995F7F6"));

        const QByteArray answer = RelayCodec::pingAnswerPacket();
        QCOMPARE(answer.size(), 28);
        QCOMPARE(answer.left(3), hex("15000B"));
        QByteArray payload(21, '\0');
        payload[16] = char(0xFE);
        QCOMPARE(answer.mid(3, 21), payload);

        const TDeviceToConfigInfo info = RelayCodec::makeRecord("TRX-0001", "Boiler");
        const QByteArray request = RelayCodec::connectRequestPacket(info);
        QCOMPARE(request.size(), 64);
        QCOMPARE(request.left(3), hex("39000E"));
        QCOMPARE(request.mid(3, 57), RelayCodec::recordBytes(info));
        QCOMPARE(Packet::readU32(request, 60), crc32(request.left(60)));

        const QByteArray auth = Packet::assembleWithLength(4, PACKET_AUTH, QByteArrayLiteral("7390"));
        QCOMPARE(auth.left(7), QByteArray("\x04\x00\x05" "7390", 7));
        QCOMPARE(auth.size(), 11);
        QCOMPARE(Packet::readU32(auth, 7), crc32(auth.left(7)));
    }

    // The port's own slot judges the first packet of what it is given, with its debug lines.
    void parseHeader()
    {
        const QByteArray ten = Packet::assemble(PACKET_RESPONSE, QByteArray(10, 'x'));
        QByteArray altered = ten;
        altered[16] = char(altered.at(16) ^ 0x01);
        const QString prefix = QStringLiteral("[CConfiguratorHandlerPort::parseHeader] ");
        CConfiguratorHandlerPort port;
        QStringList log;
        const auto judge = [&port, &log](const QByteArray &buffer) {
            LogCapture capture;
            bool valid = false;
            QMetaObject::invokeMethod(&port, "parseHeader", Qt::DirectConnection, Q_RETURN_ARG(bool, valid), Q_ARG(QByteArray, buffer));
            log = capture.lines();
            return valid;
        };
        QVERIFY(!judge(ten.left(2)) && log.isEmpty());
        QVERIFY(!judge(ten.left(16)));
        QCOMPARE(log, QStringList{prefix + "INFO Received data len < data len in header"});
        QVERIFY(judge(ten + ten.left(5)));
        QCOMPARE(log, QStringList{prefix + "Packet length = 17"});
        QVERIFY(!judge(altered));
        QCOMPARE(log, (QStringList{prefix + "Packet length = 17", prefix + "WARNING Invalid CRC!"}));
    }

    // Frames cut from arrivals as the serial link gets them. Events of one arrival: F a frame,
    // C a bad CRC, I an impossible length; "|" between arrivals.
    void frameReader_data()
    {
        QTest::addColumn<QByteArrayList>("arrivals");
        QTest::addColumn<QString>("events");
        QTest::addColumn<QByteArrayList>("frames");
        QTest::addColumn<int>("held");

        const QByteArray a = Packet::assemble(PACKET_RESPONSE, "a"), b = Packet::assemble(PACKET_FILE_DATA, {});
        const QByteArray longest = Packet::assemble(PACKET_RESPONSE, QByteArray(SerialTerminalLink::MAX_FRAME - 7, 'L'));
        QByteArray bad = a;
        bad[3] = 'x';
        QTest::newRow("split") << QByteArrayList{a.left(1), a.mid(1, 2), a.mid(3)} << "||F" << QByteArrayList{a} << 0;
        QTest::newRow("several in one") << QByteArrayList{a + b + a.left(4)} << "FF" << QByteArrayList{a, b} << 4;
        QTest::newRow("bad CRC, then good") << QByteArrayList{bad + b} << "CF" << QByteArrayList{b} << 0;
        QTest::newRow("longest") << QByteArrayList{longest} << "F" << QByteArrayList{longest} << 0;
        // The length is all that tells where the next frame starts: what came with it goes too.
        QTest::newRow("one byte too long") << QByteArrayList{hex("FA0302") + a, a} << "I|F" << QByteArrayList{a} << 0;
        QTest::newRow("garbage") << QByteArrayList{hex("FFFFFFFF"), hex("0100")} << "I|" << QByteArrayList{} << 2;
    }

    void frameReader()
    {
        QFETCH(QByteArrayList, arrivals);
        QFETCH(QString, events);
        QFETCH(QByteArrayList, frames);
        QFETCH(int, held);

        LogCapture capture;
        FrameReader reader(SerialTerminalLink::MAX_FRAME);
        QStringList seen;
        QByteArrayList got;
        QByteArray frame;
        for (const QByteArray &arrival : arrivals) {
            reader.append(arrival);
            seen << QString();
            for (FrameReader::EEvent e; (e = reader.next(&frame)) != FrameReader::EEvent::None;) {
                seen.last() += QStringLiteral("-FCI").at(int(e));
                if (e == FrameReader::EEvent::Frame)
                    got << frame;
            }
        }
        QCOMPARE(seen.join('|'), events);
        QCOMPARE(got, frames);
        QCOMPARE(reader.buffered(), held);
        QCOMPARE(capture.contains(QStringLiteral("WARNING Invalid CRC!")), events.contains('C'));
        QCOMPARE(capture.contains(QStringLiteral("WARNING Impossible packet length")), events.contains('I'));
    }

    // Whatever a packet claims, only the bytes given are read.
    void relayPacketsReadOnlyWhatIsThere()
    {
        RelayClient relay;
        QCOMPARE(relay.handlePacket(hex("0500")), 0u);
        QCOMPARE(relay.handlePacket(hex("05000F")), 0u);
        QCOMPARE(relay.handlePacket(Packet::assemble(PACKET_CONNECT_RESULT, {})), 7u);
        QCOMPARE(relay.lastConnectResult(), uint8_t(0xFF));
    }

    void portWithoutConnection()
    {
        CConfiguratorHandlerPort port;
        QCOMPARE(port.errorString(), QStringLiteral("Houston, We Have Had a Problem!"));
        QByteArray data("abc");
        QCOMPARE(port.write(data, 3), uint64_t(0));
        QVERIFY(!port.isOpen());
        QVERIFY(!port.waitForReadyRead(10));
        QVERIFY(port.readAll().isEmpty());
        QVERIFY(!port.terminalLink());
    }
};

QTEST_GUILESS_MAIN(FrameTest)
#include "tst_frame.moc"
