#include "model/ParameterTable.h"
#include "model/SettingsStorage.h"

#include <QtTest>

class TstParameterTable : public QObject
{
    Q_OBJECT
private slots:
    void init() { SettingsStorage = TSettingsStorage{}; }
    void groupBoundsFollowTheScan_data();
    void groupBoundsFollowTheScan();
    void spotRows_data();
    void spotRows();
    void namesAreWindows1251Bytes();
    void valueFieldsTileTheParameterSection();
    void sharedFieldsAreTheSettingsStorage();
    void rowOutOfRangeIsEmpty();
};

void TstParameterTable::groupBoundsFollowTheScan_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::newRow("system") << int(GROUP_SYSTEM) << 1 << 15;
    QTest::newRow("io ends before 2001") << int(GROUP_IO) << 16 << 43;
    QTest::newRow("network") << int(GROUP_NETWORK) << 44 << 66;
    QTest::newRow("device type is row 0 alone") << int(GROUP_DEVICE_TYPE) << 0 << 0;
    QTest::newRow("unknown code") << 9 << 0 << 0;
}

void TstParameterTable::groupBoundsFollowTheScan()
{
    QFETCH(int, group);
    QFETCH(int, first);
    QFETCH(int, last);
    uint16_t f = 0xFFFF;
    uint16_t l = 0xFFFF;
    groupBounds(ParameterGroup(group), &f, &l);
    QCOMPARE(int(f), first);
    QCOMPARE(int(l), last);
}

void TstParameterTable::spotRows_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("type");
    QTest::newRow("0") << 0 << 1 << QStringLiteral("Тип устройства") << 1 << int(PARAM_U8);
    QTest::newRow("7") << 7 << 12 << QStringLiteral("proto_ver") << 1 << int(PARAM_U8);
    QTest::newRow("30") << 30 << 1259 << QStringLiteral("Текущий ключ") << 17 << int(PARAM_TEXT);
    QTest::newRow("43") << 43 << 1253 << QStringLiteral("Напряжение питания внешних устройств") << 4
                        << int(PARAM_FLOAT);
    QTest::newRow("55") << 55 << 2016 << QStringLiteral("Передано байт на сервер 5") << 4 << int(PARAM_U32);
    QTest::newRow("66") << 66 << 2023 << QStringLiteral("Принято байт от сервера 8") << 4 << int(PARAM_U32);
}

void TstParameterTable::spotRows()
{
    QFETCH(int, row);
    QFETCH(int, id);
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(int, type);
    const ParameterDescriptor &d = parameterRow(row);
    QCOMPARE(int(d.id), id);
    QCOMPARE(parameterName(row), name);
    QCOMPARE(int(d.size), size);
    QCOMPARE(int(d.type), type);
    QCOMPARE(parameterRowOfId(uint16_t(id)), row);
    if (id == PROTO_VER_ID) {
        initConstantParameters();
        QCOMPARE(int(d.value[0]), 1);
    }
}

void TstParameterTable::namesAreWindows1251Bytes()
{
    // "Тип устройства": й at 0xE9, the space stays ASCII, NUL after the last letter.
    const QByteArray expected = QByteArray::fromHex("d2e8ef20f3f1f2f0eee9f1f2e2e000");
    QCOMPARE(QByteArray(parameterRow(0).name, expected.size()), expected);
    // я is the last code of the range.
    QVERIFY(QByteArray(parameterRow(42).name).contains(char(0xFF)));
    for (int row = 0; row < PARAMETER_COUNT; ++row)
        QVERIFY(parameterRow(row).name[sizeof(ParameterDescriptor::name) - 1] == '\0');
}

void TstParameterTable::valueFieldsTileTheParameterSection()
{
    // Every row owns its own bytes of the parameter section and no row strays outside it.
    const auto *base = reinterpret_cast<const uint8_t *>(&SettingsStorage.parameters);
    QVector<int> owner(int(sizeof(TParameterValues)), -1);
    for (int row = 0; row < PARAMETER_COUNT; ++row) {
        const ParameterDescriptor &d = parameterRow(row);
        const std::ptrdiff_t at = d.value - base;
        QVERIFY2(at >= 0 && at + d.size <= std::ptrdiff_t(sizeof(TParameterValues)), qPrintable(QString::number(row)));
        for (int i = 0; i < d.size; ++i) {
            QVERIFY2(owner[int(at) + i] == -1, qPrintable(QString::number(row)));
            owner[int(at) + i] = row;
        }
    }
    QVERIFY(!owner.contains(-1));
}

void TstParameterTable::sharedFieldsAreTheSettingsStorage()
{
    TTrafficCounters &third = SettingsStorage.parameters.traffic[2];
    QVERIFY(parameterRow(parameterRowOfId(2010)).value == third.sent);
    QVERIFY(parameterRow(parameterRowOfId(2014)).value == third.received);
    QVERIFY(parameterRow(parameterRowOfId(2020)).value == SettingsStorage.parameters.traffic[4].received);
    QVERIFY(parameterRow(parameterRowOfId(1061)).value == SettingsStorage.parameters.digitalOutputs[0]);

    setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
    for (uint16_t id : {1061, 2008, 2011, 2012, 2015, 2016, 2019, 2020, 2023}) {
        uint8_t *location = nullptr;
        QVERIFY(findSetting(id, 0, &location) != 0);
        QVERIFY2(location == parameterRow(parameterRowOfId(id)).value, qPrintable(QString::number(id)));
    }
}

void TstParameterTable::rowOutOfRangeIsEmpty()
{
    QCOMPARE(int(parameterRow(PARAMETER_COUNT).size), 0);
    QCOMPARE(int(parameterRow(-1).id), 0);
    QCOMPARE(parameterName(PARAMETER_COUNT), QString());
    QCOMPARE(parameterRowOfId(4), -1);
}

QTEST_GUILESS_MAIN(TstParameterTable)
#include "tst_parameter_table.moc"
