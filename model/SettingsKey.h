#pragma once

#include <cstdint>

// The 128-bit key of the settings image's code. It is assembled on the caller's stack for
// each image and wiped afterwards, so no copy of it lies in data memory.
namespace SettingsKey {

constexpr int WORDS = 4;

inline void fill(uint32_t key[WORDS])
{
    constexpr uint32_t base[WORDS] = {0x6B3F19D2u, 0xA4C07E51u, 0x1D95E2B8u, 0xF2687C0Du};
    constexpr uint32_t tweak[WORDS] = {0x3C5AE917u, 0x94D20B6Fu, 0x58E1F3A2u, 0x0F7B46C9u};
    for (int i = 0; i < WORDS; ++i)
        key[i] = base[i] ^ ((tweak[i] << 11) | (tweak[i] >> 21));
}

inline void wipe(uint32_t key[WORDS])
{
    volatile uint32_t *words = key;
    for (int i = 0; i < WORDS; ++i)
        words[i] = 0;
}

} // namespace SettingsKey
