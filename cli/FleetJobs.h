#pragma once

#include "cli/TerminalResult.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

class QProcess;

// --jobs: runs up to `width` child processes of trivox-cli at once, one terminal each (the
// session engine keeps one settings store per process), and hands back each child's result
// and its progress lines, whole, as it ends.
class FleetJobs : public QObject
{
    Q_OBJECT
public:
    struct TJob {
        int index = 0;
        QStringList arguments;
    };

    FleetJobs(const QString &program, const QProcessEnvironment &environment, int width, QObject *parent = nullptr);
    ~FleetJobs() override;

    void run(const QList<TJob> &jobs);
    // Starts no more; the children running go on to their end.
    void stopStarting() { m_queue.clear(); }

signals:
    void jobFinished(int index, const TTerminalResult &result, const QByteArray &progress);
    // Nothing runs and nothing is left to start.
    void allFinished();

private:
    void startNext();
    void onEnded(QProcess *process, int index, const QString &failure);

    QString m_program;
    QProcessEnvironment m_environment;
    int m_width;
    QList<TJob> m_queue;
    int m_running = 0;
};
