#include "session/FileDownload.h"

#include "session/SessionLog.h"
#include "session/TerminalFrames.h"

using namespace TerminalFrames;

namespace {

int percentOf(double part, double whole)
{
    if (whole <= 0)
        return 100;
    return qBound(0, int((100.0 / whole) * part), 100);
}

// The debug line of an answer that ends the download, or none when it may go on.
const char *refusal(FileAnswer::Status status)
{
    switch (status) {
    case FileAnswer::Ok:
        return nullptr;
    case FileAnswer::WrongType:
        return "Recv wrong message type";
    case FileAnswer::Busy:
        return "GET_FILE_BUSY";
    case FileAnswer::OutOfData:
        return "GET_FILE_OUT_OF_DATA";
    case FileAnswer::MemoryError:
        return "GET_FILE_MEMORY_ERROR";
    case FileAnswer::WrongSize:
        return "Wrong size received";
    case FileAnswer::Short:
        return "Recv short answer";
    }
    return "Recv short answer";
}

} // namespace

bool FileDownload::run(const TTransaction &t, const QByteArray &name, QByteArray *out,
                       const std::function<void(const QByteArray &)> &onChunk)
{
    out->clear();
    uint32_t wanted = FILE_CHUNK_MAX;
    uint32_t offset = 0;
    uint32_t total = 0;
    auto fail = [&t] {
        t.report->bar(0);
        return false;
    };
    for (;;) {
        qCDebug(lcSession) << "Send request" << offset;
        QByteArray frame;
        if (t.exchange(fileRequest(name, offset, uint16_t(wanted)), t.timeouts.fileReplyMs, &frame)
            != TTransaction::EExchange::Answer)
            return fail();
        const FileAnswer answer = parseFileAnswer(frame, uint16_t(wanted));
        if (const char *line = refusal(answer.status)) {
            if (answer.status == FileAnswer::WrongType)
                qCDebug(lcSession) << line << answer.type;
            else
                qCDebug(lcSession) << line;
            return fail();
        }
        if (offset == 0) {
            total = answer.fileSize;
            if (total > FILE_SIZE_LIMIT) {
                qCDebug(lcSession) << "File size" << total << "is beyond any file of the terminal";
                return fail();
            }
        }
        // Only the file's end may make a chunk shorter than asked; any other short chunk would
        // leave a gap that the offset steps over. A chunk longer than the declared size leaves
        // contradicts it: either the size or the data is wrong, and neither can be trusted.
        const uint32_t left = total > offset ? total - offset : 0;
        if (uint32_t(answer.data.size()) < qMin(wanted, left) || uint32_t(answer.data.size()) > left) {
            qCDebug(lcSession) << "Wrong size received" << answer.data.size() << "with" << left << "bytes left";
            return fail();
        }
        offset += wanted;
        out->append(answer.data);
        if (onChunk)
            onChunk(answer.data);
        t.report->bar(percentOf(offset, total));
        qCDebug(lcSession) << "Chunk sucessfuly received" << offset;
        if (total <= offset) {
            t.report->bar(0);
            return true;
        }
        wanted = qMin<uint32_t>(total - offset, FILE_CHUNK_MAX);
    }
}
