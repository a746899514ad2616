#include "session/Authorization.h"

#include "session/SessionLog.h"
#include "session/TerminalFrames.h"

Authorization::EResult Authorization::run(const TTransaction &t, const QByteArray &pin)
{
    // The frame's length field is 4: any other PIN would put garbage on the wire.
    if (pin.size() != 4) {
        qCDebug(lcSession) << "PIN is not 4 bytes long, not sent";
        return EResult::Refused;
    }
    QByteArray answer;
    if (t.exchange(TerminalFrames::authRequest(pin), t.timeouts.replyMs, &answer) != TTransaction::EExchange::Answer)
        return EResult::NoAnswer;
    return TerminalFrames::authAnswerByte(answer) > 0 ? EResult::Accepted : EResult::Refused;
}
