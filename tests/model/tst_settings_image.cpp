#include "model/SettingRecordReader.h"
#include "model/SettingsImage.h"
#include "model/SettingsKey.h"
#include "model/SettingsStorage.h"
#include "model/TeaMac.h"

#include <QtTest>
#include <cstddef>
#include <cstring>

namespace {

const uint32_t KEY[4] = {0x00112233, 0x44556677, 0x8899AABB, 0xCCDDEEFF};

TeaMac macOf(const QList<QByteArray> &pieces, const uint32_t *key = KEY)
{
    TeaMac mac;
    mac.init(key);
    for (const QByteArray &piece : pieces)
        mac.update(piece);
    mac.final();
    return mac;
}

QString recordKey(int id, int subId, int size)
{
    return QString("%1/%2:%3").arg(id).arg(subId).arg(size);
}

// The records' headers; each value must be the bytes of its storage field.
QStringList recordsOf(const QByteArray &image)
{
    QStringList keys;
    SettingRecordReader reader(image, SETTINGS_IMAGE_RECORDS_OFFSET);
    TSettingRecord r;
    while (reader.next(&r)) {
        keys << recordKey(r.id, r.subId, r.size);
        uint8_t *field = nullptr;
        findSetting(r.id, r.subId, &field);
        if (!field || r.value != QByteArray(reinterpret_cast<const char *>(field), r.size))
            keys << "value differs from storage";
    }
    return keys;
}

} // namespace

class TstSettingsImage : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        SettingsStorage = TSettingsStorage{};
        setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
        // Distinct bytes everywhere but the counts, so a value taken from the wrong field shows.
        auto *bytes = reinterpret_cast<uint8_t *>(&SettingsStorage);
        for (size_t i = 0; i < offsetof(TSettingsStorage, DeviceCapabilities); ++i)
            bytes[i] = uint8_t(i * 7 + 3);
    }

    void teaMatchesPublishedVectors()
    {
        // key[4], plain[2], cipher[2]
        const uint32_t vectors[][8] = {
            {0, 0, 0, 0, 0, 0, 0x41EA3A0A, 0x94BAA940},
            {0x00112233, 0x44556677, 0x8899AABB, 0xCCDDEEFF, 0x01020304, 0x05060708, 0xDEB1C0A2, 0x7E745DB3},
            {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0x319BBEFB, 0x016ABDB2}};
        for (const uint32_t *w : vectors) {
            uint32_t v[2] = {w[4], w[5]};
            tea_encrypt(v, w);
            QVERIFY(v[0] == w[6] && v[1] == w[7]);
        }
    }

    void blocksAreReadBigEndianAndCodeWrittenLittleEndian()
    {
        // 01 02 03 + five zeros: state = TEA(0x01020300, 0x00000000), worked by hand.
        const TeaMac shortBlock = macOf({QByteArray::fromHex("010203")});
        QCOMPARE(shortBlock.state(0), 0xE6750AB0u);
        QCOMPARE(shortBlock.state(1), 0x425A82B6u);
        QCOMPARE(shortBlock.code(), QByteArray::fromHex("b00a75e6b6825a42"));
        // No input leaves the zero state.
        QCOMPARE(macOf({}).code(), QByteArray(8, '\0'));
    }

    void everySplitGivesTheOneShotCode()
    {
        QByteArray in;
        for (int i = 0; i < 29; ++i)
            in.append(char(i * 37 + 11));
        const QByteArray expected = macOf({in}).code();
        for (int a = 0; a <= in.size(); ++a) {
            for (int b = a; b <= in.size(); ++b) {
                const QByteArray code = macOf({in.left(a), in.mid(a, b - a), in.mid(b)}).code();
                QVERIFY2(code == expected, qPrintable(QString("split %1/%2").arg(a).arg(b)));
            }
        }
    }

    void imageHoldsRecordsInOrder_data()
    {
        QTest::addColumn<int>("countsSet");
        QTest::addColumn<int>("sensors");
        QTest::addColumn<int>("size");
        QTest::newRow("type F0") << 0 << 10 << 8 + 994;
        // Counts above their room give the image of the full room, not bytes past the arrays.
        QTest::newRow("counts above room") << 255 << 10 << 8 + 994;
        QTest::newRow("no sensors") << 0 << 0 << 8 + 994 - 7 - 10 * 14;
    }

    void imageHoldsRecordsInOrder()
    {
        QFETCH(int, countsSet);
        QFETCH(int, sensors);
        QFETCH(int, size);
        TDeviceCapabilities &c = SettingsStorage.DeviceCapabilities;
        if (countsSet)
            std::memset(&c, countsSet, sizeof c);
        if (sensors == 0)
            c.temperatureSensorCount = 0;

        QStringList expected;
        for (int k = 0; k < 8; ++k)
            expected << recordKey(3001, k, 35);
        for (int k = 0; k < 8; ++k)
            expected << recordKey(3006, k, 2);
        expected << recordKey(3251, 0, 5) << recordKey(3252, 0, 1) << recordKey(3372, 0, 12)
                 << recordKey(3373, 0, 12) << recordKey(3374, 0, 1);
        if (sensors)
            expected << recordKey(3368, 0, 1);
        const int runs[][3] = {{3002, 2, 62}, {3003, 2, 8}, {3253, 10, 13}, {3356, sensors, 8}, {3371, 3, 2}};
        for (const auto &run : runs) {
            for (int k = 0; k < run[1]; ++k)
                expected << recordKey(run[0], k, run[2]);
        }

        const QByteArray image = build_settings_image();
        QCOMPARE(image.size(), size);
        QCOMPARE(image.mid(8, 16), QByteArray("SETTINGS") + QByteArray(8, '\0'));
        QCOMPARE(recordsOf(image), expected);
        QCOMPARE(build_settings_image(), image);

        // The code covers header and records zero-padded to whole blocks; the image is not padded.
        QByteArray covered = image.mid(SETTINGS_IMAGE_CODE_SIZE);
        covered.append(QByteArray((8 - covered.size() % 8) % 8, '\0'));
        uint32_t key[SettingsKey::WORDS];
        SettingsKey::fill(key);
        QCOMPARE(image.left(8), macOf({covered}, key).code());
        QVERIFY(verify_settings_image(image));
    }

    void everyCoveredByteChangesTheCode()
    {
        const QByteArray image = build_settings_image();
        for (int at = SETTINGS_IMAGE_CODE_SIZE; at < image.size(); ++at) {
            QByteArray changed = image;
            changed[at] = char(changed[at] ^ 0x01);
            QVERIFY2(!verify_settings_image(changed), qPrintable(QString::number(at)));
        }
        QByteArray badCode = image;
        badCode[7] = char(badCode[7] ^ 0x80);
        QVERIFY(!verify_settings_image(badCode));
        QVERIFY(!verify_settings_image(image.left(SETTINGS_IMAGE_RECORDS_OFFSET - 1)));
        QVERIFY(!verify_settings_image(image.left(image.size() - 1)));
    }

    void readerStopsOnCutRecord_data()
    {
        QTest::addColumn<int>("cut");
        // The last record is 6 + 4 bytes: 1..4 cut its value, 5..9 its header.
        for (int cut = 0; cut <= 9; ++cut)
            QTest::addRow("%d bytes short", cut) << cut;
    }

    void readerStopsOnCutRecord()
    {
        QFETCH(int, cut);
        // "prefix", then records (3251, 0, "4321"), (0xFFFF, 256, empty), (3006, 1, 4 bytes).
        QByteArray bytes = "prefix"
            + QByteArray::fromHex("b30c00000500" "3433323100" "ffff00010000" "be0b01000400" "100effff");
        bytes.chop(cut);
        // A detached copy ends exactly where the data ends, so a read past it shows under ASan.
        SettingRecordReader reader(QByteArray(bytes.constData(), bytes.size()), 6);
        TSettingRecord r;
        QVERIFY(reader.next(&r) && r.id == 3251 && r.offset == 6 && r.value == QByteArray("4321\0", 5));
        QVERIFY(reader.next(&r) && r.id == 0xFFFF && r.subId == 256 && r.size == 0 && r.value.isEmpty());
        r.id = 0;
        QCOMPARE(reader.next(&r), cut == 0);
        QCOMPARE(r.id, uint16_t(cut == 0 ? 3006 : 0));
        QVERIFY(!reader.next(&r));
        QCOMPARE(reader.truncated(), cut != 0);
        if (cut == 0)
            QCOMPARE(reader.position(), bytes.size());

        SettingRecordReader pastEnd(bytes.left(20), 24);
        QVERIFY(!pastEnd.next(nullptr));
        QVERIFY(pastEnd.truncated());
    }
};

QTEST_GUILESS_MAIN(TstSettingsImage)
#include "tst_settings_image.moc"
