#include "model/TeaMac.h"

#include <algorithm>
#include <cstring>

void tea_encrypt(uint32_t v[2], const uint32_t k[4])
{
    constexpr uint32_t DELTA = 0x9E3779B9;
    uint32_t y = v[0];
    uint32_t z = v[1];
    uint32_t sum = 0;
    for (int cycle = 0; cycle < 32; ++cycle) {
        sum += DELTA;
        y += ((z << 4) + k[0]) ^ (z + sum) ^ ((z >> 5) + k[1]);
        z += ((y << 4) + k[2]) ^ (y + sum) ^ ((y >> 5) + k[3]);
    }
    v[0] = y;
    v[1] = z;
}

namespace {

uint32_t readBigEndian(const uint8_t *p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

} // namespace

void TeaMac::init(const uint32_t key[4])
{
    m_key = key;
    m_state[0] = 0;
    m_state[1] = 0;
    m_buffered = 0;
}

void TeaMac::processBlock(const uint8_t *block)
{
    m_state[0] ^= readBigEndian(block);
    m_state[1] ^= readBigEndian(block + 4);
    tea_encrypt(m_state, m_key);
}

void TeaMac::update(const uint8_t *data, size_t length)
{
    if (length == 0)
        return;
    if (m_buffered != 0) {
        const size_t take = std::min<size_t>(sizeof(m_buffer) - m_buffered, length);
        memcpy(m_buffer + m_buffered, data, take);
        m_buffered = uint8_t(m_buffered + take);
        data += take;
        length -= take;
        if (m_buffered < sizeof(m_buffer))
            return;
        processBlock(m_buffer);
        m_buffered = 0;
    }
    for (; length >= sizeof(m_buffer); data += sizeof(m_buffer), length -= sizeof(m_buffer))
        processBlock(data);
    if (length != 0)
        memcpy(m_buffer, data, length);
    m_buffered = uint8_t(length);
}

void TeaMac::final()
{
    if (m_buffered == 0)
        return;
    memset(m_buffer + m_buffered, 0, sizeof(m_buffer) - m_buffered);
    processBlock(m_buffer);
    m_buffered = 0;
}

QByteArray TeaMac::code() const
{
    QByteArray bytes(8, '\0');
    for (int word = 0; word < 2; ++word) {
        for (int i = 0; i < 4; ++i)
            bytes[word * 4 + i] = char((m_state[word] >> (8 * i)) & 0xFF);
    }
    return bytes;
}
