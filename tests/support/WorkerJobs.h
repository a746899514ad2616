#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

// Runs queued functions in the thread it lives in. It is called by name, so that nothing of the
// functions crosses Qt's event queue: they wait under a standard mutex.
class WorkerJobs : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    void post(std::function<void()> job);

private slots:
    void runPending();

private:
    std::mutex m_lock;
    std::deque<std::function<void()>> m_jobs;
};
