#pragma once

#include "model/ParameterTable.h"
#include "transport/TServerAddress.h"

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
};

// The command line of trivox-cli: parsed, checked for combinations that make no sense, and
// turned into TCliOptions. Nothing is touched before the whole line is known to be good.
class CliOptions
{
public:
    enum class EOutcome { Run, Help, Version, Error };

    static constexpr const char *PIN_VARIABLE = "TRIVOX_PIN";
    static constexpr const char *FAST_VARIABLE = "TRIVOX_CLI_FAST";

    // arguments includes the program name first, as QCoreApplication::arguments() gives it.
    EOutcome parse(const QStringList &arguments, const QProcessEnvironment &environment);

    const TCliOptions &options() const { return m_options; }
    QString errorText() const { return m_error; }
    QString helpText() const;

    static QString commandName(ECliCommand command);

private:
    bool fail(const QString &text);
    bool parseRelay(const QString &text);
    bool parseGroups(const QString &text);
    bool checkCombination(bool idsGiven, bool groupGiven, bool inputGiven, bool outputGiven, bool yesReally);

    TCliOptions m_options;
    QString m_error;
};
