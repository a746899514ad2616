// The field table against the records, images built from records, and the comparison.

#include "model/SettingRecordReader.h"
#include "model/SettingsDiff.h"
#include "model/SettingsFields.h"
#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"
#include "support/DistinctSettings.h"

#include <QtTest>
#include <cstddef>
#include <cstring>

namespace {

QVector<TSettingRecord> recordsOf(const QByteArray &image)
{
    QVector<TSettingRecord> records;
    SettingRecordReader reader(image, SETTINGS_IMAGE_RECORDS_OFFSET);
    TSettingRecord r;
    while (reader.next(&r))
        records.append(r);
    return records;
}

QStringList lines(const QVector<TSettingDifference> &differences)
{
    QStringList out;
    for (const TSettingDifference &d : differences)
        out << QStringList{d.key, d.name, d.before, d.after}.join(QLatin1Char('|'));
    return out;
}

QString bytes(const QByteArray &b)
{
    return QStringLiteral("байты ") + QString::fromLatin1(b.toHex(' ').toUpper());
}

} // namespace

Q_DECLARE_METATYPE(TDeviceCapabilities)

class TstSettingsCompare : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        SettingsStorage = TSettingsStorage{};
        setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
    }

    void fieldsCoverEveryRecordByteOnce_data()
    {
        QTest::addColumn<TDeviceCapabilities>("counts");
        QTest::addColumn<int>("records");
        TDeviceCapabilities none{};
        TDeviceCapabilities noSensors = DEVICE_F0_CAPABILITIES;
        noSensors.temperatureSensorCount = 0;
        TDeviceCapabilities above;
        std::memset(&above, 255, sizeof above);
        QTest::newRow("type F0") << DEVICE_F0_CAPABILITIES << 49;
        QTest::newRow("no sensors") << noSensors << 38;
        QTest::newRow("no counts") << none << 21;
        QTest::newRow("counts above room") << above << 49;
    }

    void fieldsCoverEveryRecordByteOnce()
    {
        QFETCH(TDeviceCapabilities, counts);
        QFETCH(int, records);
        QHash<QPair<int, int>, QVector<int>> owners;
        for (const TSettingRecord &r : settings_layout(counts))
            owners.insert({r.id, r.subId}, QVector<int>(r.size));
        QCOMPARE(owners.size(), records);
        QSet<QString> keys;
        for (const TSettingFieldRef &ref : SettingsFields::instances(counts)) {
            const QString key = SettingsFields::key(ref);
            QVERIFY2(!keys.contains(key), qPrintable(key));
            keys.insert(key);
            QVector<int> &owner = owners[{ref.field->id, ref.subId()}];
            QVERIFY2(ref.field->offset + ref.field->room <= owner.size(), qPrintable(key));
            for (int b = ref.field->offset; b < ref.field->offset + ref.field->room; ++b)
                ++owner[b];
        }
        for (auto it = owners.cbegin(); it != owners.cend(); ++it)
            QVERIFY2(it.value() == QVector<int>(it.value().size(), 1),
                     qPrintable(QString("%1/%2").arg(it.key().first).arg(it.key().second)));
    }

    void imageOfRecordsIsTheStoragesImage()
    {
        fillSettingsWithDistinctBytes(offsetof(TSettingsStorage, DeviceCapabilities), 11, 5);
        const QByteArray image = build_settings_image();
        QCOMPARE(build_settings_image(recordsOf(image)), image);

        TSettingRecord huge;
        huge.value = QByteArray(0xFFFF - SETTINGS_IMAGE_HEADER_SIZE - 5, 'x');
        QVERIFY(build_settings_image({huge}).isEmpty());
        huge.value.chop(1);
        QCOMPARE(build_settings_image({huge}).size(), 8 + 0xFFFF);
    }

    void changedFieldsShowAsTheEditorsShowThem_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QStringList>("expected");
        const TSettingsStorage &s = SettingsStorage;
        auto at = [&s](const void *field) { return int(static_cast<const uint8_t *>(field) - reinterpret_cast<const uint8_t *>(&s)); };
        QTest::newRow("address") << at(s.servers[2]) << QByteArray("10.0.0.1:5000")
                                 << QStringList{"servers[2].address|Трансляция в RS-232 (сервер 3) / Адрес сервера||10.0.0.1:5000"};
        QTest::newRow("engineering type") << at(s.servers[6] + SERVER_TYPE_OFFSET) << QByteArray("\3")
                                          << QStringList{"servers[6].type|Инженерный сервер (7) / Тип соединения|Выключен|Включен"};
        QTest::newRow("address tail no editor shows")
            << at(s.servers[0] + 32) << QByteArray("A")
            << QStringList{"servers[0].address|Трансляция в RS-232 (сервер 1) / Адрес сервера||"
                           + bytes(QByteArray(32, '\0') + QByteArray("A\0", 2))};
        QTest::newRow("hidden CSD address") << at(s.servers[7]) << QByteArray("x")
                                            << QStringList{"csd.address|CSD-соединение / Адрес сервера||x"};
        QTest::newRow("number with unit") << at(s.sessionHold[7]) << QByteArray("\x2C\x01")
                                          << QStringList{"csd.session_hold|CSD-соединение / Время удержания сессии, сек|0 сек|300 сек"};
        QTest::newRow("combo value without entry") << at(s.csdInterface) << QByteArray("\x0A")
                                                   << QStringList{"csd.interface|CSD-соединение / Тип интерфейса|неизвестное значение (0)|RS-485"};
        QTest::newRow("sensor id") << at(s.sensorIds[2]) << QByteArray::fromHex("28FF4B3C050000D1")
                                   << QStringList{"sensors[2]|Внешние датчики температуры / Датчик температуры 3|0000000000000000|D10000053C4BFF28"};
        QTest::newRow("check") << at(s.pinEnabled) << QByteArray("\1")
                               << QStringList{"security.pin_enabled|Включить доступ по пин-коду|нет|да"};
        // Parity switches the data bits' entries: "8 бит" on both sides, the bytes tell them apart.
        QTest::newRow("data bits alike") << at(s.rs485 + IFACE_PARITY) << QByteArray("\1\1")
                                         << QStringList{"rs485.data_bits|Интерфейс RS-485 / Количество бит данных|8 бит (байты 00)|8 бит (байты 01)",
                                                        "rs485.parity|Интерфейс RS-485 / Контроль четности|Нет|Even"};
        QTest::newRow("text past its zero") << at(s.phones[9]) << QByteArray("12\0003", 4)
                                            << QStringList{"phones[9]|Авторизованные телефоны / Номер телефона 10||"
                                                           + bytes(QByteArray("12\0003", 4) + QByteArray(9, '\0'))};
    }

    void changedFieldsShowAsTheEditorsShowThem()
    {
        QFETCH(int, offset);
        QFETCH(QByteArray, value);
        QFETCH(QStringList, expected);
        const QByteArray before = build_settings_image();
        std::memcpy(reinterpret_cast<char *>(&SettingsStorage) + offset, value.constData(), size_t(value.size()));
        const QByteArray after = build_settings_image();
        QCOMPARE(lines(SettingsDiff::compare(before, after)), expected);
        QVERIFY(SettingsDiff::compare(after, after).isEmpty());
    }

    void recordsMissingOrUnknownStillShow()
    {
        const QByteArray image = build_settings_image();
        QVector<TSettingRecord> records = recordsOf(image);
        records.removeLast(); // 3371/2
        records[17].value = QByteArray(2, '\0'); // 3252/0 of another size
        TSettingRecord unknown;
        unknown.id = 3353;
        unknown.value = "\x05";
        records.append(unknown);
        const QString missing = QStringLiteral("запись отсутствует");
        QCOMPARE(lines(SettingsDiff::compare(image, build_settings_image(records))),
                 (QStringList{"security.pin_enabled|Включить доступ по пин-коду|нет|" + missing,
                              "inputs[2].type|Мультифункциональный вход 3 / Тип входа|Цифровой|" + missing,
                              "inputs[2].active_level|Мультифункциональный вход 3 / Активный уровень|Низкий|" + missing,
                              "records[3252/0]|Запись 3252/0|байты 00|байты 00 00",
                              "records[3353/0]|Запись 3353/0|" + missing + "|байты 05"}));

        // A file cut inside its last record lacks that record.
        QCOMPARE(SettingsDiff::compare(image.left(image.size() - 1), image).size(), 2);
        QCOMPARE(SettingsDiff::compare(QByteArray(), image).size(), SettingsFields::instances().size());
    }
};

QTEST_GUILESS_MAIN(TstSettingsCompare)
#include "tst_settings_compare.moc"
