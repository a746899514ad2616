#pragma once

#include "transport/FrameReader.h"
#include "transport/TerminalLink.h"

#include <QByteArray>
#include <QList>
#include <functional>

// A terminal scripted in process, behind the TerminalLink the transactions use: each request
// sent is recorded and answered by the script with the bytes that then arrive, through the
// same framer as on the real links. Nothing waits: without a whole frame a receive times out
// at once.
class ScriptedLink : public TerminalLink
{
public:
    using Script = std::function<QList<QByteArray>(const QByteArray &request)>;

    explicit ScriptedLink(Script script = {}) : m_script(std::move(script)), m_reader(1024) {}

    void setScript(Script script) { m_script = std::move(script); }
    void setOpen(bool open) { m_open = open; }
    // Bytes that arrive before the next request: a late answer.
    void inject(const QByteArray &bytes) { m_reader.append(bytes); }
    QList<QByteArray> requests() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }

    bool isOpen() const override { return m_open; }
    bool send(const QByteArray &frame) override;
    void discardInput() override { m_reader.clear(); }
    EReceive receive(QByteArray *frame, const QDeadlineTimer &deadline, const std::atomic<bool> &cancel) override;

private:
    Script m_script;
    FrameReader m_reader;
    QList<QByteArray> m_requests;
    bool m_open = true;
};
