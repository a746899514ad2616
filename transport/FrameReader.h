#pragma once

#include <QByteArray>

// Cuts a byte stream into frames, the same way on both links: bytes are appended as they
// arrive, and whole frames with a good CRC are taken from the front. A frame with a bad CRC
// is dropped (the stream goes on after it); a length no frame of the link can have means the
// stream is out of step, with nothing to tell where the next frame starts, so the input is
// cleared. Pure: no link, no clock.
class FrameReader
{
public:
    enum class EEvent {
        None,       // no whole frame yet
        Frame,      // *frame holds one
        BadCrc,     // a whole frame was dropped for its CRC
        Impossible, // a length over the limit: every byte held was dropped
    };

    // maxFrame: the largest frame (length + 7) the link can carry.
    explicit FrameReader(int maxFrame) : m_maxFrame(maxFrame) {}

    void append(const QByteArray &bytes);
    // The next event at the front of the input; call until None.
    EEvent next(QByteArray *frame);
    void clear();
    int buffered() const { return int(m_buffer.size()) - m_start; }
    // Room left before the limit: a reader never holds more than one frame's worth of bytes
    // beyond what it has already been asked to cut.
    int maxFrame() const { return m_maxFrame; }

private:
    QByteArray m_buffer;
    int m_start = 0; // bytes at the front already cut; dropped on the next append
    int m_maxFrame;
};
