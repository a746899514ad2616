#include "files/SettingsJson.h"
#include "model/SettingRecordReader.h"
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

// The node at a path of keys and indexes ("servers/2/type"), replaced or, without a value,
// removed; an index one past the end appends.
QJsonValue edited(const QJsonValue &node, QStringList path, const QJsonValue &value)
{
    const QString step = path.takeFirst();
    const bool remove = path.isEmpty() && value.isUndefined();
    if (node.isArray()) {
        QJsonArray array = node.toArray();
        const int i = step.toInt();
        const QJsonValue inner = path.isEmpty() ? value : edited(array.at(i), path, value);
        if (remove)
            array.removeAt(i);
        else if (i == array.size())
            array.append(inner);
        else
            array[i] = inner;
        return array;
    }
    QJsonObject object = node.toObject();
    if (remove)
        object.remove(step);
    else
        object[step] = path.isEmpty() ? value : edited(object.value(step), path, value);
    return object;
}

QJsonValue at(const QByteArray &json, const QString &path)
{
    QJsonValue node = QJsonDocument::fromJson(json).object();
    for (const QString &step : path.split('/'))
        node = node.isArray() ? node.toArray().at(step.toInt()) : node.toObject().value(step);
    return node;
}

} // namespace

class TestSettingsJson : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        SettingsStorage = TSettingsStorage{};
        setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
    }

    void importOfExportIsTheSameImage_data()
    {
        QTest::addColumn<bool>("distinct");
        QTest::addColumn<int>("sensors");
        QTest::newRow("every byte changed") << true << 10;
        QTest::newRow("editor values") << false << 10;
        QTest::newRow("no sensors") << true << 0;
    }

    void importOfExportIsTheSameImage()
    {
        QFETCH(bool, distinct);
        QFETCH(int, sensors);
        if (distinct)
            fillSettingsWithDistinctBytes(offsetof(TSettingsStorage, DeviceCapabilities), 7, 3);
        TSettingsStorage &s = SettingsStorage;
        s.DeviceCapabilities.temperatureSensorCount = uint8_t(sensors);
        if (!distinct) {
            std::strcpy(reinterpret_cast<char *>(s.servers[2]), "10.0.0.1:5000");
            std::memcpy(s.sims[0] + 30, "\xC8\xE2\xE0\xED", 4); // "Иван"
            s.pinEnabled[0] = 1;
            s.rs232[IFACE_BAUD] = 4;
            s.rs232[IFACE_PARITY] = s.rs232[IFACE_DATA_BITS] = 1;
            std::memcpy(s.sensorIds[2], "\x28\xFF\x4B\x3C\x05\x00\x00\xD1", SENSOR_ID_SIZE);
        }
        const QByteArray image = build_settings_image();
        QString error;
        const QByteArray json = SettingsJson::exportImage(image, &error, s.DeviceCapabilities);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QStringList errors;
        QCOMPARE(SettingsJson::importImage(json, &errors, s.DeviceCapabilities), image);
        QCOMPARE(errors, QStringList());
        QCOMPARE(at(json, "rs485/stop_bits/name").toString(), QStringLiteral("Интерфейс RS-485 / Длительность стоп-бита"));
        if (!distinct) {
            QCOMPARE(at(json, "servers/2/address/value").toString(), QStringLiteral("10.0.0.1:5000"));
            QCOMPARE(at(json, "sims/0/user/value").toString(), QStringLiteral("Иван"));
            QCOMPARE(at(json, "security/pin_enabled/value"), QJsonValue(true));
            QCOMPARE(at(json, "rs232/baud_rate/text").toString(), QStringLiteral("9600"));
            QCOMPARE(at(json, "rs232/data_bits/value"), QJsonValue(1));
            QCOMPARE(at(json, "sensors/2/value").toString(), QStringLiteral("D10000053C4BFF28"));
            // Zero is below the hold's range: kept exactly.
            QCOMPARE(at(json, "csd/session_hold/value/hex").toString(), QStringLiteral("0000"));
        }
    }

    void exportRefusesWhatItCannotGiveBack_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QString>("reason");
        init();
        const QByteArray image = build_settings_image();
        QVector<TSettingRecord> records = recordsOf(image);
        const QString lastMissing = QStringLiteral("нет настроек 3371/2 (Мультифункциональный вход 3)");
        // The cut byte is a zero, which the code's zero padding does not tell from no byte.
        QTest::newRow("cut inside a record") << image.left(image.size() - 1)
                                             << QStringLiteral("файл обрывается внутри записи по смещению 994; %1").arg(lastMissing);
        QTest::newRow("last setting missing") << build_settings_image(records.mid(0, records.size() - 1)) << lastMissing;
        QByteArray badCode = image;
        badCode[0] = char(badCode[0] ^ 1);
        QTest::newRow("code") << badCode << QStringLiteral("код подлинности не совпадает с содержимым");
        QTest::newRow("header") << image.left(8) + QByteArray(16, 'S') + image.mid(24) << QStringLiteral("заголовок не «SETTINGS» и восемь нулей");
        QTest::newRow("too short") << image.left(23) << QStringLiteral("23 байт: короче кода и заголовка файла настроек");
        std::swap(records[0], records[1]);
        QTest::newRow("order") << build_settings_image(records)
                               << QStringLiteral("по смещению 24 ожидается запись 3001/0 (Трансляция в RS-232 (сервер 1)) из 35 байт, "
                                                 "а там 3001/1 (Трансляция в RS-232 (сервер 2)) из 35 байт");
        std::swap(records[0], records[1]);
        records.append(records[0]);
        QTest::newRow("repeated") << build_settings_image(records) << QStringLiteral("лишняя запись 3001/0 (Трансляция в RS-232 (сервер 1)) по смещению 1002");
    }

    void exportRefusesWhatItCannotGiveBack()
    {
        QFETCH(QByteArray, image);
        QFETCH(QString, reason);
        QString error;
        QVERIFY(SettingsJson::exportImage(image, &error).isEmpty());
        QCOMPARE(error, reason);
    }

    void importNamesEachProblem_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("value"); // empty: the key is removed
        QTest::addColumn<QString>("problem");
        QTest::newRow("no such entry") << "servers/2/type/value" << QByteArray("7") << "$.servers[2].type: 7 не из значений 0, 1, 2";
        QTest::newRow("entries follow parity") << "rs232/data_bits/value" << QByteArray("1") << "$.rs232.data_bits: 1 не из значений 0";
        QTest::newRow("range") << "servers/0/session_hold/value" << QByteArray("65001")
                               << "$.servers[0].session_hold: 65001 вне диапазона 1…65000";
        QTest::newRow("fraction") << "rs232/attempts/value" << QByteArray("1.5") << "$.rs232.attempts: 1.5 не целое неотрицательное число";
        QTest::newRow("long text") << "sims/0/apn/value" << QByteArray('"' + QByteArray(30, 'a') + '"') << "$.sims[0].apn: 30 байт, а поле вмещает 29";
        QTest::newRow("not Windows-1251") << "sims/1/user/value" << QByteArray("\"a\xE6\x97\xA5\"")
                                          << "$.sims[1].user: символ U+65E5 не записать в Windows-1251";
        QTest::newRow("zero in text") << "phones/3/value" << QByteArray("\"1\\u0000\"") << "$.phones[3]: символ U+0000 не записать в Windows-1251";
        QTest::newRow("type") << "phones/3/value" << QByteArray("5") << "$.phones[3]: ожидается строка, а не число";
        QTest::newRow("check") << "security/pin_enabled/value" << QByteArray("\"yes\"")
                               << "$.security.pin_enabled: ожидается true или false, а не строка";
        QTest::newRow("hex id") << "sensors/0/value" << QByteArray("\"12\"") << "$.sensors[0]: ожидается строка из 16 шестнадцатеричных цифр";
        QTest::newRow("exact form") << "servers/0/address/value" << QByteArray("{\"hex\": \"00\"}")
                                    << "$.servers[0].address: ожидается {\"hex\": \"...\"} из 68 шестнадцатеричных цифр";
        QTest::newRow("missing") << "rs485/parity" << QByteArray() << "$.rs485.parity: отсутствует";
        QTest::newRow("missing value") << "csd/type/value" << QByteArray() << "$.csd.type.value: отсутствует";
        QTest::newRow("missing group") << "inputs" << QByteArray() << "$.inputs: отсутствует";
        QTest::newRow("unknown key") << "rs232/speed" << QByteArray("1") << "$.rs232.speed: неизвестный ключ";
        QTest::newRow("unknown leaf key") << "rs232/parity/unit" << QByteArray("1") << "$.rs232.parity.unit: неизвестный ключ";
        QTest::newRow("array length") << "sims/2" << QByteArray("{}") << "$.sims: элементов 3, ожидается 2";
        QTest::newRow("element type") << "inputs/1" << QByteArray("[]") << "$.inputs[1]: ожидается объект, а не массив";
        QTest::newRow("version") << "version" << QByteArray("2") << "$.version: ожидается версия 1";
    }

    void importNamesEachProblem()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, value);
        QFETCH(QString, problem);
        const QByteArray json = SettingsJson::exportImage(build_settings_image(), nullptr);
        const QJsonValue replacement = value.isEmpty() ? QJsonValue(QJsonValue::Undefined)
                                                       : QJsonDocument::fromJson("[" + value + "]").array().at(0);
        const QJsonValue changed = edited(QJsonDocument::fromJson(json).object(), path.split('/'), replacement);
        QStringList errors;
        QVERIFY(SettingsJson::importImage(QJsonDocument(changed.toObject()).toJson(), &errors).isEmpty());
        QCOMPARE(errors, QStringList{problem});
    }

    void importRefusesWhatIsNoDocument()
    {
        QStringList errors;
        QVERIFY(SettingsJson::importImage("{\"format\": ", &errors).isEmpty());
        QVERIFY2(errors.size() == 1 && errors[0].startsWith("$: не JSON: "), qPrintable(errors.join('\n')));
        QVERIFY(SettingsJson::importImage("[]", &errors).isEmpty());
        QCOMPARE(errors, QStringList{"$: ожидается объект"});
    }
};

QTEST_GUILESS_MAIN(TestSettingsJson)
#include "test_settings_json.moc"
