#include "support/LogCapture.h"
#include "transport/CConfiguratorHandlerPort.h"
#include "transport/Crc32.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"
#include "transport/RelayCodec.h"

#include <QtTest>

static QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// The frame, the relay packet bodies and the header check, without any link.
class FrameTest : public QObject
{
    Q_OBJECT
private slots:
    void crcOfCheckString()
    {
        QCOMPARE(crc32(QByteArrayLiteral("123456789")), 0xCBF43926u);
        QCOMPARE(crc32(QByteArray()), 0u);
    }

    void fixedPacketsAreExact()
    {
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

    void parseHeader_data()
    {
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QStringList>("log");

        const QByteArray ten = Packet::assemble(PACKET_RESPONSE, QByteArray(10, 'x'));
        const QByteArray small = Packet::assemble(PACKET_RESPONSE, QByteArrayLiteral("abcd"));
        const QString incomplete = QStringLiteral("[CConfiguratorHandlerPort::parseHeader] INFO Received data len < data len in header");
        QByteArray altered = small;
        altered[altered.size() - 1] = char(altered.at(altered.size() - 1) ^ 0x01);

        QTest::newRow("one byte") << small.left(1) << false << QStringList();
        QTest::newRow("two bytes") << small.left(2) << false << QStringList();
        QTest::newRow("length 10, 16 bytes") << ten.left(16) << false << QStringList{incomplete};
        QTest::newRow("length 10, 17 bytes") << ten << true
                                             << QStringList{QStringLiteral("[CConfiguratorHandlerPort::parseHeader] Packet length = 17")};
        QTest::newRow("complete plus next") << small + ten.left(5) << true
                                            << QStringList{QStringLiteral("[CConfiguratorHandlerPort::parseHeader] Packet length = 11")};
        QTest::newRow("last byte altered") << altered << false
                                           << QStringList{QStringLiteral("[CConfiguratorHandlerPort::parseHeader] Packet length = 11"),
                                                          QStringLiteral("[CConfiguratorHandlerPort::parseHeader] WARNING Invalid CRC!")};
    }

    void parseHeader()
    {
        QFETCH(QByteArray, buffer);
        QFETCH(bool, valid);
        QFETCH(QStringList, log);

        CConfiguratorHandlerPort port;
        LogCapture capture;
        bool result = !valid;
        QVERIFY(QMetaObject::invokeMethod(&port, "parseHeader", Qt::DirectConnection, Q_RETURN_ARG(bool, result),
                                          Q_ARG(QByteArray, buffer)));
        QCOMPARE(result, valid);
        QCOMPARE(capture.lines(), log);
    }

    void deviceListPayload_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QStringList>("ids");

        const QByteArray a = RelayCodec::recordBytes(RelayCodec::makeRecord("A-1", "first"));
        const QByteArray b = RelayCodec::recordBytes(RelayCodec::makeRecord("B-2", "second"));
        QTest::newRow("count 0") << hex("0000") << QStringList();
        QTest::newRow("two in order") << hex("0200") + a + b << QStringList{"A-1", "B-2"};
        QTest::newRow("count beyond payload") << hex("0500") + a + b.left(56) << QStringList{"A-1"};
        QTest::newRow("no count") << hex("02") << QStringList();
    }

    void deviceListPayload()
    {
        QFETCH(QByteArray, payload);
        QFETCH(QStringList, ids);

        const QList<TDeviceToConfigInfo> devices = RelayCodec::parseDeviceList(payload);
        QStringList got;
        for (int i = 0; i < devices.size(); ++i) {
            got << deviceIdText(devices.at(i));
            QCOMPARE(RelayCodec::recordBytes(devices.at(i)), payload.mid(2 + 57 * i, 57));
        }
        QCOMPARE(got, ids);
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
    }
};

QTEST_GUILESS_MAIN(FrameTest)
#include "tst_frame.moc"
