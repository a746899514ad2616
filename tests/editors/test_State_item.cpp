#include "editors/State_item.h"

#include <QDateTime>
#include <QtEndian>
#include <QtTest>

#include <cstring>

static bool connected = true;

static TStateItemDesc desc(EStateKind kind, const void *value, int type, uint16_t size = 4)
{
    TStateItemDesc d;
    d.kind = kind;
    d.value = static_cast<const uint8_t *>(value);
    d.valid = &connected;
    d.onText = QStringLiteral("вкл.");
    d.offText = QStringLiteral("выкл.");
    d.noDataText = QStringLiteral("---");
    d.size = size;
    d.type = uint8_t(type);
    return d;
}

static QByteArray floatBytes(float value)
{
    quint32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    QByteArray bytes(4, '\0');
    qToLittleEndian(bits, bytes.data());
    return bytes;
}

class TestStateItem : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The shown date must not depend on the machine's zone.
        qputenv("TZ", "America/New_York");
    }

    void noDataWhileNotConnectedThenValueWithoutRebuild()
    {
        uint8_t bytes[4] = {42, 0, 0, 0};
        State_item item(desc(STATE_NUMBER, bytes, 3));
        connected = false;
        QCOMPARE(item.data(Qt::DisplayRole), QVariant(QStringLiteral("---")));
        connected = true;
        QCOMPARE(item.data(Qt::DisplayRole), QVariant(42));
        bytes[0] = 43;
        QCOMPARE(item.data(Qt::EditRole), QVariant(43));
    }

    void valueByKindAndType_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QVariant>("expected");
        const QVariant noSensor(QStringLiteral("нет связи"));
        QTest::newRow("temperature -150") << 3 << 4 << floatBytes(-150.0f) << noSensor;
        QTest::newRow("temperature -150.1") << 3 << 4 << floatBytes(-150.1f) << noSensor;
        QTest::newRow("temperature -149.9") << 3 << 4 << floatBytes(-149.9f) << noSensor;
        QTest::newRow("temperature -150.2") << 3 << 4 << floatBytes(-150.2f) << QVariant(-150.2f);
        QTest::newRow("temperature 0") << 3 << 4 << floatBytes(0.0f) << QVariant(0);
        QTest::newRow("temperature 21.5") << 3 << 4 << floatBytes(21.5f) << QVariant(21.5f);
        QTest::newRow("u8") << 0 << 1 << QByteArray::fromHex("ff010101") << QVariant(255);
        QTest::newRow("u16") << 0 << 2 << QByteArray::fromHex("ffff0101") << QVariant(65535);
        QTest::newRow("u32 max") << 0 << 3 << QByteArray::fromHex("ffffffff") << QVariant(-1);
        QTest::newRow("number over text") << 0 << 5 << QByteArray("12\0\0", 4) << QVariant(0);
        QTest::newRow("on u16 high byte") << 2 << 2 << QByteArray::fromHex("0001ffff") << QVariant(QStringLiteral("вкл."));
        QTest::newRow("off u8") << 2 << 1 << QByteArray::fromHex("00ffffff") << QVariant(QStringLiteral("выкл."));
        QTest::newRow("off negative float") << 2 << 4 << floatBytes(-1.0f) << QVariant(QStringLiteral("выкл."));
        QTest::newRow("on/off over text") << 2 << 5 << QByteArray("1\0\0\0", 4) << QVariant(QStringLiteral("Ошибка!"));
    }

    void valueByKindAndType()
    {
        QFETCH(int, kind);
        QFETCH(int, type);
        QFETCH(QByteArray, bytes);
        QFETCH(QVariant, expected);
        State_item item(desc(EStateKind(kind), bytes.constData(), type));
        const QVariant shown = item.data(Qt::DisplayRole);
        QCOMPARE(shown.userType(), expected.userType());
        QCOMPARE(shown, expected);
    }

    void dateTimeIsUtc_data()
    {
        QTest::addColumn<quint32>("seconds");
        QTest::addColumn<QString>("expected");
        QTest::newRow("epoch") << 0u << QStringLiteral("1970-01-01 00:00:00");
        QTest::newRow("2010") << 1262304000u << QStringLiteral("2010-01-01 00:00:00");
        QTest::newRow("u32 max") << 4294967295u << QStringLiteral("2106-02-07 06:28:15");
    }

    void dateTimeIsUtc()
    {
        QFETCH(quint32, seconds);
        QFETCH(QString, expected);
        uint8_t bytes[4];
        qToLittleEndian(seconds, bytes);
        const QDateTime shown = State_item(desc(STATE_DATETIME, bytes, 3)).data(Qt::DisplayRole).toDateTime();
        QCOMPARE(shown.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), expected);
        QCOMPARE(shown.toSecsSinceEpoch(), qint64(seconds));
    }

    void textStopsAtZeroAndAtSize()
    {
        uint8_t imei[16] = {'3', '5'};
        QCOMPARE(State_item(desc(STATE_TEXT, imei, 5, 16)).data(Qt::DisplayRole), QVariant(QStringLiteral("35")));

        // A full field has no terminator: reading stops at its size.
        const QByteArray full = QStringLiteral("Версия").toUtf8() + QByteArray("\xEE", 1);
        State_item filled(desc(STATE_TEXT, full.constData(), 5, uint16_t(full.size() - 1)));
        QCOMPARE(filled.data(Qt::DisplayRole), QVariant(QStringLiteral("Версия")));
    }
};

QTEST_MAIN(TestStateItem)
#include "test_State_item.moc"
