#pragma once

#include "transport/TServerAddress.h"

#include <QByteArray>

// Content of "settings.cfg": the last relay server as QDataStream writes it with its
// default settings, a QString followed by a qint16 carrying the port's bit pattern.
// Bytes after the port are left over from longer records and are ignored.
namespace ServerAddressFile {

// Reading more than this from the file would only serve a garbage file.
constexpr qint64 MAX_FILE_SIZE = 64 * 1024;

// Fills address and returns true only when the whole record is present; otherwise the
// address is left untouched.
bool read(const QByteArray &bytes, TServerAddress *address);
QByteArray bytes(const TServerAddress &address);

} // namespace ServerAddressFile
