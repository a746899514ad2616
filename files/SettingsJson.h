#pragma once

#include "model/SettingsStorage.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QStringList>

// A settings image (".ksf" bytes) as a JSON document that people can read and scripts can
// change, and back. Keys are stable English names from SettingsFields; every setting is a
// leaf {"name": row as the trees name it, "value": ...}, combos add "text", their entry:
//
//   {"format": "trivox-settings", "version": 1,
//    "servers": [{"type": {"name": "Трансляция в RS-232 (сервер 1) / Тип соединения",
//                          "value": 1, "text": "Прозрачный обмен"},
//                 "address": {..., "value": "10.0.0.1:5000"}, "session_hold": {..., "value": 60}}, ...],
//    "csd": {...}, "sims": [...], "security": {...}, "phones": [{...}, ...], "rs232": {...},
//    "rs485": {...}, "inputs": [...], "sensors": [{..., "value": "D10000053C4BFF28"}, ...],
//    "sensor_add_mode": {...}}
//
// Values: combos the stored number, numbers as numbers, check boxes true/false, texts as
// strings, 1-Wire ids as the hex editor shows them (last byte first). Bytes that are no such
// value (a number out of range, a text with bytes after its end or a character outside
// Windows-1251, a combo value no entry names) are written exactly: {"hex": "..."}, the
// field's bytes in record order, upper case. The bytes beyond what an editor shows belong to
// their field (a text's tail), so every byte of every record has a place.
class SettingsJson
{
    Q_DECLARE_TR_FUNCTIONS(SettingsJson)
public:
    static constexpr int VERSION = 1;

    // The document (UTF-8, indented) of an image whose records are exactly those of a full
    // configuration under the counts, in their order, with a header "SETTINGS" + 8 zeros and
    // a matching code; importing it gives the image back byte for byte. Any other image is
    // refused: empty result, and error (may be null) names what is wrong: missing settings
    // (a truncated file), settings of another size, in another order, unknown or repeated,
    // a record cut short, or a code that does not match.
    static QByteArray exportImage(const QByteArray &image, QString *error,
                                  const TDeviceCapabilities &counts = DEVICE_F0_CAPABILITIES);

    // The image of a document, records in the order of a full configuration under the counts
    // and a new code. Checks everything first: unknown keys, wrong types, values outside
    // their entries or range, texts too long for their field or not Windows-1251, missing
    // settings, arrays of another length. On any problem nothing is produced: empty result,
    // and errors (may be null) gets one line per problem, "$.servers[2].type: ...".
    static QByteArray importImage(const QByteArray &json, QStringList *errors,
                                  const TDeviceCapabilities &counts = DEVICE_F0_CAPABILITIES);
};
