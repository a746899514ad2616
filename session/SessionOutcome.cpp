#include "session/SessionOutcome.h"

#include <QCoreApplication>

namespace {

struct TOutcomeRow {
    ESessionOutcome code;
    const char *text;
};

// One row per outcome, in the order of the enumeration.
constexpr TOutcomeRow OUTCOME_TEXTS[] = {
    {ESessionOutcome::ServerUnreachable, QT_TRANSLATE_NOOP("SessionOutcome", "Невозможно соединиться с сервером")},
    {ESessionOutcome::NoDeviceList, QT_TRANSLATE_NOOP("SessionOutcome", "Сервер не прислал список устройств")},
    {ESessionOutcome::ConnectFailed, QT_TRANSLATE_NOOP("SessionOutcome", "Ошибка подключения")},
    {ESessionOutcome::DeviceNotFound, QT_TRANSLATE_NOOP("SessionOutcome", "Устройство не найдено")},
    {ESessionOutcome::DeviceBusy, QT_TRANSLATE_NOOP("SessionOutcome", "Устройство занято другим конфигуратором")},
    {ESessionOutcome::WrongPin, QT_TRANSLATE_NOOP("SessionOutcome", "Введен неверный пин-код")},
    {ESessionOutcome::NoAnswer, QT_TRANSLATE_NOOP("SessionOutcome", "Устройство не отвечает")},
    {ESessionOutcome::Connected, QT_TRANSLATE_NOOP("SessionOutcome", "Устройство подключено")},
    {ESessionOutcome::Disconnected, QT_TRANSLATE_NOOP("SessionOutcome", "Устройство отключено")},
    {ESessionOutcome::Lost, QT_TRANSLATE_NOOP("SessionOutcome", "Потеряно соединение с устройством")},
    {ESessionOutcome::BackupReadFailed, QT_TRANSLATE_NOOP("SessionOutcome", "Ошибка чтения настроек для резервной копии")},
    {ESessionOutcome::SettingsLoaded, QT_TRANSLATE_NOOP("SessionOutcome", "Настройки загружены")},
    {ESessionOutcome::SettingsLoadFailed, QT_TRANSLATE_NOOP("SessionOutcome", "Ошибка загрузк настроек")},
    {ESessionOutcome::SettingsSent, QT_TRANSLATE_NOOP("SessionOutcome", "Настройки переданы")},
    {ESessionOutcome::SettingsSendFailed, QT_TRANSLATE_NOOP("SessionOutcome", "Ошибка передачи настроек")},
    {ESessionOutcome::LogLoaded, QT_TRANSLATE_NOOP("SessionOutcome", "LOG файл успешно загружен")},
    {ESessionOutcome::LogFailed, QT_TRANSLATE_NOOP("SessionOutcome", "Ошибка загрузки LOG-файла")},
    {ESessionOutcome::FirmwareInstalled,
     QT_TRANSLATE_NOOP("SessionOutcome", "Прошивка успешно загружена - устройство отключено")},
    {ESessionOutcome::FirmwareFileMissing, QT_TRANSLATE_NOOP("SessionOutcome", "Файл не найден")},
    {ESessionOutcome::FirmwareFileUnreadable, QT_TRANSLATE_NOOP("SessionOutcome", "Ошибка открытия файла")},
    {ESessionOutcome::FirmwareFailed, QT_TRANSLATE_NOOP("SessionOutcome", "Ошибка загрузки прошивки")},
    {ESessionOutcome::Restarted,
     QT_TRANSLATE_NOOP("SessionOutcome", "Отправлена команда на перезагрузку устройства - устройство отключено")},
    {ESessionOutcome::FactoryReset,
     QT_TRANSLATE_NOOP("SessionOutcome",
                       "Отправлена команда на сброс к заводским настройкам - устройство отключено")},
    {ESessionOutcome::CommandFailed, QT_TRANSLATE_NOOP("SessionOutcome", "Устройство не подтвердило команду")},
    {ESessionOutcome::SettingRefused, QT_TRANSLATE_NOOP("SessionOutcome", "Устройство не приняло параметр %1")},
};

constexpr bool outcomeRowsInOrder()
{
    for (int i = 0; i < int(sizeof OUTCOME_TEXTS / sizeof OUTCOME_TEXTS[0]); ++i) {
        if (int(OUTCOME_TEXTS[i].code) != i)
            return false;
    }
    return true;
}
static_assert(outcomeRowsInOrder(), "one text per outcome, in the enumeration's order");
static_assert(int(sizeof OUTCOME_TEXTS / sizeof OUTCOME_TEXTS[0]) == int(ESessionOutcome::SettingRefused) + 1,
              "every outcome has a text");

} // namespace

QString outcomeText(const TSessionOutcome &outcome)
{
    const QString text = QCoreApplication::translate("SessionOutcome", OUTCOME_TEXTS[int(outcome.code)].text);
    return outcome.code == ESessionOutcome::SettingRefused ? text.arg(outcome.detail) : text;
}

bool endsAttempt(ESessionOutcome code)
{
    switch (code) {
    case ESessionOutcome::ServerUnreachable:
    case ESessionOutcome::NoDeviceList:
    case ESessionOutcome::ConnectFailed:
    case ESessionOutcome::DeviceNotFound:
    case ESessionOutcome::DeviceBusy:
    case ESessionOutcome::WrongPin:
    case ESessionOutcome::NoAnswer:
        return true;
    default:
        return false;
    }
}
