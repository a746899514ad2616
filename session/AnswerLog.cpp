#include "session/AnswerLog.h"

#include "session/SessionLog.h"

using TerminalFrames::Fault;

void logRejected(const TerminalFrames::ResponseCheck &check, const QByteArray &answer, const char *item, uint8_t size)
{
    switch (check.fault) {
    case Fault::None:
        break;
    case Fault::Short:
        qCDebug(lcSession) << "Recv short answer" << answer.size();
        break;
    case Fault::WrongType:
        qCDebug(lcSession) << "Recv wrong message type" << check.got;
        break;
    case Fault::WrongUuid:
        qCDebug(lcSession) << "Recv wrong UUID" << check.got;
        break;
    case Fault::ErrorCode:
        qCDebug(lcSession) << "Recv error code" << check.got;
        break;
    case Fault::WrongId:
        qCDebug(lcSession).noquote() << QStringLiteral("Recv wrong %1 ID").arg(QLatin1String(item)) << check.got;
        break;
    case Fault::WrongSize:
        qCDebug(lcSession).noquote() << QStringLiteral("Recv wrong %1 size").arg(QLatin1String(item)) << check.got;
        qCDebug(lcSession) << "Must be" << size;
        break;
    }
}

bool acknowledged(const QByteArray &answer, uint32_t uuid)
{
    const TerminalFrames::ResponseCheck check = TerminalFrames::checkResponse(answer, uuid, false, 0, 0);
    if (check.fault == Fault::None)
        return true;
    logRejected(check, answer, "setting", 0);
    return false;
}
