#include "model/SettingsStorage.h"

#include <QtTest>
#include <cstddef>

namespace {

uint8_t *const UNTOUCHED = reinterpret_cast<uint8_t *>(&SettingsStorage) + sizeof(TSettingsStorage);

int offsetOf(const uint8_t *field)
{
    return int(field - reinterpret_cast<const uint8_t *>(&SettingsStorage));
}

struct Entry {
    uint16_t id;
    uint16_t subId;
    uint16_t size;
};

QVector<Entry> enumerateAll()
{
    QVector<Entry> entries;
    for (uint16_t index = 0; index < 1024; ++index) {
        Entry e{0, 0, 0};
        uint8_t *location = nullptr;
        e.size = enumerateSettings(index, &e.id, &e.subId, &location);
        if (e.size == 0)
            break;
        if (e.size != SETTING_SKIP) {
            uint8_t *found = nullptr;
            // Every enumerated entry is one findSetting knows, at the same place.
            if (findSetting(e.id, e.subId, &found) != e.size || found != location)
                return {};
        }
        entries.append(e);
    }
    return entries;
}

} // namespace

class TstSettingsStorage : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        SettingsStorage = TSettingsStorage{};
        setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
    }
    void findSettingEdgeCases_data();
    void findSettingEdgeCases();
    void countsAboveTheirRoomAreClamped();
    void enumeratesFullConfigurationOfTypeF0();
    void noSensorsSkipsAddModeAndSensorIds();
    void onlyTypeF0SetsCounts();
};

void TstSettingsStorage::findSettingEdgeCases_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("subId");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("offset");
    const TSettingsStorage &s = SettingsStorage;
    QTest::newRow("sim past count") << 3002 << 2 << 0 << -1;
    QTest::newRow("sim 1") << 3002 << 1 << 62 << offsetOf(s.sims[1]);
    QTest::newRow("server past table") << 3001 << 8 << 0 << -1;
    QTest::newRow("server 8") << 3001 << 7 << 35 << offsetOf(s.servers[7]);
    QTest::newRow("counter ignores sub-id") << 2010 << 5 << 4 << offsetOf(s.parameters.traffic[2].sent);
    QTest::newRow("received, server 5") << 2020 << 0 << 4 << offsetOf(s.parameters.traffic[4].received);
    QTest::newRow("output needs sub-id 0") << 1061 << 1 << 0 << -1;
    QTest::newRow("output 1") << 1061 << 0 << 1 << offsetOf(s.parameters.digitalOutputs[0]);
    QTest::newRow("output 2 of 1") << 1062 << 0 << 0 << -1;
    QTest::newRow("pin") << 3251 << 0 << 5 << offsetOf(s.accessPin);
    QTest::newRow("frequency output") << 3353 << 0 << 1 << offsetOf(s.frequencyOutputs[0]);
    QTest::newRow("last sensor") << 3356 << 9 << 8 << offsetOf(s.sensorIds[9]);
    QTest::newRow("phone past count") << 3253 << 10 << 0 << -1;
    QTest::newRow("unknown id") << 3000 << 0 << 0 << -1;
    // Sub-ids are 16 bits: 256 must not fold onto the slot of sub-id 0.
    QTest::newRow("server 256") << 3001 << 256 << 0 << -1;
    QTest::newRow("hold 256") << 3006 << 256 << 0 << -1;
    QTest::newRow("pin 256") << 3251 << 256 << 0 << -1;
    QTest::newRow("add mode 256") << 3368 << 256 << 0 << -1;
    QTest::newRow("input 256") << 3371 << 256 << 0 << -1;
}

void TstSettingsStorage::findSettingEdgeCases()
{
    QFETCH(int, id);
    QFETCH(int, subId);
    QFETCH(int, size);
    QFETCH(int, offset);
    uint8_t *location = UNTOUCHED;
    QCOMPARE(int(findSetting(uint16_t(id), uint16_t(subId), &location)), size);
    QCOMPARE(location == UNTOUCHED ? -1 : offsetOf(location), offset);
}

void TstSettingsStorage::countsAboveTheirRoomAreClamped()
{
    TDeviceCapabilities &c = SettingsStorage.DeviceCapabilities;
    c.simCount = c.phoneCount = c.inputCount = c.temperatureSensorCount = 255;
    c.frequencyOutputCount = c.digitalOutputCount = 255;
    uint8_t *location = UNTOUCHED;
    QCOMPARE(int(findSetting(3002, 2, &location)), 0);
    QCOMPARE(int(findSetting(3253, 10, &location)), 0);
    QCOMPARE(int(findSetting(3356, 10, &location)), 0);
    QCOMPARE(int(findSetting(3371, 3, &location)), 0);
    QCOMPARE(int(findSetting(3353, 1, &location)), 0);
    QCOMPARE(int(findSetting(1062, 0, &location)), 0);
    QVERIFY(location == UNTOUCHED);
    QCOMPARE(enumerateAll().size(), 49);
    QCOMPARE(boundedCapabilities().simCount, uint8_t(2));
}

void TstSettingsStorage::enumeratesFullConfigurationOfTypeF0()
{
    const QVector<Entry> entries = enumerateAll();
    QCOMPARE(entries.size(), 49);
    // The full order is checked on the image; here the seams of the table and the runs.
    QCOMPARE(entries[21].id, uint16_t(3368));
    QCOMPARE(entries[21].size, uint16_t(1));
    QVERIFY(entries[22].id == 3002 && entries[22].subId == 0);
    QVERIFY(entries[48].id == 3371 && entries[48].subId == 2);
    uint16_t id = 0;
    QCOMPARE(int(enumerateSettings(49, &id, nullptr, nullptr)), 0);
    QCOMPARE(int(enumerateSettings(0xFFFF, &id, nullptr, nullptr)), 0);
}

void TstSettingsStorage::noSensorsSkipsAddModeAndSensorIds()
{
    SettingsStorage.DeviceCapabilities.temperatureSensorCount = 0;
    const QVector<Entry> entries = enumerateAll();
    QCOMPARE(entries.size(), 39);
    QCOMPARE(entries[21].id, uint16_t(3368));
    QCOMPARE(entries[21].size, SETTING_SKIP);
    for (const Entry &e : entries)
        QVERIFY(e.id != 3356);
    // The flag itself stays writable: the add-sensor command goes through findSetting.
    QCOMPARE(int(findSetting(3368, 0, nullptr)), 1);
}

void TstSettingsStorage::onlyTypeF0SetsCounts()
{
    SettingsStorage = TSettingsStorage{};
    setCapabilitiesForDeviceType(0x10);
    QCOMPARE(SettingsStorage.DeviceCapabilities.phoneCount, uint8_t(0));
    QCOMPARE(SettingsStorage.capabilitiesSet, uint8_t(0));
    QCOMPARE(enumerateAll().size(), 22);

    setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
    const TDeviceCapabilities &c = SettingsStorage.DeviceCapabilities;
    const QByteArray counts(reinterpret_cast<const char *>(&c), sizeof(c));
    QCOMPARE(counts, QByteArray::fromHex("02030103000301030a08030a"));
    QCOMPARE(SettingsStorage.capabilitiesSet, uint8_t(1));

    setCapabilitiesForDeviceType(0x10);
    QCOMPARE(SettingsStorage.DeviceCapabilities.phoneCount, uint8_t(10));
}

QTEST_GUILESS_MAIN(TstSettingsStorage)
#include "tst_settings_storage.moc"
