#pragma once

#include <QString>
#include <cstdint>

enum ELineEditMode : int {
    LINE_EDIT_TEXT = 0, // Windows-1251 text, zero-padded to the field
    LINE_EDIT_HEX = 2,  // raw bytes as hex digits, last byte first
};

// What a line_edit_widget edits: a fixed-size byte field inside SettingsStorage.
struct TLineEditDesc {
    QString label;
    uint8_t *value = nullptr; // first byte of the field
    int size = 0;             // field length in bytes
    QString tooltip;
    QString inputMask;        // empty: none
    QString regexp;           // case-sensitive validator pattern; empty: none
    ELineEditMode mode = LINE_EDIT_TEXT;
};
