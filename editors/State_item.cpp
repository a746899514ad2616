#include "editors/State_item.h"

#include "editors/StoredInteger.h"
#include "model/ParameterTable.h"

#include <QDateTime>
#include <QtEndian>

#include <cstring>

namespace {

constexpr int BASE_ITEM_ROLE = 255;

} // namespace

State_item::State_item(const QString &text)
    : m_text(text)
{
}

State_item::State_item(const TStateItemDesc &desc)
    : m_kind(desc.kind), m_value(desc.value), m_valid(desc.valid), m_onText(desc.onText),
      m_offText(desc.offText), m_noDataText(desc.noDataText), m_size(desc.size), m_unit(desc.unit),
      m_decimals(desc.decimals), m_type(desc.type)
{
}

// Unsigned as the terminal counts: a traffic counter past 2 GiB is no negative number.
QVariant State_item::number(bool isFloat, float real, uint32_t integer) const
{
    if (m_unit.isEmpty() && m_decimals < 0)
        return isFloat && real != 0.0f ? QVariant(real) : QVariant(integer);
    const QString text = !isFloat ? QString::number(integer)
        : m_decimals >= 0         ? QString::number(double(real), 'f', m_decimals)
                                  : QString::number(double(real), 'g', 7);
    return m_unit.isEmpty() ? text : text + QLatin1Char(' ') + m_unit;
}

QVariant State_item::data(int role) const
{
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return role == BASE_ITEM_ROLE ? QStandardItem::data(role) : QVariant();
    if (!m_value)
        return m_text;
    if (m_valid && !*m_valid)
        return m_noDataText;

    if (m_kind == STATE_TEXT) {
        const char *bytes = reinterpret_cast<const char *>(m_value);
        return QString::fromUtf8(bytes, int(qstrnlen(bytes, m_size)));
    }

    bool isInteger = true;
    bool isFloat = false;
    uint32_t integer = 0;
    float real = 0.0f;
    switch (m_type) {
    case PARAM_U8:
    case PARAM_FLAG:
    case PARAM_U16:
    case PARAM_U32:
        integer = StoredInteger::read(m_value, m_type);
        break;
    case PARAM_FLOAT: {
        const quint32 bits = qFromLittleEndian<quint32>(m_value);
        std::memcpy(&real, &bits, sizeof real);
        isInteger = false;
        isFloat = true;
        break;
    }
    default:
        isInteger = false;
        break;
    }

    switch (m_kind) {
    case STATE_NUMBER:
        return number(isFloat, real, integer);
    case STATE_TEMPERATURE:
        if (isFloat && real >= -150.1f && real <= -149.9f)
            return tr("нет связи");
        return number(isFloat, real, integer);
    case STATE_ONOFF:
        if (isFloat)
            return real > 0.0f ? m_onText : m_offText;
        if (isInteger)
            return integer != 0 ? m_onText : m_offText;
        return tr("Ошибка!");
    case STATE_DATETIME:
        // A count of seconds is a point in UTC; a local-time value could fall into a
        // daylight-saving gap and be shifted.
        if (!isInteger)
            return tr("Ошибка!");
        return QDateTime::fromSecsSinceEpoch(qint64(integer), Qt::UTC);
    default:
        return QVariant();
    }
}

State_item::EChange State_item::repaintIfChanged()
{
    if (!m_value)
        return EChange::None;
    QVariant now = data(Qt::DisplayRole);
    if (now == m_shown)
        return EChange::None;
    const bool longer = now.toString().size() > m_shown.toString().size();
    m_shown = std::move(now);
    emitDataChanged();
    return longer ? EChange::Longer : EChange::Changed;
}
