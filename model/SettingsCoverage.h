#pragma once

#include <QPair>
#include <QSet>
#include <QString>
#include <QVector>
#include <cstdint>

// A setting by number: (id, subId).
using TSettingKey = QPair<uint16_t, uint16_t>;

// The settings of a full configuration, at the capability counts in force, that are not
// among `present`, in configuration order.
QVector<TSettingKey> missingSettings(const QSet<TSettingKey> &present);

// "3002/1, 3003/0" for a log line or a message; at most `shown` keys, then the count of the rest.
QString settingKeysText(const QVector<TSettingKey> &keys, int shown = 8);
