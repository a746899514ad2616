#pragma once

#include "session/SessionRequest.h"

#include <array>
#include <mutex>
#include <optional>

// The requests waiting for the session, one per kind, taken in the order of their kinds.
// Filled from any thread, emptied by the worker's.
class PendingRequests
{
public:
    void put(const TSessionRequest &request);
    bool has(ERequest kind) const;
    // The pending request of this kind, removed.
    std::optional<TSessionRequest> take(ERequest kind);
    bool isEmpty() const;
    void clear();

private:
    mutable std::mutex m_lock;
    std::array<std::optional<TSessionRequest>, size_t(ERequest::Count)> m_slots;
};
