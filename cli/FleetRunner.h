#pragma once

#include "cli/CliOptions.h"
#include "cli/TerminalResult.h"
#include "cli/WorkerDriver.h"
#include "model/SettingsDiff.h"
#include "model/SettingsCoverage.h"

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QVector>
#include <QObject>
#include <QString>

#include <memory>

class FleetJobs;
class FleetJournal;

// One run of trivox-cli: the terminals one after another (the relay binds one terminal per
// connection), each through search, authorization, a backup where one is due, the command
// and the end of its session. It reacts only to the steps the WorkerDriver reports; the
// transactions are the worker's. With --jobs the terminals go to child processes instead,
// and their results and progress are put back in terminal order.
class FleetRunner : public QObject
{
    Q_OBJECT
public:
    explicit FleetRunner(const TCliOptions &options, QObject *parent = nullptr);
    ~FleetRunner() override;

    // Begins from the event loop; finished follows exactly once.
    void start();

signals:
    void finished(int exitStatus);

private:
    enum class EPhase { Idle, Listing, Resolving, Connecting, Working, Disconnecting };
    // What the step under way in the Working phase is for.
    enum class EWork { Command, Imei, Backup, Overlay };

    bool precheck();
    bool loadJournal();
    void startTerminals();
    void runJobs();
    void onJobFinished(int index, const TTerminalResult &result, const QByteArray &progress);
    void printInOrder(bool all);
    void journalResult(const TTerminalResult &result);
    bool needsBackup() const;
    void startBackup();
    void onImeiRead(const TStepRecord &record);
    void onBackupRead(const TStepRecord &record);
    void backupFailed(int status, const QString &reason);
    void beginCommand();
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
    QString header(int index) const;
    QString fileFor(const QString &pattern, int index) const;
    QString failureText(const TStepRecord &record, const QString &fallback) const;
    bool checkDeviceType();
    TTerminalResult &current() { return m_results[m_current]; }

    static void resetStorage();

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
    EWork m_work = EWork::Command;
    QString m_backupName; // the terminal as its backups know it
    std::unique_ptr<FleetJournal> m_journal;
    QVector<bool> m_journaled; // skipped as done in an earlier run
    FleetJobs *m_jobs = nullptr;
    QVector<QByteArray> m_progressOf; // a child's progress lines, until its turn to be shown
    QVector<bool> m_ran;
    int m_printed = 0;
    // diff against the terminal: the file's image, and the terminal's side.
    QByteArray m_diffFile;
    bool m_deviceIsA = false;
    QVector<TSettingDifference> m_differences;
};
