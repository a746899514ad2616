#pragma once

#include <QString>
#include <cstdint>

// What a check_edit_widget edits: a 1-, 2- or 4-byte unsigned value inside SettingsStorage.
struct TCheckEditDesc {
    QString label;             // empty: no label
    uint8_t *value = nullptr;  // first byte of the value, little-endian
    int type = 1;              // ParameterType: 1 or 7 one byte, 2 u16, 3 u32
    int min = 0;               // spin box range
    int max = 0;
    QString tooltip;
    bool hasCheck = false;
    bool hasSpin = false;
};
