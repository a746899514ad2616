#include "cli/FleetJobs.h"

#include "cli/CliLog.h"
#include "cli/ExitStatus.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

FleetJobs::FleetJobs(const QString &program, const QProcessEnvironment &environment, int width, QObject *parent)
    : QObject(parent)
    , m_program(program)
    , m_environment(environment)
    , m_width(width)
{
}

FleetJobs::~FleetJobs()
{
    // A child cut off in the middle of a write would leave its terminal half configured:
    // each is let finish.
    for (QProcess *process : findChildren<QProcess *>()) {
        process->disconnect(this);
        process->waitForFinished(-1);
    }
}

void FleetJobs::run(const QList<TJob> &jobs)
{
    m_queue = jobs;
    for (int i = 0; i < m_width; ++i)
        startNext();
    if (m_running == 0)
        emit allFinished();
}

void FleetJobs::startNext()
{
    if (m_queue.isEmpty())
        return;
    const TJob job = m_queue.takeFirst();
    auto *process = new QProcess(this);
    process->setProcessEnvironment(m_environment);
    connect(process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            [this, process, index = job.index](int code, QProcess::ExitStatus status) {
                onEnded(process, index,
                        status == QProcess::NormalExit ? QString() : tr("процесс завершился аварийно (код %1)").arg(code));
            });
    connect(process, &QProcess::errorOccurred, this, [this, process, index = job.index](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            onEnded(process, index, tr("не удалось запустить процесс: %1").arg(process->errorString()));
    });
    ++m_running;
    qCDebug(lcCli) << "Starting child" << job.index << job.arguments;
    process->start(m_program, job.arguments);
}

void FleetJobs::onEnded(QProcess *process, int index, const QString &failure)
{
    const QByteArray out = process->readAllStandardOutput();
    const QByteArray progress = process->readAllStandardError();
    const int code = process->exitCode();
    process->disconnect(this);
    process->deleteLater();
    --m_running;

    TTerminalResult result;
    const QJsonArray terminals = QJsonDocument::fromJson(out).object().value(QStringLiteral("terminals")).toArray();
    if (!failure.isEmpty() || terminals.size() != 1 || !TTerminalResult::fromJson(terminals.first().toObject(), &result)) {
        qCDebug(lcCli) << "Child" << index << "ended without a result, exit code" << code;
        result = TTerminalResult{};
        result.outcome = ETerminalOutcome::Failed;
        // A child refused before any terminal (a file gone since the check) says why itself.
        result.status = code > EXIT_STATUS_OK && code <= EXIT_STATUS_FILE ? code : int(EXIT_STATUS_TRANSFER);
        result.message = failure.isEmpty() ? tr("процесс завершился без результата (код %1)").arg(code) : failure;
    }
    emit jobFinished(index, result, progress);
    startNext();
    if (m_running == 0)
        emit allFinished();
}
