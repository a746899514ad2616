#include "DemoDriver.h"

#include "app/MainWindow.h"
#include "app/PlotsPage.h"
#include "app/UserPrompts.h"
#include "dialogs/connection_window.h"
#include "dialogs/select_device_dialog.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int POLL_MS = 100;
// Two state ticks after connecting, so the shown tree holds values.
constexpr int SETTLE_MS = 2500;
constexpr int BOX_SHOWN_MS = 400;
// Reads on the plots page before its screenshot, so the lines show a stretch of time.
constexpr int PLOTS_FILL_MS = 25000;
// The page's first paint and the first reads after a switch stay out of the measurement.
constexpr int IDLE_SETTLE_MS = 2000;
constexpr int STATE_TAB_IO = 1;
// Supply voltage, internal temperature, analog input 1, frequency input 1: all in the I/O group.
const QVector<uint16_t> PLOTTED_IDS = {1252, 1250, 1001, 1101};
// The tour's: values of two groups, read in turn with the network's signal level.
const QVector<uint16_t> TOUR_PLOTTED_IDS = {1252, 1250, 1001, 2005};

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// Milliseconds since the process was started by the kernel, or -1.
qint64 processAgeMs()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Fields after the command name, which is in parentheses and may hold blanks.
    const int close = int(line.lastIndexOf(')'));
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    // starttime is field 22 of the whole line, the 20th after the name.
    if (fields.size() < 20)
        return -1;
    const double startTicks = fields.at(19).toDouble();
    const double upSeconds = uptime.readAll().split(' ').value(0).toDouble();
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    if (ticksPerSecond <= 0)
        return -1;
    return qint64(upSeconds * 1000.0 - startTicks * 1000.0 / double(ticksPerSecond));
}

// CPU time of the process, all its threads, in seconds.
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QString residentMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return QString::fromLatin1(line.mid(6).simplified());
    }
    return QStringLiteral("unknown");
}

void report(const QString &line)
{
    std::fprintf(stderr, "[demo] %s\n", qUtf8Printable(line));
}

} // namespace

bool TDemoPlan::parseTarget(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    bool ok = false;
    const uint number = parts.value(1).toUInt(&ok);
    if (parts.size() != 4 || !ok || number == 0 || number > 0xFFFF || parts.at(2).isEmpty())
        return false;
    host = parts.at(0);
    port = quint16(number);
    deviceId = parts.at(2);
    pin = parts.at(3);
    return true;
}

DemoDriver::DemoDriver(MainWindow *window, const TDemoPlan &plan, qint64 mainEnteredMs)
    : QObject(window), m_window(window), m_plan(plan), m_mainEnteredMs(mainEnteredMs)
{
    QTimer::singleShot(0, this, &DemoDriver::windowShown);
}

void DemoDriver::windowShown()
{
    if (m_plan.timing)
        report(QStringLiteral("window shown %1 ms after main, %2 ms after process start")
                   .arg(nowMs() - m_mainEnteredMs)
                   .arg(processAgeMs()));
    answerPrompts();
    if (!m_plan.tourDir.isEmpty()) {
        QDir().mkpath(m_plan.tourDir);
        m_steps.append({QStringLiteral("disconnected"), [] { return true; },
                        [this] { saveWindow(tourFile(QStringLiteral("01-disconnected.png"))); }});
    }
    if (m_plan.connects())
        addConnection();
    if (!m_plan.tourDir.isEmpty() && m_plan.connects())
        addTour();
    if (m_plan.idleSeconds > 0)
        addIdle();
    if (!m_plan.screenshot.isEmpty())
        m_steps.append({QStringLiteral("screenshot"), [] { return true; },
                        [this] { saveWindow(m_plan.screenshot); }});
    m_poll = new QTimer(this);
    connect(m_poll, &QTimer::timeout, this, &DemoDriver::poll);
    m_stepStartedMs = nowMs();
    m_poll->start(POLL_MS);
}

void DemoDriver::answerPrompts()
{
    UserPrompts::setMessageHandler([this](UserPrompts::Kind, const QString &title, const QString &text) {
        fail(QStringLiteral("message box \"%1\": %2").arg(title, text));
    });
    UserPrompts::setPinHandler([this](bool *ok) {
        // One answer only: a wrong PIN would otherwise be asked for forever.
        *ok = m_pinAnswers++ == 0;
        if (!*ok)
            fail(QStringLiteral("PIN %1 was refused").arg(m_plan.pin));
        return m_plan.pin;
    });
    UserPrompts::setFileHandler([this](bool, const QString &, const QString &) { return m_fileAnswer; });
    UserPrompts::setSelectionHandler([this](select_device_dialog &dialog) {
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("device_list"));
        for (int row = 0; list && row < list->count(); ++row) {
            if (list->item(row)->text().startsWith(m_plan.deviceId + QStringLiteral(": "))) {
                list->setCurrentRow(row);
                dialog.accepted();
                return dialog.result();
            }
        }
        fail(QStringLiteral("terminal %1 is not in the relay's list").arg(m_plan.deviceId));
        return int(QDialog::Rejected);
    });
}

void DemoDriver::addConnection()
{
    auto *dialog = m_window->findChild<connection_window *>();
    m_steps.append({QStringLiteral("connection window"), [] { return true; }, [this, dialog] {
                        m_window->findChild<QAbstractButton *>(QStringLiteral("ConnectToDevice"))->click();
                        dialog->findChild<QRadioButton *>(QStringLiteral("radioButton_tcp_connect"))->click();
                        dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit_address"))->setText(m_plan.host);
                        dialog->findChild<QSpinBox *>(QStringLiteral("spinBox_port"))->setValue(m_plan.port);
                    }});
    m_steps.append({QStringLiteral("connect"), [] { return true; }, [this, dialog] {
                        if (!m_plan.tourDir.isEmpty() && !dialog->grab().save(tourFile(QStringLiteral("00-connection-window.png"))))
                            fail(QStringLiteral("cannot write the connection window's screenshot"));
                        dialog->findChild<QAbstractButton *>(QStringLiteral("commandLinkButton_connect"))->click();
                    }});
    auto connectedAt = std::make_shared<qint64>(-1);
    m_steps.append({QStringLiteral("state values"),
                    [this, connectedAt] {
                        if (*connectedAt < 0 && m_window->isDeviceConnected())
                            *connectedAt = nowMs();
                        return *connectedAt >= 0 && nowMs() - *connectedAt >= SETTLE_MS;
                    },
                    [this] {
                        if (m_plan.timing)
                            report(QStringLiteral("resident memory after connecting: %1").arg(residentMemory()));
                    }});
}

void DemoDriver::addTour()
{
    auto click = [this](const char *name) { m_window->findChild<QAbstractButton *>(QLatin1String(name))->click(); };
    m_steps.append({QStringLiteral("state page"), [] { return true; },
                    [this] { saveWindow(tourFile(QStringLiteral("02-state.png"))); }});
    m_steps.append({QStringLiteral("read settings"), [] { return true; }, [click] {
                        click("SystemSettings");
                        click("DownloadSettings");
                    }});
    m_steps.append({QStringLiteral("settings read"),
                    [this] { return m_window->settingsOrigin().kind() == SettingsOrigin::EKind::Terminal; },
                    [this] { saveWindow(tourFile(QStringLiteral("03-settings-origin.png"))); }});
    m_steps.append({QStringLiteral("restart question"), [] { return true; }, [this, click] {
                        click("SystemState");
                        m_window->findChild<QTabWidget *>(QStringLiteral("sysStateTabs"))->setCurrentIndex(0);
                        shootQuestion("restartButton", tourFile(QStringLiteral("04-question-restart.png")));
                    }});
    m_steps.append({QStringLiteral("factory reset question"), [] { return true; }, [this] {
                        shootQuestion("factoryResetButton", tourFile(QStringLiteral("05-question-factory-reset.png")));
                    }});
    m_steps.append({QStringLiteral("firmware question"), [] { return true; }, [this] {
                        m_fileAnswer = tourFile(QStringLiteral("trx-f0-3.8.0.kbf"));
                        QFile firmware(m_fileAnswer);
                        if (firmware.open(QIODevice::WriteOnly))
                            firmware.write(QByteArray(3 * 1024 * 1024, '\x5a'));
                        firmware.close();
                        shootQuestion("UpdateFirmware", tourFile(QStringLiteral("06-question-firmware.png")));
                        QFile::remove(m_fileAnswer);
                    }});
    m_steps.append({QStringLiteral("edits question"), [] { return true; }, [this, click] {
                        click("SystemSettings");
                        auto *tabs = m_window->findChild<QTabWidget *>(QStringLiteral("sysSettingsTabs"));
                        tabs->setCurrentIndex(0);
                        auto *address = m_window->findChild<QTreeView *>(QStringLiteral("SetConnectionView"))
                                            ->findChild<QLineEdit *>();
                        QTest::keyClick(address, Qt::Key_A, Qt::ControlModifier);
                        QTest::keyClicks(address, QStringLiteral("10.20.30.40:9000"));
                        shootQuestion("DownloadSettings", tourFile(QStringLiteral("07-question-unwritten-edits.png")));
                    }});
    m_steps.append({QStringLiteral("marked edits"), [] { return true; },
                    [this] { saveWindow(tourFile(QStringLiteral("08-marked-edits.png"))); }});
    m_steps.append({QStringLiteral("change list"), [] { return true; },
                    [this] { shootQuestion("ShowChanges", tourFile(QStringLiteral("09-change-list.png"))); }});
    // Written, with the backup of the terminal's settings taken before.
    m_steps.append({QStringLiteral("write"), [] { return true; }, [click] { click("UploadSettings"); }});
    m_steps.append({QStringLiteral("backups"), [this] { return !m_window->hasUnwrittenEdits(); },
                    [this] { shootQuestion("ShowBackups", tourFile(QStringLiteral("10-backups.png"))); }});
    m_steps.append({QStringLiteral("status history"), [] { return true; }, [this, click] {
                        click("SystemDiag");
                        m_window->findChild<QTabWidget *>(QStringLiteral("diagTabs"))->setCurrentIndex(1);
                        saveWindow(tourFile(QStringLiteral("11-status-history.png")));
                    }});
    // Every group in turn, so the list's values of all three fill.
    m_steps.append({QStringLiteral("plots"), [] { return true; }, [this] { showPlots(TOUR_PLOTTED_IDS, true); }});
    m_steps.append({QStringLiteral("plots filled"), [this] { return nowMs() - m_stepStartedMs >= PLOTS_FILL_MS; },
                    [this] { saveWindow(tourFile(QStringLiteral("12-plots.png"))); }});
}

void DemoDriver::showPlots(const QVector<uint16_t> &ids, bool readAll)
{
    m_window->findChild<QTabWidget *>(QStringLiteral("sysStateTabs"))->setCurrentIndex(STATE_TAB_IO);
    m_window->findChild<QAbstractButton *>(QStringLiteral("ShowPlots"))->click();
    auto *page = m_window->findChild<PlotsPage *>();
    for (int i = 0; i < page->history().seriesCount(); ++i)
        page->setPlotted(i, ids.contains(parameterRow(page->history().series(i).row).id));
    page->findChild<QCheckBox *>(QStringLiteral("readAllGroups"))->setChecked(readAll);
}

void DemoDriver::addIdle()
{
    m_steps.append({QStringLiteral("idle page"), [] { return true; }, [this] {
                        if (m_plan.page == QLatin1String("plots")) {
                            showPlots(PLOTTED_IDS, false);
                        } else {
                            m_window->findChild<QAbstractButton *>(QStringLiteral("SystemState"))->click();
                            m_window->findChild<QTabWidget *>(QStringLiteral("sysStateTabs"))->setCurrentIndex(STATE_TAB_IO);
                        }
                    }});
    auto since = std::make_shared<qint64>(0);
    auto cpuBefore = std::make_shared<double>(0);
    m_steps.append({QStringLiteral("settled"), [this] { return nowMs() - m_stepStartedMs >= IDLE_SETTLE_MS; },
                    [since, cpuBefore] {
                        *since = nowMs();
                        *cpuBefore = cpuSeconds();
                    }});
    m_steps.append({QStringLiteral("idle"),
                    [this, since] { return nowMs() - *since >= qint64(m_plan.idleSeconds) * 1000; },
                    [this, since, cpuBefore] {
                        const double cpu = cpuSeconds() - *cpuBefore;
                        const double wall = double(nowMs() - *since) / 1000.0;
                        report(QStringLiteral("page %1: %2 s of CPU in %3 s, %4 % of one core")
                                   .arg(m_plan.page)
                                   .arg(cpu, 0, 'f', 3)
                                   .arg(wall, 0, 'f', 1)
                                   .arg(100.0 * cpu / wall, 0, 'f', 2));
                    },
                    qint64(m_plan.idleSeconds) * 1000 + 30000, m_plan.idleSeconds * 1000});
}

void DemoDriver::poll()
{
    if (m_current >= m_steps.size()) {
        m_poll->stop();
        QCoreApplication::exit(0);
        return;
    }
    TStep &step = m_steps[m_current];
    if (!step.ready()) {
        // A timer may fire a little early; from then on, look often.
        if (m_poll->interval() != POLL_MS)
            m_poll->start(POLL_MS);
        if (nowMs() - m_stepStartedMs > step.limitMs)
            fail(QStringLiteral("step \"%1\" did not come about within %2 ms").arg(step.name).arg(step.limitMs));
        return;
    }
    // The step may run a modal box: the poll must not come back in through it.
    m_poll->stop();
    step.act();
    ++m_current;
    m_stepStartedMs = nowMs();
    // A measured idle stretch must not wake up for the demo's own polling.
    const int first = m_current < m_steps.size() ? m_steps.at(m_current).firstCheckMs : 0;
    if (m_poll)
        m_poll->start(first > 0 ? first : POLL_MS);
}

void DemoDriver::shootQuestion(const char *button, const QString &file)
{
    QTimer::singleShot(BOX_SHOWN_MS, this, [this, file] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box) {
            fail(QStringLiteral("no question box for %1").arg(file));
            return;
        }
        const QRect frame = m_window->frameGeometry();
        const QPixmap shot = m_window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
        if (!shot.save(file))
            fail(QStringLiteral("cannot write %1").arg(file));
        else
            report(QStringLiteral("screenshot written to %1").arg(file));
        box->close();
    });
    m_window->findChild<QAbstractButton *>(QLatin1String(button))->click();
}

bool DemoDriver::saveWindow(const QString &file)
{
    if (!m_window->grab().save(file)) {
        fail(QStringLiteral("cannot write the screenshot %1").arg(file));
        return false;
    }
    report(QStringLiteral("screenshot written to %1").arg(file));
    return true;
}

QString DemoDriver::tourFile(const QString &name) const
{
    return QDir(m_plan.tourDir).filePath(name);
}

void DemoDriver::fail(const QString &why)
{
    report(QStringLiteral("ERROR ") + why);
    if (m_poll)
        m_poll->stop();
    QCoreApplication::exit(1);
}
