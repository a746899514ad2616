// Writes the seed corpora of the fuzz targets from the project's own packet and file
// builders: real frames, a real device list, a real "BASE", real settings images and a real
// "settings.cfg". Usage: fuzz_make_corpus <corpus directory>

#include "files/ServerAddressFile.h"
#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"
#include "session/TerminalFrames.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"
#include "transport/RelayCodec.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <cstring>

namespace {

QDir g_root;
int g_written = 0;

void put(const char *target, const char *name, const QByteArray &bytes)
{
    g_root.mkpath(QString::fromLatin1(target));
    QFile file(g_root.filePath(QStringLiteral("%1/%2").arg(QLatin1String(target), QLatin1String(name))));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s/%s\n", target, name);
        std::exit(1);
    }
    ++g_written;
}

QByteArray u16(uint16_t v)
{
    QByteArray b;
    Packet::appendU16(b, v);
    return b;
}

QByteArray u32(uint32_t v)
{
    QByteArray b;
    Packet::appendU32(b, v);
    return b;
}

// Answers as a terminal sends them.
QByteArray readResponse(uint32_t uuid, uint16_t id, const QByteArray &value)
{
    QByteArray p = u32(uuid);
    p.append(char(TerminalFrames::RESULT_OK));
    p.append('\0');
    p.append(u16(id));
    p.append(char(value.size()));
    p.append(value);
    return Packet::assemble(PACKET_RESPONSE, p);
}

QByteArray ackResponse(uint32_t uuid, uint8_t result)
{
    QByteArray p = u32(uuid);
    p.append(char(result));
    return Packet::assemble(PACKET_RESPONSE, p);
}

QByteArray fileAnswer(const QByteArray &name, uint32_t fileSize, uint16_t chunkLength, uint8_t result,
                      const QByteArray &data)
{
    QByteArray p = TerminalFrames::fileNameField(name);
    p.append(u16(0));
    p.append(u32(fileSize));
    p.append(u16(chunkLength));
    p.append(char(result));
    p.append(data);
    return Packet::assemble(PACKET_FILE_DATA, p);
}

QByteArray chunkAnswer(uint16_t index, uint8_t result)
{
    QByteArray p = TerminalFrames::fileNameField("SETTINGS");
    p.append(u16(0));
    p.append(u16(index));
    p.append(char(result));
    return Packet::assemble(PACKET_CHUNK_RESULT, p);
}

QByteArray authAnswer(bool accepted)
{
    return Packet::assemble(PACKET_AUTH, QByteArray(1, accepted ? '\1' : '\0'));
}

// A configured terminal of device type 0xF0.
void fillStorage()
{
    std::memset(&SettingsStorage, 0, sizeof SettingsStorage);
    setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
    TSettingsStorage &s = SettingsStorage;
    std::memcpy(s.servers[0], "10.0.0.5:7000", 13);
    s.servers[0][SERVER_TYPE_OFFSET] = 1;
    std::memcpy(s.sims[0], "internet", 8);
    std::memcpy(s.accessPin, "7390", 4);
    s.pinEnabled[0] = 1;
    std::memcpy(s.phones[0], "+79001234567", 12);
    s.rs232[IFACE_BAUD] = 7;
    s.rs232[IFACE_DATA_BITS] = 8;
    s.sessionHold[0][0] = 60;
    s.csdInterface[0] = 9;
}

QByteArray baseFile()
{
    fillStorage();
    return build_settings_image().mid(SETTINGS_IMAGE_RECORDS_OFFSET);
}

QByteArray record(uint16_t id, uint16_t subId, const QByteArray &value)
{
    return u16(id) + u16(subId) + u16(uint16_t(value.size())) + value;
}

QList<TDeviceToConfigInfo> twoDevices()
{
    return {RelayCodec::makeRecord("860000000000001", "Насосная 1"),
            RelayCodec::makeRecord("860000000000002", "Котельная")};
}

// fuzz_tcp_receive: repeat byte (bit 6: the session drops what arrives, bit 7: the target
// keeps the CRCs right), split sizes, stream.
constexpr uint8_t DROP_UNREAD = 0x40;
constexpr uint8_t KEEP_CRC = 0x80;
QByteArray tcpInput(const QByteArray &stream, const QList<uint16_t> &splits = {}, uint8_t repeat = KEEP_CRC)
{
    QByteArray in;
    in.append(char(repeat));
    in.append(char(splits.size()));
    for (uint16_t s : splits)
        in.append(u16(s));
    in.append(stream);
    return in;
}

// fuzz_answers: the request an answer is checked against, split sizes, the bytes received.
QByteArray answerInput(bool wantValue, uint32_t uuid, uint16_t id, uint8_t size, uint16_t wanted,
                       const QByteArray &received, const QByteArray &splits = {})
{
    QByteArray in;
    in.append(char(wantValue ? 1 : 0));
    in.append(u32(uuid));
    in.append(u16(id));
    in.append(char(size));
    in.append(u16(wanted));
    in.append(char(splits.size()));
    in.append(splits);
    in.append(received);
    return in;
}

void tcpReceive()
{
    const QByteArray list = RelayCodec::deviceListPacket(twoDevices());
    const QByteArray reading = readResponse(1, 1, QByteArray(1, char(0xF0)));
    put("fuzz_tcp_receive", "device_list", tcpInput(list));
    put("fuzz_tcp_receive", "device_list_split", tcpInput(list, {1, 2, 57}));
    put("fuzz_tcp_receive", "empty_device_list", tcpInput(RelayCodec::deviceListPacket({})));
    for (uint8_t r = 0; r < 4; ++r)
        put("fuzz_tcp_receive", qPrintable(QStringLiteral("connect_result_%1").arg(r)),
            tcpInput(RelayCodec::connectResultPacket(r)));
    put("fuzz_tcp_receive", "ping", tcpInput(RelayCodec::pingPacket()));
    put("fuzz_tcp_receive", "close_socket", tcpInput(RelayCodec::closeSocketPacket()));
    put("fuzz_tcp_receive", "ping_then_answer", tcpInput(RelayCodec::pingPacket() + reading, {5}));
    put("fuzz_tcp_receive", "answer_split_bytes", tcpInput(reading, {1}));
    put("fuzz_tcp_receive", "two_answers_one_arrival", tcpInput(reading + ackResponse(0, 1)));
    put("fuzz_tcp_receive", "file_answer",
        tcpInput(fileAnswer("BASE", 500, 232, 0, baseFile().left(232)), {100, 200}));
    put("fuzz_tcp_receive", "chunk_answer", tcpInput(chunkAnswer(1, 0)));
    QByteArray badCrc = reading;
    badCrc[badCrc.size() - 1] = char(badCrc.at(badCrc.size() - 1) ^ 0x5A);
    put("fuzz_tcp_receive", "bad_crc_then_answer", tcpInput(badCrc + reading, {}, 0));
    put("fuzz_tcp_receive", "answer_then_close", tcpInput(reading + RelayCodec::closeSocketPacket(), {3, 30}));
    put("fuzz_tcp_receive", "late_answer_then_close_dropped",
        tcpInput(reading + RelayCodec::closeSocketPacket(), {}, KEEP_CRC | DROP_UNREAD));
    put("fuzz_tcp_receive", "repeated_pings", tcpInput(RelayCodec::pingPacket(), {7}, KEEP_CRC | 15));
    QByteArray huge = u16(0xFFFF) + QByteArray(1, char(PACKET_RESPONSE)) + QByteArray(4000, 'x');
    put("fuzz_tcp_receive", "longest_length_field", tcpInput(huge, {4096}, 40));
}

void answers()
{
    const QByteArray split3("\x03\x05\x01", 3);
    put("fuzz_answers", "device_type", answerInput(true, 1, 1, 1, 232, readResponse(1, 1, QByteArray(1, char(0xF0)))));
    put("fuzz_answers", "device_type_split", answerInput(true, 1, 1, 1, 232, readResponse(1, 1, QByteArray(1, char(0xF0))), split3));
    put("fuzz_answers", "firmware_version",
        answerInput(true, 2, 2, 50, 232, readResponse(2, 2, QByteArray("TRV-2.14").leftJustified(50, '\0'))));
    put("fuzz_answers", "write_ack", answerInput(false, 0, 3368, 1, 232, ackResponse(0, 1)));
    put("fuzz_answers", "write_error", answerInput(false, 0, 3368, 1, 232, ackResponse(0, 7)));
    put("fuzz_answers", "wrong_uuid", answerInput(true, 5, 1, 1, 232, readResponse(6, 1, QByteArray(1, 'a'))));
    const QByteArray base = baseFile();
    put("fuzz_answers", "base_first_chunk", answerInput(false, 0, 0, 0, 232, fileAnswer("BASE", uint32_t(base.size()), 232, 0, base.left(232))));
    put("fuzz_answers", "base_last_chunk",
        answerInput(false, 0, 0, 0, uint16_t(base.size() % 232), fileAnswer("BASE", uint32_t(base.size()), uint16_t(base.size() % 232), 0, base.right(base.size() % 232)), split3));
    for (uint8_t r = 1; r <= 4; ++r)
        put("fuzz_answers", qPrintable(QStringLiteral("file_result_%1").arg(r)),
            answerInput(false, 0, 0, 0, 232, fileAnswer("LOG", 0, 232, r, {})));
    put("fuzz_answers", "log_chunk", answerInput(false, 0, 0, 0, 232, fileAnswer("LOG", 300, 232, 0, QByteArray(232, 'L'))));
    for (uint8_t r = 0; r <= 5; ++r)
        put("fuzz_answers", qPrintable(QStringLiteral("chunk_result_%1").arg(r)), answerInput(false, 0, 0, 0, 0, chunkAnswer(1, r)));
    put("fuzz_answers", "auth_accepted", answerInput(false, 0, 0, 0, 0, authAnswer(true)));
    put("fuzz_answers", "auth_rejected", answerInput(false, 0, 0, 0, 0, authAnswer(false), split3));
    // A refusal sent without payload: its checksum sits where the verdict would be.
    put("fuzz_answers", "auth_without_payload", answerInput(false, 0, 0, 0, 0, Packet::assemble(PACKET_RESPONSE, {})));
    put("fuzz_answers", "answer_and_late_bytes", answerInput(false, 1, 0, 0, 0, ackResponse(1, 1) + ackResponse(1, 1)));
}

void baseParse()
{
    const QByteArray base = baseFile();
    put("fuzz_base_parse", "base_f0", QByteArray(1, '\1') + base);
    put("fuzz_base_parse", "base_no_capabilities", QByteArray(1, '\0') + base);
    QByteArray counts(int(sizeof(TDeviceCapabilities)), char(0xFF));
    put("fuzz_base_parse", "base_counts_over_room", QByteArray(1, '\2') + counts + base);
    // Records a terminal of another build sends: an unknown sub-id, a wrong size, a cut value.
    const QByteArray odd = record(3002, 5, QByteArray(SIM_ENTRY_SIZE, 'a')) + record(3251, 0, "123")
                           + record(3001, 0, QByteArray(35, 's')) + record(3372, 0, "cut");
    put("fuzz_base_parse", "base_odd_records", QByteArray(1, '\1') + odd.left(odd.size() - 1));
}

void deviceList()
{
    put("fuzz_device_list", "two_devices", RelayCodec::deviceListPacket(twoDevices()));
    put("fuzz_device_list", "no_devices", RelayCodec::deviceListPacket({}));
    QByteArray claimsMore = u16(5) + RelayCodec::recordBytes(twoDevices().first());
    put("fuzz_device_list", "count_beyond_records", Packet::assemble(PACKET_DEVICE_LIST, claimsMore));
    put("fuzz_device_list", "connect_request", RelayCodec::connectRequestPacket(twoDevices().last()));
}

void ksfLoad()
{
    fillStorage();
    put("fuzz_ksf_load", "settings_f0.ksf", build_settings_image());
    std::memset(&SettingsStorage, 0, sizeof SettingsStorage);
    put("fuzz_ksf_load", "settings_unknown_device.ksf", build_settings_image());
    fillStorage();
    QByteArray cut = build_settings_image();
    cut.chop(3);
    put("fuzz_ksf_load", "settings_cut.ksf", cut);
}

void serverAddress()
{
    put("fuzz_server_address", "default.cfg", ServerAddressFile::bytes({QStringLiteral("127.0.0.1"), 25501}));
    put("fuzz_server_address", "name.cfg", ServerAddressFile::bytes({QStringLiteral("relay.local"), 65000}));
    put("fuzz_server_address", "leftovers.cfg",
        ServerAddressFile::bytes({QStringLiteral("10.0.0.1"), 80}) + QByteArray("\0\0\0\0", 4));
    put("fuzz_server_address", "empty_text.cfg", ServerAddressFile::bytes({QString(), 1}));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    g_root = QDir(QString::fromLocal8Bit(argv[1]));
    if (!g_root.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    tcpReceive();
    answers();
    baseParse();
    deviceList();
    ksfLoad();
    serverAddress();
    std::printf("%d seed files written\n", g_written);
    return 0;
}
