#include "model/StateHistory.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QtEndian>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>

namespace {

constexpr uint16_t UPTIME_ID = 9;
constexpr uint16_t ANALOG_INPUT_FIRST_ID = 1001;
constexpr uint16_t PULSE_INPUT_FIRST_ID = 1081;
constexpr uint16_t FREQUENCY_INPUT_FIRST_ID = 1101;
constexpr uint16_t EXTERNAL_TEMPERATURE_FIRST_ID = 1181;
constexpr uint16_t INTERNAL_TEMPERATURE_ID = 1250;
constexpr uint16_t SUPPLY_VOLTAGE_ID = 1252;
constexpr uint16_t MCC_ID = 2001;
constexpr uint16_t SIGNAL_ID = 2005;
// A 1-Wire slot without a sensor reports this temperature.
constexpr float NO_SENSOR = -150.0f;
constexpr float NO_SENSOR_TOLERANCE = 0.1f;
// Reads come once a second; the cap keeps memory bounded should they ever come faster.
constexpr qint64 MIN_MS_PER_POINT = 500;

constexpr uint16_t sentCounterId(int server) { return uint16_t(server < 4 ? 2008 + server : 2016 + server - 4); }
constexpr uint16_t receivedCounterId(int server) { return uint16_t(sentCounterId(server) + 4); }

const char VOLTS[] = QT_TRANSLATE_NOOP("StateHistory", "В");
const char DEGREES[] = QT_TRANSLATE_NOOP("StateHistory", "град.");

QString tr(const char *text)
{
    return QCoreApplication::translate("StateHistory", text);
}

QString timeText(qint64 ms)
{
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms);
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QByteArray csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')))
        return text.toUtf8();
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return '"' + quoted.toUtf8() + '"';
}

} // namespace

StateHistory::StateHistory(qint64 spanMs)
    : m_spanMs(std::max<qint64>(spanMs, 1)), m_maxPoints(int(std::max<qint64>(m_spanMs / MIN_MS_PER_POINT, 1)))
{
    std::fill(std::begin(m_seriesOfRow), std::end(m_seriesOfRow), -1);
    using C = TDeviceCapabilities;
    // In the order and with the names and units of the state trees.
    add(UPTIME_ID, GROUP_SYSTEM, QT_TRANSLATE_NOOP("StateHistory", "Время с перезагрузки"),
        QT_TRANSLATE_NOOP("StateHistory", "сек."));
    for (int i = 0; i < MAX_INPUTS; ++i)
        add(uint16_t(ANALOG_INPUT_FIRST_ID + i), GROUP_IO, QT_TRANSLATE_NOOP("StateHistory", "Аналоговый вход %1"),
            VOLTS, i + 1, {&C::analogInputCount, i + 1});
    for (int i = 0; i < MAX_INPUTS; ++i)
        add(uint16_t(PULSE_INPUT_FIRST_ID + i), GROUP_IO, QT_TRANSLATE_NOOP("StateHistory", "Импульсный вход %1"),
            QT_TRANSLATE_NOOP("StateHistory", "имп."), i + 1, {&C::pulseInputCount, i + 1});
    for (int i = 0; i < MAX_INPUTS; ++i)
        add(uint16_t(FREQUENCY_INPUT_FIRST_ID + i), GROUP_IO, QT_TRANSLATE_NOOP("StateHistory", "Частотный вход %1"),
            QT_TRANSLATE_NOOP("StateHistory", "Гц"), i + 1, {&C::frequencyInputCount, i + 1});
    add(INTERNAL_TEMPERATURE_ID, GROUP_IO, QT_TRANSLATE_NOOP("StateHistory", "Температура внутренняя"), DEGREES);
    add(SUPPLY_VOLTAGE_ID, GROUP_IO, QT_TRANSLATE_NOOP("StateHistory", "Напряжение питания"), VOLTS);
    const int firstOneWire = m_series.size();
    for (int i = 0; i < MAX_TEMPERATURE_SENSORS; ++i)
        add(uint16_t(EXTERNAL_TEMPERATURE_FIRST_ID + i), GROUP_IO,
            QT_TRANSLATE_NOOP("StateHistory", "Температура 1-Wire %1"), DEGREES, i + 1,
            {&C::temperatureSensorCount, i + 1}, QT_TRANSLATE_NOOP("StateHistory", "Датчики температуры 1-Wire"));
    for (int i = firstOneWire; i < m_series.size(); ++i)
        m_oneWire[i] = true;
    static const char *const CELL[] = {QT_TRANSLATE_NOOP("StateHistory", "MCC"), QT_TRANSLATE_NOOP("StateHistory", "MNC"),
                                       QT_TRANSLATE_NOOP("StateHistory", "LAC"), QT_TRANSLATE_NOOP("StateHistory", "CELLID")};
    for (int i = 0; i < int(std::size(CELL)); ++i)
        add(uint16_t(MCC_ID + i), GROUP_NETWORK, CELL[i], nullptr);
    add(SIGNAL_ID, GROUP_NETWORK, QT_TRANSLATE_NOOP("StateHistory", "Уровень сигнала"), nullptr);
    // The last server entry is the CSD connection, which has no traffic.
    const char *traffic = QT_TRANSLATE_NOOP("StateHistory", "Трафик");
    for (int i = 0; i < MAX_SERVERS - 1; ++i) {
        add(sentCounterId(i), GROUP_NETWORK, QT_TRANSLATE_NOOP("StateHistory", "Сервер %1: отправлено"),
            QT_TRANSLATE_NOOP("StateHistory", "кБ"), i + 1, {&C::serverCount, i + 2}, traffic);
        add(receivedCounterId(i), GROUP_NETWORK, QT_TRANSLATE_NOOP("StateHistory", "Сервер %1: принято"),
            QT_TRANSLATE_NOOP("StateHistory", "кБ"), i + 1, {&C::serverCount, i + 2}, traffic);
    }
    m_points.resize(m_series.size());
}

void StateHistory::add(uint16_t id, ParameterGroup group, const char *name, const char *unit, int number, TLimit limit,
                       const char *section)
{
    const int row = parameterRowOfId(id);
    if (row < 0)
        return;
    const uint8_t type = parameterRow(row).type;
    QString title = tr(name);
    if (number > 0)
        title = title.arg(number);
    m_seriesOfRow[row] = m_series.size();
    m_series.append({row, title, unit ? tr(unit) : QString(), group, section ? tr(section) : QString(),
                     type == PARAM_FLOAT});
    m_limits.append(limit);
    m_oneWire.append(false);
}

int StateHistory::seriesOfRow(int row) const
{
    return row >= 0 && row < PARAMETER_COUNT ? m_seriesOfRow[row] : -1;
}

bool StateHistory::isShownWith(int index, const TDeviceCapabilities &counts) const
{
    const TLimit &limit = m_limits.at(index);
    return !limit.count || counts.*limit.count >= limit.needs;
}

bool StateHistory::record(int row, qint64 msecs)
{
    const int index = seriesOfRow(row);
    if (index < 0)
        return false;
    const ParameterDescriptor &d = parameterRow(row);
    double value = 0;
    switch (d.type) {
    case PARAM_FLOAT: {
        const quint32 bits = qFromLittleEndian<quint32>(d.value);
        float real = 0;
        std::memcpy(&real, &bits, sizeof real);
        if (!std::isfinite(real))
            return false;
        if (m_oneWire.at(index) && std::fabs(real - NO_SENSOR) <= NO_SENSOR_TOLERANCE)
            return false;
        value = real;
        break;
    }
    case PARAM_U8:
        value = d.value[0];
        break;
    case PARAM_U16:
        value = qFromLittleEndian<quint16>(d.value);
        break;
    case PARAM_U32:
        value = qFromLittleEndian<quint32>(d.value);
        break;
    default:
        return false;
    }

    // The clock was set back: what now lies in the future would be drawn out of order.
    if (msecs < m_lastMs)
        dropAfter(msecs);
    if (row <= m_lastRow || msecs - m_lastMs > READ_GAP_MS || msecs < m_lastMs)
        m_readMs = msecs;
    m_lastRow = row;
    m_lastMs = msecs;

    std::deque<TStatePoint> &points = m_points[index];
    points.push_back({m_readMs, value});
    if (int(points.size()) > m_maxPoints)
        points.pop_front();
    dropBefore(m_readMs - m_spanMs);
    return true;
}

void StateHistory::clear()
{
    for (std::deque<TStatePoint> &points : m_points)
        points.clear();
    m_lastRow = -1;
    m_lastMs = 0;
    m_readMs = 0;
}

void StateHistory::dropAfter(qint64 ms)
{
    for (std::deque<TStatePoint> &points : m_points) {
        while (!points.empty() && points.back().ms > ms)
            points.pop_back();
    }
}

void StateHistory::dropBefore(qint64 ms)
{
    for (std::deque<TStatePoint> &points : m_points) {
        while (!points.empty() && points.front().ms < ms)
            points.pop_front();
    }
}

QString StateHistory::valueText(int index, double value) const
{
    if (!m_series.at(index).isFloat)
        return QString::number(qulonglong(value));
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, float(value)).ptr;
    return QString::fromLatin1(text, int(end - text));
}

QByteArray StateHistory::toCsv(const QVector<int> &series, qint64 from, qint64 to) const
{
    QByteArray out = csvField(QCoreApplication::translate("StateHistory", "Время"));
    QVector<qint64> times;
    for (const int index : series) {
        const TStateSeries &s = m_series.at(index);
        out += ',' + csvField(s.unit.isEmpty() ? s.name : QStringLiteral("%1, %2").arg(s.name, s.unit));
        for (const TStatePoint &p : m_points.at(index)) {
            if (p.ms >= from && p.ms <= to)
                times.append(p.ms);
        }
    }
    out += "\r\n";
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());

    // One cursor per series, walking its points as the times go by.
    QVector<std::deque<TStatePoint>::const_iterator> next;
    for (const int index : series) {
        const std::deque<TStatePoint> &points = m_points.at(index);
        next.append(std::lower_bound(points.begin(), points.end(), from,
                                     [](const TStatePoint &p, qint64 ms) { return p.ms < ms; }));
    }
    for (const qint64 ms : times) {
        out += timeText(ms).toUtf8();
        for (int k = 0; k < series.size(); ++k) {
            out += ',';
            const std::deque<TStatePoint> &points = m_points.at(series.at(k));
            auto &at = next[k];
            // Two points of one series at one time: the later one, as the chart shows it.
            while (at != points.end() && at->ms < ms)
                ++at;
            auto last = points.end();
            while (at != points.end() && at->ms == ms)
                last = at++;
            if (last != points.end())
                out += valueText(series.at(k), last->value).toUtf8();
        }
        out += "\r\n";
    }
    return out;
}
