#pragma once

#include "model/ParameterTable.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QSet>
#include <QString>

// The state parameters held in SettingsStorage, decoded as the state views show them and
// named by plain English keys (with the unit as a suffix where there is one).
class StateReport
{
public:
    // A 1-Wire sensor that does not answer reports this temperature.
    static constexpr float NO_SENSOR_TEMPERATURE = -150.0f;

    // The device type, then every row of the groups in table order (no row twice).
    static QList<int> rowsOf(const QList<ParameterGroup> &groups);
    // The key of a parameter id; empty for an id that is not in the table.
    static QString keyOf(uint16_t id);

    // null for a sensor without connection and for a value that is not a number.
    static QJsonValue jsonValue(int row);
    // As the views show it: Russian on/off texts, "нет связи" for a missing sensor.
    static QString displayValue(int row);

    // Rows in unread were not read from the terminal: null in JSON, "—" in the table.
    static QJsonObject toJson(const QList<int> &rows, const QSet<int> &unread = {});
    // Columns: key, value, the parameter's Russian name.
    static QString toTable(const QList<int> &rows, const QSet<int> &unread = {});
};
