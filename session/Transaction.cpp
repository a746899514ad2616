#include "session/Transaction.h"

#include "session/SessionLog.h"
#include "transport/TerminalLink.h"

TTransaction::EExchange TTransaction::exchange(const QByteArray &request, int timeoutMs, QByteArray *answer) const
{
    answer->clear();
    if (!link || !link->isOpen())
        return EExchange::NoAnswer;
    link->discardInput();
    if (!link->send(request)) {
        qCDebug(lcSession) << "Request not sent";
        return EExchange::NoAnswer;
    }
    switch (link->receive(answer, QDeadlineTimer(timeoutMs), *cancel)) {
    case TerminalLink::EReceive::Frame:
        return EExchange::Answer;
    case TerminalLink::EReceive::Timeout:
        qCDebug(lcSession) << "No answer within" << timeoutMs << "ms";
        break;
    case TerminalLink::EReceive::Closed:
        qCDebug(lcSession) << "Link closed while waiting for an answer";
        break;
    case TerminalLink::EReceive::Cancelled:
        break;
    }
    return EExchange::NoAnswer;
}
