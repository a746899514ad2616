// The settings storage's lookups, the parameter table, and the signed image built from them.

#include "model/ParameterTable.h"
#include "model/SettingRecordReader.h"
#include "model/SettingsImage.h"
#include "model/SettingsKey.h"
#include "model/SettingsStorage.h"
#include "model/TeaMac.h"
#include "model/TerminalText.h"
#include "support/DistinctSettings.h"

#include <QTextCodec>
#include <QtTest>
#include <cstddef>
#include <cstring>

namespace {

struct Lookup {
    int id, subId, size, offset; // offset -1: nothing found
};

uint8_t *const UNTOUCHED = reinterpret_cast<uint8_t *>(&SettingsStorage) + sizeof(TSettingsStorage);

int offsetOf(const uint8_t *field)
{
    return int(field - reinterpret_cast<const uint8_t *>(&SettingsStorage));
}

QString recordKey(int id, int subId, int size)
{
    return QString("%1/%2:%3").arg(id).arg(subId).arg(size);
}

// The full enumeration as "id/subId:size"; an entry findSetting disagrees with is marked.
QStringList enumerateAll()
{
    QStringList entries;
    uint16_t id = 0, subId = 0, size = 0;
    uint8_t *location = nullptr, *found = nullptr;
    for (uint16_t index = 0; index < 1024 && (size = enumerateSettings(index, &id, &subId, &location)) != 0; ++index) {
        entries << recordKey(id, subId, size);
        if (size != SETTING_SKIP && (findSetting(id, subId, &found) != size || found != location))
            entries << "differs from findSetting";
    }
    return entries;
}

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

Q_DECLARE_METATYPE(Lookup)

class TstSettingsModel : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        // Not the counts, which bound the tables.
        fillSettingsWithDistinctBytes(offsetof(TSettingsStorage, DeviceCapabilities), 7, 3);
    }

    void findSettingEdgeCases_data()
    {
        QTest::addColumn<Lookup>("c");
        const TSettingsStorage &s = SettingsStorage;
        QTest::newRow("sim past count") << Lookup{3002, 2, 0, -1};
        QTest::newRow("sim 2") << Lookup{3002, 1, 62, offsetOf(s.sims[1])};
        QTest::newRow("server past table") << Lookup{3001, 8, 0, -1};
        QTest::newRow("counter ignores sub-id") << Lookup{2010, 5, 4, offsetOf(s.parameters.traffic[2].sent)};
        QTest::newRow("received, server 5") << Lookup{2020, 0, 4, offsetOf(s.parameters.traffic[4].received)};
        QTest::newRow("output needs sub-id 0") << Lookup{1061, 1, 0, -1};
        QTest::newRow("output 1") << Lookup{1061, 0, 1, offsetOf(s.parameters.digitalOutputs[0])};
        QTest::newRow("output 2 of 1") << Lookup{1062, 0, 0, -1};
        QTest::newRow("frequency output 2 of 1") << Lookup{3353, 1, 0, -1};
        QTest::newRow("pin") << Lookup{3251, 0, 5, offsetOf(s.accessPin)};
        QTest::newRow("last sensor") << Lookup{3356, 9, 8, offsetOf(s.sensorIds[9])};
        QTest::newRow("sensor past count") << Lookup{3356, 10, 0, -1};
        QTest::newRow("unknown id") << Lookup{3000, 0, 0, -1};
        // Sub-ids are 16 bits: 256 must not fold onto the slot of sub-id 0.
        QTest::newRow("server 256") << Lookup{3001, 256, 0, -1};
        QTest::newRow("pin 256") << Lookup{3251, 256, 0, -1};
    }

    void findSettingEdgeCases()
    {
        QFETCH(Lookup, c);
        // The counts of type F0 are the room; counts above it must give the same answers.
        for (int pass = 0; pass < 2; ++pass) {
            uint8_t *location = UNTOUCHED;
            QCOMPARE(int(findSetting(uint16_t(c.id), uint16_t(c.subId), &location)), c.size);
            QCOMPARE(location == UNTOUCHED ? -1 : offsetOf(location), c.offset);
            std::memset(&SettingsStorage.DeviceCapabilities, 255, sizeof(TDeviceCapabilities));
        }
    }

    void enumerationOfAFullConfiguration()
    {
        // An entry findSetting disagrees with adds a mark, so every size check covers it too.
        QCOMPARE(SettingsStorage.capabilitiesSet, uint8_t(1));
        QStringList all = enumerateAll();
        QCOMPARE(all.size(), 49);
        QCOMPARE(all[21], QString("3368/0:1"));
        QCOMPARE(int(enumerateSettings(0xFFFF, nullptr, nullptr, nullptr)), 0);

        // Without sensors the add-sensor flag keeps its place, marked to be skipped.
        SettingsStorage.DeviceCapabilities.temperatureSensorCount = 0;
        all = enumerateAll();
        QCOMPARE(all.size(), 39);
        QCOMPARE(all[21], QString("3368/0:%1").arg(SETTING_SKIP));
        QVERIFY(all.filter(QRegularExpression("^3356/")).isEmpty());
        // The flag itself stays writable: the add-sensor command goes through findSetting.
        QCOMPARE(int(findSetting(3368, 0, nullptr)), 1);

        SettingsStorage = TSettingsStorage{};
        setCapabilitiesForDeviceType(0x10);
        QVERIFY(SettingsStorage.capabilitiesSet == 0 && enumerateAll().size() == 22);
    }

    void groupBoundsFollowTheScan()
    {
        // Group 1 ends before the first 2001; the device-type group is row 0 alone.
        const int expected[][3] = {{GROUP_SYSTEM, 1, 15}, {GROUP_IO, 16, 43}, {GROUP_NETWORK, 44, 66},
                                   {GROUP_DEVICE_TYPE, 0, 0}, {9, 0, 0}};
        for (const auto &e : expected) {
            uint16_t first = 0xFFFF, last = 0xFFFF;
            groupBounds(ParameterGroup(e[0]), &first, &last);
            const QString got = QString("group %1: %2..%3").arg(e[0]).arg(first).arg(last);
            QVERIFY2(first == e[1] && last == e[2], qPrintable(got));
        }
    }

    void parameterRows_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVector<int>>("idSizeType");
        QTest::newRow("0") << 0 << "Тип устройства" << QVector<int>{1, 1, PARAM_U8};
        QTest::newRow("7") << 7 << "proto_ver" << QVector<int>{PROTO_VER_ID, 1, PARAM_U8};
        QTest::newRow("43") << 43 << "Напряжение питания внешних устройств" << QVector<int>{1253, 4, PARAM_FLOAT};
        QTest::newRow("55") << 55 << "Передано байт на сервер 5" << QVector<int>{2016, 4, PARAM_U32};
        QTest::newRow("past the end") << int(PARAMETER_COUNT) << QString() << QVector<int>{0, 0, 0};
        QTest::newRow("before the start") << -1 << QString() << QVector<int>{0, 0, 0};
    }

    void parameterRows()
    {
        QFETCH(int, row);
        QFETCH(QString, name);
        QFETCH(QVector<int>, idSizeType);
        const ParameterDescriptor &d = parameterRow(row);
        QCOMPARE((QVector<int>{d.id, d.size, d.type}), idSizeType);
        QCOMPARE(parameterName(row), name);
        QCOMPARE(parameterRowOfId(d.id), d.id ? row : -1);
        initConstantParameters();
        if (d.id == PROTO_VER_ID)
            QCOMPARE(int(d.value[0]), 1);
    }

    void parameterFieldsTileTheirSectionAndShareSettings()
    {
        // Names are stored as Windows-1251: й at 0xE9, the space ASCII, NUL after the last letter.
        const QByteArray name = QByteArray::fromHex("d2e8ef20f3f1f2f0eee9f1f2e2e000");
        QCOMPARE(QByteArray(parameterRow(0).name, name.size()), name);

        // Every row owns its own bytes of the parameter section and no row strays outside it.
        const auto *base = reinterpret_cast<const uint8_t *>(&SettingsStorage.parameters);
        QVector<int> owner(int(sizeof(TParameterValues)), -1);
        for (int row = 0; row < PARAMETER_COUNT; ++row) {
            const ParameterDescriptor &d = parameterRow(row);
            const int at = int(d.value - base);
            QVERIFY2(at >= 0 && at + d.size <= owner.size(), qPrintable(QString::number(row)));
            for (int i = at; i < at + d.size; ++i) {
                QVERIFY2(owner[i] == -1, qPrintable(QString::number(row)));
                owner[i] = row;
            }
        }
        QVERIFY(!owner.contains(-1));

        // Counters and outputs are settings too, at the very same bytes.
        QVERIFY(parameterRow(parameterRowOfId(2014)).value == SettingsStorage.parameters.traffic[2].received);
        for (uint16_t id : {1061, 2008, 2010, 2011, 2012, 2014, 2015, 2016, 2019, 2020, 2023}) {
            uint8_t *location = nullptr;
            QVERIFY(findSetting(id, 0, &location) != 0);
            QVERIFY2(location == parameterRow(parameterRowOfId(id)).value, qPrintable(QString::number(id)));
        }
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

    // The terminal's code page by our own table, checked byte by byte against the system's.
    void windows1251AsTheSystemConvertsIt()
    {
        QTextCodec *system = QTextCodec::codecForName("Windows-1251");
        if (!system)
            QSKIP("no Windows-1251 codec in this Qt");
        for (int b = 0; b < 256; ++b) {
            if (b == 0x98)
                continue; // unassigned
            const QByteArray byte(1, char(b));
            const QString c = TerminalText::decode(byte);
            QCOMPARE(c, system->toUnicode(byte));
            QCOMPARE(TerminalText::encode(c), byte);
        }
        QCOMPARE(TerminalText::encode(QStringLiteral("Котельная №2 €")), system->fromUnicode(QStringLiteral("Котельная №2 €")));
        QCOMPARE(TerminalText::encode(QStringLiteral("日x")), QByteArray("?x"));
    }
};

QTEST_GUILESS_MAIN(TstSettingsModel)
#include "tst_settings_model.moc"
