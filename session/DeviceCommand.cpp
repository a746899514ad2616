#include "session/DeviceCommand.h"

#include "session/AnswerLog.h"
#include "session/SessionLog.h"

int DeviceCommand::run(const TTransaction &t, uint8_t code)
{
    qCDebug(lcSession) << "Send command";
    t.report->status({EProgress::SendingCommand});
    QByteArray answer;
    if (t.exchange(TerminalFrames::commandRequest(code, nullptr, 0), t.timeouts.replyMs, &answer)
        != TTransaction::EExchange::Answer)
        return -1;
    if (!acknowledged(answer, TerminalFrames::COMMAND_UUID))
        return 0;
    qCDebug(lcSession) << "Setting sucessfuly sended";
    return 1;
}
