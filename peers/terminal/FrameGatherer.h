#pragma once

#include <QByteArray>
#include <QList>

// Cuts the received byte stream into frames by their length field. A frame whose CRC is
// wrong is dropped whole; bytes of an unfinished frame that sat idle too long are thrown
// away, so that one garbled length cannot swallow the requests that follow it.
class FrameGatherer
{
public:
    static constexpr qint64 STALE_PARTIAL_MS = 1000;

    struct Result {
        QList<QByteArray> frames;
        int badCrc = 0;
        int discarded = 0; // stale bytes thrown away before these arrived
    };

    Result feed(const QByteArray &bytes, qint64 nowMs);
    void reset();
    int pending() const { return int(m_buffer.size()); }

private:
    QByteArray m_buffer;
    qint64 m_lastArrivalMs = 0;
};
