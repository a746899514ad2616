#pragma once

#include "model/SettingsFields.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <cstdint>

// A field's value inside its record, read and shown as the editors show it.
class SettingFieldValue
{
    Q_DECLARE_TR_FUNCTIONS(SettingFieldValue)
public:
    // record: the record's value, at least offset + room bytes long (the caller checks sizes).
    SettingFieldValue(const TSettingField &field, const QByteArray &record);

    // The bytes the field owns.
    const QByteArray &bytes() const { return m_bytes; }
    // Combo, number, check: the little-endian value of its size bytes.
    uint32_t number() const;
    // Text: the bytes before the first zero, decoded; hex: the digits as the editor shows them.
    QString text() const;
    // The bytes are exactly what an editor stores for number() or text(): an entry of the
    // combo, a number in range, 0 or 1, or a Windows-1251 text of at most size bytes with
    // zeros after it up to the room.
    bool isNatural() const;
    // The combo's text, the number and its unit, "да"/"нет", the text, the hex digits; bytes
    // that stand for no such value are shown as bytes.
    QString display() const;

    // "байты 41 00 7F".
    static QString bytesDisplay(const QByteArray &bytes);
    // Upper-case digits, last byte first, as the hex editor shows them.
    static QString hexDigits(const QByteArray &bytes);
    // The Windows-1251 bytes of a text; false when a character has none or is a zero.
    static bool encodeText(const QString &text, QByteArray *bytes);

private:
    const TSettingField &m_field;
    QByteArray m_record;
    QByteArray m_bytes;
};
