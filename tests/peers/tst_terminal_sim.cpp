#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"
#include "session/TerminalFrames.h"
#include "support/TerminalProcess.h"
#include "transport/EPacketType.h"
#include "transport/Packet.h"

#include <QDeadlineTimer>
#include <QtTest>

#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace TerminalFrames;

// Raw frames against the stand-in terminal over its pty: the refusals the other tests rely on
// it to make. Its files' contents are checked where the program reads and writes them.
class tst_terminal_sim : public QObject
{
    Q_OBJECT

    TerminalProcess m_terminal;
    int m_fd = -1;

    // A byte of an answer, or -1 when the answer is shorter.
    static int at(const QByteArray &answer, int offset) { return offset < answer.size() ? int(uint8_t(answer[offset])) : -1; }

    QByteArray exchange(const QByteArray &frame)
    {
        if (::write(m_fd, frame.constData(), size_t(frame.size())) != frame.size())
            return QByteArray();
        QByteArray answer;
        const QDeadlineTimer deadline(3000);
        while (!deadline.hasExpired() && (Packet::claimedSize(answer) <= 0 || answer.size() < Packet::claimedSize(answer))) {
            pollfd p{m_fd, POLLIN, 0};
            char buffer[1024];
            ssize_t n = 0;
            if (::poll(&p, 1, 50) > 0 && (n = ::read(m_fd, buffer, sizeof buffer)) > 0)
                answer.append(buffer, int(n));
        }
        return answer;
    }

    // The last chunk result of an upload in 485-byte chunks; -1 for another answer.
    int upload(const QByteArray &bytes)
    {
        const int count = int(bytes.size()) / 485 + 1;
        int last = -1;
        for (int i = 1; i <= count && last <= 0; ++i) {
            const QByteArray answer = exchange(chunkFrame("SETTINGS", uint16_t(i), uint16_t(count), bytes.mid((i - 1) * 485, 485)));
            if (at(answer, 2) != PACKET_CHUNK_RESULT)
                return -1;
            last = at(answer, CHUNK_RESULT);
        }
        return last;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_terminal.start({QStringLiteral("--pty")}), qPrintable(m_terminal.errorString()));
        m_fd = ::open(QFile::encodeName(m_terminal.ptyPath()).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(m_fd >= 0);
        termios mode{};
        QCOMPARE(::tcgetattr(m_fd, &mode), 0);
        ::cfmakeraw(&mode);
        QCOMPARE(::tcsetattr(m_fd, TCSANOW, &mode), 0);
    }

    void cleanupTestCase()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    void authorizationDecidesByPin()
    {
        QByteArray answer = exchange(authRequest("1234"));
        QCOMPARE(answer.size(), 8);
        QCOMPARE(at(answer, 3), 0);
        QVERIFY(!m_terminal.waitForEvent(QStringLiteral("AUTH BAD")).isEmpty());
        // Not authorized: reads are refused.
        QCOMPARE(at(exchange(readRequest(7, 1, 0)), RESPONSE_RESULT), 3);

        answer = exchange(authRequest("7390"));
        QCOMPARE(at(answer, 3), 1);
        QVERIFY(!m_terminal.waitForEvent(QStringLiteral("AUTH OK")).isEmpty());
        answer = exchange(readRequest(0x01020304, 1, 0));
        QCOMPARE(Packet::checkHeader(answer), Packet::HeaderStatus::Valid);
        QCOMPARE(Packet::readU32(answer, RESPONSE_UUID), 0x01020304u);
        QCOMPARE(at(answer, RESPONSE_RESULT), 1);
        QCOMPARE(at(answer, RESPONSE_VALUE), 0xF0);
    }

    void settingsUploadIsAppliedOnlyWithAGoodCode()
    {
        QCOMPARE(at(exchange(authRequest("7390")), 3), 1);
        std::memset(&SettingsStorage, 0, sizeof SettingsStorage);
        setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
        std::strcpy(reinterpret_cast<char *>(SettingsStorage.servers[0]), "192.168.7.7:9000");
        const QByteArray image = build_settings_image();
        QVERIFY(image.size() > 2 * 485);

        QByteArray forged = image;
        forged[0] = char(forged[0] ^ 1);
        const QByteArray before = m_terminal.dumpBase();
        QCOMPARE(upload(forged), 2);
        QVERIFY(!m_terminal.waitForEvent(QStringLiteral("SETTINGS_REJECTED")).isEmpty());
        QCOMPARE(m_terminal.dumpBase(), before);

        QCOMPARE(upload(image), 0);
        QCOMPARE(m_terminal.waitForEvent(QStringLiteral("SETTINGS_APPLIED")), QStringLiteral("SETTINGS_APPLIED %1").arg(image.size()));
        QCOMPARE(m_terminal.dumpBase(), image.mid(SETTINGS_IMAGE_RECORDS_OFFSET));
    }
};

QTEST_GUILESS_MAIN(tst_terminal_sim)
#include "tst_terminal_sim.moc"
