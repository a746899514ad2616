#include "session/SettingExchange.h"

#include "session/AnswerLog.h"
#include "session/SessionLog.h"

using namespace TerminalFrames;

int SettingExchange::read(const TTransaction &t, uint16_t id, uint16_t subId, uint uuid, uint8_t expectedSize,
                          QByteArray *value)
{
    qCDebug(lcSession) << "Read parameter" << id;
    t.report->status({EProgress::ReadingSetting, id});
    // The uuid travels as 32 bits but is the caller's value cut to 16.
    const uint32_t wireUuid = uuid & 0xFFFFu;
    QByteArray answer;
    if (t.exchange(readRequest(wireUuid, id, subId), t.timeouts.replyMs, &answer) != TTransaction::EExchange::Answer)
        return -1;
    const ResponseCheck check = checkResponse(answer, wireUuid, true, id, expectedSize);
    if (check.fault != Fault::None) {
        logRejected(check, answer, "setting", expectedSize);
        return 0;
    }
    *value = check.value;
    qCDebug(lcSession) << "Setting sucessfuly received" << id;
    return 1;
}

int SettingExchange::write(const TTransaction &t, uint16_t id, uint16_t subId, uint uuid, const QByteArray &value)
{
    t.report->status({EProgress::WritingSetting, id});
    const uint32_t wireUuid = uuid & 0xFFFFu;
    QByteArray answer;
    const QByteArray request = writeRequest(wireUuid, id, subId, reinterpret_cast<const uint8_t *>(value.constData()),
                                            uint8_t(value.size()));
    if (t.exchange(request, t.timeouts.replyMs, &answer) != TTransaction::EExchange::Answer)
        return -1;
    if (!acknowledged(answer, wireUuid))
        return 0;
    qCDebug(lcSession) << "Setting sucessfuly sended" << id;
    return 1;
}
