#include "peers/terminal/FaultSwitches.h"

#include "transport/Crc32.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"

namespace {

bool parseCount(const QString &value, int max, int *out)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < 0 || n > max)
        return false;
    *out = n;
    return true;
}

bool parseFlag(const QString &value, bool *out)
{
    if (value != QLatin1String("0") && value != QLatin1String("1"))
        return false;
    *out = value == QLatin1String("1");
    return true;
}

bool isPin(const QString &value)
{
    if (value.size() != 4)
        return false;
    for (const QChar c : value) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

// Offset of the result byte in each kind of answer.
int resultOffset(uint8_t type)
{
    switch (type) {
    case PACKET_RESPONSE:
        return 7;
    case PACKET_CHUNK_RESULT:
        return 15;
    case PACKET_FILE_DATA:
        return 19;
    default:
        return -1;
    }
}

} // namespace

FaultSwitches::FaultSwitches(const QByteArray &startPin)
    : pin(startPin)
    , m_startPin(startPin)
{
}

QStringList FaultSwitches::names()
{
    return {QStringLiteral("delay"),      QStringLiteral("silent"),       QStringLiteral("split"),
            QStringLiteral("corrupt-crc"), QStringLiteral("wrong-type"),   QStringLiteral("wrong-uuid"),
            QStringLiteral("wrong-result"), QStringLiteral("stale"),       QStringLiteral("file-busy"), QStringLiteral("file-size"),
            QStringLiteral("drop-after-chunks"), QStringLiteral("pin"),    QStringLiteral("auto-attach")};
}

bool FaultSwitches::set(const QString &name, const QString &value, QString *error)
{
    constexpr int MAX_MS = 600000;
    bool ok = false;
    if (name == QLatin1String("delay"))
        ok = parseCount(value, MAX_MS, &delayMs);
    else if (name == QLatin1String("silent"))
        ok = parseFlag(value, &silent);
    else if (name == QLatin1String("split"))
        ok = parseCount(value, 0xFFFF, &splitBytes);
    else if (name == QLatin1String("corrupt-crc"))
        ok = parseFlag(value, &corruptCrc);
    else if (name == QLatin1String("wrong-type"))
        ok = parseFlag(value, &wrongType);
    else if (name == QLatin1String("wrong-uuid"))
        ok = parseFlag(value, &wrongUuid);
    else if (name == QLatin1String("wrong-result"))
        ok = parseCount(value, 255, &wrongResult);
    else if (name == QLatin1String("stale"))
        ok = parseCount(value, MAX_MS, &staleMs);
    else if (name == QLatin1String("file-busy"))
        ok = parseFlag(value, &fileBusy);
    else if (name == QLatin1String("file-size")) {
        fileSize = -1;
        ok = value == QLatin1String("-1") || parseCount(value, 16 * 1024 * 1024, &fileSize);
    }
    else if (name == QLatin1String("drop-after-chunks")) {
        ok = parseCount(value, 0xFFFF, &dropAfterChunks);
        m_chunkAnswers = 0;
    } else if (name == QLatin1String("pin")) {
        ok = isPin(value);
        if (ok)
            pin = value.toLatin1();
    } else if (name == QLatin1String("auto-attach"))
        ok = parseFlag(value, &autoAttach);
    else {
        *error = QStringLiteral("unknown switch %1").arg(name);
        return false;
    }
    if (!ok)
        *error = QStringLiteral("bad value '%1' for %2").arg(value, name);
    return ok;
}

void FaultSwitches::clear()
{
    *this = FaultSwitches(m_startPin);
}

QByteArray FaultSwitches::distort(const QByteArray &frame) const
{
    if (frame.size() < Packet::OVERHEAD || (!corruptCrc && !wrongType && !wrongUuid && wrongResult == 0))
        return frame;
    QByteArray out = frame;
    const auto type = uint8_t(out[2]);
    const int payloadEnd = out.size() - Packet::CRC_SIZE;
    if (wrongResult != 0) {
        const int at = resultOffset(type);
        if (at >= 0 && at < payloadEnd)
            out[at] = char(wrongResult);
    }
    if (wrongUuid && type == PACKET_RESPONSE && payloadEnd >= 7)
        out[6] = char(uint8_t(out[6]) ^ 0x80);
    if (wrongType)
        out[2] = char(type == PACKET_RESPONSE ? PACKET_CHUNK_RESULT : PACKET_RESPONSE);
    QByteArray body = out.left(payloadEnd);
    uint32_t crc = crc32(body);
    if (corruptCrc)
        crc ^= 0xA5A5A5A5u;
    Packet::appendU32(body, crc);
    return body;
}

bool FaultSwitches::countChunkAnswer()
{
    if (dropAfterChunks <= 0)
        return false;
    if (++m_chunkAnswers < dropAfterChunks)
        return false;
    dropAfterChunks = 0;
    m_chunkAnswers = 0;
    return true;
}

int FaultSwitches::takeStale()
{
    const int ms = staleMs;
    staleMs = 0;
    return ms;
}
