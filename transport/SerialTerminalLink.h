#pragma once

#include "transport/FrameReader.h"
#include "transport/TerminalLink.h"

class SerialLink;

// The session's link to a terminal on its USB serial port.
class SerialTerminalLink : public TerminalLink
{
public:
    // No answer of a terminal comes near this (a read answer carries at most 255 value bytes,
    // a file answer at most 232 data bytes): a longer length is a corrupted one, given up at
    // once instead of waited for.
    static constexpr int MAX_FRAME = 1024;

    explicit SerialTerminalLink(SerialLink *link) : m_link(link) {}

    bool isOpen() const override;
    bool send(const QByteArray &frame) override;
    void discardInput() override;
    EReceive receive(QByteArray *frame, const QDeadlineTimer &deadline, const std::atomic<bool> &cancel) override;

private:
    SerialLink *m_link;
    FrameReader m_reader{MAX_FRAME};
};
