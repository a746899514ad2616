#pragma once

#include <QString>

class QFileDevice;

// Why writing a file failed, in the system's words. A failed flush of a QSaveFile reports
// "Unknown error" while errno still says "No space left on device": take errno when the
// device has nothing better. errnoAfter: errno read right after the failed call.
QString writeFailureReason(const QFileDevice &file, int errnoAfter);
