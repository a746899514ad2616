// Cutting a terminal's answers from the pieces in which they arrive, and every check the
// transactions run on them, fed arbitrary bytes in arbitrary splits.
//
// Input: a 10-byte head (flags, uuid u32, id u16, size u8, wanted u16), k = next byte % 16
// split sizes of one byte each, then the received bytes. The head stands for the request the
// answer is checked against.

#include "FuzzSupport.h"

#include "session/TerminalFrames.h"
#include "transport/FrameReader.h"
#include "transport/Packet.h"
#include "transport/SerialTerminalLink.h"

#include <cstdint>

using namespace TerminalFrames;

namespace {

constexpr size_t HEAD_SIZE = 10;
constexpr int MAX_SPLITS = 16;

struct Request {
    bool wantValue = false;
    uint32_t uuid = 0;
    uint16_t id = 0;
    uint8_t size = 0;
    uint16_t wanted = 0;
};

uint16_t u16At(const uint8_t *p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

void checkParameterAnswer(const QByteArray &frame, const Request &r)
{
    const ResponseCheck check = checkResponse(frame, r.uuid, r.wantValue, r.id, r.size);
    if (check.fault != Fault::None) {
        FUZZ_REQUIRE(check.value.isEmpty());
        return;
    }
    // Accepted: the fields it read lie before the CRC, and a read's value is exactly size
    // bytes, since the caller copies that many into the storage.
    FUZZ_REQUIRE(frame.size() - Packet::CRC_SIZE > RESPONSE_RESULT);
    FUZZ_REQUIRE(uint8_t(frame.at(2)) == PACKET_RESPONSE);
    FUZZ_REQUIRE(Packet::readU32(frame, RESPONSE_UUID) == r.uuid);
    if (r.wantValue) {
        FUZZ_REQUIRE(check.value.size() == r.size);
        FUZZ_REQUIRE(RESPONSE_VALUE + r.size <= frame.size() - Packet::CRC_SIZE);
        FUZZ_REQUIRE(check.value == frame.mid(RESPONSE_VALUE, r.size));
    } else {
        FUZZ_REQUIRE(check.value.isEmpty());
    }
}

void checkFileAnswer(const QByteArray &frame, const Request &r)
{
    const FileAnswer answer = parseFileAnswer(frame, r.wanted);
    if (answer.status != FileAnswer::Ok) {
        FUZZ_REQUIRE(answer.data.isEmpty());
        return;
    }
    // The data never includes the CRC and is never more than was asked for.
    FUZZ_REQUIRE(uint8_t(frame.at(2)) == PACKET_FILE_DATA);
    FUZZ_REQUIRE(answer.data.size() <= r.wanted);
    FUZZ_REQUIRE(FILE_DATA + answer.data.size() <= frame.size() - Packet::CRC_SIZE);
    FUZZ_REQUIRE(answer.data == frame.mid(FILE_DATA, answer.data.size()));
    FUZZ_REQUIRE(Packet::readU16(frame, FILE_CHUNK_LENGTH) == r.wanted);
}

void checkChunkAnswer(const QByteArray &frame)
{
    const ChunkAnswer answer = parseChunkAnswer(frame);
    if (answer.status == ChunkAnswer::Short || answer.status == ChunkAnswer::WrongType)
        return;
    FUZZ_REQUIRE(CHUNK_RESULT < frame.size() - Packet::CRC_SIZE);
    FUZZ_REQUIRE(answer.result == uint8_t(frame.at(CHUNK_RESULT)));
    FUZZ_REQUIRE((answer.status == ChunkAnswer::Accepted) == (answer.result == 0 || answer.result > 4));
}

void checkAllParsers(const QByteArray &frame, const Request &r)
{
    checkParameterAnswer(frame, r);
    checkFileAnswer(frame, r);
    checkChunkAnswer(frame);
    const int auth = authAnswerByte(frame);
    // An answer without payload has no verdict: its offset 3 is the checksum.
    FUZZ_REQUIRE((auth < 0) == (frame.size() <= Packet::OVERHEAD));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::quietMessages();
    if (size < HEAD_SIZE + 1)
        return 0;
    Request r;
    r.wantValue = data[0] & 1;
    r.uuid = uint32_t(data[1]) | (uint32_t(data[2]) << 8) | (uint32_t(data[3]) << 16) | (uint32_t(data[4]) << 24);
    r.id = u16At(data + 5);
    r.size = data[7];
    r.wanted = u16At(data + 8);
    const int splitCount = data[HEAD_SIZE] % MAX_SPLITS;
    size_t at = HEAD_SIZE + 1;
    QVector<int> splits;
    for (int i = 0; i < splitCount && at < size; ++i, ++at)
        splits.append(qMax(1, int(data[at])));
    const QByteArray stream(reinterpret_cast<const char *>(data + at), int(size - at));

    // As a link cuts them: pieces appended as they come, every whole frame taken after each.
    FrameReader reader(SerialTerminalLink::MAX_FRAME);
    QList<QByteArray> frames;
    int position = 0;
    for (int piece = 0; position < stream.size(); ++piece) {
        const int length = splits.isEmpty() ? stream.size() - position
                                            : qMin(splits.at(piece % splits.size()), stream.size() - position);
        reader.append(stream.mid(position, length));
        position += length;
        QByteArray frame;
        for (FrameReader::EEvent event; (event = reader.next(&frame)) != FrameReader::EEvent::None;) {
            if (event == FrameReader::EEvent::Frame)
                frames << frame;
        }
        // Whatever is held is the start of one frame the link can carry.
        FUZZ_REQUIRE(reader.buffered() < reader.maxFrame());
    }

    // Every frame taken is whole, carries its own CRC and came in the stream.
    for (const QByteArray &frame : qAsConst(frames)) {
        FUZZ_REQUIRE(frame.size() == Packet::claimedSize(frame));
        FUZZ_REQUIRE(frame.size() <= reader.maxFrame());
        FUZZ_REQUIRE(Packet::checkHeader(frame) == Packet::HeaderStatus::Valid);
        FUZZ_REQUIRE(stream.contains(frame));
        checkAllParsers(frame, r);
    }
    // Without an impossible length, whose cut depends on the splits, the frames are exactly
    // the stream's whole frames with a right CRC, in order, and the rest is held.
    QList<QByteArray> expected;
    int offset = 0;
    bool known = true;
    for (int frameSize; stream.size() - offset >= Packet::HEADER_SIZE; offset += frameSize) {
        frameSize = int(Packet::readU16(stream, offset)) + Packet::OVERHEAD;
        known = frameSize <= reader.maxFrame();
        if (!known || stream.size() - offset < frameSize)
            break;
        if (Packet::checkHeader(stream.mid(offset, frameSize)) == Packet::HeaderStatus::Valid)
            expected << stream.mid(offset, frameSize);
    }
    if (known) {
        FUZZ_REQUIRE(frames == expected);
        FUZZ_REQUIRE(reader.buffered() == stream.size() - offset);
    }
    // The checks promise bounded reads on any bytes, gathered or not; a detached copy puts
    // the end of the bytes exactly where the address sanitizer watches.
    const QByteArray raw(stream.constData(), stream.size());
    checkAllParsers(raw, r);
    return 0;
}
