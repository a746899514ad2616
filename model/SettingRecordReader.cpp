#include "model/SettingRecordReader.h"

#include "model/ModelLog.h"
#include "transport/Packet.h"

#include <algorithm>

SettingRecordReader::SettingRecordReader(const QByteArray &bytes, int offset)
    : m_bytes(bytes)
    , m_position(std::clamp(offset, 0, bytes.size()))
{
    Q_ASSERT(offset >= 0);
    // Bytes shorter than the offset: what comes before the records is already cut.
    if (offset > bytes.size()) {
        qCDebug(lcModel) << "[SettingRecordReader] WARNING" << bytes.size() << "bytes end before offset" << offset;
        m_truncated = true;
    }
}

bool SettingRecordReader::next(TSettingRecord *record)
{
    const int left = m_bytes.size() - m_position;
    if (left == 0)
        return false;
    if (left < HEADER_SIZE) {
        qCDebug(lcModel) << "[SettingRecordReader::next] WARNING record header cut at offset" << m_position;
        m_truncated = true;
        m_position = m_bytes.size();
        return false;
    }
    const uint16_t size = Packet::readU16(m_bytes, m_position + 4);
    if (left - HEADER_SIZE < size) {
        qCDebug(lcModel) << "[SettingRecordReader::next] WARNING record value cut at offset" << m_position
                         << "size" << size << "left" << left - HEADER_SIZE;
        m_truncated = true;
        m_position = m_bytes.size();
        return false;
    }
    if (record) {
        record->id = Packet::readU16(m_bytes, m_position);
        record->subId = Packet::readU16(m_bytes, m_position + 2);
        record->size = size;
        record->offset = m_position;
        record->value = m_bytes.mid(m_position + HEADER_SIZE, size);
    }
    m_position += HEADER_SIZE + size;
    return true;
}
