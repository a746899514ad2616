#include "model/TeaMac.h"

#include <QtTest>

namespace {

const uint32_t KEY[4] = {0x00112233, 0x44556677, 0x8899AABB, 0xCCDDEEFF};

// Decryption written from the cipher's definition, run backwards from the final sum.
void teaDecrypt(uint32_t v[2], const uint32_t k[4])
{
    uint32_t sum = 0xC6EF3720;
    for (int i = 0; i < 32; ++i, sum -= 0x9E3779B9) {
        v[1] -= ((v[0] << 4) + k[2]) ^ (v[0] + sum) ^ ((v[0] >> 5) + k[3]);
        v[0] -= ((v[1] << 4) + k[0]) ^ (v[1] + sum) ^ ((v[1] >> 5) + k[1]);
    }
}

QByteArray macOf(const QByteArray &bytes)
{
    TeaMac mac;
    mac.init(KEY);
    mac.update(bytes);
    mac.final();
    return mac.code();
}

} // namespace

class TstTeaMac : public QObject
{
    Q_OBJECT
private slots:
    void teaMatchesKnownVectors_data();
    void teaMatchesKnownVectors();
    void teaIsInvertedByReferenceDecryption();
    void blocksAreReadBigEndianAndCodeWrittenLittleEndian();
    void everySplitGivesTheOneShotCode();
};

void TstTeaMac::teaMatchesKnownVectors_data()
{
    QTest::addColumn<QVector<uint>>("key");
    QTest::addColumn<QVector<uint>>("plain");
    QTest::addColumn<QVector<uint>>("cipher");
    QTest::newRow("zero key, zero block") << QVector<uint>{0, 0, 0, 0} << QVector<uint>{0, 0}
                                          << QVector<uint>{0x41EA3A0A, 0x94BAA940};
    QTest::newRow("mixed") << QVector<uint>{0x00112233, 0x44556677, 0x8899AABB, 0xCCDDEEFF}
                           << QVector<uint>{0x01020304, 0x05060708} << QVector<uint>{0xDEB1C0A2, 0x7E745DB3};
    QTest::newRow("all ones") << QVector<uint>{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}
                              << QVector<uint>{0xFFFFFFFF, 0xFFFFFFFF} << QVector<uint>{0x319BBEFB, 0x016ABDB2};
}

void TstTeaMac::teaMatchesKnownVectors()
{
    QFETCH(QVector<uint>, key);
    QFETCH(QVector<uint>, plain);
    QFETCH(QVector<uint>, cipher);
    const uint32_t k[4] = {key[0], key[1], key[2], key[3]};
    uint32_t v[2] = {plain[0], plain[1]};
    tea_encrypt(v, k);
    QCOMPARE(v[0], uint32_t(cipher[0]));
    QCOMPARE(v[1], uint32_t(cipher[1]));
}

void TstTeaMac::teaIsInvertedByReferenceDecryption()
{
    uint32_t seed = 0x12345678;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int round = 0; round < 100; ++round) {
        const uint32_t k[4] = {next(), next(), next(), next()};
        const uint32_t plain[2] = {next(), next()};
        uint32_t v[2] = {plain[0], plain[1]};
        tea_encrypt(v, k);
        QVERIFY(v[0] != plain[0] || v[1] != plain[1]);
        teaDecrypt(v, k);
        QCOMPARE(v[0], plain[0]);
        QCOMPARE(v[1], plain[1]);
    }
}

void TstTeaMac::blocksAreReadBigEndianAndCodeWrittenLittleEndian()
{
    // One short block 01 02 03 + five zeros: state = TEA(0x01020300, 0x00000000).
    TeaMac mac;
    mac.init(KEY);
    mac.update(QByteArray::fromHex("010203"));
    mac.final();
    QCOMPARE(mac.state(0), 0xE6750AB0u);
    QCOMPARE(mac.state(1), 0x425A82B6u);
    QCOMPARE(mac.code(), QByteArray::fromHex("b00a75e6b6825a42"));

    // A whole block gets no padding block after it; no input leaves the zero state.
    uint32_t v[2] = {0x01020304, 0x05060708};
    tea_encrypt(v, KEY);
    mac.init(KEY);
    mac.update(QByteArray::fromHex("0102030405060708"));
    mac.final();
    QVERIFY(mac.state(0) == v[0] && mac.state(1) == v[1]);
    QCOMPARE(macOf(QByteArray()), QByteArray(8, '\0'));
}

void TstTeaMac::everySplitGivesTheOneShotCode()
{
    QByteArray input;
    for (int i = 0; i < 29; ++i)
        input.append(char(i * 37 + 11));
    const QByteArray expected = macOf(input);
    const auto *bytes = reinterpret_cast<const uint8_t *>(input.constData());
    for (int a = 0; a <= input.size(); ++a) {
        for (int b = a; b <= input.size(); ++b) {
            TeaMac mac;
            mac.init(KEY);
            mac.update(bytes, size_t(a));
            mac.update(bytes + a, size_t(b - a));
            mac.update(bytes + b, size_t(input.size() - b));
            mac.final();
            QVERIFY2(mac.code() == expected, qPrintable(QStringLiteral("split %1/%2").arg(a).arg(b)));
        }
    }
}

QTEST_APPLESS_MAIN(TstTeaMac)
#include "tst_tea_mac.moc"
