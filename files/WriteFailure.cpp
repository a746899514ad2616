#include "files/WriteFailure.h"

#include <QFileDevice>

#include <cstring>

QString writeFailureReason(const QFileDevice &file, int errnoAfter)
{
    if (file.error() != QFileDevice::NoError && file.error() != QFileDevice::UnspecifiedError
        && file.errorString() != QLatin1String("Unknown error"))
        return file.errorString();
    return errnoAfter != 0 ? QString::fromLocal8Bit(std::strerror(errnoAfter)) : file.errorString();
}
