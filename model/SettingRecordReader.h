#pragma once

#include <QByteArray>
#include <cstdint>

// One setting record as it travels in the settings image, the "BASE" file and a settings file.
struct TSettingRecord {
    uint16_t id = 0;
    uint16_t subId = 0;
    uint16_t size = 0;
    int offset = 0;   // of the record's header within the bytes
    QByteArray value; // exactly size bytes
};

// Walks {u16 id, u16 subId, u16 size, value} records back to back from an offset. It stops at
// the end of the bytes or at a record whose header or value would run past it, and never
// reads beyond the end.
class SettingRecordReader
{
public:
    static constexpr int HEADER_SIZE = 6;

    explicit SettingRecordReader(const QByteArray &bytes, int offset = 0);

    // The next complete record; false when the walk has stopped.
    bool next(TSettingRecord *record);
    // The walk stopped on an incomplete record rather than at the exact end.
    bool truncated() const { return m_truncated; }
    int position() const { return m_position; }

private:
    QByteArray m_bytes;
    int m_position;
    bool m_truncated = false;
};
