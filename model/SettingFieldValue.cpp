#include "model/SettingFieldValue.h"

#include "model/ModelLog.h"
#include "model/TerminalText.h"

#include <QtEndian>

#include <algorithm>

namespace {

QString decode(const QByteArray &bytes)
{
    return TerminalText::decode(bytes);
}

} // namespace

SettingFieldValue::SettingFieldValue(const TSettingField &field, const QByteArray &record)
    : m_field(field), m_record(record), m_bytes(record.mid(field.offset, field.room))
{
    Q_ASSERT(m_bytes.size() == field.room);
}

uint32_t SettingFieldValue::number() const
{
    const auto *p = reinterpret_cast<const uint8_t *>(m_bytes.constData());
    switch (m_field.size) {
    case 1:
        return p[0];
    case 2:
        return qFromLittleEndian<quint16>(p);
    default:
        return qFromLittleEndian<quint32>(p);
    }
}

QString SettingFieldValue::text() const
{
    if (m_field.kind == EFieldKind::Hex)
        return hexDigits(m_bytes);
    const int end = m_bytes.indexOf('\0');
    return decode(end < 0 ? m_bytes : m_bytes.left(end));
}

bool SettingFieldValue::isNatural() const
{
    switch (m_field.kind) {
    case EFieldKind::Combo: {
        const auto *record = reinterpret_cast<const uint8_t *>(m_record.constData());
        for (const TComboEntry &e : SettingsFields::comboEntries(m_field, record)) {
            if (e.value == number())
                return true;
        }
        return false;
    }
    case EFieldKind::Number:
    case EFieldKind::Check:
        return number() >= m_field.min && number() <= m_field.max;
    case EFieldKind::Text: {
        int end = m_bytes.indexOf('\0');
        if (end < 0)
            end = m_bytes.size();
        if (end > m_field.size || m_bytes.mid(end).count('\0') != m_bytes.size() - end)
            return false;
        QByteArray again;
        return encodeText(text(), &again) && again == m_bytes.left(end);
    }
    case EFieldKind::Hex:
        return true;
    }
    return false;
}

QString SettingFieldValue::display() const
{
    const bool natural = isNatural();
    switch (m_field.kind) {
    case EFieldKind::Combo: {
        if (!natural)
            return tr("неизвестное значение (%1)").arg(number());
        const auto *record = reinterpret_cast<const uint8_t *>(m_record.constData());
        return SettingsFields::comboItems(m_field, record).value(int(number()));
    }
    case EFieldKind::Number:
        return m_field.unit ? QStringLiteral("%1 %2").arg(number()).arg(SettingsFields::translated(m_field.unit))
                            : QString::number(number());
    case EFieldKind::Check:
        if (natural)
            return number() ? tr("да") : tr("нет");
        break;
    case EFieldKind::Text:
        if (natural)
            return text();
        break;
    case EFieldKind::Hex:
        return text();
    }
    return bytesDisplay(m_bytes);
}

QString SettingFieldValue::bytesDisplay(const QByteArray &bytes)
{
    return tr("байты %1").arg(QString::fromLatin1(bytes.toHex(' ').toUpper()));
}

QString SettingFieldValue::hexDigits(const QByteArray &bytes)
{
    QByteArray reversed(bytes.size(), '\0');
    std::reverse_copy(bytes.cbegin(), bytes.cend(), reversed.begin());
    return QString::fromLatin1(reversed.toHex().toUpper());
}

bool SettingFieldValue::encodeText(const QString &text, QByteArray *bytes)
{
    *bytes = TerminalText::encode(text);
    return !bytes->contains('\0') && decode(*bytes) == text;
}
