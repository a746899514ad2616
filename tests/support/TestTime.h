#pragma once

#include <QtGlobal>

// Sanitizer builds run several times slower: TRIVOX_TEST_TIME_SCALE stretches every time
// limit of the tests alike (1 when unset).
inline int testTimeScale()
{
    return qMax(1, qEnvironmentVariableIntValue("TRIVOX_TEST_TIME_SCALE"));
}
