#include "model/TerminalText.h"

#include <array>

namespace {

// Bytes 0x80..0xBF; 0xC0..0xFF are А..я in order, and 0x98 is unassigned.
constexpr char16_t UPPER_HALF[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C,
    0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A,
    0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9,
    0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

constexpr char16_t toUnicode(unsigned char byte)
{
    if (byte < 0x80)
        return byte;
    if (byte >= 0xC0)
        return char16_t(0x0410 + (byte - 0xC0));
    return UPPER_HALF[byte - 0x80];
}

constexpr std::array<char16_t, 256> decodeTable()
{
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[size_t(b)] = toUnicode(static_cast<unsigned char>(b));
    return table;
}

constexpr std::array<char16_t, 256> DECODE = decodeTable();
static_assert(DECODE[0xC0] == 0x0410 && DECODE[0xFF] == 0x044F && DECODE[0xA8] == 0x0401 && DECODE[0xB9] == 0x2116,
              "Windows-1251 table");

char toByte(char16_t c)
{
    if (c < 0x80)
        return char(c);
    if (c >= 0x0410 && c <= 0x044F)
        return char(0xC0 + (c - 0x0410));
    for (int i = 0; i < 64; ++i) {
        if (UPPER_HALF[i] == c && c != 0xFFFD)
            return char(0x80 + i);
    }
    return '?';
}

} // namespace

QString TerminalText::decode(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char b : bytes)
        *out++ = QChar(DECODE[static_cast<unsigned char>(b)]);
    return text;
}

QByteArray TerminalText::encode(const QString &text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    for (const QChar c : text)
        *out++ = toByte(c.unicode());
    return bytes;
}
