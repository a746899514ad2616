#pragma once

#include <QMetaType>
#include <QString>

// What the session is doing while a request runs. One table gives the status texts; the
// texts are for people, whoever acts on progress takes the kind.
enum class EProgress : uint8_t {
    Searching,          // "Поиск устройства"
    Authorizing,        // "Устройство найдено, авторизация"
    AuthorizationFailed,
    Polled,             // a state read ended: "Устройство подключено"
    LoadingSettings,
    ReadingBackup,
    SendingSettings,
    LoadingLog,
    SendingCommand,
    FirmwareFailed,     // said after the reason a firmware file was refused
    // Once per item of a transfer: the bar shows them, a history or a log line need not.
    ReadingParameter,   // text: the parameter's name
    ReadingSetting,     // number: the setting id
    WritingSetting,     // number: the setting id
    SendingChunk,       // number: the chunk, count: of how many
};

struct TSessionProgress {
    EProgress kind = EProgress::Polled;
    int number = 0;
    int count = 0;
    QString name{};
};
Q_DECLARE_METATYPE(TSessionProgress)

QString progressText(const TSessionProgress &progress);
bool isPerItem(EProgress kind);
// Whether a status text is one of the per-item ones, in the interface's language.
bool isPerItemText(const QString &text);
