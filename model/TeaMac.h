#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>

// TEA of Wheeler and Needham on the word pair v[0], v[1], in place: 32 cycles.
void tea_encrypt(uint32_t v[2], const uint32_t k[4]);

// CBC-MAC over TEA with a zero start. Blocks are read as two big-endian words; input may
// arrive in any split. The key is referenced, not copied: it must outlive the context.
class TeaMac
{
public:
    void init(const uint32_t key[4]);
    void update(const uint8_t *data, size_t length);
    void update(const QByteArray &bytes)
    {
        update(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
    // Pads an incomplete last block with zeros; after it the state words are the code.
    void final();

    uint32_t state(int word) const { return m_state[word & 1]; }
    // The code as it is stored: state word 0 LE, then state word 1 LE.
    QByteArray code() const;

private:
    void processBlock(const uint8_t *block);

    const uint32_t *m_key = nullptr;
    uint32_t m_state[2] = {0, 0};
    uint8_t m_buffer[8] = {};
    uint8_t m_buffered = 0;
};
