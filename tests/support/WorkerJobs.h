#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

// Runs functions in the thread this object lives in. The functions travel through a queue
// under a standard mutex, not inside Qt's events, so a thread checker sees everything the
// posting thread wrote before them.
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
