// Each transaction against a terminal scripted in process: what goes on the wire, and how
// every kind of answer (good, refused, short, wrong, late, missing, corrupted) is judged.

#include "session/DeviceCommand.h"
#include "session/FileDownload.h"
#include "session/FileUpload.h"
#include "session/FirmwareUpload.h"
#include "session/ParameterGroupRead.h"
#include "session/SettingExchange.h"
#include "support/LogCapture.h"
#include "support/ScriptedLink.h"
#include "support/TerminalAnswers.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace TerminalAnswers;

class Recorder : public TTransaction::Report
{
public:
    void status(const TSessionProgress &p) override { texts << progressText(p); }
    void bar(int value) override { percents << value; }
    QStringList texts;
    QList<int> percents;
};

class SessionTransactionsTest : public QObject
{
    Q_OBJECT

    ScriptedLink link{[](const QByteArray &r) { return answerRightly(r); }};
    Recorder report;
    std::atomic<bool> cancel{false};
    std::atomic<uint8_t> irq{0};

    TTransaction transaction()
    {
        TTransaction t;
        t.link = &link;
        t.cancel = &cancel;
        t.report = &report;
        return t;
    }
    QList<QByteArray> sentOfType(uint8_t type) const
    {
        QList<QByteArray> out;
        for (const QByteArray &r : link.requests())
            if (typeOf(r) == type)
                out << r;
        return out;
    }
    // Rows whose read stored a value, and rows refused.
    QList<int> readGroup(ParameterGroup group, ParameterGroupRead::EResult *result = nullptr, QList<int> *refused = nullptr)
    {
        QList<int> stored;
        const auto r = ParameterGroupRead::run(transaction(), group, irq, [&](int row, const QByteArray &value, bool ok) {
            if (ok && value.size() == parameterRow(row).size)
                stored << row;
            else if (refused)
                *refused << row;
        });
        if (result)
            *result = r;
        return stored;
    }

private slots:
    void init()
    {
        link.setScript([](const QByteArray &r) { return answerRightly(r); });
        link.setOpen(true);
        link.clearRequests();
        report = Recorder();
        irq.store(0);
    }

    void groupReadSendsEachRowOnce_data()
    {
        QTest::addColumn<int>("group");
        QTest::addColumn<QList<int>>("progress");
        // One row: the progress formula would divide by zero.
        QTest::newRow("device type") << int(GROUP_DEVICE_TYPE) << QList<int>{0, 0};
        // 14 requests: the protocol version row is skipped but counted.
        QTest::newRow("system") << int(GROUP_SYSTEM) << QList<int>{0, 7, 14, 21, 28, 35, 50, 57, 64, 71, 78, 85, 92, 100, 0};
    }

    void groupReadSendsEachRowOnce()
    {
        QFETCH(int, group);
        QFETCH(QList<int>, progress);
        QCOMPARE(readGroup(ParameterGroup(group)).size(), group == GROUP_SYSTEM ? 14 : 1);
        const QList<QByteArray> sent = sentOfType(PACKET_REQUEST);
        QCOMPARE(int(itemIdOf(sent.at(0))), group == GROUP_SYSTEM ? 2 : 1);
        for (const QByteArray &r : sent) {
            QVERIFY(itemIdOf(r) != PROTO_VER_ID);
            QCOMPARE(int(uuidOf(r)), parameterRowOfId(itemIdOf(r)));
            QCOMPARE(uint8_t(r.at(7)), uint8_t(3));
            QCOMPARE(r.size(), 17);
        }
        QCOMPARE(report.percents, progress);
    }

    void rejectedAnswerSkipsTheRowAndReadingGoesOn_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QStringList>("lines");
        const uint32_t uuid = uint32_t(parameterRowOfId(2001));
        QTest::newRow("error code") << readAnswer(uuid, 2, 2001, "\x05\x06") << QStringList{"Recv error code 2"};
        QTest::newRow("wrong uuid") << readAnswer(uuid + 1, 1, 2001, "\x05\x06") << QStringList{"Recv wrong UUID"};
        QTest::newRow("wrong id") << readAnswer(uuid, 1, 999, "\x05\x06") << QStringList{"Recv wrong parameter ID 999"};
        QTest::newRow("wrong size") << readAnswer(uuid, 1, 2001, "\x05\x06\x07") << QStringList{"Recv wrong parameter size 3", "Must be 2"};
        QTest::newRow("wrong type") << Packet::assemble(PACKET_CHUNK_RESULT, QByteArray(13, '\0')) << QStringList{"Recv wrong message type 4"};
        QTest::newRow("short") << ackAnswer(uuid) << QStringList{"Recv short answer"};
    }

    void rejectedAnswerSkipsTheRowAndReadingGoesOn()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QStringList, lines);
        link.setScript([answer](const QByteArray &r) { return itemIdOf(r) == 2001 ? QList<QByteArray>{answer} : answerRightly(r); });
        LogCapture log;
        QList<int> refused;
        ParameterGroupRead::EResult result;
        QCOMPARE(readGroup(GROUP_NETWORK, &result, &refused).size(), 22);
        QCOMPARE(refused, QList<int>{parameterRowOfId(2001)});
        QCOMPARE(result, ParameterGroupRead::EResult::Done);
        for (const QString &line : lines)
            QVERIFY2(log.contains(line), qPrintable(log.lines().join('\n')));
    }

    // The framer drops a corrupted frame and nothing else comes: no answer, on every link alike.
    void corruptedOrMissingAnswerEndsTheGroup_data()
    {
        QTest::addColumn<bool>("corrupted");
        QTest::newRow("bad crc") << true;
        QTest::newRow("silent") << false;
    }

    void corruptedOrMissingAnswerEndsTheGroup()
    {
        QFETCH(bool, corrupted);
        link.setScript([corrupted](const QByteArray &r) {
            QByteArray answer = answerRightly(r).value(0);
            answer[answer.size() - 1] = char(answer.at(answer.size() - 1) ^ 0x55);
            return corrupted ? QList<QByteArray>{answer} : QList<QByteArray>{};
        });
        ParameterGroupRead::EResult result;
        QVERIFY(readGroup(GROUP_SYSTEM, &result).isEmpty());
        QCOMPARE(result, ParameterGroupRead::EResult::NoAnswer);
        QCOMPARE(sentOfType(PACKET_REQUEST).size(), 1);
        QCOMPARE(report.percents.last(), 0);
    }

    void irqStopsTheGroupBeforeItsNextRowAndIsLowered()
    {
        irq.store(1);
        ParameterGroupRead::EResult result;
        QVERIFY(readGroup(GROUP_IO, &result).isEmpty());
        QCOMPARE(result, ParameterGroupRead::EResult::Cancelled);
        QCOMPARE(irq.load(), uint8_t(0));

        // Raised while the third row is in flight: no fourth row.
        link.setScript([this](const QByteArray &r) {
            if (uuidOf(r) == 18)
                irq.store(1);
            return answerRightly(r);
        });
        QCOMPARE(readGroup(GROUP_IO).size(), 3);
        link.setScript([](const QByteArray &r) { return answerRightly(r); });
        QCOMPARE(readGroup(GROUP_IO).size(), 28);
    }

    void lateAnswerIsNotTakenForTheNextOne()
    {
        link.inject(readAnswer(0, 1, 3251, QByteArray(5, '\x01')));
        link.setScript([](const QByteArray &r) { return QList<QByteArray>{readAnswer(uuidOf(r), 1, 3251, QByteArray(5, '\x02'))}; });
        QByteArray value;
        QCOMPARE(SettingExchange::read(transaction(), 3251, 0, 0, 5, &value), 1);
        QCOMPARE(value, QByteArray(5, '\x02'));
    }

    void settingWriteCarriesTheValueAndTheUuidCutTo16Bits()
    {
        QCOMPARE(SettingExchange::write(transaction(), 3372, 0, 0x12345, QByteArray(12, 'R')), 1);
        const QByteArray sent = sentOfType(PACKET_REQUEST).value(0);
        QCOMPARE(sent.size(), 30);
        QCOMPARE(Packet::readU16(sent, 0), uint16_t(23));
        QCOMPARE(uuidOf(sent), uint32_t(0x2345));
        QCOMPARE(uint8_t(sent.at(8)), uint8_t(17));
        link.setScript({});
        QCOMPARE(SettingExchange::write(transaction(), 3372, 0, 0, QByteArray(12, 'R')), -1);
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
        const QByteArray answer = ackAnswer(uint32_t(uuid), uint8_t(result));
        link.setScript([answer](const QByteArray &) { return QList<QByteArray>{answer}; });
        QCOMPARE(DeviceCommand::run(transaction(), 5), expected);
        QCOMPARE(sentOfType(PACKET_REQUEST).value(0).toHex(), Packet::assemble(PACKET_REQUEST, QByteArray::fromHex("010000000500")).toHex());
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
        link.setScript([file, size](const QByteArray &r) { return serveFile(r, file, uint32_t(size)); });
        QByteArray out;
        QList<QByteArray> chunks;
        QVERIFY(FileDownload::run(transaction(), "LOG", &out, [&](const QByteArray &c) { chunks << c; }));
        QCOMPARE(out, file);
        QCOMPARE(chunks.size(), lengths.size());
        const QList<QByteArray> sent = sentOfType(PACKET_GET_FILE);
        QCOMPARE(sent.size(), lengths.size());
        for (int i = 0, offset = 0; i < sent.size(); offset += lengths.at(i++)) {
            QCOMPARE(sent.at(i).size(), 23);
            QCOMPARE(sent.at(i).mid(3, 8), QByteArray("LOG\0\0\0\0\0", 8));
            QCOMPARE(int(Packet::readU32(sent.at(i), 13)), offset);
            QCOMPARE(int(Packet::readU16(sent.at(i), 17)), lengths.at(i));
        }
        QCOMPARE(report.percents, progress);
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
        QVERIFY(FileUpload::run(transaction(), "FIRMWARE", data));
        const QList<QByteArray> chunks = sentOfType(PACKET_CHUNK);
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
        QCOMPARE(report.percents, progress);
        if (size == 1000)
            QVERIFY(report.texts.contains(QStringLiteral("Передача фрагмента 2 из 3")));
    }

    void transferAnswersAreJudged_data()
    {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("expected");
        QTest::addColumn<QString>("line");
        QTest::newRow("file busy") << false << fileAnswer(500, 232, 1, {}) << false << "GET_FILE_BUSY";
        QTest::newRow("file out of data") << false << fileAnswer(500, 232, 2, {}) << false << "GET_FILE_OUT_OF_DATA";
        QTest::newRow("file memory") << false << fileAnswer(500, 232, 3, {}) << false << "GET_FILE_MEMORY_ERROR";
        QTest::newRow("file result 4 reads as memory") << false << fileAnswer(500, 232, 4, {}) << false << "GET_FILE_MEMORY_ERROR";
        QTest::newRow("file other chunk length") << false << fileAnswer(100, 100, 0, QByteArray(100, 'x')) << false << "Wrong size received";
        QTest::newRow("file chunk carrying less than it claims") << false << fileAnswer(500, 232, 0, QByteArray(200, 'x')) << false << "Wrong size received";
        // The data contradicts the size it comes with: neither can be trusted.
        QTest::newRow("file chunk beyond the size declared") << false << fileAnswer(10, 232, 0, QByteArray(232, 'x')) << false << "Wrong size received";
        QTest::newRow("file wrong type") << false << ackAnswer(0) << false << "Recv wrong message type 2";
        QTest::newRow("file too short") << false << Packet::assemble(PACKET_FILE_DATA, QByteArray(5, '\0')) << false << "Recv short answer";
        QTest::newRow("chunk 0 accepts") << true << chunkAnswer(0) << true << "Chunk sucessfuly sended 1";
        QTest::newRow("chunk 5 accepts") << true << chunkAnswer(5) << true << "Chunk sucessfuly sended 1";
        QTest::newRow("chunk 1") << true << chunkAnswer(1) << false << "Recv wrong result 1";
        QTest::newRow("chunk 2") << true << chunkAnswer(2) << false << "Recv signature error 2";
        QTest::newRow("chunk 3") << true << chunkAnswer(3) << false << "Recv file name error 3";
        QTest::newRow("chunk 4") << true << chunkAnswer(4) << false << "Recv chunk sequence error 4";
        QTest::newRow("chunk wrong type") << true << ackAnswer(0) << false << "Recv wrong message type 2";
    }

    void transferAnswersAreJudged()
    {
        QFETCH(bool, upload);
        QFETCH(QByteArray, answer);
        QFETCH(bool, expected);
        QFETCH(QString, line);
        link.setScript([answer](const QByteArray &) { return QList<QByteArray>{answer}; });
        LogCapture log;
        QByteArray out;
        const bool done = upload ? FileUpload::run(transaction(), "SETTINGS", QByteArray(600, 's'))
                                 : FileDownload::run(transaction(), "BASE", &out);
        QCOMPARE(done, expected);
        QVERIFY2(log.contains(line), qPrintable(log.lines().join('\n')));
        QCOMPARE(sentOfType(upload ? PACKET_CHUNK : PACKET_GET_FILE).size(), expected ? 2 : 1);
        if (!upload)
            QCOMPARE(report.percents, QList<int>{0});
    }

    void firmwareFileIsCheckedBeforeAnythingIsSent_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<int>("result");
        QTest::newRow("missing") << qint64(-1) << int(FirmwareUpload::EResult::Missing);
        QTest::newRow("empty") << qint64(0) << int(FirmwareUpload::EResult::Unreadable);
        QTest::newRow("over 65535 chunks") << qint64(65536) * 485 << int(FirmwareUpload::EResult::Unreadable);
        QTest::newRow("sent") << qint64(1000) << int(FirmwareUpload::EResult::Sent);
    }

    void firmwareFileIsCheckedBeforeAnythingIsSent()
    {
        QFETCH(qint64, size);
        QFETCH(int, result);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("image.kbf"));
        if (size >= 0) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(size)); // sparse: a refused file must not be read
        }
        QCOMPARE(int(FirmwareUpload::run(transaction(), path)), result);
        QCOMPARE(sentOfType(PACKET_CHUNK).size(), size == 1000 ? 3 : 0);
    }

    void cancelEndsTheWaitAndNothingIsSentOnAClosedLink()
    {
        cancel.store(true);
        QByteArray value;
        QCOMPARE(SettingExchange::read(transaction(), 3251, 0, 0, 5, &value), -1);
        cancel.store(false);
        link.clearRequests();
        link.setOpen(false);
        QCOMPARE(DeviceCommand::run(transaction(), 1), -1);
        QVERIFY(link.requests().isEmpty());
    }
};

QTEST_GUILESS_MAIN(SessionTransactionsTest)
#include "test_session_transactions.moc"
