#include "editors/StoredInteger.h"

#include "model/ParameterTable.h"

#include <QtEndian>

namespace StoredInteger {

bool isInteger(int type)
{
    return type == PARAM_U8 || type == PARAM_FLAG || type == PARAM_U16 || type == PARAM_U32;
}

uint32_t read(const uint8_t *field, int type)
{
    if (!field)
        return 0;
    switch (type) {
    case PARAM_U8:
    case PARAM_FLAG:
        return field[0];
    case PARAM_U16:
        return qFromLittleEndian<quint16>(field);
    case PARAM_U32:
        return qFromLittleEndian<quint32>(field);
    default:
        return 0;
    }
}

bool write(uint8_t *field, int type, uint32_t value)
{
    if (!field || !isInteger(type))
        return false;
    switch (type) {
    case PARAM_U16:
        qToLittleEndian<quint16>(quint16(value), field);
        break;
    case PARAM_U32:
        qToLittleEndian<quint32>(value, field);
        break;
    default:
        field[0] = uint8_t(value);
        break;
    }
    return true;
}

} // namespace StoredInteger
