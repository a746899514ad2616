#pragma once

#include "model/ParameterTable.h"
#include "transport/TServerAddress.h"

#include <QCoreApplication>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

enum class ECliCommand {
    None,
    List,
    State,
    ReadSettings,
    WriteSettings,
    Log,
    Firmware,
    Restart,
    FactoryReset,
    Backup,
    Diff,
    Export,
    Import,
};

enum class ECliLink {
    None,
    Usb,    // the terminal found by its USB identifiers
    Device, // a given serial device
    Relay,  // through a relay server
};

struct TCliOptions {
    ECliCommand command = ECliCommand::None;
    ECliLink link = ECliLink::None;
    QString devicePath;
    TServerAddress relay;
    QStringList ids;        // in the order given, without repeats
    bool allTerminals = false;
    QString pin;            // empty: the session's default PIN
    QString input;
    QString output;
    QList<ParameterGroup> groups;
    bool json = false;
    bool continueOnError = false;
    bool verbose = false;
    bool debug = false;
    bool fast = false;      // short time limits, for the tests
    bool allowPartial = false; // write-settings: the terminal's own settings fill the file's gaps
    bool noBackup = false;
    QString backupDir;      // empty: BackupStore's default root
    int jobs = 1;
    QString journal;
    QString language;       // "ru", "en"; empty: as the system's
    QString diffA;          // a file, or DIFF_DEVICE
    QString diffB;
    bool child = false;     // one terminal of a --jobs run: the result goes out whole, as JSON
};

// The command line of trivox-cli: parsed, checked for combinations that make no sense, and
// turned into TCliOptions. Nothing is touched before the whole line is known to be good.
class CliOptions
{
    Q_DECLARE_TR_FUNCTIONS(CliOptions)
public:
    enum class EOutcome { Run, Help, Version, Error };

    static constexpr const char *PIN_VARIABLE = "TRIVOX_PIN";
    static constexpr const char *FAST_VARIABLE = "TRIVOX_CLI_FAST";
    static constexpr const char *CHILD_VARIABLE = "TRIVOX_CLI_CHILD";
    static constexpr const char *DIFF_DEVICE = "device";
    static constexpr int MAX_JOBS = 64;

    // arguments includes the program name first, as QCoreApplication::arguments() gives it.
    EOutcome parse(const QStringList &arguments, const QProcessEnvironment &environment);

    const TCliOptions &options() const { return m_options; }
    QString errorText() const { return m_error; }
    QString helpText() const;

    static QString commandName(ECliCommand command);
    // The value of --lang, before parsing, so that the help and the errors come in it.
    static QString languageAsked(const QStringList &arguments);
    // Whether the command needs a terminal; diff needs one only for a side named "device".
    static bool needsTerminal(const TCliOptions &options);
    // The command line that does the same to the one terminal id, writing output (if any)
    // there; without the program name and the PIN, which goes through the environment.
    static QStringList terminalArguments(const TCliOptions &options, const QString &id, const QString &output);

private:
    bool fail(const QString &text);
    bool parseRelay(const QString &text);
    bool parseGroups(const QString &text);
    bool checkCombination(bool idsGiven, bool groupGiven, bool inputGiven, bool outputGiven, bool yesReally);
    bool checkFleetOptions(bool jobsGiven, bool backupDirGiven);

    TCliOptions m_options;
    QString m_error;
};
