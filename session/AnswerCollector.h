#pragma once

#include <QByteArray>

// Gathers one answer frame from the pieces in which it arrives: the frame is complete once
// its length + 7 bytes are there. Bytes beyond the first frame are not part of the answer.
class AnswerCollector
{
public:
    void clear() { m_buffer.clear(); }
    void add(const QByteArray &piece);
    bool isEmpty() const { return m_buffer.isEmpty(); }
    bool isComplete() const;
    // The complete frame (empty while incomplete).
    QByteArray frame() const;
    // Whether the complete frame's CRC-32 matches.
    bool crcOk() const;
    int received() const { return int(m_buffer.size()); }

private:
    QByteArray m_buffer;
};
