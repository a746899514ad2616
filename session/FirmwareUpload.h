#pragma once

#include "session/Transaction.h"

#include <QString>

// Reads a firmware file and sends it as "FIRMWARE".
class FirmwareUpload
{
public:
    enum class EResult { Sent, Missing, Unreadable, Failed };
    static EResult run(const TTransaction &t, const QString &path);
};
