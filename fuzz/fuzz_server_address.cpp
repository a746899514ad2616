// Reading "settings.cfg", the last relay server address: the input is the file.

#include "FuzzSupport.h"

#include "files/ServerAddressFile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::quietMessages();
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const QString untouched = QStringLiteral("untouched");
    TServerAddress address;
    address.ip = untouched;
    address.port = 4242;

    if (!ServerAddressFile::read(bytes, &address)) {
        // A refused file leaves the address the dialog shows as it was.
        FUZZ_REQUIRE(address.ip == untouched && address.port == 4242);
        return 0;
    }
    // An accepted file is a record followed by leftovers: writing the address back gives
    // exactly the record, and reading that gives the same address.
    const QByteArray record = ServerAddressFile::bytes(address);
    FUZZ_REQUIRE(bytes.startsWith(record));
    TServerAddress again;
    FUZZ_REQUIRE(ServerAddressFile::read(record, &again));
    FUZZ_REQUIRE(again.ip == address.ip && again.ip.isNull() == address.ip.isNull());
    FUZZ_REQUIRE(again.port == address.port);
    return 0;
}
