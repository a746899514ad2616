#include "session/PendingRequests.h"

void PendingRequests::put(const TSessionRequest &request)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_slots[size_t(request.kind)] = request;
}

bool PendingRequests::has(ERequest kind) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_slots[size_t(kind)].has_value();
}

std::optional<TSessionRequest> PendingRequests::take(ERequest kind)
{
    std::lock_guard<std::mutex> lock(m_lock);
    std::optional<TSessionRequest> request;
    request.swap(m_slots[size_t(kind)]);
    return request;
}

bool PendingRequests::isEmpty() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    for (const auto &slot : m_slots) {
        if (slot)
            return false;
    }
    return true;
}

void PendingRequests::clear()
{
    std::lock_guard<std::mutex> lock(m_lock);
    for (auto &slot : m_slots)
        slot.reset();
}
