#include "peers/terminal/TerminalLink.h"

#include "peers/terminal/EventLog.h"
#include "peers/terminal/FaultSwitches.h"

namespace {

constexpr int PIECE_GAP_MS = 1;

} // namespace

TerminalLink::TerminalLink(TerminalDevice *device, FaultSwitches *faults, QObject *parent)
    : QObject(parent)
    , m_session(device, faults)
    , m_faults(faults)
{
    m_clock.start();
    m_pieceTimer.setTimerType(Qt::PreciseTimer);
    m_pieceTimer.setInterval(PIECE_GAP_MS);
    connect(&m_pieceTimer, &QTimer::timeout, this, &TerminalLink::pump);
}

bool TerminalLink::takeLinkFrame(const QByteArray &)
{
    return false;
}

void TerminalLink::bytesArrived(const QByteArray &bytes)
{
    const FrameGatherer::Result result = m_gatherer.feed(bytes, m_clock.elapsed());
    if (result.discarded > 0)
        EventLog::line(QStringLiteral("DISCARDED %1").arg(result.discarded));
    for (int i = 0; i < result.badCrc; ++i)
        EventLog::line(QStringLiteral("BAD_CRC"));
    for (const QByteArray &frame : result.frames) {
        if (takeLinkFrame(frame))
            continue;
        deliver(m_session.handle(frame));
    }
}

void TerminalLink::deliver(const TerminalSession::Answer &answer)
{
    const quint64 generation = m_generation;
    if (answer.frame.isEmpty() || m_faults->silent) {
        // The request still took effect; only its answer is lost.
        if (answer.action != TerminalSession::LinkAction::None)
            dropLink(answer.action);
        return;
    }
    const QByteArray bytes = m_faults->distort(answer.frame);
    if (const int staleMs = m_faults->takeStale()) {
        QTimer::singleShot(staleMs, this, [this, bytes, answer, generation] {
            transmit(bytes, answer.action, generation);
        });
        return;
    }
    if (m_faults->delayMs > 0) {
        QTimer::singleShot(m_faults->delayMs, this, [this, bytes, answer, generation] {
            transmit(bytes, answer.action, generation);
        });
        return;
    }
    transmit(bytes, answer.action, generation);
}

void TerminalLink::transmit(const QByteArray &bytes, TerminalSession::LinkAction action, quint64 generation)
{
    if (generation != m_generation) {
        EventLog::line(QStringLiteral("LATE_ANSWER_DROPPED"));
        return;
    }
    m_out.append({bytes, action});
    if (!m_pieceTimer.isActive())
        pump();
}

void TerminalLink::pump()
{
    while (!m_out.isEmpty()) {
        const Outgoing &head = m_out.first();
        const int split = m_faults->splitBytes;
        if (split > 0) {
            const int n = qMin(split, int(head.bytes.size()) - m_sentOfHead);
            writeBytes(head.bytes.mid(m_sentOfHead, n));
            m_sentOfHead += n;
        } else {
            writeBytes(head.bytes.mid(m_sentOfHead));
            m_sentOfHead = int(head.bytes.size());
        }
        if (m_sentOfHead >= head.bytes.size()) {
            const TerminalSession::LinkAction action = head.action;
            m_out.removeFirst();
            m_sentOfHead = 0;
            if (action != TerminalSession::LinkAction::None) {
                dropLink(action);
                return;
            }
        }
        if (split > 0) {
            if (!m_out.isEmpty() && !m_pieceTimer.isActive())
                m_pieceTimer.start();
            if (m_out.isEmpty())
                m_pieceTimer.stop();
            return;
        }
    }
    m_pieceTimer.stop();
}

void TerminalLink::linkLost()
{
    ++m_generation;
    m_out.clear();
    m_sentOfHead = 0;
    m_pieceTimer.stop();
    m_gatherer.reset();
}
