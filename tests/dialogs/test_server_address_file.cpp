#include "files/ServerAddressFile.h"

#include <QtTest>

class TestServerAddressFile : public QObject
{
    Q_OBJECT
private slots:
    void bytesFollowTheStreamLayout()
    {
        QCOMPARE(ServerAddressFile::bytes(TServerAddress{QStringLiteral("Я.1"), 40000}),
                 QByteArray::fromHex("00000006042F002E00319C40"));
    }

    void readsWholeRecords_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<int>("port");

        QTest::newRow("exact") << QByteArray::fromHex("00000004006800696F7D") << "hi" << 28541;
        QTest::newRow("port above 32767") << QByteArray::fromHex("000000020068FFFF") << "h" << 0xFFFF;
        QTest::newRow("null text") << QByteArray::fromHex("FFFFFFFF0050") << "" << 80;
        QTest::newRow("leftover of a longer record") << QByteArray::fromHex("00000002006100090062ABCD")
                                                     << "a" << 9;
    }

    void readsWholeRecords()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, ip);
        QFETCH(int, port);

        TServerAddress address;
        QVERIFY(ServerAddressFile::read(bytes, &address));
        QCOMPARE(address.ip, ip);
        QCOMPARE(int(address.port), port);
        QVERIFY(ServerAddressFile::read(ServerAddressFile::bytes(address), &address));
        QCOMPARE(int(address.port), port);
    }

    void rejectsIncompleteOrDamagedRecords_data()
    {
        QTest::addColumn<QByteArray>("bytes");

        const QByteArray whole = QByteArray::fromHex("0000000600310030002E9C40");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("part of the length") << whole.left(3);
        QTest::newRow("text cut short") << whole.left(7);
        QTest::newRow("port missing") << whole.left(10);
        QTest::newRow("half a port") << whole.left(11);
        QTest::newRow("null text without port") << QByteArray::fromHex("FFFFFFFF00");
        QTest::newRow("odd text length") << QByteArray::fromHex("00000003004100420043");
        QTest::newRow("length claims 2 GB") << QByteArray::fromHex("7FFFFFF0004100420001");
        QTest::newRow("length claims 4 GB") << QByteArray::fromHex("FFFFFFFE00410042");
    }

    void rejectsIncompleteOrDamagedRecords()
    {
        QFETCH(QByteArray, bytes);

        TServerAddress address{QStringLiteral("untouched"), 1234};
        QVERIFY(!ServerAddressFile::read(bytes, &address));
        QCOMPARE(address.ip, QStringLiteral("untouched"));
        QCOMPARE(int(address.port), 1234);
    }
};

QTEST_GUILESS_MAIN(TestServerAddressFile)
#include "test_server_address_file.moc"
