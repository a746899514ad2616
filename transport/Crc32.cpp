#include "transport/Crc32.h"

#include <array>

namespace {

constexpr std::array<uint32_t, 256> makeTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
        table[i] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kTable = makeTable();

} // namespace

uint32_t crc32(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    uint32_t reg = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        reg = (reg >> 8) ^ kTable[(reg ^ data[i]) & 0xFFu];
    return ~reg;
}
