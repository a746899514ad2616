#include "peers/terminal/TerminalDevice.h"

#include "model/ParameterTable.h"
#include "model/SettingRecordReader.h"
#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"
#include "peers/terminal/EventLog.h"
#include "peers/terminal/FaultSwitches.h"
#include "transport/Crc32.h"
#include "transport/Packet.h"

#include <QDateTime>
#include <QStringList>
#include <QTextCodec>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <iterator>

namespace {

constexpr int TICK_MS = 1000;
constexpr int MAX_PADDING_VALUE = 200;
constexpr uint16_t SETTING_OUTPUT_1 = 1061;
constexpr uint16_t SETTING_ADD_SENSOR_MODE = 3368;
constexpr uint8_t SENSOR_FAMILY_THERMOMETER = 0x28;

constexpr uint8_t SERVER_STATES[MAX_SERVERS] = {1, 1, 0, 0, 1, 0, 0, 0};
// Connection types of servers 1-8: four of the first seven switched on, CSD off.
constexpr uint8_t SERVER_TYPES[MAX_SERVERS] = {1, 2, 0, 1, 0, 0, 3, 0};
constexpr const char *SERVER_ADDRESSES[MAX_SERVERS] = {
    "10.0.0.5:5555", "10.0.0.6:5556", "10.0.0.7:5557", "10.0.1.5:6000",
    "10.0.1.6:6001", "10.0.1.7:6002", "10.0.0.100:7000", "10.0.0.8:5558"};
constexpr uint16_t SESSION_HOLD[MAX_SERVERS] = {120, 120, 300, 60, 60, 60, 600, 180};
constexpr const char *PHONES[] = {"+79001234567", "+79007654321", "+79161112233"};
constexpr int DEFAULT_SENSORS = 3;

template <size_t N>
void putText(uint8_t (&field)[N], const char *text)
{
    std::memset(field, 0, N);
    const size_t n = qMin(std::strlen(text), N - 1);
    std::memcpy(field, text, n);
}

void putText(uint8_t *field, size_t room, const char *text)
{
    std::memset(field, 0, room);
    std::memcpy(field, text, qMin(std::strlen(text), room - 1));
}

void putU16(uint8_t *p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void putU32(uint8_t *p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

uint32_t getU32(const uint8_t *p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void putFloat(uint8_t *p, float v)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    putU32(p, bits);
}

// The CRC-8 that closes a 1-Wire ROM id (polynomial x^8 + x^5 + x^4 + 1, reflected).
uint8_t romCrc8(const uint8_t *data, int size)
{
    uint8_t crc = 0;
    for (int i = 0; i < size; ++i) {
        uint8_t byte = data[i];
        for (int bit = 0; bit < 8; ++bit) {
            const bool mix = ((crc ^ byte) & 1) != 0;
            crc >>= 1;
            if (mix)
                crc ^= 0x8C;
            byte >>= 1;
        }
    }
    return crc;
}

void makeSensorId(int serial, uint8_t *id)
{
    id[0] = SENSOR_FAMILY_THERMOMETER;
    id[1] = uint8_t(0x51 + serial * 0x13);
    id[2] = uint8_t(0xA0 + serial);
    id[3] = 0x7C;
    id[4] = uint8_t(0x16 ^ serial);
    id[5] = 0x04;
    id[6] = 0x00;
    id[7] = romCrc8(id, 7);
}

bool isEmptySlot(const uint8_t *id)
{
    for (int i = 0; i < SENSOR_ID_SIZE; ++i) {
        if (id[i] != 0)
            return false;
    }
    return true;
}

void putInterface(uint8_t *block, uint8_t baud, uint8_t stopBits, uint8_t parity, uint8_t dataBits,
                  uint16_t answerWaitMs, uint8_t mode, uint8_t attempts, uint16_t timeoutS, uint16_t pauseS)
{
    block[IFACE_BAUD] = baud;
    block[IFACE_STOP_BITS] = stopBits;
    block[IFACE_PARITY] = parity;
    block[IFACE_DATA_BITS] = dataBits;
    putU16(block + IFACE_ANSWER_WAIT, answerWaitMs);
    block[IFACE_SERVER_MODE] = mode;
    block[IFACE_ATTEMPTS] = attempts;
    putU16(block + IFACE_REQUEST_TIMEOUT, timeoutS);
    putU16(block + IFACE_ATTEMPT_PAUSE, pauseS);
}

} // namespace

TerminalDevice::TerminalDevice(const Config &config, FaultSwitches *faults, QObject *parent)
    : QObject(parent)
    , m_faults(faults)
    , m_config(config)
    , m_log(buildLog(config.logSize))
{
    std::memset(&SettingsStorage, 0, sizeof SettingsStorage);
    SettingsStorage.parameters.deviceType[0] = DEVICE_TYPE_F0;
    setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
    setFixedParameters();
    restoreFactorySettings();
    m_clock.start();
    tick();
    connect(&m_tickTimer, &QTimer::timeout, this, &TerminalDevice::tick);
    m_tickTimer.start(TICK_MS);
}

void TerminalDevice::setFixedParameters()
{
    TParameterValues &p = SettingsStorage.parameters;
    putText(p.firmwareVersion, "TRX-F0 3.7.12 (2024-03-11)");
    putText(p.gsmFirmwareVersion, "GSM 13.00.007");
    putText(p.imei, "861234050123457");
    putText(p.iccid, "89701010000012345678");
    p.protoVer[0] = 1;
    for (int i = 0; i < MAX_SERVERS; ++i)
        p.serverState[i][0] = SERVER_STATES[i];
    putU16(p.frequencyOutputs[0], 1000);
    putText(p.currentKey, "01000012AB34CD5E");
    putU16(p.mcc, 250);
    putU16(p.mnc, 1);
    putU32(p.lac, 0x2F1A);
    putU32(p.cellId, 0x0001C3A5);
    putU16(p.simBalance, 350);
    p.gsmJamming[0] = 0;
    putFloat(p.externalTemperatures[MISSING_SENSOR_SLOT], NO_SENSOR_TEMPERATURE);
}

void TerminalDevice::restoreFactorySettings()
{
    // The settings come before the state values in the record; the state stays.
    std::memset(&SettingsStorage, 0, offsetof(TSettingsStorage, parameters));
    for (int i = 0; i < MAX_SERVERS; ++i) {
        putText(SettingsStorage.servers[i], SERVER_TYPE_OFFSET, SERVER_ADDRESSES[i]);
        SettingsStorage.servers[i][SERVER_TYPE_OFFSET] = SERVER_TYPES[i];
        putU16(SettingsStorage.sessionHold[i], SESSION_HOLD[i]);
    }
    putText(SettingsStorage.sims[0] + 0, 30, "internet");
    putText(SettingsStorage.sims[0] + 30, 16, "gdata");
    putText(SettingsStorage.sims[0] + 46, 16, "gdata");
    putText(SettingsStorage.sims[1] + 0, 30, "m2m.trx");
    putText(SettingsStorage.balanceCodes[0], "*100#");
    putText(SettingsStorage.balanceCodes[1], "*102#");
    storePin(m_faults->pin);
    SettingsStorage.pinEnabled[0] = 1;
    for (size_t i = 0; i < std::size(PHONES); ++i)
        putText(SettingsStorage.phones[i], PHONES[i]);
    const uint8_t inputs[MAX_INPUTS][INPUT_ENTRY_SIZE] = {{0, 1}, {2, 1}, {3, 0}};
    std::memcpy(SettingsStorage.inputs, inputs, sizeof inputs);
    putInterface(SettingsStorage.rs232, 4, 1, 0, 0, 500, 0, 3, 60, 10);
    putInterface(SettingsStorage.rs485, 8, 1, 1, 1, 200, 1, 5, 120, 30);
    for (int i = 0; i < DEFAULT_SENSORS; ++i)
        makeSensorId(i, SettingsStorage.sensorIds[i]);
    SettingsStorage.csdInterface[0] = 9;
    m_enrolling = false;
    m_sensorAttached = false;
}

void TerminalDevice::storePin(const QByteArray &pin)
{
    std::memset(SettingsStorage.accessPin, 0, PIN_SIZE);
    std::memcpy(SettingsStorage.accessPin, pin.constData(), size_t(qMin(int(pin.size()), PIN_SIZE - 1)));
}

void TerminalDevice::reboot()
{
    m_uptime = 0;
    m_enrolling = false;
    m_sensorAttached = false;
    putU32(SettingsStorage.parameters.uptime, 0);
}

void TerminalDevice::tick()
{
    TParameterValues &p = SettingsStorage.parameters;
    const double t = double(m_clock.elapsed()) / 1000.0;
    putU32(p.uptime, m_uptime++);
    putU32(p.currentTime, uint32_t(QDateTime::currentSecsSinceEpoch()));
    for (int k = 0; k < 3; ++k) {
        putFloat(p.analogInputs[k], float(qBound(0.0, 5.0 + 4.5 * std::sin(t / 20.0 + k * 2.1), 10.0)));
        putFloat(p.frequencyInputs[k], float(50.0 * (k + 1) + 5.0 * std::sin(t / 9.0 + k)));
        putU32(p.pulseInputs[k], getU32(p.pulseInputs[k]) + uint32_t(k + 1));
    }
    p.digitalInputs[0][0] = uint8_t((int(t) / 7) % 2);
    p.digitalInputs[1][0] = 1;
    p.digitalInputs[2][0] = uint8_t((int(t) / 23) % 2);
    for (int k = 0; k < MAX_TEMPERATURE_SENSORS; ++k) {
        if (k != MISSING_SENSOR_SLOT)
            putFloat(p.externalTemperatures[k], float(19.0 + 0.5 * k + std::sin(t / 30.0 + k)));
    }
    putFloat(p.internalTemperature, float(25.0 + 3.0 * std::sin(t / 60.0)));
    putFloat(p.supplyVoltage, float(12.4 + 0.15 * std::sin(t / 15.0)));
    putFloat(p.externalSupplyVoltage, float(12.1 + 0.1 * std::sin(t / 11.0)));
    p.gsmSignal[0] = uint8_t(18 + std::lround(5.0 * std::sin(t / 25.0)));
    for (int k = 0; k < MAX_SERVERS; ++k) {
        if (!SERVER_STATES[k])
            continue;
        TTrafficCounters &c = p.traffic[k];
        putU32(c.sent, getU32(c.sent) + 120 + uint32_t(k) * 10);
        putU32(c.received, getU32(c.received) + 64 + uint32_t(k) * 5);
    }
}

bool TerminalDevice::readItem(uint16_t id, uint16_t subId, QByteArray *value) const
{
    const int row = parameterRowOfId(id);
    if (row >= 0) {
        const ParameterDescriptor &d = parameterRow(row);
        *value = QByteArray(reinterpret_cast<const char *>(d.value), d.size);
        return true;
    }
    uint8_t *location = nullptr;
    const uint8_t size = findSetting(id, subId, &location);
    if (size == 0)
        return false;
    *value = QByteArray(reinterpret_cast<const char *>(location), size);
    return true;
}

bool TerminalDevice::writeItem(uint16_t id, uint16_t subId, const QByteArray &value)
{
    uint8_t *location = nullptr;
    const uint8_t size = findSetting(id, subId, &location);
    if (size == 0 || size != value.size())
        return false;
    std::memcpy(location, value.constData(), size);

    if (id == SETTING_OUTPUT_1)
        EventLog::line(QStringLiteral("OUTPUT 1 %1").arg(value[0] ? 1 : 0));
    if (id == SETTING_ADD_SENSOR_MODE) {
        if (value[0] != 0) {
            m_enrolling = true;
            m_sensorAttached = m_faults->autoAttach;
            EventLog::line(QStringLiteral("ENROLMENT ON"));
        } else {
            if (m_enrolling && m_sensorAttached)
                enrolAttachedSensor();
            m_enrolling = false;
            m_sensorAttached = false;
            EventLog::line(QStringLiteral("ENROLMENT OFF"));
        }
    }
    return true;
}

bool TerminalDevice::attachSensor()
{
    if (!m_enrolling)
        return false;
    m_sensorAttached = true;
    return true;
}

void TerminalDevice::enrolAttachedSensor()
{
    const int slotCount = boundedCapabilities().temperatureSensorCount;
    for (int i = 0; i < slotCount; ++i) {
        uint8_t *slot = SettingsStorage.sensorIds[i];
        if (!isEmptySlot(slot))
            continue;
        makeSensorId(DEFAULT_SENSORS + m_sensorsMade++, slot);
        EventLog::line(QStringLiteral("SENSOR_ENROLLED %1 %2")
                           .arg(i)
                           .arg(QString::fromLatin1(QByteArray(reinterpret_cast<char *>(slot), SENSOR_ID_SIZE).toHex())));
        return;
    }
    EventLog::line(QStringLiteral("SENSOR_NO_SLOT"));
}

QByteArray TerminalDevice::baseFile() const
{
    QByteArray out;
    for (int index = 0; index < SETTINGS_IMAGE_MAX_ENTRIES; ++index) {
        uint16_t id = 0;
        uint16_t subId = 0;
        uint8_t *location = nullptr;
        const uint16_t size = enumerateSettings(uint16_t(index), &id, &subId, &location);
        if (size == 0)
            break;
        if (size == SETTING_SKIP)
            continue;
        Packet::appendU16(out, id);
        Packet::appendU16(out, subId);
        Packet::appendU16(out, size);
        out.append(reinterpret_cast<const char *>(location), size);
    }
    int remaining = m_config.baseSize - int(out.size());
    uint16_t padSub = 0;
    while (remaining >= SettingRecordReader::HEADER_SIZE) {
        int n = qMin(remaining - SettingRecordReader::HEADER_SIZE, MAX_PADDING_VALUE);
        const int left = remaining - SettingRecordReader::HEADER_SIZE - n;
        // Leave either nothing or room for a whole record.
        if (left > 0 && left < SettingRecordReader::HEADER_SIZE)
            n -= SettingRecordReader::HEADER_SIZE;
        Packet::appendU16(out, PADDING_ID);
        Packet::appendU16(out, padSub);
        Packet::appendU16(out, uint16_t(n));
        for (int i = 0; i < n; ++i)
            out.append(char((padSub + i) & 0xFF));
        ++padSub;
        remaining -= SettingRecordReader::HEADER_SIZE + n;
    }
    return out;
}

bool TerminalDevice::applySettingsImage(const QByteArray &image, int *applied)
{
    *applied = 0;
    if (image.size() < SETTINGS_IMAGE_RECORDS_OFFSET || !verify_settings_image(image))
        return false;
    QList<TSettingRecord> records;
    SettingRecordReader reader(image, SETTINGS_IMAGE_RECORDS_OFFSET);
    TSettingRecord record;
    while (reader.next(&record))
        records.append(record);
    // A cut record means a broken image: take none of it rather than half of it.
    if (reader.truncated())
        return false;
    for (const TSettingRecord &r : qAsConst(records)) {
        uint8_t *location = nullptr;
        if (findSetting(r.id, r.subId, &location) == r.size && r.size > 0) {
            std::memcpy(location, r.value.constData(), r.size);
            ++*applied;
        }
    }
    return true;
}

void TerminalDevice::keepFirmware(const QByteArray &image)
{
    m_firmware = image;
    EventLog::line(QStringLiteral("FIRMWARE %1 %2").arg(image.size()).arg(crc32(image), 8, 16, QLatin1Char('0')));
}

QByteArray TerminalDevice::buildLog(int size)
{
    static const char *const MESSAGES[] = {
        "Включение питания",
        "Инициализация GSM-модема",
        "SIM-карта 1 готова",
        "Регистрация в сети GSM, уровень сигнала %1",
        "Подключение GPRS",
        "Соединение с сервером 1 установлено",
        "Соединение с сервером 2 установлено",
        "Передано пакетов на сервер 1: %1",
        "Напряжение питания %1 В",
        "Сервер 3: нет ответа, повтор через 10 с",
        "Датчик 1-Wire 4 не найден",
        "Цифровой вход 1: состояние %1",
        "Сессия с сервером 2 закрыта по таймауту",
        "Синхронизация времени выполнена",
    };
    QTextCodec *codec = QTextCodec::codecForName("Windows-1251");
    QByteArray out;
    const QDateTime start(QDate(2024, 3, 11), QTime(8, 0, 0));
    for (int i = 0; out.size() < size; ++i) {
        QString message = QString::fromUtf8(MESSAGES[i % int(std::size(MESSAGES))]);
        if (message.contains(QLatin1String("%1")))
            message = message.arg(i % 2 ? QString::number(12 + i % 3) + QStringLiteral(",4") : QString::number(i * 7));
        const QString line = start.addSecs(i * 37).toString(QStringLiteral("dd.MM.yyyy hh:mm:ss ")) + message
                             + QStringLiteral("\r\n");
        out.append(codec ? codec->fromUnicode(line) : line.toLatin1());
    }
    out.truncate(qMax(size, 0));
    return out;
}
