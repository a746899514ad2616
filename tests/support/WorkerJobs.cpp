#include "support/WorkerJobs.h"

#include <QMetaObject>

void WorkerJobs::post(std::function<void()> job)
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_jobs.push_back(std::move(job));
    }
    QMetaObject::invokeMethod(this, "runPending", Qt::QueuedConnection);
}

void WorkerJobs::runPending()
{
    for (;;) {
        std::unique_lock<std::mutex> lock(m_lock);
        if (m_jobs.empty())
            return;
        const std::function<void()> job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        job();
    }
}
