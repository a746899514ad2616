#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"
#include "support/TerminalProcess.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"

#include <QDeadlineTimer>
#include <QtTest>

#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A byte of an answer, or -1 when the answer is shorter.
int at(const QByteArray &answer, int offset)
{
    return offset < answer.size() ? int(uint8_t(answer[offset])) : -1;
}

} // namespace

// Raw frames against the stand-in terminal over its pty.
class tst_terminal_sim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void authorizationDecidesByPin();
    void readAnswersParametersAndRefusesUnknownSettings();
    void baseDownloadMatchesTheTerminalsSettings();
    void settingsUploadIsAppliedOnlyWithAGoodCode();
    void chunkSeriesMustStartAtOne();
    void splitAnswersArriveWholeInPieces();
    void malformedFramesAreSkippedAndTheNextRequestServed();

private:
    QByteArray exchange(const QByteArray &frame, int *pieces = nullptr, int timeoutMs = 3000);
    QByteArray readRequest(uint32_t uuid, uint16_t id, uint16_t subId = 0);
    QByteArray getFile(const QByteArray &name, uint32_t offset, uint16_t length);
    QByteArray chunk(const QByteArray &name, uint16_t index, uint16_t count, const QByteArray &data);
    void authorize();

    TerminalProcess m_terminal;
    int m_fd = -1;
};

void tst_terminal_sim::initTestCase()
{
    QVERIFY2(m_terminal.start({QStringLiteral("--pty")}), qPrintable(m_terminal.errorString()));
    m_fd = ::open(QFile::encodeName(m_terminal.ptyPath()).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(m_fd >= 0);
    termios mode{};
    QCOMPARE(::tcgetattr(m_fd, &mode), 0);
    ::cfmakeraw(&mode);
    QCOMPARE(::tcsetattr(m_fd, TCSANOW, &mode), 0);
}

void tst_terminal_sim::cleanupTestCase()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void tst_terminal_sim::init()
{
    QVERIFY(m_terminal.control(QStringLiteral("clear")));
}

QByteArray tst_terminal_sim::exchange(const QByteArray &frame, int *pieces, int timeoutMs)
{
    if (pieces)
        *pieces = 0;
    if (::write(m_fd, frame.constData(), size_t(frame.size())) != frame.size())
        return QByteArray();
    QByteArray answer;
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const int size = Packet::claimedSize(answer);
        if (size > 0 && answer.size() >= size)
            break;
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, int(qMin<qint64>(deadline.remainingTime(), 50))) <= 0)
            continue;
        char buffer[1024];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            answer.append(buffer, int(n));
            if (pieces)
                ++*pieces;
        }
    }
    return answer;
}

QByteArray tst_terminal_sim::readRequest(uint32_t uuid, uint16_t id, uint16_t subId)
{
    QByteArray payload;
    Packet::appendU32(payload, uuid);
    payload.append(char(3));
    payload.append(char(4));
    Packet::appendU16(payload, id);
    Packet::appendU16(payload, subId);
    return Packet::assemble(PACKET_REQUEST, payload);
}

QByteArray tst_terminal_sim::getFile(const QByteArray &name, uint32_t offset, uint16_t length)
{
    QByteArray payload = name.leftJustified(8, '\0', true);
    Packet::appendU16(payload, 0);
    Packet::appendU32(payload, offset);
    Packet::appendU16(payload, length);
    return Packet::assemble(PACKET_GET_FILE, payload);
}

QByteArray tst_terminal_sim::chunk(const QByteArray &name, uint16_t index, uint16_t count, const QByteArray &data)
{
    QByteArray payload = name.leftJustified(8, '\0', true);
    Packet::appendU16(payload, 0);
    Packet::appendU16(payload, uint16_t(data.size()));
    Packet::appendU16(payload, index);
    Packet::appendU16(payload, count);
    payload.append(data);
    return Packet::assemble(PACKET_CHUNK, payload);
}

void tst_terminal_sim::authorize()
{
    const QByteArray answer = exchange(Packet::assembleWithLength(4, PACKET_AUTH, "7390"));
    QVERIFY(answer.size() >= 4);
    QCOMPARE(at(answer, 3), 1);
}

void tst_terminal_sim::authorizationDecidesByPin()
{
    QByteArray answer = exchange(Packet::assembleWithLength(4, PACKET_AUTH, "1234"));
    QCOMPARE(answer.size(), 8);
    QCOMPARE(at(answer, 3), 0);
    QVERIFY(!m_terminal.waitForEvent(QStringLiteral("AUTH BAD")).isEmpty());

    answer = exchange(readRequest(7, 1));
    QVERIFY(answer.size() >= 8);
    QCOMPARE(at(answer, 7), 3);

    authorize();
    QVERIFY(!m_terminal.waitForEvent(QStringLiteral("AUTH OK")).isEmpty());
}

void tst_terminal_sim::readAnswersParametersAndRefusesUnknownSettings()
{
    authorize();
    QByteArray answer = exchange(readRequest(0x01020304, 1));
    QCOMPARE(answer.size(), 13 + 4);
    QCOMPARE(Packet::checkHeader(answer), Packet::HeaderStatus::Valid);
    QCOMPARE(at(answer, 2), int(PACKET_RESPONSE));
    QCOMPARE(Packet::readU32(answer, 3), 0x01020304u);
    QCOMPARE(at(answer, 7), 1);
    QCOMPARE(Packet::readU16(answer, 9), uint16_t(1));
    QCOMPARE(at(answer, 11), 1);
    QCOMPARE(at(answer, 12), 0xF0);
    QVERIFY(!m_terminal.waitForEvent(QStringLiteral("READ 1 0")).isEmpty());

    // 3002 has two SIM entries: sub-id 2 is out of range.
    answer = exchange(readRequest(5, 3002, 2));
    QVERIFY(answer.size() >= 8);
    QCOMPARE(Packet::readU32(answer, 3), 5u);
    QCOMPARE(at(answer, 7), 2);
}

void tst_terminal_sim::baseDownloadMatchesTheTerminalsSettings()
{
    authorize();
    const QByteArray expected = m_terminal.dumpBase();
    QVERIFY(expected.size() > 232);

    QByteArray file;
    uint32_t total = 0;
    uint16_t wanted = 232;
    while (true) {
        const QByteArray answer = exchange(getFile("BASE", uint32_t(file.size()), wanted));
        QVERIFY(answer.size() >= 24);
        QCOMPARE(at(answer, 2), int(PACKET_FILE_DATA));
        QCOMPARE(Packet::readU16(answer, 17), wanted);
        QCOMPARE(at(answer, 19), 0);
        if (file.isEmpty())
            total = Packet::readU32(answer, 13);
        file.append(answer.mid(20, answer.size() - 24));
        if (uint32_t(file.size()) >= total)
            break;
        wanted = uint16_t(qMin<uint32_t>(total - uint32_t(file.size()), 232));
    }
    QCOMPARE(file, expected);

    QByteArray answer = exchange(getFile("BASE", total + 1, 232));
    QCOMPARE(at(answer, 19), 2);
    answer = exchange(getFile("NOPE", 0, 232));
    QCOMPARE(at(answer, 19), 3);
}

void tst_terminal_sim::settingsUploadIsAppliedOnlyWithAGoodCode()
{
    authorize();
    std::memset(&SettingsStorage, 0, sizeof SettingsStorage);
    setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
    std::strcpy(reinterpret_cast<char *>(SettingsStorage.servers[0]), "192.168.7.7:9000");
    const QByteArray image = build_settings_image();
    QVERIFY(image.size() > 2 * 485);

    auto upload = [this](const QByteArray &bytes) {
        const int count = int(bytes.size()) / 485 + 1;
        int last = -1;
        for (int i = 1; i <= count; ++i) {
            const QByteArray answer = exchange(chunk("SETTINGS", uint16_t(i), uint16_t(count), bytes.mid((i - 1) * 485, 485)));
            if (at(answer, 2) != PACKET_CHUNK_RESULT)
                return -1;
            last = at(answer, 15);
            if (last != 0)
                break;
        }
        return last;
    };

    QByteArray forged = image;
    forged[0] = char(forged[0] ^ 1);
    const QByteArray before = m_terminal.dumpBase();
    QCOMPARE(upload(forged), 2);
    QVERIFY(!m_terminal.waitForEvent(QStringLiteral("SETTINGS_REJECTED")).isEmpty());
    QCOMPARE(m_terminal.dumpBase(), before);

    QCOMPARE(upload(image), 0);
    QCOMPARE(m_terminal.waitForEvent(QStringLiteral("SETTINGS_APPLIED")),
             QStringLiteral("SETTINGS_APPLIED %1").arg(image.size()));
    QCOMPARE(m_terminal.dumpBase(), image.mid(SETTINGS_IMAGE_RECORDS_OFFSET));
}

void tst_terminal_sim::chunkSeriesMustStartAtOne()
{
    authorize();
    QByteArray answer = exchange(chunk("FIRMWARE", 2, 3, QByteArray(10, 'x')));
    QCOMPARE(at(answer, 15), 4);
    answer = exchange(chunk("PICTURE", 1, 1, QByteArray(10, 'x')));
    QCOMPARE(at(answer, 15), 3);

    answer = exchange(chunk("FIRMWARE", 1, 2, QByteArray(485, 'f')));
    QCOMPARE(at(answer, 15), 0);
    answer = exchange(chunk("FIRMWARE", 2, 2, QByteArray()));
    QCOMPARE(at(answer, 15), 0);
    QVERIFY(m_terminal.waitForEvent(QStringLiteral("FIRMWARE 485 ")).startsWith(QLatin1String("FIRMWARE 485 ")));
}

void tst_terminal_sim::splitAnswersArriveWholeInPieces()
{
    authorize();
    QVERIFY(m_terminal.control(QStringLiteral("set split 1")));
    int pieces = 0;
    const QByteArray answer = exchange(readRequest(3, 2001), &pieces);
    QCOMPARE(answer.size(), 12 + 2 + 4);
    QCOMPARE(Packet::checkHeader(answer), Packet::HeaderStatus::Valid);
    QCOMPARE(Packet::readU16(answer, 12), uint16_t(250));
    QVERIFY2(pieces > 2, qPrintable(QString::number(pieces)));
}

void tst_terminal_sim::malformedFramesAreSkippedAndTheNextRequestServed()
{
    authorize();
    // A request too short to hold its uuid and code: no answer.
    const QByteArray shortRequest = Packet::assemble(PACKET_REQUEST, QByteArray(3, '\0'));
    QVERIFY(exchange(shortRequest, nullptr, 300).isEmpty());
    QVERIFY(!m_terminal.waitForEvent(QStringLiteral("MALFORMED 1 3")).isEmpty());

    // A read whose item length claims more bytes than the frame holds.
    QByteArray overlong = readRequest(9, 1);
    overlong[8] = char(60);
    overlong = Packet::assemble(PACKET_REQUEST, overlong.mid(3, overlong.size() - 7));
    QCOMPARE(at(exchange(overlong), 7), 2);

    QByteArray badCrc = readRequest(4, 1);
    badCrc[badCrc.size() - 1] = char(badCrc[badCrc.size() - 1] ^ 0xFF);
    QVERIFY(exchange(badCrc, nullptr, 300).isEmpty());
    QVERIFY(!m_terminal.waitForEvent(QStringLiteral("BAD_CRC")).isEmpty());

    const QByteArray answer = exchange(readRequest(4, 1));
    QCOMPARE(Packet::readU32(answer, 3), 4u);
    QCOMPARE(at(answer, 7), 1);
}

QTEST_GUILESS_MAIN(tst_terminal_sim)
#include "tst_terminal_sim.moc"
