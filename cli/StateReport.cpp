#include "cli/StateReport.h"

#include "cli/TextTable.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace {

constexpr uint16_t DEVICE_TYPE_ID = 1;
constexpr uint16_t CURRENT_TIME_ID = 10;

bool isServerState(uint16_t id)
{
    return id >= 17 && id <= 24;
}

bool isExternalTemperature(uint16_t id)
{
    return id >= 1181 && id <= 1190;
}

// Both counter blocks are four sent, then four received: 2008-2015 for servers 1-4,
// 2016-2023 for servers 5-8.
QString counterKey(uint16_t id)
{
    const int k = id - 2008;
    const int server = (k / 8) * 4 + k % 4 + 1;
    const bool received = (k / 4) % 2 == 1;
    return QStringLiteral("server_%1_bytes_%2").arg(server).arg(received ? QStringLiteral("received") : QStringLiteral("sent"));
}

QString numbered(const char *pattern, int n)
{
    return QString::fromLatin1(pattern).arg(n);
}

uint32_t unsignedOf(const ParameterDescriptor &row)
{
    switch (row.type) {
    case PARAM_U8:
    case PARAM_FLAG:
        return row.value[0];
    case PARAM_U16:
        return qFromLittleEndian<quint16>(row.value);
    default:
        return qFromLittleEndian<quint32>(row.value);
    }
}

float floatOf(const ParameterDescriptor &row)
{
    const quint32 bits = qFromLittleEndian<quint32>(row.value);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool isMissingSensor(const ParameterDescriptor &row)
{
    if (!isExternalTemperature(row.id))
        return false;
    const float value = floatOf(row);
    return value >= StateReport::NO_SENSOR_TEMPERATURE - 0.1f && value <= StateReport::NO_SENSOR_TEMPERATURE + 0.1f;
}

// Texts end at the first zero byte or at the end of their field.
QString textOf(const ParameterDescriptor &row)
{
    const char *bytes = reinterpret_cast<const char *>(row.value);
    return QString::fromUtf8(bytes, int(qstrnlen(bytes, row.size)));
}

// The shortest decimal that reads back as the same float, so 12.4f is 12.4, not 12.399999.
QString floatText(float value)
{
    return QString::number(double(value), 'g', 7);
}

} // namespace

QString StateReport::keyOf(uint16_t id)
{
    switch (id) {
    case 1: return QStringLiteral("device_type");
    case 2: return QStringLiteral("firmware_version");
    case 3: return QStringLiteral("gsm_firmware_version");
    case 5: return QStringLiteral("imei");
    case 8: return QStringLiteral("iccid");
    case 9: return QStringLiteral("uptime_s");
    case 10: return QStringLiteral("current_time");
    case 12: return QStringLiteral("protocol_version");
    case 1121: return QStringLiteral("frequency_output_1");
    case 1250: return QStringLiteral("internal_temperature_c");
    case 1252: return QStringLiteral("supply_voltage_v");
    case 1253: return QStringLiteral("external_supply_voltage_v");
    case 1259: return QStringLiteral("current_key");
    case 2001: return QStringLiteral("mcc");
    case 2002: return QStringLiteral("mnc");
    case 2003: return QStringLiteral("lac");
    case 2004: return QStringLiteral("cell_id");
    case 2005: return QStringLiteral("gsm_signal");
    case 2006: return QStringLiteral("sim_balance");
    case 2007: return QStringLiteral("gsm_jamming");
    default: break;
    }
    if (isServerState(id))
        return numbered("server_%1_connected", id - 16);
    if (id >= 1001 && id <= 1003)
        return numbered("analog_input_%1_v", id - 1000);
    if (id >= 1041 && id <= 1043)
        return numbered("digital_input_%1", id - 1040);
    if (id == 1061)
        return QStringLiteral("digital_output_1");
    if (id >= 1081 && id <= 1083)
        return numbered("pulse_input_%1", id - 1080);
    if (id >= 1101 && id <= 1103)
        return numbered("frequency_input_%1_hz", id - 1100);
    if (isExternalTemperature(id))
        return numbered("external_temperature_%1_c", id - 1180);
    if (id >= 2008 && id <= 2023)
        return counterKey(id);
    return QString();
}

QList<int> StateReport::rowsOf(const QList<ParameterGroup> &groups)
{
    QList<int> rows{parameterRowOfId(DEVICE_TYPE_ID)};
    for (const ParameterGroup group : groups) {
        uint16_t first = 0;
        uint16_t last = 0;
        groupBounds(group, &first, &last);
        for (int k = first; k <= last; ++k) {
            if (!rows.contains(k))
                rows.append(k);
        }
    }
    return rows;
}

QJsonValue StateReport::jsonValue(int row)
{
    const ParameterDescriptor &d = parameterRow(row);
    if (!d.value)
        return QJsonValue();
    if (isServerState(d.id) || d.type == PARAM_FLAG)
        return unsignedOf(d) != 0;
    switch (d.type) {
    case PARAM_TEXT:
        return textOf(d);
    case PARAM_FLOAT: {
        const float value = floatOf(d);
        if (isMissingSensor(d) || !std::isfinite(value))
            return QJsonValue();
        return floatText(value).toDouble();
    }
    case PARAM_U8:
    case PARAM_U16:
    case PARAM_U32:
        return double(unsignedOf(d));
    default:
        return QJsonValue();
    }
}

QString StateReport::displayValue(int row)
{
    const ParameterDescriptor &d = parameterRow(row);
    if (!d.value)
        return QString();
    if (isServerState(d.id))
        return unsignedOf(d) ? QCoreApplication::translate("StateReport", "на связи")
                             : QCoreApplication::translate("StateReport", "нет соединения");
    if (d.type == PARAM_FLAG)
        return unsignedOf(d) ? QCoreApplication::translate("StateReport", "вкл.")
                             : QCoreApplication::translate("StateReport", "выкл.");
    if (d.id == CURRENT_TIME_ID)
        return QDateTime::fromSecsSinceEpoch(qint64(unsignedOf(d)), Qt::UTC).toString(Qt::ISODate);
    switch (d.type) {
    case PARAM_TEXT:
        return textOf(d);
    case PARAM_FLOAT:
        return isMissingSensor(d) ? QCoreApplication::translate("StateReport", "нет связи") : floatText(floatOf(d));
    default:
        return QString::number(unsignedOf(d));
    }
}

QJsonObject StateReport::toJson(const QList<int> &rows, const QSet<int> &unread)
{
    QJsonObject object;
    for (const int row : rows)
        object.insert(keyOf(parameterRow(row).id), unread.contains(row) ? QJsonValue() : jsonValue(row));
    return object;
}

QString StateReport::toTable(const QList<int> &rows, const QSet<int> &unread)
{
    TextTable table({QStringLiteral("KEY"), QStringLiteral("VALUE"), QStringLiteral("NAME")});
    for (const int row : rows)
        table.addRow({keyOf(parameterRow(row).id), unread.contains(row) ? QStringLiteral("—") : displayValue(row),
                      parameterName(row)});
    return table.toString();
}
