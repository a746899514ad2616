#pragma once

#include "peers/terminal/FrameGatherer.h"
#include "peers/terminal/TerminalSession.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

class FaultSwitches;
class TerminalDevice;

// One way in to the terminal (the pty or the relay connection): gathers frames from the
// bytes that arrive, hands them to its own session and sends the answers out through the
// timing faults (delay, stale, split, silent).
class TerminalLink : public QObject
{
    Q_OBJECT
public:
    TerminalLink(TerminalDevice *device, FaultSwitches *faults, QObject *parent = nullptr);

protected:
    void bytesArrived(const QByteArray &bytes);
    // Write now, as far as the link lets, and push it out.
    virtual void writeBytes(const QByteArray &bytes) = 0;
    // The terminal restarted or the transfer fault fired: the link goes away.
    virtual void dropLink(TerminalSession::LinkAction why) = 0;
    // Packets of the link's own layer; true when taken.
    virtual bool takeLinkFrame(const QByteArray &frame);
    // Everything queued or held back for the old link is forgotten.
    void linkLost();

    TerminalSession m_session;
    FaultSwitches *m_faults;

private:
    struct Outgoing {
        QByteArray bytes;
        TerminalSession::LinkAction action;
    };

    void deliver(const TerminalSession::Answer &answer);
    void transmit(const QByteArray &bytes, TerminalSession::LinkAction action, quint64 generation);
    void pump();

    FrameGatherer m_gatherer;
    QElapsedTimer m_clock;
    QList<Outgoing> m_out;
    int m_sentOfHead = 0;
    QTimer m_pieceTimer;
    quint64 m_generation = 0;
};
