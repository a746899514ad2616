// The worker's transactions against a terminal scripted byte for byte over a pty: what goes
// on the wire, and how every kind of answer (good, rejected, short, split, late, missing)
// is judged.

#include "model/SettingsStorage.h"
#include "session/TerminalFrames.h"
#include "session/usb_handler.h"
#include "support/LogCapture.h"
#include "support/ScriptedPeer.h"
#include "support/SessionHarness.h"
#include "support/TestTime.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>

namespace {

uint8_t typeOf(const QByteArray &frame) { return uint8_t(frame.at(2)); }
uint32_t uuidOf(const QByteArray &request) { return Packet::readU32(request, 3); }
uint16_t itemIdOf(const QByteArray &request) { return Packet::readU16(request, 9); }

QByteArray readAnswer(uint32_t uuid, uint8_t result, uint16_t id, const QByteArray &value)
{
    QByteArray payload;
    Packet::appendU32(payload, uuid);
    payload.append(char(result)).append(char(value.size() + 3));
    Packet::appendU16(payload, id);
    payload.append(char(value.size())).append(value);
    return Packet::assemble(PACKET_RESPONSE, payload);
}

QByteArray ackAnswer(uint32_t uuid, uint8_t result = 1)
{
    QByteArray payload;
    Packet::appendU32(payload, uuid);
    payload.append(char(result)).append('\0');
    return Packet::assemble(PACKET_RESPONSE, payload);
}

QByteArray fileAnswer(uint32_t fileSize, uint16_t chunkLength, uint8_t result, const QByteArray &data)
{
    QByteArray payload = QByteArray("BASE").leftJustified(10, '\0');
    Packet::appendU32(payload, fileSize);
    Packet::appendU16(payload, chunkLength);
    payload.append(char(result)).append(data);
    return Packet::assemble(PACKET_FILE_DATA, payload);
}

QByteArray chunkAnswer(uint8_t result)
{
    return Packet::assemble(PACKET_CHUNK_RESULT, QByteArray("SETTINGS").leftJustified(12, '\0') + char(result));
}

// Reads get a value of the size the parameter table gives, writes and commands an
// acceptance, chunks result 0.
QList<QByteArray> answerRightly(const QByteArray &request)
{
    if (typeOf(request) == PACKET_AUTH)
        return {Packet::assemble(PACKET_AUTH, QByteArray(1, '\x01'))};
    if (typeOf(request) == PACKET_CHUNK)
        return {chunkAnswer(0)};
    if (typeOf(request) != PACKET_REQUEST)
        return {};
    if (uint8_t(request.at(7)) != TerminalFrames::REQUEST_READ)
        return {ackAnswer(uuidOf(request))};
    const uint16_t id = itemIdOf(request);
    const int row = parameterRowOfId(id);
    const QByteArray value = id == 1 ? QByteArray(1, char(0xF0)) : QByteArray(row >= 0 ? parameterRow(row).size : 0, '\x11');
    return {readAnswer(uuidOf(request), 1, id, value)};
}

QByteArray record(uint16_t id, uint16_t subId, const QByteArray &value)
{
    QByteArray r;
    Packet::appendU16(r, id);
    Packet::appendU16(r, subId);
    Packet::appendU16(r, uint16_t(value.size()));
    return r + value;
}

// Serves `file` to file requests, echoing the length asked for.
ScriptedPeer::Script serveFile(const QByteArray &file, uint32_t announced)
{
    return [file, announced](const QByteArray &request) -> QList<QByteArray> {
        if (typeOf(request) != PACKET_GET_FILE)
            return {};
        const uint16_t length = Packet::readU16(request, 17);
        return {fileAnswer(announced, length, 0, file.mid(int(Packet::readU32(request, 13)), length))};
    };
}

ScriptedPeer::Script always(const QByteArray &answer)
{
    return [answer](const QByteArray &) { return QList<QByteArray>{answer}; };
}

// Bytes that differ from their neighbours, so a chunk out of place shows.
QByteArray varied(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + i / 256);
    return bytes;
}

} // namespace

class SessionTransactionsTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScriptedPeer> terminal;
    std::unique_ptr<SessionHarness> session;

    QList<QByteArray> requestsOfType(uint8_t type) const
    {
        QList<QByteArray> out = terminal->requests();
        out.erase(std::remove_if(out.begin(), out.end(), [type](const QByteArray &r) { return typeOf(r) != type; }), out.end());
        return out;
    }
    usb_handler *worker() const { return session->worker(); }

private slots:
    void init()
    {
        std::memset(&SettingsStorage, 0, sizeof SettingsStorage);
        setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
        terminal = std::make_unique<ScriptedPeer>(ScriptedPeer::Pty, answerRightly);
        QVERIFY(terminal->isValid());
        session = std::make_unique<SessionHarness>();
        QVERIFY2(session->connectUsb(terminal->slavePath()), qPrintable(session->statusTexts().join(", ")));
        terminal->clearRequests();
        session->clear();
    }

    void cleanup()
    {
        session.reset();
        terminal.reset();
    }

    void groupReadSendsEachRowOnce_data()
    {
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("firstId");
        QTest::addColumn<QList<int>>("progress");
        // One row: the progress formula would divide by zero.
        QTest::newRow("device type") << int(GROUP_DEVICE_TYPE) << 1 << QList<int>{0, 0};
        // 14 requests: the protocol version row is skipped but counted.
        QTest::newRow("system") << int(GROUP_SYSTEM) << 2
                                << QList<int>{0, 7, 14, 21, 28, 35, 50, 57, 64, 71, 78, 85, 92, 100, 0};
    }

    void groupReadSendsEachRowOnce()
    {
        QFETCH(int, group);
        QFETCH(int, firstId);
        QFETCH(QList<int>, progress);
        session->inWorker([this, group] { worker()->readParameters(ParameterGroup(group)); });
        const QList<QByteArray> sent = requestsOfType(PACKET_REQUEST);
        QCOMPARE(sent.size(), group == GROUP_SYSTEM ? 14 : 1);
        QCOMPARE(int(itemIdOf(sent.at(0))), firstId);
        for (const QByteArray &r : sent) {
            QVERIFY(itemIdOf(r) != PROTO_VER_ID);
            QCOMPARE(int(uuidOf(r)), parameterRowOfId(itemIdOf(r)));
            QCOMPARE(uint8_t(r.at(7)), uint8_t(3));
            QCOMPARE(r.size(), 17);
        }
        QCOMPARE(session->percentages(), progress);
        if (group == GROUP_SYSTEM)
            QCOMPARE(int(SettingsStorage.parameters.protoVer[0]), 1);
    }

    void rejectedAnswersLeaveValuesAndReadingGoesOn_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QStringList>("lines");
        const uint32_t uuid = uint32_t(parameterRowOfId(2001));
        QByteArray badCrc = readAnswer(uuid, 1, 2001, "\x05\x06");
        badCrc[badCrc.size() - 1] = char(badCrc.at(badCrc.size() - 1) ^ 0x55);
        QTest::newRow("error code") << readAnswer(uuid, 2, 2001, "\x05\x06") << QStringList{"Recv error code 2"};
        QTest::newRow("wrong uuid") << readAnswer(uuid + 1, 1, 2001, "\x05\x06") << QStringList{"Recv wrong UUID"};
        QTest::newRow("wrong id") << readAnswer(uuid, 1, 999, "\x05\x06") << QStringList{"Recv wrong parameter ID 999"};
        QTest::newRow("wrong size") << readAnswer(uuid, 1, 2001, "\x05\x06\x07") << QStringList{"Recv wrong parameter size 3", "Must be 2"};
        QTest::newRow("wrong type") << Packet::assemble(PACKET_CHUNK_RESULT, QByteArray(13, '\0')) << QStringList{"Recv wrong message type 4"};
        QTest::newRow("bad crc") << badCrc << QStringList{"Recv invalid CRC"};
        QTest::newRow("short") << ackAnswer(uuid) << QStringList{"Recv short answer"};
    }

    void rejectedAnswersLeaveValuesAndReadingGoesOn()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QStringList, lines);
        // Only the MCC row (id 2001) is answered wrongly; the rest of the group is fine.
        terminal->setScript([answer](const QByteArray &request) {
            return itemIdOf(request) == 2001 ? QList<QByteArray>{answer} : answerRightly(request);
        });
        std::memcpy(SettingsStorage.parameters.mcc, "\xAA\xBB", 2);
        LogCapture log;
        session->inWorker([this] { worker()->readParameters(GROUP_NETWORK); });
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(SettingsStorage.parameters.mcc), 2), QByteArray("\xAA\xBB"));
        QCOMPARE(requestsOfType(PACKET_REQUEST).size(), 23);
        QCOMPARE(SettingsStorage.parameters.mnc[0], uint8_t(0x11));
        for (const QString &line : lines)
            QVERIFY2(log.contains(line), qPrintable(log.lines().join('\n')));
        QVERIFY(worker()->isConnected());
    }

    void cancelFlagStopsGroupAndIsCleared()
    {
        worker()->on_irq();
        session->inWorker([this] { worker()->readParameters(GROUP_IO); });
        QCOMPARE(requestsOfType(PACKET_REQUEST).size(), 0);
        QCOMPARE(session->percentages(), QList<int>{0});

        // Raised while the third row is in flight: no fourth row.
        auto raised = std::make_shared<std::atomic<bool>>(false);
        usb_handler *w = worker();
        terminal->setScript([w, raised](const QByteArray &request) {
            if (uuidOf(request) == 18 && !raised->exchange(true))
                w->on_irq();
            return answerRightly(request);
        });
        session->inWorker([this] { worker()->readParameters(GROUP_IO); });
        QCOMPARE(requestsOfType(PACKET_REQUEST).size(), 3);

        terminal->clearRequests();
        session->inWorker([this] { worker()->readParameters(GROUP_IO); });
        QCOMPARE(requestsOfType(PACKET_REQUEST).size(), 28);
    }

    void silentTerminalIsDeclaredLost()
    {
        terminal->setScript({});
        session->inWorker([this] { worker()->readParameters(GROUP_SYSTEM); });
        QCOMPARE(requestsOfType(PACKET_REQUEST).size(), 1);
        QCOMPARE(session->count(QStringLiteral("device_disconnected")), 1);
        QVERIFY(session->lost());
        QVERIFY(!worker()->isConnected());
        QVERIFY(!worker()->port()->isOpen());
    }

    void answersInOneBytePiecesAreGathered()
    {
        terminal->setScript([](const QByteArray &request) {
            QList<QByteArray> pieces;
            for (const QByteArray &frame : answerRightly(request))
                for (char c : frame)
                    pieces << QByteArray(1, c);
            return pieces;
        });
        session->inWorker([this] { worker()->readParameters(GROUP_NETWORK); });
        QCOMPARE(SettingsStorage.parameters.gsmSignal[0], uint8_t(0x11));
        QVERIFY(worker()->isConnected());
    }

    void lateAnswerIsNotTakenForTheNextOne()
    {
        // Owned by the script: the terminal's thread may outlive this function's frame.
        auto calls = std::make_shared<std::atomic<int>>(0);
        terminal->setScript([calls](const QByteArray &request) -> QList<QByteArray> {
            if (++*calls == 1) {
                QThread::msleep(unsigned(SessionHarness::fastSessionTimeouts().replyMs + 200)); // past the worker's limit
                return {readAnswer(uuidOf(request), 1, itemIdOf(request), QByteArray(5, '\x01'))};
            }
            return {readAnswer(uuidOf(request), 1, itemIdOf(request), QByteArray(5, '\x02'))};
        });
        int first = 0, second = 0;
        session->inWorker([&] { first = worker()->readSetting(3251, 0, 0); });
        QCOMPARE(first, -1);
        QTest::qWait(500 * testTimeScale());
        session->inWorker([&] { second = worker()->readSetting(3251, 0, 0); });
        QCOMPARE(second, 1);
        QCOMPARE(SettingsStorage.accessPin[0], uint8_t(0x02));
    }

    void commandFrameIsThirteenBytesAndJudged_data()
    {
        QTest::addColumn<int>("uuid");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("expected");
        QTest::newRow("accepted") << 1 << 1 << 1;
        QTest::newRow("refused") << 1 << 3 << 0;
        QTest::newRow("other uuid") << 2 << 1 << 0;
    }

    void commandFrameIsThirteenBytesAndJudged()
    {
        QFETCH(int, uuid);
        QFETCH(int, result);
        QFETCH(int, expected);
        terminal->setScript(always(ackAnswer(uint32_t(uuid), uint8_t(result))));
        int got = -2;
        session->inWorker([&] { got = worker()->sendCommand(5, nullptr, 0); });
        QCOMPARE(got, expected);
        QCOMPARE(requestsOfType(PACKET_REQUEST).value(0).toHex(), Packet::assemble(PACKET_REQUEST, QByteArray::fromHex("010000000500")).toHex());
        QVERIFY(worker()->isConnected());
    }

    // Requests that the loop carries out in its next pass, as the window raises them.
    void loopRequestsGoOutInOrder_data()
    {
        QTest::addColumn<int>("job");
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("traffic reset 5") << 0 << QStringList{"write 2016 00000000", "write 2020 00000000"};
        QTest::newRow("output index 1") << 1 << QStringList{};
        QTest::newRow("output index 0") << 2 << QStringList{"write 1061 01"};
        QTest::newRow("restart, factory reset pending") << 3 << QStringList{"command 1"};
    }

    void loopRequestsGoOutInOrder()
    {
        QFETCH(int, job);
        QFETCH(QStringList, sent);
        SettingsStorage.parameters.traffic[4].sent[0] = 9;
        SettingsStorage.parameters.traffic[4].received[0] = 9;
        session->inWorker([this, job] {
            switch (job) {
            case 0: worker()->on_reset_traffic5(); break;
            case 1: worker()->setDigitalOutput(1); break;
            case 2: worker()->setDigitalOutput(0); break;
            case 3: worker()->on_tofactory(); worker()->on_reset_device(); break;
            }
            worker()->main_loop();
        });
        QStringList got;
        for (const QByteArray &r : requestsOfType(PACKET_REQUEST)) {
            if (r.at(7) == TerminalFrames::REQUEST_WRITE)
                got << QStringLiteral("write %1 %2").arg(itemIdOf(r)).arg(QString::fromLatin1(r.mid(14, r.size() - 18).toHex()));
            else
                got << QStringLiteral("command %1").arg(int(r.at(7)));
        }
        QCOMPARE(got, sent);
        QCOMPARE(SettingsStorage.parameters.traffic[4].received[0], uint8_t(job == 0 ? 0 : 9));
        // A successful restart ends the session in order, not as a loss.
        const bool restarted = job == 3;
        QCOMPARE(worker()->isConnected(), !restarted);
        QCOMPARE(session->count(QStringLiteral("device_disconnected")), restarted ? 1 : 0);
        if (restarted) {
            QVERIFY(!session->lost());
            QVERIFY(!worker()->port()->isOpen());
            QVERIFY(session->statusTexts().contains(QStringLiteral("Отправлена команда на перезагрузку устройства - устройство отключено")));
        }
    }

    void fileIsReadInChunksOfAtMost232_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<int>>("lengths");
        QTest::addColumn<QList<int>>("progress");
        QTest::newRow("500") << 500 << QList<int>{232, 232, 36} << QList<int>{46, 92, 100, 0};
        // Progress stays within 0..100: no division by zero, no more than all.
        QTest::newRow("size zero") << 0 << QList<int>{232} << QList<int>{100, 0};
        QTest::newRow("shorter than one request") << 100 << QList<int>{232} << QList<int>{100, 0};
    }

    void fileIsReadInChunksOfAtMost232()
    {
        QFETCH(int, size);
        QFETCH(QList<int>, lengths);
        QFETCH(QList<int>, progress);
        const QByteArray file = varied(size);
        terminal->setScript(serveFile(file, uint32_t(size)));
        QByteArray out;
        int result = 0;
        session->inWorker([&] { result = worker()->getFile("LOG", out); });
        QCOMPARE(result, 1);
        QCOMPARE(out, file);
        const QList<QByteArray> sent = requestsOfType(PACKET_GET_FILE);
        QCOMPARE(sent.size(), lengths.size());
        for (int i = 0, offset = 0; i < sent.size(); offset += lengths.at(i++)) {
            QCOMPARE(sent.at(i).size(), 23);
            QCOMPARE(sent.at(i).mid(3, 8), QByteArray("LOG\0\0\0\0\0", 8));
            QCOMPARE(int(Packet::readU32(sent.at(i), 13)), offset);
            QCOMPARE(int(Packet::readU16(sent.at(i), 17)), lengths.at(i));
        }
        QCOMPARE(session->count(QStringLiteral("log_data")), lengths.size());
        QCOMPARE(session->logData(), file);
        QCOMPARE(session->percentages(), progress);
    }

    void baseParseSkipsUnknownAndStopsAtTruncatedRecord()
    {
        QByteArray base = record(3251, 0, QByteArray("1234\0", 5));
        base += record(3002, 5, QByteArray(62, 'S'));           // sub-id beyond the SIM count
        base += record(3252, 0, QByteArray(2, '\x01'));         // wrong size
        base += record(3374, 0, QByteArray(1, '\x0A'));
        base += record(3372, 0, QByteArray(12, 'R')).left(10); // cut short by the end of the file
        terminal->setScript(serveFile(base, uint32_t(base.size())));
        LogCapture log;
        session->inWorker([this] { worker()->downloadSettings(); });
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(SettingsStorage.accessPin), 5), QByteArray("1234\0", 5));
        QCOMPARE(SettingsStorage.csdInterface[0], uint8_t(10));
        QCOMPARE(SettingsStorage.pinEnabled[0], uint8_t(0));
        QCOMPARE(SettingsStorage.rs232[0], uint8_t(0));
        QCOMPARE(SettingsStorage.sims[1][0], uint8_t(0));
        QVERIFY(log.contains(QStringLiteral("Setting id=3002, subid=5 not found")));
        QVERIFY(log.contains(QStringLiteral("Error setting 3252 recv size: 2, while real_size is: 1")));
        QVERIFY(session->statusTexts().contains(QStringLiteral("Настройки загружены")));
        QCOMPARE(session->count(QStringLiteral("settings_updated")), 1);
    }

    void uploadIsSplitInto485ByteChunks_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<int>>("lengths");
        QTest::addColumn<QList<int>>("progress");
        QTest::newRow("1000") << 1000 << QList<int>{485, 485, 30} << QList<int>{33, 66, 99, 0};
        QTest::newRow("30") << 30 << QList<int>{30} << QList<int>{100, 0};
        QTest::newRow("multiple of 485") << 970 << QList<int>{485, 485} << QList<int>{50, 100, 0};
    }

    void uploadIsSplitInto485ByteChunks()
    {
        QFETCH(int, size);
        QFETCH(QList<int>, lengths);
        QFETCH(QList<int>, progress);
        const QByteArray data = varied(size);
        int result = 0;
        session->inWorker([&] { result = worker()->sendFile("FIRMWARE", data); });
        QCOMPARE(result, 1);
        const QList<QByteArray> chunks = requestsOfType(PACKET_CHUNK);
        QCOMPARE(chunks.size(), lengths.size());
        QByteArray joined;
        for (int i = 0; i < chunks.size(); ++i) {
            const QByteArray &c = chunks.at(i);
            QCOMPARE(c.mid(3, 8), QByteArray("FIRMWARE"));
            QCOMPARE(int(Packet::readU16(c, 13)), lengths.at(i));
            QCOMPARE(int(Packet::readU16(c, 15)), i + 1);
            QCOMPARE(int(Packet::readU16(c, 17)), lengths.size());
            QCOMPARE(c.size(), lengths.at(i) + 23);
            joined += c.mid(19, lengths.at(i));
        }
        QCOMPARE(joined, data);
        QCOMPARE(session->percentages(), progress);
        if (size == 1000)
            QVERIFY(session->statusTexts().contains(QStringLiteral("Передача фрагмента 2 из 3")));
    }

    void transferAnswersAreJudged_data()
    {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("line");
        QTest::newRow("file busy") << false << fileAnswer(500, 232, 1, {}) << 0 << QStringLiteral("GET_FILE_BUSY");
        QTest::newRow("file out of data") << false << fileAnswer(500, 232, 2, {}) << 0 << QStringLiteral("GET_FILE_OUT_OF_DATA");
        QTest::newRow("file memory") << false << fileAnswer(500, 232, 3, {}) << 0 << QStringLiteral("GET_FILE_MEMORY_ERROR");
        QTest::newRow("file result 4 reads as memory") << false << fileAnswer(500, 232, 4, {}) << 0 << QStringLiteral("GET_FILE_MEMORY_ERROR");
        QTest::newRow("file other chunk length") << false << fileAnswer(100, 100, 0, QByteArray(100, 'x')) << 0 << QStringLiteral("Wrong size received");
        QTest::newRow("file chunk carrying less than it claims") << false << fileAnswer(500, 232, 0, QByteArray(200, 'x')) << 0 << QStringLiteral("Wrong size received");
        QTest::newRow("file wrong type") << false << ackAnswer(0) << 0 << QStringLiteral("Recv wrong message type 2");
        QTest::newRow("file too short") << false << Packet::assemble(PACKET_FILE_DATA, QByteArray(5, '\0')) << 0 << QStringLiteral("Recv short answer");
        QTest::newRow("chunk 0 accepts") << true << chunkAnswer(0) << 1 << QStringLiteral("Chunk sucessfuly sended 1");
        QTest::newRow("chunk 5 accepts") << true << chunkAnswer(5) << 1 << QStringLiteral("Chunk sucessfuly sended 1");
        QTest::newRow("chunk 1") << true << chunkAnswer(1) << 0 << QStringLiteral("Recv wrong result 1");
        QTest::newRow("chunk 2") << true << chunkAnswer(2) << 0 << QStringLiteral("Recv signature error 2");
        QTest::newRow("chunk 3") << true << chunkAnswer(3) << 0 << QStringLiteral("Recv file name error 3");
        QTest::newRow("chunk 4") << true << chunkAnswer(4) << 0 << QStringLiteral("Recv chunk sequence error 4");
        QTest::newRow("chunk wrong type") << true << ackAnswer(0) << 0 << QStringLiteral("Recv wrong message type 2");
    }

    void transferAnswersAreJudged()
    {
        QFETCH(bool, upload);
        QFETCH(QByteArray, answer);
        QFETCH(int, expected);
        QFETCH(QString, line);
        terminal->setScript(always(answer));
        LogCapture log;
        int result = -1;
        QByteArray out;
        session->inWorker([&] { result = upload ? worker()->sendFile("SETTINGS", QByteArray(600, 's')) : worker()->getFile("BASE", out); });
        QCOMPARE(result, expected);
        QVERIFY2(log.contains(line), qPrintable(log.lines().join('\n')));
        QCOMPARE(requestsOfType(upload ? PACKET_CHUNK : PACKET_GET_FILE).size(), expected ? 2 : 1);
        if (!upload)
            QCOMPARE(session->percentages(), QList<int>{0});
    }

    void firmwareUpload_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("status");
        QTest::newRow("missing") << qint64(-1) << QStringLiteral("Файл не найден");
        QTest::newRow("empty") << qint64(0) << QStringLiteral("Ошибка открытия файла");
        QTest::newRow("over 65535 chunks") << qint64(65536) * 485 << QStringLiteral("Ошибка открытия файла");
        QTest::newRow("sent, log asked in the same pass") << qint64(1000) << QStringLiteral("Прошивка успешно загружена - устройство отключено");
    }

    void firmwareUpload()
    {
        QFETCH(qint64, size);
        QFETCH(QString, status);
        const bool sent = size == 1000;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("image.kbf"));
        if (size >= 0) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(size)); // sparse: a refused file must not be read
        }
        session->inWorker([this, path, sent] {
            worker()->update_firmware(path);
            if (sent)
                worker()->on_download_log();
            worker()->main_loop();
        });
        QVERIFY(session->statusTexts().contains(status));
        QCOMPARE(requestsOfType(PACKET_CHUNK).size(), sent ? 3 : 0);
        QCOMPARE(requestsOfType(PACKET_GET_FILE).size(), 0);
        QCOMPARE(worker()->isConnected(), !sent);
        if (sent)
            QVERIFY(!session->lost());
        else
            QVERIFY(session->statusTexts().contains(QStringLiteral("Ошибка загрузки прошивки")));
    }
};

QTEST_GUILESS_MAIN(SessionTransactionsTest)
#include "test_session_transactions.moc"
