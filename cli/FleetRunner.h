#pragma once

#include "cli/CliOptions.h"
#include "cli/WorkerDriver.h"
#include "model/SettingsCoverage.h"

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QVector>
#include <QObject>
#include <QString>

// One run of trivox-cli: the terminals one after another (the relay binds one terminal per
// connection), each through search, authorization, the command and the end of its session.
// It reacts only to the steps the WorkerDriver reports; the transactions are the worker's.
class FleetRunner : public QObject
{
    Q_OBJECT
public:
    explicit FleetRunner(const TCliOptions &options, QObject *parent = nullptr);

    // Begins from the event loop; finished follows exactly once.
    void start();

signals:
    void finished(int exitStatus);

private:
    enum class EPhase { Idle, Listing, Resolving, Connecting, Working, Disconnecting };
    enum class EOutcome { Pending, Ok, Failed, Skipped };

    struct TTerminalResult {
        QString id;
        EOutcome outcome = EOutcome::Pending;
        int status = 0;
        QString message;
        QString file;
        bool hasState = false;
        QJsonObject parameters;
        QString stateTable;
    };

    bool precheck();
    void onStep(const TStepRecord &record);
    void onListed(const TStepRecord &record);
    void nextTerminal();
    void onResolved(const TStepRecord &record);
    void onConnected(const TStepRecord &record);
    void beginWork();
    void onWorked(const TStepRecord &record);
    void onStateGroupRead(const TStepRecord &record);
    void onSettingsDownloaded(const TStepRecord &record);
    void onLogDownloaded(const TStepRecord &record);
    void writeFileSettings();
    void onOverlayBaseRead(const TStepRecord &record);
    QString incompleteFileText(const QVector<TSettingKey> &missing) const;
    QString incompleteBaseText(int missing) const;
    void complete(int status, const QString &message);
    void finishTerminal();
    void finishRun();
    void failRun(int status, const QString &message);
    void printResults() const;

    void progress(const QString &text);
    QString fileFor(const QString &pattern) const;
    QString failureText(const TStepRecord &record, const QString &fallback) const;
    bool checkDeviceType();
    TTerminalResult &current() { return m_results[m_current]; }

    static void resetStorage();
    static QString outcomeName(EOutcome outcome);

    TCliOptions m_options;
    WorkerDriver m_driver;
    EPhase m_phase = EPhase::Idle;
    QList<TTerminalResult> m_results;
    int m_current = -1;
    int m_groupIndex = 0;
    bool m_fileNamesCarryId = false;
    bool m_workerStuck = false;
    bool m_done = false;
    QString m_firmwarePath;
    QString m_lastProgress;
    // State rows whose last read ended, and whether it stored a value, for this terminal.
    QMap<int, bool> m_rowsRead;
    // --allow-partial: the terminal's own settings are being read beneath the file's.
    bool m_overlayPending = false;
};
