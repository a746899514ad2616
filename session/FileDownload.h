#pragma once

#include "session/Transaction.h"

#include <functional>

// Reads a named file of the terminal ("BASE", "LOG") in requests of at most 232 bytes.
class FileDownload
{
public:
    static constexpr int FILE_CHUNK_MAX = 232;
    // A file the terminal serves is at most this long; more is a broken size field.
    static constexpr uint32_t FILE_SIZE_LIMIT = 64u * 1024u * 1024u;

    // True with the whole file in *out; onChunk sees each piece as it arrives.
    static bool run(const TTransaction &t, const QByteArray &name, QByteArray *out,
                    const std::function<void(const QByteArray &)> &onChunk = {});
};
