#pragma once

#include "session/Transaction.h"

// Sends a file ("SETTINGS", "FIRMWARE") as numbered chunks of 485 bytes, one at a time.
class FileUpload
{
public:
    static constexpr int CHUNK_SIZE = 485;
    static constexpr int MAX_CHUNK_COUNT = 0xFFFF;

    // True when every chunk was accepted.
    static bool run(const TTransaction &t, const QByteArray &name, const QByteArray &data);
};
