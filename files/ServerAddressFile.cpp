#include "files/ServerAddressFile.h"

#include <QDataStream>

namespace ServerAddressFile {

namespace {

constexpr qint64 LENGTH_SIZE = 4;
constexpr qint64 PORT_SIZE = 2;
constexpr quint32 NULL_STRING = 0xFFFFFFFF;

} // namespace

bool read(const QByteArray &bytes, TServerAddress *address)
{
    QDataStream probe(bytes);
    quint32 textBytes = 0;
    probe >> textBytes;
    if (probe.status() != QDataStream::Ok)
        return false;

    // The length prefix of a damaged file can claim gigabytes; it must fit the bytes present.
    const qint64 rest = bytes.size() - LENGTH_SIZE;
    const qint64 needed = (textBytes == NULL_STRING ? 0 : qint64(textBytes)) + PORT_SIZE;
    if (needed > rest || (textBytes != NULL_STRING && textBytes % 2 != 0))
        return false;

    QDataStream in(bytes);
    QString ip;
    qint16 port = 0;
    in >> ip >> port;
    if (in.status() != QDataStream::Ok)
        return false;
    address->ip = ip;
    address->port = uint16_t(port);
    return true;
}

QByteArray bytes(const TServerAddress &address)
{
    QByteArray out;
    QDataStream stream(&out, QIODevice::WriteOnly);
    stream << address.ip << qint16(address.port);
    return out;
}

} // namespace ServerAddressFile
