#include "editors/StoredInteger.h"

#include <QtEndian>

namespace StoredInteger {

bool isInteger(int type)
{
    return type == 1 || type == 7 || type == 2 || type == 3;
}

uint32_t read(const uint8_t *field, int type)
{
    if (!field)
        return 0;
    switch (type) {
    case 1:
    case 7:
        return field[0];
    case 2:
        return qFromLittleEndian<quint16>(field);
    case 3:
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
    case 2:
        qToLittleEndian<quint16>(quint16(value), field);
        break;
    case 3:
        qToLittleEndian<quint32>(value, field);
        break;
    default:
        field[0] = uint8_t(value);
        break;
    }
    return true;
}

} // namespace StoredInteger
