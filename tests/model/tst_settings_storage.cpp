#include "model/ParameterTable.h"
#include "model/SettingsStorage.h"

#include <QtTest>
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

// The full enumeration as "id/subId:size"; an entry findSetting disagrees with is marked.
QStringList enumerateAll()
{
    QStringList entries;
    uint16_t id = 0, subId = 0, size = 0;
    uint8_t *location = nullptr, *found = nullptr;
    for (uint16_t index = 0; index < 1024 && (size = enumerateSettings(index, &id, &subId, &location)) != 0; ++index) {
        entries << QString("%1/%2:%3").arg(id).arg(subId).arg(size);
        if (size != SETTING_SKIP && (findSetting(id, subId, &found) != size || found != location))
            entries << "differs from findSetting";
    }
    return entries;
}

} // namespace

Q_DECLARE_METATYPE(Lookup)

class TstSettingsStorage : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        SettingsStorage = TSettingsStorage{};
        setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
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
};

QTEST_GUILESS_MAIN(TstSettingsStorage)
#include "tst_settings_storage.moc"
