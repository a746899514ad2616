#pragma once

#include <QByteArray>
#include <cstdint>

class FaultSwitches;
class TerminalDevice;

// The terminal's side of the protocol on one link: authorization, requests, commands, file
// reads and chunked uploads. It turns one whole, CRC-checked frame into at most one answer
// and tells the link when the link is to drop.
class TerminalSession
{
public:
    enum class LinkAction {
        None,
        Reboot,       // restart or factory reset accepted: the terminal goes away
        DropTransfer, // drop-after-chunks fault fired in the middle of a transfer
    };

    struct Answer {
        QByteArray frame; // empty: no answer
        LinkAction action = LinkAction::None;
    };

    // Request results. The configurator accepts 1 only.
    static constexpr uint8_t RESULT_OK = 1;
    static constexpr uint8_t RESULT_UNKNOWN_ITEM = 2;
    static constexpr uint8_t RESULT_NOT_AUTHORIZED = 3;
    // Chunk results: 0 accepts.
    static constexpr uint8_t CHUNK_ACCEPTED = 0;
    static constexpr uint8_t CHUNK_REJECTED = 1;
    static constexpr uint8_t CHUNK_SIGNATURE_ERROR = 2;
    static constexpr uint8_t CHUNK_NAME_ERROR = 3;
    static constexpr uint8_t CHUNK_SEQUENCE_ERROR = 4;
    // File results: 0 means the data follows.
    static constexpr uint8_t FILE_OK = 0;
    static constexpr uint8_t FILE_BUSY = 1;
    static constexpr uint8_t FILE_OUT_OF_DATA = 2;
    static constexpr uint8_t FILE_MEMORY_ERROR = 3;

    // Upload sizes past this are refused: a peer cannot make the terminal hoard memory.
    static constexpr int MAX_UPLOAD_BYTES = 32 * 1024 * 1024;

    TerminalSession(TerminalDevice *device, FaultSwitches *faults);

    Answer handle(const QByteArray &frame);
    // Authorization needed again; transfers in progress are forgotten.
    void reset();
    // Over the pty a dropped link cannot close: it stays silent until the next AUTH.
    void goSilentUntilAuth();
    bool authorized() const { return m_authorized; }

private:
    Answer handleAuth(const QByteArray &frame);
    Answer handleRequest(const QByteArray &frame);
    Answer handleGetFile(const QByteArray &frame);
    Answer handleChunk(const QByteArray &frame);
    QByteArray fileContent(const QByteArray &name, uint32_t offset, bool *known);
    Answer chunkAnswer(QByteArray frame);
    void abandonUpload();

    TerminalDevice *m_device;
    FaultSwitches *m_faults;
    bool m_authorized = false;
    bool m_silent = false;
    QByteArray m_baseSnapshot;
    QByteArray m_uploadName;
    QByteArray m_upload;
    int m_uploadNextIndex = 0;
    int m_uploadCount = 0;
};
