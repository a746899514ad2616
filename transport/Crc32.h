#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>

// CRC-32 of ISO-HDLC / IEEE 802.3 / zlib (reflected 0xEDB88320, init and final XOR all
// ones). An empty input yields 0.
uint32_t crc32(const uint8_t *data, size_t size);

inline uint32_t crc32(const QByteArray &bytes)
{
    return crc32(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
}
