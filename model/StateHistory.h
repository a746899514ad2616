#pragma once

#include "model/ParameterTable.h"
#include "model/SettingsStorage.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <deque>

// One reading of a series: when the read that brought it began, and the value decoded as
// the state trees show it.
struct TStatePoint {
    qint64 ms;
    double value;
};

// A state value that can be plotted: a numeric row the state trees show.
struct TStateSeries {
    int row;
    QString name;
    QString unit; // empty for a bare number
    ParameterGroup group;
    QString section; // a run of like values within the group (1-Wire sensors, traffic), or empty
    bool isFloat;
};

// The recent past of the numeric state values, one series per plotted parameter, each
// holding the last spanMs of reads. Fed with the rows the session has just read into
// SettingsStorage; everything else (texts, on/off values, rows the trees do not show) is
// left out, and so is a 1-Wire slot that reports no sensor.
class StateHistory
{
public:
    static constexpr qint64 DEFAULT_SPAN_MS = 60 * 60 * 1000;
    // Rows of one group read come in ascending order within moments of each other; they
    // share the time of the read's first row. A longer pause starts another read.
    static constexpr qint64 READ_GAP_MS = 500;

    explicit StateHistory(qint64 spanMs = DEFAULT_SPAN_MS);

    int seriesCount() const { return int(m_series.size()); }
    const TStateSeries &series(int index) const { return m_series.at(index); }
    // The series of a parameter row, or -1.
    int seriesOfRow(int row) const;
    // Whether a terminal with these counts has the series' input, sensor or server.
    bool isShownWith(int index, const TDeviceCapabilities &counts) const;

    // The row's value, just read into the store at msecs, joins its series. False when the
    // row is not plotted or holds no value to plot.
    bool record(int row, qint64 msecs);
    void clear();

    const std::deque<TStatePoint> &points(int index) const { return m_points.at(index); }
    qint64 spanMs() const { return m_spanMs; }
    int maxPoints() const { return m_maxPoints; }

    // The series' points with from <= ms <= to, as CSV: a header, then one line per read
    // time, local time with its UTC offset, and a column per series (empty where that
    // series has no point at that time).
    QByteArray toCsv(const QVector<int> &series, qint64 from, qint64 to) const;
    // The value as CSV and the page write it: a float with the fewest digits that give it back.
    QString valueText(int index, double value) const;

private:
    struct TLimit {
        uint8_t TDeviceCapabilities::*count;
        int needs; // shown when the count is at least this
    };

    void add(uint16_t id, ParameterGroup group, const char *name, const char *unit, int number = 0,
             TLimit limit = {nullptr, 0}, const char *section = nullptr);
    void dropAfter(qint64 ms);
    void dropBefore(qint64 ms);

    qint64 m_spanMs;
    int m_maxPoints;
    QVector<TStateSeries> m_series;
    QVector<TLimit> m_limits;
    QVector<bool> m_oneWire;
    QVector<std::deque<TStatePoint>> m_points;
    int m_seriesOfRow[PARAMETER_COUNT];
    int m_lastRow = -1;
    qint64 m_lastMs = 0;
    qint64 m_readMs = 0;
};
