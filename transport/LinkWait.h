#pragma once

#include "transport/TerminalLink.h"

#include <QDeadlineTimer>
#include <atomic>

// How a link's wait for bytes ended.
enum class EWait {
    Ready,     // unread bytes are there
    Timeout,   // the deadline passed
    Closed,    // the link is gone
    Cancelled, // the cancel flag was set
};

// The next slice of a wait: never longer than a cancel may go unseen, never past the deadline.
inline int waitSlice(const QDeadlineTimer &deadline)
{
    const qint64 left = deadline.remainingTime();
    return int(left < 0 ? TerminalLink::WAIT_SLICE_MS : qMin<qint64>(left, TerminalLink::WAIT_SLICE_MS));
}

// For a caller that has no cancel flag of its own.
inline const std::atomic<bool> &neverCancelled()
{
    static const std::atomic<bool> never{false};
    return never;
}
