// The worker's transactions against a terminal scripted byte for byte over a pty: what goes
// on the wire, and how every kind of answer (good, rejected, short, split, late, missing)
// is judged.

#include "model/SettingsStorage.h"
#include "session/usb_handler.h"
#include "support/LogCapture.h"
#include "support/ScriptedTerminal.h"
#include "support/SessionHarness.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
    payload.append(char(result));
    payload.append(char(value.size() + 3));
    Packet::appendU16(payload, id);
    payload.append(char(value.size()));
    payload.append(value);
    return Packet::assemble(PACKET_RESPONSE, payload);
}

QByteArray ackAnswer(uint32_t uuid, uint8_t result = 1)
{
    QByteArray payload;
    Packet::appendU32(payload, uuid);
    payload.append(char(result));
    payload.append('\0');
    return Packet::assemble(PACKET_RESPONSE, payload);
}

QByteArray fileAnswer(uint32_t fileSize, uint16_t chunkLength, uint8_t result, const QByteArray &data)
{
    QByteArray payload = QByteArray("BASE").leftJustified(8, '\0');
    Packet::appendU16(payload, 0);
    Packet::appendU32(payload, fileSize);
    Packet::appendU16(payload, chunkLength);
    payload.append(char(result));
    payload.append(data);
    return Packet::assemble(PACKET_FILE_DATA, payload);
}

QByteArray chunkAnswer(uint8_t result)
{
    QByteArray payload = QByteArray("SETTINGS");
    Packet::appendU16(payload, 0);
    Packet::appendU16(payload, 0);
    payload.append(char(result));
    return Packet::assemble(PACKET_CHUNK_RESULT, payload);
}

// Answers every read with a value of the size the parameter table gives.
QList<QByteArray> answerReadsRightly(const QByteArray &request)
{
    if (typeOf(request) != PACKET_REQUEST)
        return {};
    const uint16_t id = itemIdOf(request);
    const int row = parameterRowOfId(id);
    const int size = row >= 0 ? parameterRow(row).size : 0;
    QByteArray value(size, '\x11');
    if (id == 1)
        value = QByteArray(1, char(0xF0));
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
ScriptedTerminal::Script serveFile(const QByteArray &file, uint32_t announced)
{
    return [file, announced](const QByteArray &request) -> QList<QByteArray> {
        if (typeOf(request) != PACKET_GET_FILE)
            return {};
        const uint32_t offset = Packet::readU32(request, 13);
        const uint16_t length = Packet::readU16(request, 17);
        return {fileAnswer(announced, length, 0, file.mid(int(offset), length))};
    };
}

} // namespace

class SessionTransactionsTest : public QObject
{
    Q_OBJECT

private:
    ScriptedTerminal *terminal = nullptr;
    SessionHarness *session = nullptr;

    QList<QByteArray> requestsOfType(uint8_t type) const
    {
        QList<QByteArray> out;
        for (const QByteArray &r : terminal->requests())
            if (typeOf(r) == type)
                out << r;
        return out;
    }

private slots:
    void init()
    {
        std::memset(&SettingsStorage, 0, sizeof SettingsStorage);
        setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
        terminal = new ScriptedTerminal;
        QVERIFY(terminal->isValid());
        terminal->setScript(ScriptedTerminal::withAuth(answerReadsRightly));
        session = new SessionHarness;
        QVERIFY2(session->connectUsb(terminal->slavePath()),
                 qPrintable(session->recorder().statusTexts().join(QStringLiteral(", "))));
        terminal->clearRequests();
        session->recorder().clear();
    }

    void cleanup()
    {
        delete session;
        session = nullptr;
        delete terminal;
        terminal = nullptr;
    }

    void deviceTypeGroupIsOneRequestWithProgressZero()
    {
        session->inWorker([this] { session->worker()->readParameters(GROUP_DEVICE_TYPE); });
        const QList<QByteArray> sent = requestsOfType(PACKET_REQUEST);
        QCOMPARE(sent.size(), 1);
        QCOMPARE(itemIdOf(sent.at(0)), uint16_t(1));
        QCOMPARE(uuidOf(sent.at(0)), uint32_t(0));
        QVERIFY(session->recorder().waitFor(QStringLiteral("state_updated")));
        QCOMPARE(session->recorder().percentages(), (QList<int>{0, 0}));
    }

    void systemGroupSkipsProtoVerAndReportsProgress()
    {
        session->inWorker([this] { session->worker()->readParameters(GROUP_SYSTEM); });
        const QList<QByteArray> sent = requestsOfType(PACKET_REQUEST);
        QCOMPARE(sent.size(), 14);
        for (const QByteArray &r : sent) {
            QVERIFY(itemIdOf(r) != PROTO_VER_ID);
            QCOMPARE(uint8_t(r.at(7)), uint8_t(3));
            QCOMPARE(r.size(), 17);
        }
        QVERIFY(session->recorder().waitFor(QStringLiteral("bar_percentage"), 2000, 15));
        const QList<int> expected{0, 7, 14, 21, 28, 35, 50, 57, 64, 71, 78, 85, 92, 100, 0};
        QCOMPARE(session->recorder().percentages(), expected);
        QCOMPARE(int(SettingsStorage.parameters.protoVer[0]), 1);
    }

    void rejectedAnswersLeaveValuesAndReadingGoesOn_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("line");
        QTest::newRow("error code") << 0 << QStringLiteral("Recv error code 2");
        QTest::newRow("wrong uuid") << 1 << QStringLiteral("Recv wrong UUID");
        QTest::newRow("wrong id") << 2 << QStringLiteral("Recv wrong parameter ID 999");
        QTest::newRow("wrong size") << 3 << QStringLiteral("Recv wrong parameter size 3");
        QTest::newRow("wrong type") << 4 << QStringLiteral("Recv wrong message type 4");
        QTest::newRow("bad crc") << 5 << QStringLiteral("Recv invalid CRC");
        QTest::newRow("short") << 6 << QStringLiteral("Recv short answer");
    }

    void rejectedAnswersLeaveValuesAndReadingGoesOn()
    {
        QFETCH(int, fault);
        QFETCH(QString, line);
        // Only the MCC row (id 2001) is answered wrongly; the rest of the group is fine.
        terminal->setScript([fault](const QByteArray &request) -> QList<QByteArray> {
            if (itemIdOf(request) != 2001)
                return answerReadsRightly(request);
            const uint32_t uuid = uuidOf(request);
            QByteArray frame;
            switch (fault) {
            case 0: frame = readAnswer(uuid, 2, 2001, "\x05\x06"); break;
            case 1: frame = readAnswer(uuid + 1, 1, 2001, "\x05\x06"); break;
            case 2: frame = readAnswer(uuid, 1, 999, "\x05\x06"); break;
            case 3: frame = readAnswer(uuid, 1, 2001, "\x05\x06\x07"); break;
            case 4: frame = Packet::assemble(PACKET_CHUNK_RESULT, QByteArray(13, '\0')); break;
            case 5: frame = readAnswer(uuid, 1, 2001, "\x05\x06"); frame[frame.size() - 1] = char(frame.at(frame.size() - 1) ^ 0x55); break;
            case 6: frame = ackAnswer(uuid); break;
            }
            return {frame};
        });
        std::memcpy(SettingsStorage.parameters.mcc, "\xAA\xBB", 2);
        LogCapture log;
        session->inWorker([this] { session->worker()->readParameters(GROUP_NETWORK); });
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(SettingsStorage.parameters.mcc), 2), QByteArray("\xAA\xBB"));
        QCOMPARE(requestsOfType(PACKET_REQUEST).size(), 23);
        QCOMPARE(SettingsStorage.parameters.mnc[0], uint8_t(0x11));
        QVERIFY2(log.contains(line), qPrintable(log.lines().join('\n')));
        if (fault == 3)
            QVERIFY(log.contains(QStringLiteral("Must be 2")));
        QVERIFY(session->worker()->isConnected());
    }

    void cancelFlagStopsGroupAndIsCleared()
    {
        session->worker()->on_irq();
        session->inWorker([this] { session->worker()->readParameters(GROUP_IO); });
        QCOMPARE(requestsOfType(PACKET_REQUEST).size(), 0);
        QVERIFY(session->recorder().waitFor(QStringLiteral("bar_percentage")));
        QCOMPARE(session->recorder().percentages(), QList<int>{0});

        session->inWorker([this] { session->worker()->readParameters(GROUP_IO); });
        QCOMPARE(requestsOfType(PACKET_REQUEST).size(), 28);
    }

    void cancelDuringGroupStopsBeforeNextRow()
    {
        usb_handler *worker = session->worker();
        terminal->setScript([worker](const QByteArray &request) {
            // The window raises the flag while the third row is in flight.
            if (uuidOf(request) == 18)
                worker->on_irq();
            return answerReadsRightly(request);
        });
        session->inWorker([this] { session->worker()->readParameters(GROUP_IO); });
        QCOMPARE(requestsOfType(PACKET_REQUEST).size(), 3);
    }

    void silentTerminalIsDeclaredLost()
    {
        terminal->setScript({});
        session->inWorker([this] { session->worker()->readParameters(GROUP_SYSTEM); });
        QCOMPARE(requestsOfType(PACKET_REQUEST).size(), 1);
        QVERIFY(session->recorder().waitFor(QStringLiteral("device_disconnected")));
        QCOMPARE(session->recorder().events().at(session->recorder().indexOf(QStringLiteral("device_disconnected"))).value.toBool(), true);
        QVERIFY(!session->worker()->isConnected());
        QVERIFY(!session->worker()->port()->isOpen());
    }

    void answersInOneBytePiecesAreGathered()
    {
        terminal->setScript([](const QByteArray &request) {
            QList<QByteArray> pieces;
            for (const QByteArray &frame : answerReadsRightly(request))
                for (char c : frame)
                    pieces << QByteArray(1, c);
            return pieces;
        });
        session->inWorker([this] { session->worker()->readParameters(GROUP_NETWORK); });
        QCOMPARE(SettingsStorage.parameters.gsmSignal[0], uint8_t(0x11));
        QVERIFY(session->worker()->isConnected());
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
        int first = 0;
        int second = 0;
        session->inWorker([&] { first = session->worker()->readSetting(3251, 0, 0); });
        QCOMPARE(first, -1);
        QTest::qWait(500 * SessionHarness::timeScale());
        session->inWorker([&] { second = session->worker()->readSetting(3251, 0, 0); });
        QCOMPARE(second, 1);
        QCOMPARE(SettingsStorage.accessPin[0], uint8_t(0x02));
    }

    void writeFrameCarriesTheStoredValue()
    {
        terminal->setScript([](const QByteArray &request) { return QList<QByteArray>{ackAnswer(uuidOf(request))}; });
        std::memcpy(SettingsStorage.rs232, "ABCDEFGHIJKL", 12);
        int result = 0;
        session->inWorker([&] { result = session->worker()->writeSetting(3372, 0, 0x10005); });
        QCOMPARE(result, 1);
        const QByteArray frame = requestsOfType(PACKET_REQUEST).value(0);
        QCOMPARE(frame.size(), 30);
        QCOMPARE(Packet::readU16(frame, 0), uint16_t(23));
        QCOMPARE(uint8_t(frame.at(8)), uint8_t(17));
        QCOMPARE(uuidOf(frame), uint32_t(5));
        QCOMPARE(frame.mid(14, 12), QByteArray("ABCDEFGHIJKL"));
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
        terminal->setScript([uuid, result](const QByteArray &) {
            return QList<QByteArray>{ackAnswer(uint32_t(uuid), uint8_t(result))};
        });
        int got = -2;
        session->inWorker([&] { got = session->worker()->sendCommand(5, nullptr, 0); });
        QCOMPARE(got, expected);
        const QByteArray frame = requestsOfType(PACKET_REQUEST).value(0);
        QCOMPARE(frame.toHex(), Packet::assemble(PACKET_REQUEST, QByteArray::fromHex("010000000500")).toHex());
        QVERIFY(session->worker()->isConnected());
    }

    void fileIsReadInChunksOfAtMost232()
    {
        const QByteArray file = QByteArray(500, 'L');
        terminal->setScript(serveFile(file, 500));
        QByteArray out;
        int result = 0;
        session->inWorker([&] { result = session->worker()->getFile("LOG", out); });
        QCOMPARE(result, 1);
        QCOMPARE(out, file);
        const QList<QByteArray> sent = requestsOfType(PACKET_GET_FILE);
        QCOMPARE(sent.size(), 3);
        const QList<QPair<uint32_t, uint16_t>> expected{{0, 232}, {232, 232}, {464, 36}};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(sent.at(i).size(), 23);
            QCOMPARE(sent.at(i).mid(3, 8), QByteArray("LOG\0\0\0\0\0", 8));
            QCOMPARE(Packet::readU32(sent.at(i), 13), expected.at(i).first);
            QCOMPARE(Packet::readU16(sent.at(i), 17), expected.at(i).second);
        }
        QVERIFY(session->recorder().waitFor(QStringLiteral("log_data"), 2000, 3));
        QCOMPARE(session->recorder().logData(), file);
        QVERIFY(session->recorder().waitFor(QStringLiteral("bar_percentage"), 2000, 4));
        QCOMPARE(session->recorder().percentages(), (QList<int>{46, 92, 100, 0}));
    }

    void fileProgressStaysWithinBounds_data()
    {
        QTest::addColumn<int>("announced");
        QTest::addColumn<int>("present");
        QTest::newRow("size zero") << 0 << 0;
        QTest::newRow("shorter than one request") << 100 << 100;
    }

    void fileProgressStaysWithinBounds()
    {
        QFETCH(int, announced);
        QFETCH(int, present);
        terminal->setScript(serveFile(QByteArray(present, 'x'), uint32_t(announced)));
        QByteArray out;
        int result = 0;
        session->inWorker([&] { result = session->worker()->getFile("LOG", out); });
        QCOMPARE(result, 1);
        QCOMPARE(out.size(), present);
        QVERIFY(session->recorder().waitFor(QStringLiteral("bar_percentage"), 2000, 2));
        for (int pct : session->recorder().percentages())
            QVERIFY2(pct >= 0 && pct <= 100, qPrintable(QString::number(pct)));
    }

    void fileAnswerFaultsEndTheDownload_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("line");
        QTest::newRow("busy") << fileAnswer(500, 232, 1, {}) << QStringLiteral("GET_FILE_BUSY");
        QTest::newRow("out of data") << fileAnswer(500, 232, 2, {}) << QStringLiteral("GET_FILE_OUT_OF_DATA");
        QTest::newRow("memory") << fileAnswer(500, 232, 3, {}) << QStringLiteral("GET_FILE_MEMORY_ERROR");
        QTest::newRow("result 4 reads as memory") << fileAnswer(500, 232, 4, {}) << QStringLiteral("GET_FILE_MEMORY_ERROR");
        QTest::newRow("other chunk length") << fileAnswer(100, 100, 0, QByteArray(100, 'x')) << QStringLiteral("Wrong size received");
        QTest::newRow("wrong type") << ackAnswer(0) << QStringLiteral("Recv wrong message type 2");
        QTest::newRow("too short") << Packet::assemble(PACKET_FILE_DATA, QByteArray(5, '\0')) << QStringLiteral("Recv short answer");
    }

    void fileAnswerFaultsEndTheDownload()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, line);
        terminal->setScript([answer](const QByteArray &) { return QList<QByteArray>{answer}; });
        LogCapture log;
        QByteArray out;
        int result = -2;
        session->inWorker([&] { result = session->worker()->getFile("BASE", out); });
        QCOMPARE(result, 0);
        QVERIFY2(log.contains(line), qPrintable(log.lines().join('\n')));
        QCOMPARE(requestsOfType(PACKET_GET_FILE).size(), 1);
        QVERIFY(session->recorder().waitFor(QStringLiteral("bar_percentage")));
        QCOMPARE(session->recorder().percentages().last(), 0);
    }

    void baseParseSkipsUnknownAndStopsAtTruncatedRecord()
    {
        QByteArray base = record(3251, 0, QByteArray("1234\0", 5));
        base += record(3002, 5, QByteArray(62, 'S'));       // sub-id beyond the SIM count
        base += record(3252, 0, QByteArray(2, '\x01'));     // wrong size
        base += record(3374, 0, QByteArray(1, '\x0A'));
        base += record(3372, 0, QByteArray(12, 'R')).left(10); // cut short by the end of the file
        terminal->setScript(serveFile(base, uint32_t(base.size())));
        LogCapture log;
        session->inWorker([this] { session->worker()->downloadSettings(); });
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(SettingsStorage.accessPin), 5), QByteArray("1234\0", 5));
        QCOMPARE(SettingsStorage.csdInterface[0], uint8_t(10));
        QCOMPARE(SettingsStorage.pinEnabled[0], uint8_t(0));
        QCOMPARE(SettingsStorage.rs232[0], uint8_t(0));
        QCOMPARE(SettingsStorage.sims[1][0], uint8_t(0));
        QVERIFY(log.contains(QStringLiteral("Setting id=3002, subid=5 not found")));
        QVERIFY(log.contains(QStringLiteral("Error setting 3252 recv size: 2, while real_size is: 1")));
        QVERIFY(session->recorder().waitForStatus(QStringLiteral("Настройки загружены")));
        QVERIFY(session->recorder().waitFor(QStringLiteral("settings_updated")));
    }

    void failedBaseDownloadLeavesSettingsUntouched()
    {
        std::memcpy(SettingsStorage.accessPin, "5555", 5);
        QByteArray base = record(3251, 0, QByteArray("1234\0", 5)) + QByteArray(600, '\0');
        // The second chunk never comes.
        terminal->setScript([base](const QByteArray &request) -> QList<QByteArray> {
            if (Packet::readU32(request, 13) != 0)
                return {};
            return serveFile(base, uint32_t(base.size()))(request);
        });
        session->inWorker([this] { session->worker()->downloadSettings(); });
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(SettingsStorage.accessPin), 4), QByteArray("5555"));
        QVERIFY(session->recorder().waitForStatus(QStringLiteral("Ошибка загрузк настроек")));
        QVERIFY(session->recorder().waitFor(QStringLiteral("device_disconnected")));
        QVERIFY(!session->worker()->isConnected());
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
        terminal->setScript([](const QByteArray &) { return QList<QByteArray>{chunkAnswer(0)}; });
        QByteArray data(size, '\0');
        for (int i = 0; i < size; ++i)
            data[i] = char(i * 7);
        int result = 0;
        session->inWorker([&] { result = session->worker()->sendFile("FIRMWARE", data); });
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
        QVERIFY(session->recorder().waitFor(QStringLiteral("bar_percentage"), 2000, progress.size()));
        QCOMPARE(session->recorder().percentages(), progress);
        if (size == 1000)
            QVERIFY(session->recorder().statusTexts().contains(QStringLiteral("Передача фрагмента 2 из 3")));
    }

    void chunkResultsAcceptOrReject_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("line");
        QTest::newRow("0 accepts") << 0 << 1 << QStringLiteral("Chunk sucessfuly sended 1");
        QTest::newRow("5 accepts") << 5 << 1 << QStringLiteral("Chunk sucessfuly sended 1");
        QTest::newRow("1") << 1 << 0 << QStringLiteral("Recv wrong result 1");
        QTest::newRow("2") << 2 << 0 << QStringLiteral("Recv signature error 2");
        QTest::newRow("3") << 3 << 0 << QStringLiteral("Recv file name error 3");
        QTest::newRow("4") << 4 << 0 << QStringLiteral("Recv chunk sequence error 4");
    }

    void chunkResultsAcceptOrReject()
    {
        QFETCH(int, code);
        QFETCH(int, expected);
        QFETCH(QString, line);
        terminal->setScript([code](const QByteArray &) { return QList<QByteArray>{chunkAnswer(uint8_t(code))}; });
        LogCapture log;
        int result = -1;
        session->inWorker([&] { result = session->worker()->sendFile("SETTINGS", QByteArray(600, 's')); });
        QCOMPARE(result, expected);
        QVERIFY2(log.contains(line), qPrintable(log.lines().join('\n')));
        QCOMPARE(requestsOfType(PACKET_CHUNK).size(), expected ? 2 : 1);
    }

    void chunkAnsweredWithWrongTypeFails()
    {
        terminal->setScript([](const QByteArray &) { return QList<QByteArray>{ackAnswer(0)}; });
        LogCapture log;
        int result = -1;
        session->inWorker([&] { result = session->worker()->sendFile("SETTINGS", QByteArray(30, 's')); });
        QCOMPARE(result, 0);
        QVERIFY(log.contains(QStringLiteral("Recv wrong message type 2")));
    }

    void firmwareThatCannotBeSentIsRefusedUnsent_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("status");
        QTest::newRow("missing") << qint64(-1) << QStringLiteral("Файл не найден");
        QTest::newRow("empty") << qint64(0) << QStringLiteral("Ошибка открытия файла");
        QTest::newRow("over 65535 chunks") << qint64(65536) * 485 << QStringLiteral("Ошибка открытия файла");
    }

    void firmwareThatCannotBeSentIsRefusedUnsent()
    {
        QFETCH(qint64, size);
        QFETCH(QString, status);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("image.kbf"));
        if (size >= 0) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(size)); // sparse: nothing is written, and nothing must be read
        }
        terminal->setScript([](const QByteArray &) { return QList<QByteArray>{chunkAnswer(0)}; });
        usb_handler *worker = session->worker();
        session->post([worker, path] { worker->update_firmware(path); });
        QVERIFY(session->recorder().waitForStatus(QStringLiteral("Ошибка загрузки прошивки")));
        QVERIFY(session->recorder().statusTexts().contains(status));
        QCOMPARE(requestsOfType(PACKET_CHUNK).size(), 0);
        QVERIFY(session->worker()->isConnected());
    }
};

QTEST_GUILESS_MAIN(SessionTransactionsTest)
#include "test_session_transactions.moc"
