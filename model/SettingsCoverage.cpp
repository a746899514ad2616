#include "model/SettingsCoverage.h"

#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"

#include <QStringList>

QVector<TSettingKey> missingSettings(const QSet<TSettingKey> &present)
{
    QVector<TSettingKey> missing;
    for (uint16_t index = 0; index < SETTINGS_IMAGE_MAX_ENTRIES; ++index) {
        uint16_t id = 0;
        uint16_t subId = 0;
        const uint16_t size = enumerateSettings(index, &id, &subId, nullptr);
        if (size == 0)
            break;
        if (size != SETTING_SKIP && !present.contains({id, subId}))
            missing.append({id, subId});
    }
    return missing;
}

QString settingKeysText(const QVector<TSettingKey> &keys, int shown)
{
    QStringList parts;
    for (int i = 0; i < keys.size() && i < shown; ++i)
        parts << QStringLiteral("%1/%2").arg(keys.at(i).first).arg(keys.at(i).second);
    if (keys.size() > shown)
        parts << QStringLiteral("+%1").arg(keys.size() - shown);
    return parts.join(QStringLiteral(", "));
}
