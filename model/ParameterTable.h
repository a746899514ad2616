#pragma once

#include <QString>
#include <cstdint>

// ParameterType codes of a value field (there is no code 6).
enum ParameterType : uint8_t {
    PARAM_U8 = 1,
    PARAM_U16 = 2,
    PARAM_U32 = 3,
    PARAM_FLOAT = 4,
    PARAM_TEXT = 5,
    PARAM_FLAG = 7,
};

// One state value the terminal reports. The name is Windows-1251 text, NUL-terminated
// inside its field; value points into the parameter section of SettingsStorage.
struct ParameterDescriptor {
    uint16_t id;
    char name[128];
    uint8_t *value;
    uint8_t size;
    uint8_t type;
};

constexpr uint16_t PARAMETER_COUNT = 67;
constexpr uint16_t PROTO_VER_ID = 12;

// Read groups of the state; the state views pass the visible tab's index.
enum ParameterGroup : int {
    GROUP_SYSTEM = 0,
    GROUP_IO = 1,
    GROUP_NETWORK = 2,
    GROUP_DEVICE_TYPE = 3,
};

const ParameterDescriptor &parameterRow(int row);
// Row of the parameter with this id, or -1.
int parameterRowOfId(uint16_t id);
// The row's name for people: decoded from Windows-1251 and translated.
QString parameterName(int row);
// First and last row of a group, found by the scan of rows 1 .. PARAMETER_COUNT - 1.
void groupBounds(ParameterGroup group, uint16_t *first, uint16_t *last);
// The configurator holds proto_ver itself.
void initConstantParameters();
// A row the configurator holds itself and never reads from the terminal.
inline bool isConstantParameter(int row)
{
    return parameterRow(row).id == PROTO_VER_ID;
}
