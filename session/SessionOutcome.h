#pragma once

#include <QMetaType>
#include <QString>
#include <cstdint>

// How a request to the session ended. The window and the command-line tool act on these;
// the status texts made from them are for people only and may change freely.
enum class ESessionOutcome : uint8_t {
    // Finding and authorizing a terminal, and the end of a session.
    ServerUnreachable,
    NoDeviceList,
    ConnectFailed,
    DeviceNotFound,
    DeviceBusy,
    WrongPin,
    NoAnswer,
    Connected,
    Disconnected,
    Lost,
    // Transfers and commands.
    BackupReadFailed,
    SettingsLoaded,
    SettingsLoadFailed,
    SettingsSent,
    SettingsSendFailed,
    LogLoaded,
    LogFailed,
    FirmwareInstalled,
    FirmwareFileMissing,
    FirmwareFileUnreadable,
    FirmwareFailed,
    Restarted,
    FactoryReset,
    CommandFailed,
    SettingRefused,
};

struct TSessionOutcome {
    ESessionOutcome code = ESessionOutcome::Disconnected;
    // SettingsLoaded: settings of a full configuration the terminal did not send;
    // SettingRefused: the setting's id.
    int detail = 0;

    bool operator==(const TSessionOutcome &other) const { return code == other.code && detail == other.detail; }
};
Q_DECLARE_METATYPE(TSessionOutcome)

// The status text of an outcome, in the interface's language.
QString outcomeText(const TSessionOutcome &outcome);
// A connection attempt that ends here leaves no session.
bool endsAttempt(ESessionOutcome code);
