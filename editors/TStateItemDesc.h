#pragma once

#include <QString>
#include <cstdint>

enum EStateKind : uint32_t {
    STATE_NUMBER = 0,
    STATE_DATETIME = 1,    // u32 seconds since 1970-01-01 00:00:00 UTC
    STATE_ONOFF = 2,
    STATE_TEMPERATURE = 3, // -150 marks a missing sensor
    STATE_TEXT = 4,        // UTF-8, ends at the first zero byte or at size
};

// What a State_item shows: a value field inside SettingsStorage, read whenever it is painted.
struct TStateItemDesc {
    EStateKind kind = STATE_NUMBER;
    const uint8_t *value = nullptr; // null: a fixed-text item
    const bool *valid = nullptr;    // while false, noDataText is shown; null: always valid
    QString onText;
    QString offText;
    QString noDataText;
    uint16_t size = 0;              // field length, used by STATE_TEXT
    uint8_t type = 1;               // ParameterType: 1 or 7 u8, 2 u16, 3 u32, 4 float
    QString unit{};                 // shown right after a number
    int decimals = -1;              // of a float number; -1: as many as it needs
};
