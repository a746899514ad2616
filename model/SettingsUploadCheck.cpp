#include "model/SettingsUploadCheck.h"

#include "model/SettingsStorage.h"

#include <QCoreApplication>

QString settingsUploadRefusal()
{
    if (SettingsStorage.accessPin[0] == 0)
        return QCoreApplication::translate("SettingsUploadCheck", "Попытка передачи пустых настроек");
    for (int i = 0; i < 4; ++i) {
        const uint8_t c = SettingsStorage.accessPin[i];
        if (c < '0' || c > '9')
            return QCoreApplication::translate("SettingsUploadCheck", "Пин-код доступа должен состоять из 4 цифр");
    }
    return QString();
}
