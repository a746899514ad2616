#pragma once

#include <QMap>
#include <QString>
#include <cstdint>

// What a combo_widget edits: an enumerated unsigned value inside SettingsStorage.
struct TComboDesc {
    QString label;
    uint8_t *value = nullptr; // first byte of the value, little-endian
    uint8_t type = 1;         // ParameterType: 1 or 7 one byte, 2 u16, 3 u32
    QString tooltip;
    QMap<int, QString> items; // key stored, text shown; listed in key order
};
