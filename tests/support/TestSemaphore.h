#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// A counting semaphore on standard primitives. Qt's own are invisible to thread checkers,
// which would then take what a test thread hands over through them for a data race.
class TestSemaphore
{
public:
    void release(int n = 1)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_count += n;
        m_changed.notify_all();
    }

    void acquire()
    {
        std::unique_lock<std::mutex> lock(m_lock);
        m_changed.wait(lock, [this] { return m_count > 0; });
        --m_count;
    }

    bool tryAcquire(int timeoutMs)
    {
        std::unique_lock<std::mutex> lock(m_lock);
        if (!m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_count > 0; }))
            return false;
        --m_count;
        return true;
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    int m_count = 0;
};
