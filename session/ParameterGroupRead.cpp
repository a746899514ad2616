#include "session/ParameterGroupRead.h"

#include "session/AnswerLog.h"
#include "session/SessionLog.h"

using namespace TerminalFrames;

ParameterGroupRead::EResult ParameterGroupRead::run(const TTransaction &t, ParameterGroup group,
                                                    std::atomic<uint8_t> &irq, const RowRead &onRow)
{
    uint16_t first = 0;
    uint16_t last = 0;
    groupBounds(group, &first, &last);
    return readRows(t, first, last, irq, onRow);
}

ParameterGroupRead::EResult ParameterGroupRead::readRows(const TTransaction &t, int first, int last,
                                                         std::atomic<uint8_t> &irq, const RowRead &onRow)
{
    EResult result = EResult::Done;
    for (int k = first; k <= last; ++k) {
        const ParameterDescriptor &row = parameterRow(k);
        qCDebug(lcSession) << "Read parameter" << row.id;
        if (irq.load()) {
            qCDebug(lcSession) << "Cancelled";
            irq.store(0);
            result = EResult::Cancelled;
            break;
        }
        if (isConstantParameter(k))
            continue;
        if (t.report) {
            t.report->status({EProgress::ReadingParameter, row.id, 0, parameterName(k)});
            // A one-row group would divide by zero.
            t.report->bar(last == first ? 0 : int((100.0 / (last - first)) * (k - first)));
        }

        QByteArray answer;
        if (t.exchange(readRequest(uint32_t(k), row.id, 0), t.timeouts.replyMs, &answer) != TTransaction::EExchange::Answer) {
            result = EResult::NoAnswer;
            break;
        }
        const ResponseCheck check = checkResponse(answer, uint32_t(k), true, row.id, row.size);
        if (check.fault != Fault::None) {
            logRejected(check, answer, "parameter", row.size);
            onRow(k, QByteArray(), false);
            continue;
        }
        qCDebug(lcSession) << "Parameter sucessfuly received" << row.id;
        onRow(k, check.value, true);
    }
    if (t.report)
        t.report->bar(0);
    return result;
}
