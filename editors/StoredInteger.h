#pragma once

#include <cstdint>

// An unsigned integer held in the settings record as its ParameterType says: one byte
// (1, 7), 16 bits (2) or 32 bits (3), little-endian. Other types hold no integer.
namespace StoredInteger {

bool isInteger(int type);
// 0 for a null field or a type that holds no integer.
uint32_t read(const uint8_t *field, int type);
// Truncated to the field's width; false (nothing stored) for a type that holds no integer.
bool write(uint8_t *field, int type, uint32_t value);

} // namespace StoredInteger
