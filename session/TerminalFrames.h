#pragma once

#include <QByteArray>
#include <cstdint>

// The terminal protocol's requests and the checks of its answers, as pure functions over
// whole frames. Offsets count from the first byte of a frame; every read of an answer is
// bounded by the bytes received.
namespace TerminalFrames {

enum RequestCode : uint8_t {
    REQUEST_RESTART = 1,
    REQUEST_WRITE = 2,
    REQUEST_READ = 3,
    REQUEST_FACTORY_RESET = 5,
};

enum FileResult : uint8_t {
    GET_FILE_BUSY = 1,
    GET_FILE_OUT_OF_DATA = 2,
    GET_FILE_MEMORY_ERROR = 3,
};

constexpr uint8_t RESULT_OK = 1;
constexpr uint32_t COMMAND_UUID = 1;
constexpr int FILE_NAME_SIZE = 8;
// Offsets of the answers' fields.
constexpr int RESPONSE_UUID = 3;
constexpr int RESPONSE_RESULT = 7;
constexpr int RESPONSE_ITEM_ID = 9;
constexpr int RESPONSE_VALUE_SIZE = 11;
constexpr int RESPONSE_VALUE = 12;
constexpr int FILE_SIZE_OFFSET = 13;
constexpr int FILE_CHUNK_LENGTH = 17;
constexpr int FILE_RESULT = 19;
constexpr int FILE_DATA = 20;
constexpr int CHUNK_RESULT = 15;

// The 8-byte file name field: the name's bytes, zero-padded.
QByteArray fileNameField(const QByteArray &name);

QByteArray authRequest(const QByteArray &pin);
QByteArray readRequest(uint32_t uuid, uint16_t id, uint16_t subId);
QByteArray writeRequest(uint32_t uuid, uint16_t id, uint16_t subId, const uint8_t *value, uint8_t size);
QByteArray commandRequest(uint8_t code, const uint8_t *data, uint8_t size);
QByteArray fileRequest(const QByteArray &name, uint32_t offset, uint16_t length);
QByteArray chunkFrame(const QByteArray &name, uint16_t index, uint16_t count, const QByteArray &data);

// What is wrong with an answer; the first failed check decides.
enum class Fault {
    None,
    Short,      // too few bytes for the fields the check reads
    WrongType,
    WrongUuid,
    ErrorCode,
    WrongId,
    WrongSize,
};

struct ResponseCheck {
    Fault fault = Fault::Short;
    uint32_t got = 0;   // the received value that failed the check
    QByteArray value;   // read answers: the value bytes
};

// An answer to a read (wantValue) or to a write or a command.
ResponseCheck checkResponse(const QByteArray &frame, uint32_t uuid, bool wantValue, uint16_t id, uint8_t size);

struct FileAnswer {
    enum Status { Ok, Short, WrongType, Busy, OutOfData, MemoryError, WrongSize } status = Short;
    uint8_t type = 0;
    uint32_t fileSize = 0;
    QByteArray data;
};

// An answer to a file request for `wanted` bytes; data is at most `wanted` bytes.
FileAnswer parseFileAnswer(const QByteArray &frame, uint16_t wanted);

struct ChunkAnswer {
    enum Status { Accepted, Short, WrongType, Rejected, SignatureError, FileNameError, SequenceError } status = Short;
    uint8_t type = 0;
    uint8_t result = 0;
};

ChunkAnswer parseChunkAnswer(const QByteArray &frame);

// The authorization answer: its first payload byte, or -1 when the answer has none.
int authAnswerByte(const QByteArray &frame);

} // namespace TerminalFrames
