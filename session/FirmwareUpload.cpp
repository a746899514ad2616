#include "session/FirmwareUpload.h"

#include "session/FileUpload.h"
#include "session/SessionLog.h"

#include <QFile>
#include <QFileInfo>

FirmwareUpload::EResult FirmwareUpload::run(const TTransaction &t, const QString &path)
{
    if (!QFile::exists(path)) {
        qCDebug(lcSession) << "File not found";
        return EResult::Missing;
    }
    QFile file(path);
    // An empty image or one beyond 65535 chunks cannot be announced: refuse it unread.
    const qint64 size = QFileInfo(path).size();
    const bool sendable = size > 0 && size <= qint64(FileUpload::MAX_CHUNK_COUNT) * FileUpload::CHUNK_SIZE;
    if (!sendable || !file.open(QIODevice::ReadOnly)) {
        qCDebug(lcSession) << "Error file opening";
        return EResult::Unreadable;
    }
    const QByteArray content = file.readAll();
    file.close();
    return FileUpload::run(t, QByteArrayLiteral("FIRMWARE"), content) ? EResult::Sent : EResult::Failed;
}
