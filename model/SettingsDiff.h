#pragma once

#include "model/SettingsStorage.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QVector>

// One setting that differs between two settings images.
struct TSettingDifference {
    // JSON key of the field ("servers[2].address"), or "records[3353/0]" for a record that
    // is not one of a full configuration under the counts (unknown, or of another size).
    QString key;
    // As the trees name it: "Трансляция в RS-232 (сервер 3) / Адрес сервера".
    QString name;
    // As the editors show it; "запись отсутствует" when that image lacks the record. Equal
    // texts of different bytes (a combo's entries follow another byte) carry the bytes.
    QString before;
    QString after;
};

// Compares two settings images (".ksf" bytes, or build_settings_image() of the editors'
// storage) field by field, by the table of SettingsFields, under the given counts; reads
// neither the storage nor its counts. Only records are compared, never the code or the
// header. A record missing from one image shows every one of its fields; bytes no editor
// shows are fields too (the tail of a text, the CSD address), so any difference in the
// records shows. A record set down twice counts as the later one, as loading a file does.
class SettingsDiff
{
    Q_DECLARE_TR_FUNCTIONS(SettingsDiff)
public:
    // Differences in the trees' order, then records the table does not know in the order
    // they appear (before, then after); empty when every setting is equal.
    static QVector<TSettingDifference> compare(const QByteArray &before, const QByteArray &after,
                                               const TDeviceCapabilities &counts = DEVICE_F0_CAPABILITIES);
};
