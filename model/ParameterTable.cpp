#include "model/ParameterTable.h"

#include "model/TerminalText.h"

#include "model/ModelLog.h"
#include "model/SettingsStorage.h"

#include <QCoreApplication>
#include <QVector>
#include <cstddef>
#include <cstring>
#include <iterator>

namespace {

// Deliberately not constexpr: reaching one of these while the table is built at compile time
// stops the build with the function's name in the error.
void nameHasCharacterOutsideWindows1251() {}
void nameDoesNotFitItsField() {}
void rowSizeDiffersFromField() {}

// UTF-8 to Windows-1251 for the characters the names use: ASCII, А..я, Ё and ё.
template <std::size_t L>
constexpr void toWindows1251(const char (&utf8)[L], char (&out)[sizeof(ParameterDescriptor::name)])
{
    std::size_t o = 0;
    for (std::size_t i = 0; i + 1 < L;) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        unsigned char byte = 0;
        if (lead < 0x80) {
            byte = lead;
            i += 1;
        } else if ((lead == 0xD0 || lead == 0xD1) && i + 2 < L
                   && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
            const unsigned cp = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            if (cp >= 0x410 && cp <= 0x44F)
                byte = static_cast<unsigned char>(0xC0 + (cp - 0x410));
            else if (cp == 0x401)
                byte = 0xA8;
            else if (cp == 0x451)
                byte = 0xB8;
            else
                nameHasCharacterOutsideWindows1251();
            i += 2;
        } else {
            nameHasCharacterOutsideWindows1251();
            i += 1;
        }
        // The last byte of the field stays NUL.
        if (o + 1 >= sizeof(out))
            nameDoesNotFitItsField();
        out[o++] = static_cast<char>(byte);
    }
}

template <std::size_t L, std::size_t N>
constexpr ParameterDescriptor row(uint16_t id, const char (&utf8)[L], uint8_t (&field)[N], uint8_t size,
                                  ParameterType type)
{
    if (size != N)
        rowSizeDiffersFromField();
    ParameterDescriptor d{};
    d.id = id;
    toWindows1251(utf8, d.name);
    d.value = field;
    d.size = size;
    d.type = type;
    return d;
}

constexpr TParameterValues &P = SettingsStorage.parameters;

constexpr ParameterDescriptor TABLE[] = {
    row(1, QT_TRANSLATE_NOOP("ParameterTable", "Тип устройства"), P.deviceType, 1, PARAM_U8),
    row(2, QT_TRANSLATE_NOOP("ParameterTable", "Версия прошивки"), P.firmwareVersion, 50, PARAM_TEXT),
    row(3, QT_TRANSLATE_NOOP("ParameterTable", "Версия прошивки GSM"), P.gsmFirmwareVersion, 36, PARAM_TEXT),
    row(5, "IMEI", P.imei, 16, PARAM_TEXT),
    row(8, QT_TRANSLATE_NOOP("ParameterTable", "ICCID SIM-карты"), P.iccid, 40, PARAM_TEXT),
    row(9, QT_TRANSLATE_NOOP("ParameterTable", "Время работы устройства"), P.uptime, 4, PARAM_U32),
    row(10, QT_TRANSLATE_NOOP("ParameterTable", "Текущее время"), P.currentTime, 4, PARAM_U32),
    row(PROTO_VER_ID, "proto_ver", P.protoVer, 1, PARAM_U8),
    row(17, QT_TRANSLATE_NOOP("ParameterTable", "Соединение с сервером 1"), P.serverState[0], 1, PARAM_U8),
    row(18, QT_TRANSLATE_NOOP("ParameterTable", "Соединение с сервером 2"), P.serverState[1], 1, PARAM_U8),
    row(19, QT_TRANSLATE_NOOP("ParameterTable", "Соединение с сервером 3"), P.serverState[2], 1, PARAM_U8),
    row(20, QT_TRANSLATE_NOOP("ParameterTable", "Соединение с сервером 4"), P.serverState[3], 1, PARAM_U8),
    row(21, QT_TRANSLATE_NOOP("ParameterTable", "Соединение с сервером 5"), P.serverState[4], 1, PARAM_U8),
    row(22, QT_TRANSLATE_NOOP("ParameterTable", "Соединение с сервером 6"), P.serverState[5], 1, PARAM_U8),
    row(23, QT_TRANSLATE_NOOP("ParameterTable", "Соединение с сервером 7"), P.serverState[6], 1, PARAM_U8),
    row(24, QT_TRANSLATE_NOOP("ParameterTable", "Соединение с сервером 8"), P.serverState[7], 1, PARAM_U8),
    row(1001, QT_TRANSLATE_NOOP("ParameterTable", "Аналоговый вход 1"), P.analogInputs[0], 4, PARAM_FLOAT),
    row(1002, QT_TRANSLATE_NOOP("ParameterTable", "Аналоговый вход 2"), P.analogInputs[1], 4, PARAM_FLOAT),
    row(1003, QT_TRANSLATE_NOOP("ParameterTable", "Аналоговый вход 3"), P.analogInputs[2], 4, PARAM_FLOAT),
    row(1041, QT_TRANSLATE_NOOP("ParameterTable", "Цифровой вход 1"), P.digitalInputs[0], 1, PARAM_FLAG),
    row(1042, QT_TRANSLATE_NOOP("ParameterTable", "Цифровой вход 2"), P.digitalInputs[1], 1, PARAM_FLAG),
    row(1043, QT_TRANSLATE_NOOP("ParameterTable", "Цифровой вход 3"), P.digitalInputs[2], 1, PARAM_FLAG),
    row(1061, QT_TRANSLATE_NOOP("ParameterTable", "Цифровой выход 1"), P.digitalOutputs[0], 1, PARAM_FLAG),
    row(1081, QT_TRANSLATE_NOOP("ParameterTable", "Импульсный вход 1"), P.pulseInputs[0], 4, PARAM_U32),
    row(1082, QT_TRANSLATE_NOOP("ParameterTable", "Импульсный вход 2"), P.pulseInputs[1], 4, PARAM_U32),
    row(1083, QT_TRANSLATE_NOOP("ParameterTable", "Импульсный вход 3"), P.pulseInputs[2], 4, PARAM_U32),
    row(1101, QT_TRANSLATE_NOOP("ParameterTable", "Частотный вход 1"), P.frequencyInputs[0], 4, PARAM_FLOAT),
    row(1102, QT_TRANSLATE_NOOP("ParameterTable", "Частотный вход 2"), P.frequencyInputs[1], 4, PARAM_FLOAT),
    row(1103, QT_TRANSLATE_NOOP("ParameterTable", "Частотный вход 3"), P.frequencyInputs[2], 4, PARAM_FLOAT),
    row(1121, QT_TRANSLATE_NOOP("ParameterTable", "Частотный выход 1"), P.frequencyOutputs[0], 2, PARAM_U16),
    row(1259, QT_TRANSLATE_NOOP("ParameterTable", "Текущий ключ"), P.currentKey, 17, PARAM_TEXT),
    row(1181, QT_TRANSLATE_NOOP("ParameterTable", "Внешний датчик температуры 1"), P.externalTemperatures[0], 4, PARAM_FLOAT),
    row(1182, QT_TRANSLATE_NOOP("ParameterTable", "Внешний датчик температуры 2"), P.externalTemperatures[1], 4, PARAM_FLOAT),
    row(1183, QT_TRANSLATE_NOOP("ParameterTable", "Внешний датчик температуры 3"), P.externalTemperatures[2], 4, PARAM_FLOAT),
    row(1184, QT_TRANSLATE_NOOP("ParameterTable", "Внешний датчик температуры 4"), P.externalTemperatures[3], 4, PARAM_FLOAT),
    row(1185, QT_TRANSLATE_NOOP("ParameterTable", "Внешний датчик температуры 5"), P.externalTemperatures[4], 4, PARAM_FLOAT),
    row(1186, QT_TRANSLATE_NOOP("ParameterTable", "Внешний датчик температуры 6"), P.externalTemperatures[5], 4, PARAM_FLOAT),
    row(1187, QT_TRANSLATE_NOOP("ParameterTable", "Внешний датчик температуры 7"), P.externalTemperatures[6], 4, PARAM_FLOAT),
    row(1188, QT_TRANSLATE_NOOP("ParameterTable", "Внешний датчик температуры 8"), P.externalTemperatures[7], 4, PARAM_FLOAT),
    row(1189, QT_TRANSLATE_NOOP("ParameterTable", "Внешний датчик температуры 9"), P.externalTemperatures[8], 4, PARAM_FLOAT),
    row(1190, QT_TRANSLATE_NOOP("ParameterTable", "Внешний датчик температуры 10"), P.externalTemperatures[9], 4, PARAM_FLOAT),
    row(1250, QT_TRANSLATE_NOOP("ParameterTable", "Внутренний датчик температуры"), P.internalTemperature, 4, PARAM_FLOAT),
    row(1252, QT_TRANSLATE_NOOP("ParameterTable", "Напряжение питания"), P.supplyVoltage, 4, PARAM_FLOAT),
    row(1253, QT_TRANSLATE_NOOP("ParameterTable", "Напряжение питания внешних устройств"), P.externalSupplyVoltage, 4, PARAM_FLOAT),
    row(2001, "MCC", P.mcc, 2, PARAM_U16),
    row(2002, "MNC", P.mnc, 2, PARAM_U16),
    row(2003, "LAC", P.lac, 4, PARAM_U32),
    row(2004, "CELLID", P.cellId, 4, PARAM_U32),
    row(2005, QT_TRANSLATE_NOOP("ParameterTable", "Уровень сигнала GSM"), P.gsmSignal, 1, PARAM_U8),
    row(2006, QT_TRANSLATE_NOOP("ParameterTable", "Баланс SIM"), P.simBalance, 2, PARAM_U16),
    row(2007, QT_TRANSLATE_NOOP("ParameterTable", "Датчик глушения GSM"), P.gsmJamming, 1, PARAM_FLAG),
    // Counters are listed sent first, by server; storage keeps each server's pair received first.
    row(2008, QT_TRANSLATE_NOOP("ParameterTable", "Передано байт на сервер 1"), P.traffic[0].sent, 4, PARAM_U32),
    row(2009, QT_TRANSLATE_NOOP("ParameterTable", "Передано байт на сервер 2"), P.traffic[1].sent, 4, PARAM_U32),
    row(2010, QT_TRANSLATE_NOOP("ParameterTable", "Передано байт на сервер 3"), P.traffic[2].sent, 4, PARAM_U32),
    row(2011, QT_TRANSLATE_NOOP("ParameterTable", "Передано байт на сервер 4"), P.traffic[3].sent, 4, PARAM_U32),
    row(2016, QT_TRANSLATE_NOOP("ParameterTable", "Передано байт на сервер 5"), P.traffic[4].sent, 4, PARAM_U32),
    row(2017, QT_TRANSLATE_NOOP("ParameterTable", "Передано байт на сервер 6"), P.traffic[5].sent, 4, PARAM_U32),
    row(2018, QT_TRANSLATE_NOOP("ParameterTable", "Передано байт на сервер 7"), P.traffic[6].sent, 4, PARAM_U32),
    row(2019, QT_TRANSLATE_NOOP("ParameterTable", "Передано байт на сервер 8"), P.traffic[7].sent, 4, PARAM_U32),
    row(2012, QT_TRANSLATE_NOOP("ParameterTable", "Принято байт от сервера 1"), P.traffic[0].received, 4, PARAM_U32),
    row(2013, QT_TRANSLATE_NOOP("ParameterTable", "Принято байт от сервера 2"), P.traffic[1].received, 4, PARAM_U32),
    row(2014, QT_TRANSLATE_NOOP("ParameterTable", "Принято байт от сервера 3"), P.traffic[2].received, 4, PARAM_U32),
    row(2015, QT_TRANSLATE_NOOP("ParameterTable", "Принято байт от сервера 4"), P.traffic[3].received, 4, PARAM_U32),
    row(2020, QT_TRANSLATE_NOOP("ParameterTable", "Принято байт от сервера 5"), P.traffic[4].received, 4, PARAM_U32),
    row(2021, QT_TRANSLATE_NOOP("ParameterTable", "Принято байт от сервера 6"), P.traffic[5].received, 4, PARAM_U32),
    row(2022, QT_TRANSLATE_NOOP("ParameterTable", "Принято байт от сервера 7"), P.traffic[6].received, 4, PARAM_U32),
    row(2023, QT_TRANSLATE_NOOP("ParameterTable", "Принято байт от сервера 8"), P.traffic[7].received, 4, PARAM_U32),
};

constexpr int sumOfSizes()
{
    int sum = 0;
    for (const ParameterDescriptor &d : TABLE)
        sum += d.size;
    return sum;
}

static_assert(std::size(TABLE) == PARAMETER_COUNT, "the parameter table has a fixed number of rows");
// With every row's size equal to its field's, this says that each field has exactly one row.
static_assert(sumOfSizes() == sizeof(TParameterValues), "every parameter field belongs to one row");
static_assert(TABLE[0].id == 1 && TABLE[0].name[0] == static_cast<char>(0xD2), "row 0 is the device type");

const ParameterDescriptor NO_ROW{};

} // namespace

const ParameterDescriptor &parameterRow(int row)
{
    if (row < 0 || row >= PARAMETER_COUNT) {
        qCWarning(lcModel) << "[parameterRow] ERROR row out of range:" << row;
        return NO_ROW;
    }
    return TABLE[row];
}

int parameterRowOfId(uint16_t id)
{
    for (int k = 0; k < PARAMETER_COUNT; ++k) {
        if (TABLE[k].id == id)
            return k;
    }
    return -1;
}

static QString decodeName(int row)
{
    const ParameterDescriptor &d = parameterRow(row);
    const int length = int(strnlen(d.name, sizeof(d.name)));
    return TerminalText::decode(QByteArray(d.name, length));
}

QString parameterName(int row)
{
    // Decoded once: every state refresh shows a name per row. The source text is the key
    // of its translation, looked up each time: the language may be chosen after the first call.
    static const QVector<QByteArray> names = [] {
        QVector<QByteArray> all;
        for (int k = 0; k < PARAMETER_COUNT; ++k)
            all.append(decodeName(k).toUtf8());
        return all;
    }();
    if (row < 0 || row >= names.size())
        return decodeName(row);
    return QCoreApplication::translate("ParameterTable", names.at(row).constData());
}

// How each group's bounds are found: the row holding firstId starts it; the row holding
// lastId, moved by lastOffset, ends it (the I/O group ends before the network's first row).
struct GroupScan {
    uint16_t firstId;
    uint16_t lastId;
    int lastOffset;
};

constexpr GroupScan GROUP_SCANS[] = {
    {2, 24, 0},       // GROUP_SYSTEM
    {1001, 2001, -1}, // GROUP_IO
    {2001, 2023, 0},  // GROUP_NETWORK
    {1, 1, 0},        // GROUP_DEVICE_TYPE: id 1 is row 0, which is never scanned
};

void groupBounds(ParameterGroup group, uint16_t *first, uint16_t *last)
{
    uint16_t f = 0;
    uint16_t l = 0;
    if (group >= 0 && group < int(std::size(GROUP_SCANS))) {
        const GroupScan &scan = GROUP_SCANS[group];
        // Row 0 is never examined, so the device-type group stays at row 0.
        for (uint16_t k = 1; k < PARAMETER_COUNT; ++k) {
            const uint16_t id = TABLE[k].id;
            if (id == scan.firstId)
                f = k;
            if (id == scan.lastId)
                l = uint16_t(k + scan.lastOffset);
        }
    }
    if (first)
        *first = f;
    if (last)
        *last = l;
}

void initConstantParameters()
{
    SettingsStorage.parameters.protoVer[0] = 1;
}
