#pragma once

#include "session/SessionProgress.h"
#include "session/SessionTimeouts.h"

#include <QByteArray>
#include <atomic>

class TerminalLink;

// What every transaction is given: the link, the time limits, the flag that ends every wait
// at once (the program is closing), and where to tell its progress.
struct TTransaction {
    class Report
    {
    public:
        virtual ~Report() = default;
        virtual void status(const TSessionProgress &progress) = 0;
        virtual void bar(int percent) = 0;
    };

    TerminalLink *link = nullptr;
    const std::atomic<bool> *cancel = nullptr;
    TSessionTimeouts timeouts;
    Report *report = nullptr;

    enum class EExchange { Answer, NoAnswer };
    // Sends one request and waits for its answer frame. What came before the request belongs
    // to an earlier one and is dropped first. No link open: nothing is sent, and no answer.
    EExchange exchange(const QByteArray &request, int timeoutMs, QByteArray *answer) const;
};
