#pragma once

#include "session/Transaction.h"

#include <cstdint>

// A command to the terminal (restart, factory reset): 1 accepted, 0 refused, -1 no answer.
class DeviceCommand
{
public:
    static int run(const TTransaction &t, uint8_t code);
};
