// The relay server's device list: the packet's payload taken out of a frame, its records
// decoded, and each record's texts as the device selection shows them.
//
// Input: one relay frame as it arrived (header, payload, CRC); its length field is not
// trusted to match the bytes.

#include "FuzzSupport.h"

#include "transport/Packet.h"
#include "transport/RelayCodec.h"
#include "transport/TDeviceToConfigInfo.h"

#include <cstdint>
#include <cstring>

namespace {

void checkList(const QByteArray &payload)
{
    int declared = -1;
    const QList<TDeviceToConfigInfo> devices = RelayCodec::parseDeviceList(payload, &declared);
    const int present = qMax(0, payload.size() - 2) / RelayCodec::RECORD_SIZE;
    FUZZ_REQUIRE(declared == (payload.size() >= 2 ? Packet::readU16(payload, 0) : 0));
    FUZZ_REQUIRE(devices.size() == qMin(declared, present));

    for (int i = 0; i < devices.size(); ++i) {
        const TDeviceToConfigInfo &info = devices.at(i);
        // Each record exactly as received, and carried unchanged into the connect request.
        const QByteArray bytes = RelayCodec::recordBytes(info);
        FUZZ_REQUIRE(bytes == payload.mid(2 + i * RelayCodec::RECORD_SIZE, RelayCodec::RECORD_SIZE));
        TDeviceToConfigInfo back;
        FUZZ_REQUIRE(RelayCodec::parseRecord(RelayCodec::payloadOf(RelayCodec::connectRequestPacket(info)), &back));
        FUZZ_REQUIRE(std::memcmp(&back, &info, sizeof info) == 0);

        // Texts end at their zero byte or their field, never in the next field.
        const QString id = deviceIdText(info);
        const QString name = deviceNameText(info);
        FUZZ_REQUIRE(id.size() <= int(sizeof info.device_id));
        FUZZ_REQUIRE(name.size() <= int(sizeof info.device_name));
        FUZZ_REQUIRE(deviceCaption(info) == id + QStringLiteral(": ") + name);
    }

    // What the list holds survives being sent again.
    const QByteArray resent = RelayCodec::deviceListPacket(devices);
    FUZZ_REQUIRE(Packet::checkHeader(resent) == Packet::HeaderStatus::Valid);
    const QList<TDeviceToConfigInfo> again = RelayCodec::parseDeviceList(RelayCodec::payloadOf(resent));
    FUZZ_REQUIRE(again.size() == devices.size());
    for (int i = 0; i < again.size(); ++i)
        FUZZ_REQUIRE(std::memcmp(&again.at(i), &devices.at(i), sizeof(TDeviceToConfigInfo)) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::quietMessages();
    const QByteArray frame(reinterpret_cast<const char *>(data), int(size));

    const QByteArray payload = RelayCodec::payloadOf(frame);
    const int claimed = Packet::claimedSize(frame);
    if (claimed < 0 || frame.size() < claimed)
        FUZZ_REQUIRE(payload.isEmpty());
    else
        FUZZ_REQUIRE(payload == frame.mid(Packet::HEADER_SIZE, claimed - Packet::OVERHEAD));
    checkList(payload);
    // The decoder promises bounds on any bytes, not only on a frame's payload.
    checkList(frame);

    // Frames taken off a stream are whole and account for every byte taken.
    QByteArray stream = frame;
    const QList<QByteArray> frames = RelayCodec::takeFrames(stream);
    int taken = 0;
    for (const QByteArray &f : frames) {
        FUZZ_REQUIRE(Packet::claimedSize(f) == f.size());
        taken += f.size();
    }
    FUZZ_REQUIRE(taken + stream.size() == frame.size());
    FUZZ_REQUIRE(Packet::claimedSize(stream) < 0 || Packet::claimedSize(stream) > stream.size());
    return 0;
}
