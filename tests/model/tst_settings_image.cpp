#include "model/SettingRecordReader.h"
#include "model/SettingsImage.h"
#include "model/SettingsKey.h"
#include "model/SettingsStorage.h"
#include "model/TeaMac.h"

#include <QtTest>
#include <cstddef>

namespace {

QString recordKey(int id, int subId, int size)
{
    return QStringLiteral("%1/%2:%3").arg(id).arg(subId).arg(size);
}

// The records' headers; each value must be the bytes of its storage field.
QStringList recordsOf(const QByteArray &image, bool *clean)
{
    QStringList keys;
    SettingRecordReader reader(image, SETTINGS_IMAGE_RECORDS_OFFSET);
    TSettingRecord r;
    while (reader.next(&r)) {
        keys << recordKey(r.id, r.subId, r.size);
        uint8_t *field = nullptr;
        findSetting(r.id, r.subId, &field);
        if (!field || r.value != QByteArray(reinterpret_cast<const char *>(field), r.size))
            keys << QStringLiteral("value differs from storage");
    }
    *clean = !reader.truncated();
    return keys;
}

void fillStorage()
{
    SettingsStorage = TSettingsStorage{};
    setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
    auto *bytes = reinterpret_cast<uint8_t *>(&SettingsStorage);
    // Distinct bytes everywhere but the counts, so a value taken from the wrong field shows.
    for (size_t i = 0; i < offsetof(TSettingsStorage, DeviceCapabilities); ++i)
        bytes[i] = uint8_t(i * 7 + 3);
}

} // namespace

class TstSettingsImage : public QObject
{
    Q_OBJECT
private slots:
    void init() { fillStorage(); }
    void typeF0ImageHoldsRecordsInOrder();
    void codeCoversZeroPaddedBytesButImageIsNotPadded();
    void noSensorsLeavesOutSensorRecords();
    void buildingTwiceGivesTheSameBytes();
    void everyCoveredByteChangesTheCode();
};

void TstSettingsImage::typeF0ImageHoldsRecordsInOrder()
{
    const QByteArray image = build_settings_image();
    QCOMPARE(image.size(), 8 + 994);
    QCOMPARE(image.mid(8, 16), QByteArray("SETTINGS") + QByteArray(8, '\0'));

    QStringList expected;
    for (int k = 0; k < 8; ++k)
        expected << recordKey(3001, k, 35);
    for (int k = 0; k < 8; ++k)
        expected << recordKey(3006, k, 2);
    expected << recordKey(3251, 0, 5) << recordKey(3252, 0, 1) << recordKey(3372, 0, 12)
             << recordKey(3373, 0, 12) << recordKey(3374, 0, 1) << recordKey(3368, 0, 1);
    const int runs[][3] = {{3002, 2, 62}, {3003, 2, 8}, {3253, 10, 13}, {3356, 10, 8}, {3371, 3, 2}};
    for (const auto &run : runs) {
        for (int k = 0; k < run[1]; ++k)
            expected << recordKey(run[0], k, run[2]);
    }
    bool clean = false;
    QCOMPARE(recordsOf(image, &clean), expected);
    QVERIFY(clean);
}

void TstSettingsImage::codeCoversZeroPaddedBytesButImageIsNotPadded()
{
    const QByteArray image = build_settings_image();
    QByteArray covered = image.mid(SETTINGS_IMAGE_CODE_SIZE);
    QVERIFY(covered.size() % 8 != 0);
    covered.append(QByteArray(8 - covered.size() % 8, '\0'));

    uint32_t key[SettingsKey::WORDS];
    SettingsKey::fill(key);
    uint32_t state[2] = {0, 0};
    for (int at = 0; at < covered.size(); at += 8) {
        const auto *b = reinterpret_cast<const uint8_t *>(covered.constData()) + at;
        state[0] ^= uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
        state[1] ^= uint32_t(b[4]) << 24 | uint32_t(b[5]) << 16 | uint32_t(b[6]) << 8 | b[7];
        tea_encrypt(state, key);
    }
    QByteArray code(8, '\0');
    qToLittleEndian(state[0], code.data());
    qToLittleEndian(state[1], code.data() + 4);
    QCOMPARE(image.left(8), code);
    QVERIFY(verify_settings_image(image));
}

void TstSettingsImage::noSensorsLeavesOutSensorRecords()
{
    SettingsStorage.DeviceCapabilities.temperatureSensorCount = 0;
    const QByteArray image = build_settings_image();
    bool clean = false;
    const QStringList keys = recordsOf(image, &clean);
    QVERIFY(clean);
    QCOMPARE(keys.size(), 21 + 2 + 2 + 10 + 3);
    QCOMPARE(keys.filter(QRegularExpression("^(3356|3368)/")), QStringList());
    QCOMPARE(keys[20], recordKey(3374, 0, 1));
    QCOMPARE(keys[21], recordKey(3002, 0, 62));
    QCOMPARE(image.size(), 8 + 994 - 7 - 10 * 14);
}

void TstSettingsImage::buildingTwiceGivesTheSameBytes()
{
    const QByteArray first = build_settings_image();
    QCOMPARE(build_settings_image(), first);
    // Counts above their room give the image of the full room, not bytes from past the arrays.
    SettingsStorage.DeviceCapabilities.phoneCount = 200;
    SettingsStorage.DeviceCapabilities.simCount = 200;
    QCOMPARE(build_settings_image(), first);
}

void TstSettingsImage::everyCoveredByteChangesTheCode()
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

QTEST_GUILESS_MAIN(TstSettingsImage)
#include "tst_settings_image.moc"
