#include "session/FileUpload.h"

#include "session/SessionLog.h"
#include "session/TerminalFrames.h"

using namespace TerminalFrames;

bool FileUpload::run(const TTransaction &t, const QByteArray &name, const QByteArray &data)
{
    const int size = int(data.size());
    // A size that is a multiple of the chunk ends with a full chunk, not an empty one.
    const int chunkCount = size / CHUNK_SIZE + (size % CHUNK_SIZE ? 1 : 0);
    if (chunkCount == 0 || chunkCount > MAX_CHUNK_COUNT) {
        qCDebug(lcSession) << "File of" << size << "bytes cannot be sent";
        return false;
    }
    // The quotient is a 32-bit float; the product is not rounded back to float, so the
    // last of three chunks reports 99, not 100.
    const double step = double(100.0f / float(chunkCount));
    int position = 0;
    for (int i = 1; i <= chunkCount; ++i) {
        t.report->bar(int(double(i) * step));
        const int length = i == chunkCount ? size - position : CHUNK_SIZE;
        qCDebug(lcSession) << "Send chunk" << i;
        t.report->status({EProgress::SendingChunk, i, chunkCount});
        const QByteArray frame = chunkFrame(name, uint16_t(i), uint16_t(chunkCount), data.mid(position, length));
        position += length;
        QByteArray answerFrame;
        if (t.exchange(frame, t.timeouts.replyMs, &answerFrame) != TTransaction::EExchange::Answer)
            return false;
        const ChunkAnswer answer = parseChunkAnswer(answerFrame);
        switch (answer.status) {
        case ChunkAnswer::Accepted:
            qCDebug(lcSession) << "Chunk sucessfuly sended" << i;
            continue;
        case ChunkAnswer::WrongType:
            qCDebug(lcSession) << "Recv wrong message type" << answer.type;
            return false;
        case ChunkAnswer::Rejected:
            qCDebug(lcSession) << "Recv wrong result" << answer.result;
            return false;
        case ChunkAnswer::SignatureError:
            qCDebug(lcSession) << "Recv signature error" << answer.result;
            return false;
        case ChunkAnswer::FileNameError:
            qCDebug(lcSession) << "Recv file name error" << answer.result;
            return false;
        case ChunkAnswer::SequenceError:
            qCDebug(lcSession) << "Recv chunk sequence error" << answer.result;
            return false;
        case ChunkAnswer::Short:
            qCDebug(lcSession) << "Recv short answer" << answerFrame.size();
            return false;
        }
    }
    t.report->bar(0);
    return true;
}
