#include "session/SessionProgress.h"

#include "session/SessionOutcome.h"

#include <QCoreApplication>

namespace {

struct TProgressRow {
    EProgress kind;
    const char *text;
};

constexpr TProgressRow PROGRESS_TEXTS[] = {
    {EProgress::Searching, QT_TRANSLATE_NOOP("SessionProgress", "Поиск устройства")},
    {EProgress::Authorizing, QT_TRANSLATE_NOOP("SessionProgress", "Устройство найдено, авторизация")},
    {EProgress::AuthorizationFailed, QT_TRANSLATE_NOOP("SessionProgress", "Ошибка авторизации")},
    {EProgress::Polled, nullptr}, // the text of ESessionOutcome::Connected
    {EProgress::LoadingSettings, QT_TRANSLATE_NOOP("SessionProgress", "Загрузка настроек")},
    {EProgress::ReadingBackup, QT_TRANSLATE_NOOP("SessionProgress", "Чтение настроек для резервной копии")},
    {EProgress::SendingSettings, QT_TRANSLATE_NOOP("SessionProgress", "Передача настроек")},
    {EProgress::LoadingLog, QT_TRANSLATE_NOOP("SessionProgress", "Загрузка LOG-файла")},
    {EProgress::SendingCommand, QT_TRANSLATE_NOOP("SessionProgress", "Отправка команды")},
    {EProgress::FirmwareFailed, nullptr}, // the text of ESessionOutcome::FirmwareFailed
    {EProgress::ReadingParameter, QT_TRANSLATE_NOOP("SessionProgress", "Чтение параметра ")},
    {EProgress::ReadingSetting, QT_TRANSLATE_NOOP("SessionProgress", "Чтение параметра ")},
    {EProgress::WritingSetting, QT_TRANSLATE_NOOP("SessionProgress", "Передача параметра ")},
    {EProgress::SendingChunk, QT_TRANSLATE_NOOP("SessionProgress", "Передача фрагмента %1 из %2")},
};

constexpr bool progressRowsInOrder()
{
    for (int i = 0; i < int(sizeof PROGRESS_TEXTS / sizeof PROGRESS_TEXTS[0]); ++i) {
        if (int(PROGRESS_TEXTS[i].kind) != i)
            return false;
    }
    return true;
}
static_assert(progressRowsInOrder(), "one text per progress kind, in the enumeration's order");

QString tableText(EProgress kind)
{
    return QCoreApplication::translate("SessionProgress", PROGRESS_TEXTS[int(kind)].text);
}

} // namespace

QString progressText(const TSessionProgress &progress)
{
    switch (progress.kind) {
    case EProgress::Polled:
        return outcomeText({ESessionOutcome::Connected});
    case EProgress::FirmwareFailed:
        return outcomeText({ESessionOutcome::FirmwareFailed});
    case EProgress::ReadingParameter:
        return tableText(progress.kind) + progress.name;
    case EProgress::ReadingSetting:
    case EProgress::WritingSetting:
        return tableText(progress.kind) + QString::number(progress.number);
    case EProgress::SendingChunk:
        return tableText(progress.kind).arg(progress.number).arg(progress.count);
    default:
        return tableText(progress.kind);
    }
}

bool isPerItem(EProgress kind)
{
    return kind >= EProgress::ReadingParameter;
}

bool isPerItemText(const QString &text)
{
    for (const EProgress kind : {EProgress::ReadingParameter, EProgress::WritingSetting}) {
        if (text.startsWith(tableText(kind)))
            return true;
    }
    const QString chunk = tableText(EProgress::SendingChunk);
    return text.startsWith(chunk.left(chunk.indexOf(QLatin1String("%1"))));
}
