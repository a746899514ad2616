#pragma once

#include "session/Transaction.h"

// Sends the access PIN and judges the answer by its first payload byte.
class Authorization
{
public:
    enum class EResult { Accepted, Refused, NoAnswer };
    static EResult run(const TTransaction &t, const QByteArray &pin);
};
