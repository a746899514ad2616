#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <atomic>

// What the session's transactions need of a link to a terminal, whichever it is (the USB
// serial port, a relay connection, or a scripted terminal in the tests): send one frame,
// wait for one whole frame, drop what came late. Links only move bytes; the one FrameReader
// behind every receive judges the frames alike on all links.
class TerminalLink
{
public:
    enum class EReceive {
        Frame,     // *frame holds a whole frame with a good CRC
        Timeout,   // the deadline passed
        Closed,    // the link is gone: nothing more can arrive
        Cancelled, // *cancel became true
    };

    // Every wait is cut into slices of at most this much, so a cancel is seen at once.
    static constexpr int WAIT_SLICE_MS = 50;

    virtual ~TerminalLink() = default;

    virtual bool isOpen() const = 0;
    // Hands one whole frame to the link; false when the link could not take it.
    virtual bool send(const QByteArray &frame) = 0;
    // Drops every frame and byte that arrived and was not taken: a late answer to an earlier
    // request must not be taken for the next one's.
    virtual void discardInput() = 0;
    // Waits for the next whole frame. A frame with a bad CRC is dropped and the wait goes on;
    // a length the link cannot carry clears the input and the wait goes on.
    virtual EReceive receive(QByteArray *frame, const QDeadlineTimer &deadline, const std::atomic<bool> &cancel) = 0;
};
