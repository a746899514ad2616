#pragma once

#include <cstdint>

// Which link the port handler's I/O operations use; set by findDevice only.
enum ConnectionKind : int32_t {
    CONNECTION_NONE = 0,
    CONNECTION_SERIAL = 1,
    CONNECTION_TCP = 2,
};
