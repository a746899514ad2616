#pragma once

#include "session/Transaction.h"

#include <cstdint>

// Reading or writing one setting. Each gives 1 when the terminal accepted, 0 when its answer
// was refused or wrong, -1 with no answer.
class SettingExchange
{
public:
    // expectedSize: the setting's size; *value gets the bytes read.
    static int read(const TTransaction &t, uint16_t id, uint16_t subId, uint uuid, uint8_t expectedSize,
                    QByteArray *value);
    // value: the bytes the terminal is told.
    static int write(const TTransaction &t, uint16_t id, uint16_t subId, uint uuid, const QByteArray &value);
};
