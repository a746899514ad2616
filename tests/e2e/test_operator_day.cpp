#include "TreeProbe.h"
#include "app/PromptScript.h"

#include "app/MainWindow.h"
#include "dialogs/connection_window.h"
#include "dialogs/select_device_dialog.h"
#include "model/SettingRecordReader.h"
#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"
#include "session/usb_handler.h"
#include "support/RelayProcess.h"
#include "support/SessionRecorder.h"
#include "support/TerminalProcess.h"
#include "transport/Crc32.h"

#include <QCommandLinkButton>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QTreeView>
#include <QtTest>

#include <algorithm>
#include <cstring>
#include <memory>

// An operator's day with one terminal, through the window's own widgets, against the stand-in
// terminal reached through the stand-in relay or over a pty: connect (the default PIN is
// refused first), watch the state, read, edit and write the settings, copy them to a file and
// back, read the log, switch the output, reset a counter, enrol a sensor, flash, reconnect and
// restart. Every step is checked against what the terminal saw and holds.
namespace {

using namespace TreeProbe;

const QString PIN = QStringLiteral("4821");
const QString DEVICE_ID = QStringLiteral("TRX-0042");
const QString CAPTION = QStringLiteral("TRX-0042: Котельная №1");
const QString TITLE = QStringLiteral("Trivox конфигуратор 1.2.5");

// What the stand-in terminal reports about itself.
const QString IMEI = QStringLiteral("861234050123457");
const QString FIRMWARE_VERSION = QStringLiteral("TRX-F0 3.7.12 (2024-03-11)");
const QString MODEM_VERSION = QStringLiteral("GSM 13.00.007");

const QString CONNECTIONS = QStringLiteral("Настройки соединений");
const QString SERVER_1 = QStringLiteral("<b>Трансляция в RS-232 (сервер 1)</b>");
const QString SERVER_2 = QStringLiteral("<b>Трансляция в RS-232 (сервер 2)</b>");
const QString ADDRESS = QStringLiteral("Адрес сервера:");
const QString SERVER_TYPE = QStringLiteral("Тип соединения");
const QString SESSION_HOLD = QStringLiteral("Время удержания сессии, сек:");
const QString RS232 = QStringLiteral("Интерфейс RS-232");
const QString BAUD = QStringLiteral("Скорость обмена, бит/с:");
const QString SENSORS = QStringLiteral("Внешние датчики температуры");
const QString TRAFFIC_1 = QStringLiteral("Трафик сервер 1: (RS-232)");
const QString OUTPUT_1 = QStringLiteral("Цифровой выход 1:  ");

const QString LOST = QStringLiteral("Потеряно соединение с устройством, проверьте подключение");
const QString ENROL_TITLE = QStringLiteral("Режим добавления датчиков");

const int FIRMWARE_SIZE = 100000;
// The limit of each wait for what the operator waits for too: a few state ticks or a transfer.
const int STEP_WAIT_MS = 10000;

template <typename T>
T *child(QObject &parent, const char *name)
{
    return parent.findChild<T *>(QLatin1String(name));
}

void click(QWidget *widget)
{
    QVERIFY(widget);
    QVERIFY2(widget->isVisible(), qPrintable(widget->objectName()));
    QTest::mouseClick(widget, Qt::LeftButton);
}

void clickTab(QTabWidget *tabs, int index)
{
    QVERIFY(tabs);
    auto *bar = tabs->findChild<QTabBar *>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(bar);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
    QCOMPARE(tabs->currentIndex(), index);
}

// Scrolls the row into view as the operator would, then clicks the button it carries.
void clickInTree(QTreeView *view, QPushButton *button, const QModelIndex &at)
{
    QVERIFY(view && button && at.isValid());
    view->scrollTo(at);
    QVERIFY2(QTest::qWaitFor([&] { return button->isVisible(); }, 3000), qPrintable(button->text()));
    QTest::mouseClick(button, Qt::LeftButton);
}

// Select everything in the field and type over it.
void typeOver(QWidget *field, const QString &text)
{
    QVERIFY(field);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, text);
}

QByteArray recordValue(const QByteArray &records, uint16_t id, uint16_t subId)
{
    SettingRecordReader reader(records);
    TSettingRecord r;
    while (reader.next(&r)) {
        if (r.id == id && r.subId == subId)
            return r.value;
    }
    return QByteArray();
}

// `records` with one record's value replaced; empty when the record is missing or sized otherwise.
QByteArray withRecord(const QByteArray &records, uint16_t id, uint16_t subId, const QByteArray &value)
{
    SettingRecordReader reader(records);
    TSettingRecord r;
    while (reader.next(&r)) {
        if (r.id == id && r.subId == subId) {
            if (r.size != value.size())
                return QByteArray();
            QByteArray out = records;
            out.replace(r.offset + SettingRecordReader::HEADER_SIZE, r.size, value);
            return out;
        }
    }
    return QByteArray();
}

// "id/sub" of every record whose value differs, for a readable failure.
QString differingRecords(const QByteArray &got, const QByteArray &wanted)
{
    QStringList out;
    SettingRecordReader reader(got);
    TSettingRecord r;
    while (reader.next(&r)) {
        const QByteArray expected = recordValue(wanted, r.id, r.subId);
        if (expected != r.value)
            out << QStringLiteral("%1/%2 %3 != %4")
                       .arg(r.id)
                       .arg(r.subId)
                       .arg(QString::fromLatin1(r.value.toHex()), QString::fromLatin1(expected.toHex()));
    }
    return QStringLiteral("sizes %1/%2; ").arg(got.size()).arg(wanted.size()) + out.join(QStringLiteral("; "));
}

// What a plain-text edit shows for this text: every line end becomes one line break.
QString asShown(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QByteArray firmwareImage()
{
    QByteArray image(FIRMWARE_SIZE, '\0');
    quint32 x = 0x2545F491u;
    for (int i = 0; i < image.size(); ++i) {
        x = x * 1664525u + 1013904223u;
        image[i] = char(x >> 24);
    }
    return image;
}

bool isNumberIn(const QString &text, double low, double high)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok && v >= low && v <= high;
}

} // namespace

// A helper's failed check ends the step it was called from.
#define DO(call)                                                                                                   \
    do {                                                                                                           \
        call;                                                                                                      \
        if (QTest::currentTestFailed())                                                                            \
            return;                                                                                                \
    } while (0)

#define STEP(call)                                                                                                 \
    do {                                                                                                           \
        QElapsedTimer stepClock;                                                                                   \
        stepClock.start();                                                                                         \
        call;                                                                                                      \
        if (QTest::currentTestFailed())                                                                            \
            return;                                                                                                \
        qInfo("%-26s %6lld ms", #call, stepClock.elapsed());                                                       \
    } while (0)

class TestOperatorDay : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void operatorDay_data();
    void operatorDay();
    void logLineEndSplitBetweenChunks();

private:
    bool startPeers();
    void openWindow();
    void connectThroughWindow();
    void watchState();
    void downloadSettings();
    void editAndSave();
    void settingsFileRoundTrip();
    void readAndSaveLog();
    void switchOutput();
    void resetTraffic();
    void enrolSensor();
    void uploadFirmware();
    void restart();

    template <typename T>
    T *windowChild(const char *name) { return child<T>(*m_window, name); }
    QTreeView *view(const char *name) { return windowChild<QTreeView>(name); }
    void showPage(const char *button);
    void markStatus() { m_statusMark = m_statuses->count(); }
    QStringList statusesSinceMark() const;
    bool waitStatus(const QString &text, int timeoutMs = STEP_WAIT_MS);
    bool waitConnected(bool state, int timeoutMs = STEP_WAIT_MS);
    // Whether the worker ever ended a session as lost.
    bool lostReported() const;
    // The latest terminal events and status texts, for a failure message.
    QByteArray recent();
    QString path(const QString &name) const { return m_dir->filePath(name); }

    bool m_viaRelay = false;
    QString m_startDir;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RelayProcess> m_relay;
    std::unique_ptr<TerminalProcess> m_terminal;
    std::unique_ptr<PromptScript> m_prompts;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<SessionRecorder> m_recorder;
    std::unique_ptr<QSignalSpy> m_statuses;
    int m_statusMark = 0;
    QStringList m_offered;
    // The terminal's settings right after they were read, and what Сохранить left there.
    QByteArray m_baseRead;
    QByteArray m_baseSaved;
};

void TestOperatorDay::initTestCase()
{
    // A line per transaction would drown the step timings and hit QtTest's message limit.
    QLoggingCategory::setFilterRules(QStringLiteral("trivox.session.debug=false\ntrivox.transport.debug=false"));
}

void TestOperatorDay::init()
{
    m_startDir = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // The connection window keeps the relay address in the working directory.
    QVERIFY(QDir::setCurrent(m_dir->path()));
    std::memset(&SettingsStorage, 0, sizeof SettingsStorage);
    m_offered.clear();
    m_baseRead.clear();
    m_baseSaved.clear();
}

void TestOperatorDay::cleanup()
{
    m_statuses.reset();
    m_recorder.reset();
    m_window.reset();
    m_prompts.reset();
    m_terminal.reset();
    m_relay.reset();
    CConfiguratorHandlerPort::setPortLister({});
    QDir::setCurrent(m_startDir);
    m_dir.reset();
}

void TestOperatorDay::operatorDay_data()
{
    QTest::addColumn<bool>("viaRelay");
    QTest::newRow("relay") << true;
    QTest::newRow("pty") << false;
}

void TestOperatorDay::operatorDay()
{
    QFETCH(bool, viaRelay);
    m_viaRelay = viaRelay;
    QVERIFY(startPeers());
    STEP(openWindow());
    STEP(connectThroughWindow());
    STEP(watchState());
    STEP(downloadSettings());
    STEP(editAndSave());
    STEP(settingsFileRoundTrip());
    STEP(readAndSaveLog());
    STEP(switchOutput());
    STEP(resetTraffic());
    STEP(enrolSensor());
    STEP(uploadFirmware());
    STEP(connectThroughWindow());
    STEP(restart());

    // The only box of the day is the enrolment prompt: nothing was lost, nothing refused.
    QCOMPARE(m_prompts->boxTexts().size(), 1);
    QCOMPARE(m_prompts->boxes.at(0).title, ENROL_TITLE);
    QCOMPARE(m_prompts->pinQuestions, 2);
}

bool TestOperatorDay::startPeers()
{
    m_terminal = std::make_unique<TerminalProcess>();
    // A PIN other than the default, so the window's first attempt is refused; sensors are
    // plugged in by hand while the enrolment box is open.
    QStringList options{QStringLiteral("--pin"), PIN, QStringLiteral("--auto-attach"), QStringLiteral("0")};
    if (m_viaRelay) {
        // A relay that pings at odd moments, in the middle of every kind of transfer.
        m_relay = std::make_unique<RelayProcess>(QStringList{QStringLiteral("--ping-ms"), QStringLiteral("300")});
        if (!m_relay->isReady())
            return false;
        options << QStringLiteral("--relay") << QStringLiteral("127.0.0.1:%1").arg(m_relay->terminalPort())
                << QStringLiteral("--id") << DEVICE_ID << QStringLiteral("--name") << QStringLiteral("Котельная №1");
    } else {
        options << QStringLiteral("--pty");
    }
    if (!m_terminal->start(options)) {
        qWarning("terminal stand-in: %s", qPrintable(m_terminal->errorString()));
        return false;
    }
    if (!m_viaRelay) {
        const QString port = m_terminal->ptyPath();
        CConfiguratorHandlerPort::setPortLister([port] {
            TSerialPortCandidate candidate;
            candidate.portName = port;
            candidate.hasIdentifiers = true;
            candidate.vendorId = CConfiguratorHandlerPort::USB_VENDOR_ID;
            candidate.productId = CConfiguratorHandlerPort::USB_PRODUCT_ID;
            return QList<TSerialPortCandidate>{candidate};
        });
    }
    return true;
}

void TestOperatorDay::showPage(const char *button)
{
    DO(click(windowChild<QCommandLinkButton>(button)));
}

QStringList TestOperatorDay::statusesSinceMark() const
{
    QStringList texts;
    for (int i = m_statusMark; i < m_statuses->count(); ++i)
        texts << m_statuses->at(i).at(0).toString();
    return texts;
}

bool TestOperatorDay::waitStatus(const QString &text, int timeoutMs)
{
    return QTest::qWaitFor([&] { return statusesSinceMark().contains(text); }, timeoutMs);
}

bool TestOperatorDay::waitConnected(bool state, int timeoutMs)
{
    return QTest::qWaitFor([&] { return m_window->isDeviceConnected() == state; }, timeoutMs);
}

bool TestOperatorDay::lostReported() const
{
    for (const SessionRecorder::Event &e : m_recorder->events()) {
        if (e.name == QLatin1String("device_disconnected") && e.value.toBool())
            return true;
    }
    return false;
}

QByteArray TestOperatorDay::recent()
{
    const QStringList events = m_terminal->events();
    const QStringList statuses = statusesSinceMark();
    const QString sep = QStringLiteral(" | ");
    return (QStringLiteral("terminal: ") + events.mid(events.size() - 12).join(sep) + QStringLiteral("\n   status: ")
            + statuses.mid(statuses.size() - 12).join(sep))
        .toUtf8();
}

void TestOperatorDay::openWindow()
{
    m_prompts = std::make_unique<PromptScript>();
    m_prompts->selection = [this](select_device_dialog &dialog) {
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("device_list"));
        auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("ok_button"));
        if (!list || !ok)
            return int(QDialog::Rejected);
        for (int i = 0; i < list->count(); ++i) {
            m_offered << list->item(i)->text();
            if (list->item(i)->text() == CAPTION)
                list->setCurrentRow(i);
        }
        ok->click();
        return dialog.result();
    };

    m_window = std::make_unique<MainWindow>();
    m_recorder = std::make_unique<SessionRecorder>(m_window->deviceWorker());
    m_statuses = std::make_unique<QSignalSpy>(m_window->statusBar(), &QStatusBar::messageChanged);
    usb_handler *worker = m_window->deviceWorker();
    // Short limits only matter when something fails: then a step fails in seconds, not tens.
    QMetaObject::invokeMethod(
        worker,
        [worker] {
            TSessionTimeouts session;
            session.replyMs = 3000;
            session.fileReplyMs = 3000;
            worker->setTimeouts(session);
            TTransportTimeouts transport;
            transport.serverConnectMs = 1000;
            transport.socketWaitMs = 3000;
            transport.relayAnswerMs = 3000;
            worker->port()->setTimeouts(transport);
        },
        Qt::BlockingQueuedConnection);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));

    // Nothing is known yet: every value cell shows the placeholder.
    QCOMPARE(valueText(view("StateSysView"), QStringLiteral("IMEI:")), QStringLiteral("---"));
    QCOMPARE(valueText(view("StateNetView"), QStringLiteral("MCC:")), QStringLiteral("---"));
    QCOMPARE(valueText(view("StateIOView"), QStringLiteral("Напряжение питания:")), QStringLiteral("---"));
}

void TestOperatorDay::connectThroughWindow()
{
    const int questions = m_prompts->pinQuestions;
    m_prompts->pinAnswers = QStringList{PIN};
    markStatus();

    auto *connectButton = windowChild<QCommandLinkButton>("ConnectToDevice");
    QVERIFY(connectButton);
    QCOMPARE(connectButton->text(), QStringLiteral("Соединиться"));
    DO(click(connectButton));
    auto *dialog = m_window->findChild<connection_window *>();
    QVERIFY(dialog && dialog->isVisible());
    if (m_viaRelay) {
        DO(click(child<QRadioButton>(*dialog, "radioButton_tcp_connect")));
        DO(typeOver(child<QLineEdit>(*dialog, "lineEdit_address"), QStringLiteral("127.0.0.1")));
        auto *port = child<QSpinBox>(*dialog, "spinBox_port");
        DO(typeOver(port, QString::number(m_relay->configuratorPort())));
        QCOMPARE(port->value(), int(m_relay->configuratorPort()));
    } else {
        DO(click(child<QRadioButton>(*dialog, "radioButton_usb_connect")));
    }
    DO(click(child<QCommandLinkButton>(*dialog, "commandLinkButton_connect")));
    QVERIFY(!dialog->isVisible());

    QVERIFY2(waitConnected(true), recent().constData());
    // The default PIN went first and was refused; the one typed at the prompt got in.
    QCOMPARE(m_prompts->pinQuestions, questions + 1);
    QVERIFY(!m_terminal->waitForEvent(QStringLiteral("AUTH BAD")).isEmpty());
    QVERIFY(!m_terminal->waitForEvent(QStringLiteral("AUTH OK")).isEmpty());
    QVERIFY(!m_terminal->hasEvent(QStringLiteral("AUTH ")));
    QVERIFY(statusesSinceMark().contains(QStringLiteral("Введен неверный пин-код")));
    QVERIFY(waitStatus(QStringLiteral("Устройство подключено")));

    QCOMPARE(connectButton->text(), QStringLiteral("Отключиться"));
    for (const char *name : {"UpdateFirmware", "DownloadSettings", "UploadSettings"})
        QVERIFY2(windowChild<QWidget>(name)->isVisible(), name);
    if (m_viaRelay) {
        QCOMPARE(m_offered.last(), CAPTION);
        QCOMPARE(m_window->windowTitle(), TITLE + QStringLiteral(" - ") + CAPTION);
        QVERIFY(QTest::qWaitFor([&] { return m_relay->events().contains(QStringLiteral("BOUND ") + DEVICE_ID); }));
    } else {
        QCOMPARE(m_window->windowTitle(), TITLE);
    }
}

void TestOperatorDay::watchState()
{
    auto *tabs = windowChild<QTabWidget>("sysStateTabs");
    QCOMPARE(tabs->currentIndex(), 2);

    // "Сеть" is shown first. Values arrive one by one as a tick reads the group, so each
    // tab is judged once the last of its checked values has come.
    QTreeView *net = view("StateNetView");
    const QString sent = QStringLiteral("Отправлено:");
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     return valueText(net, QStringLiteral("MCC:")) == QStringLiteral("250")
                         && valueText(net, sent, TRAFFIC_1).toUInt() > 0;
                 },
                 STEP_WAIT_MS),
             recent().constData());
    QCOMPARE(valueText(net, QStringLiteral("MNC:")), QStringLiteral("1"));
    QCOMPARE(valueText(net, QStringLiteral("LAC:")), QString::number(0x2F1A));
    QCOMPARE(valueText(net, QStringLiteral("CELLID:")), QString::number(0x0001C3A5));
    QVERIFY(isNumberIn(valueText(net, QStringLiteral("Уровень сигнала:")), 13, 23));

    DO(clickTab(tabs, 0));
    QTreeView *sys = view("StateSysView");
    const QString group = QStringLiteral("Состояние соединений:");
    const QString server5 = QStringLiteral("Сервер 5 (RS-485)");
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     return valueText(sys, QStringLiteral("IMEI:")) == IMEI
                         && valueText(sys, server5, group) == QStringLiteral("на связи");
                 },
                 STEP_WAIT_MS),
             recent().constData());
    QCOMPARE(valueText(sys, QStringLiteral("Версия прошивки:")), FIRMWARE_VERSION);
    QCOMPARE(valueText(sys, QStringLiteral("Версия прошивки модема:")), MODEM_VERSION);
    QVERIFY(valueText(sys, QStringLiteral("Время с последней перезагрузки:")).toUInt() > 0);
    QCOMPARE(valueText(sys, QStringLiteral("Сервер 1 (RS-232)"), group), QStringLiteral("на связи"));
    QCOMPARE(valueText(sys, QStringLiteral("Сервер 3 (RS-232)"), group), QStringLiteral("нет соединения"));
    QCOMPARE(valueText(sys, QStringLiteral("Сервер 7 (инженерный)"), group), QStringLiteral("нет соединения"));

    DO(clickTab(tabs, 1));
    QTreeView *io = view("StateIOView");
    const QString sensors = QStringLiteral("Датчики температуры 1-Wire:");
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     return valueText(io, QStringLiteral("Цифровой вход 2:  ")) == QStringLiteral("вкл.")
                         && isNumberIn(valueText(io, QStringLiteral("Напряжение питания:")), 12.2, 12.6);
                 },
                 STEP_WAIT_MS),
             recent().constData());
    QVERIFY(isNumberIn(valueText(io, QStringLiteral("Датчик температуры внутренний:")), 21.9, 28.1));
    QVERIFY(isNumberIn(valueText(io, QStringLiteral("Аналоговый вход 1:  ")), 0.4, 9.6));
    QVERIFY(isNumberIn(valueText(io, QStringLiteral("Датчик температуры 1:  "), sensors), 17.9, 20.1));
    // The stand-in's fourth sensor answers -150: no contact.
    QCOMPARE(valueText(io, QStringLiteral("Датчик температуры 4:  "), sensors), QStringLiteral("нет связи"));
    QCOMPARE(valueText(io, OUTPUT_1), QStringLiteral("выкл."));
}

void TestOperatorDay::downloadSettings()
{
    DO(showPage("SystemSettings"));
    auto *tabs = windowChild<QTabWidget>("sysSettingsTabs");
    DO(clickTab(tabs, 0));
    QTreeView *connections = view("SetConnectionView");
    QWidget *server1 = cellWithLabel(connections, SERVER_1, CONNECTIONS);
    QWidget *server2 = cellWithLabel(connections, SERVER_2, CONNECTIONS);
    const QString pinLabel = QStringLiteral("Пин-код доступа к устройству:");
    auto *address1 = editor<QLineEdit>(server1, ADDRESS);
    auto *type1 = editor<QComboBox>(server1, SERVER_TYPE);
    auto *hold1 = editor<QSpinBox>(server1, SESSION_HOLD);
    auto *type2 = editor<QComboBox>(server2, SERVER_TYPE);
    auto *hold2 = editor<QSpinBox>(server2, SESSION_HOLD);
    auto *pin = editor<QLineEdit>(cellWithLabel(view("SetSecurityView"), pinLabel), pinLabel);
    QVERIFY(address1 && type1 && hold1 && type2 && hold2 && pin);
    // Nothing was read yet.
    QCOMPARE(fieldText(address1->text()), QString());

    markStatus();
    DO(click(windowChild<QCommandLinkButton>("DownloadSettings")));
    QVERIFY2(waitStatus(QStringLiteral("Настройки загружены")), recent().constData());

    // The editors of all three trees show the terminal's settings; the interfaces tree is
    // built anew when they arrive.
    QTreeView *interfaces = view("SetSensorsView");
    QVERIFY(QTest::qWaitFor([&] {
        auto *baud = editor<QComboBox>(cellWithLabel(interfaces, BAUD, RS232), BAUD);
        return baud && baud->currentText() == QLatin1String("9600");
    }));
    QCOMPARE(fieldText(address1->text()), QStringLiteral("10.0.0.5:5555"));
    QCOMPARE(type1->currentText(), QStringLiteral("Прозрачный обмен"));
    QCOMPARE(hold1->value(), 120);
    QCOMPARE(type2->currentText(), QStringLiteral("Пакетный обмен"));
    QCOMPARE(hold2->value(), 120);
    QCOMPARE(pin->text(), PIN);

    m_baseRead = m_terminal->dumpBase();
    QVERIFY(!m_baseRead.isEmpty());
}

void TestOperatorDay::editAndSave()
{
    auto *tabs = windowChild<QTabWidget>("sysSettingsTabs");
    DO(clickTab(tabs, 0));
    QTreeView *connections = view("SetConnectionView");

    // 1. A server address typed over the old one.
    const QString address = QStringLiteral("10.20.30.40:9000");
    QLineEdit *addressEdit = editor<QLineEdit>(cellWithLabel(connections, SERVER_1, CONNECTIONS), ADDRESS);
    QVERIFY(addressEdit);
    DO(typeOver(addressEdit, address));
    QCOMPARE(addressEdit->text(), address);

    // 2. The second server's session hold typed into its spin box.
    QSpinBox *hold = editor<QSpinBox>(cellWithLabel(connections, SERVER_2, CONNECTIONS), SESSION_HOLD);
    QVERIFY(hold);
    DO(typeOver(hold, QStringLiteral("240")));
    QTest::keyClick(hold, Qt::Key_Return);
    QCOMPARE(hold->value(), 240);

    // 3. The RS-232 speed one entry down the list, from 9600 to 19200.
    DO(clickTab(tabs, 2));
    QComboBox *baud = editor<QComboBox>(cellWithLabel(view("SetSensorsView"), BAUD, RS232), BAUD);
    QVERIFY(baud);
    QTest::keyClick(baud, Qt::Key_Down);
    QCOMPARE(baud->currentText(), QStringLiteral("19200"));

    markStatus();
    const int applied = m_terminal->events().count();
    DO(click(windowChild<QCommandLinkButton>("UploadSettings")));
    QVERIFY2(waitStatus(QStringLiteral("Настройки переданы")), recent().constData());
    QVERIFY(!m_terminal->waitForEvent(QStringLiteral("SETTINGS_APPLIED")).isEmpty());
    QVERIFY(m_terminal->events().mid(applied).filter(QStringLiteral("SETTINGS_REJECTED")).isEmpty());

    // Exactly those three values changed in the terminal, every other byte is as it was read.
    QByteArray server = recordValue(m_baseRead, 3001, 0);
    QCOMPARE(server.size(), SERVER_ENTRY_SIZE);
    server.replace(0, 31, address.toLatin1().leftJustified(31, '\0'));
    QByteArray serial = recordValue(m_baseRead, 3372, 0);
    QCOMPARE(serial.size(), INTERFACE_BLOCK_SIZE);
    QCOMPARE(int(serial[IFACE_BAUD]), 4);
    serial[IFACE_BAUD] = 5;
    QByteArray expected = withRecord(m_baseRead, 3001, 0, server);
    expected = withRecord(expected, 3006, 1, QByteArray::fromHex("f000"));
    expected = withRecord(expected, 3372, 0, serial);
    QVERIFY(!expected.isEmpty());

    m_baseSaved = m_terminal->dumpBase();
    QVERIFY2(m_baseSaved == expected, qPrintable(differingRecords(m_baseSaved, expected)));
}

void TestOperatorDay::settingsFileRoundTrip()
{
    auto *tabs = windowChild<QTabWidget>("sysSettingsTabs");
    DO(clickTab(tabs, 0));
    QTreeView *connections = view("SetConnectionView");
    QLineEdit *addressEdit = editor<QLineEdit>(cellWithLabel(connections, SERVER_1, CONNECTIONS), ADDRESS);
    QVERIFY(addressEdit);

    const QString file = path(QStringLiteral("boiler.ksf"));
    m_prompts->fileAnswer = file;
    DO(click(windowChild<QPushButton>("SettingsToFile")));
    QFile saved(file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray image = saved.readAll();
    saved.close();
    // The file is a signed image of exactly what the terminal now holds.
    QVERIFY(verify_settings_image(image));
    QCOMPARE(image.mid(SETTINGS_IMAGE_CODE_SIZE, 8), QByteArray("SETTINGS"));
    QVERIFY2(image.mid(SETTINGS_IMAGE_RECORDS_OFFSET) == m_baseSaved,
             qPrintable(differingRecords(image.mid(SETTINGS_IMAGE_RECORDS_OFFSET), m_baseSaved)));

    // A slip after saving...
    DO(typeOver(addressEdit, QStringLiteral("192.168.0.1:1")));
    QCOMPARE(fieldText(addressEdit->text()), QStringLiteral("192.168.0.1:1"));

    // ...undone by loading the file back.
    m_prompts->fileAnswer = file;
    DO(click(windowChild<QPushButton>("SettingsFromFile")));
    QCOMPARE(fieldText(addressEdit->text()), QStringLiteral("10.20.30.40:9000"));

    // Saved again, it is the same file byte for byte.
    const QString again = path(QStringLiteral("boiler-again.ksf"));
    m_prompts->fileAnswer = again;
    DO(click(windowChild<QPushButton>("SettingsToFile")));
    QFile second(again);
    QVERIFY(second.open(QIODevice::ReadOnly));
    QCOMPARE(second.readAll(), image);
    QVERIFY(m_prompts->boxes.isEmpty());
    QCOMPARE(m_prompts->fileCaptions.size(), 3);
}

void TestOperatorDay::readAndSaveLog()
{
    DO(showPage("SystemDiag"));
    auto *output = windowChild<QPlainTextEdit>("LOGOutput");
    QVERIFY(output->toPlainText().isEmpty());

    markStatus();
    DO(click(windowChild<QPushButton>("GetLOG")));
    QVERIFY2(waitStatus(QStringLiteral("LOG файл успешно загружен")), recent().constData());

    const QByteArray log = m_terminal->logBytes();
    QVERIFY(log.size() > 1000);
    const QString expected = asShown(QTextCodec::codecForName("Windows-1251")->toUnicode(log));
    const QString shown = output->toPlainText();
    if (shown != expected) {
        int at = 0;
        while (at < shown.size() && at < expected.size() && shown[at] == expected[at])
            ++at;
        QFAIL(qPrintable(QStringLiteral("log differs at %1 of %2/%3: \"%4\" vs \"%5\"")
                             .arg(at)
                             .arg(shown.size())
                             .arg(expected.size())
                             .arg(shown.mid(qMax(0, at - 20), 40), expected.mid(qMax(0, at - 20), 40))));
    }

    const QString file = path(QStringLiteral("boiler.log"));
    m_prompts->fileAnswer = file;
    DO(click(windowChild<QPushButton>("SaveLOG")));
    QFile saved(file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), shown.toUtf8());
    QVERIFY(m_prompts->boxes.isEmpty());
}

void TestOperatorDay::switchOutput()
{
    DO(showPage("SystemState"));
    DO(clickTab(windowChild<QTabWidget>("sysStateTabs"), 1));
    QTreeView *io = view("StateIOView");
    QModelIndex at;
    QPushButton *on = button(io, QStringLiteral("Вкл."), QString(), &at);
    QVERIFY(on);
    QCOMPARE(at.sibling(at.row(), 0).data().toString(), OUTPUT_1);
    DO(clickInTree(io, on, at));

    QVERIFY(!m_terminal->waitForEvent(QStringLiteral("WRITE 1061 0 01")).isEmpty());
    QVERIFY(!m_terminal->waitForEvent(QStringLiteral("OUTPUT 1 1")).isEmpty());
    QVERIFY2(QTest::qWaitFor([&] { return valueText(io, OUTPUT_1) == QStringLiteral("вкл."); }, STEP_WAIT_MS),
             recent().constData());
}

void TestOperatorDay::resetTraffic()
{
    auto *tabs = windowChild<QTabWidget>("sysStateTabs");
    DO(clickTab(tabs, 2));
    QTreeView *net = view("StateNetView");
    const QString sentLabel = QStringLiteral("Отправлено:");
    // The stand-in counts 120 bytes a second for server 1 from its start.
    uint before = 0;
    QVERIFY(QTest::qWaitFor([&] { return (before = valueText(net, sentLabel, TRAFFIC_1).toUInt()) >= 1200; },
                            STEP_WAIT_MS));

    QModelIndex at;
    QPushButton *reset = button(net, QStringLiteral("Сбросить"), TRAFFIC_1, &at);
    QVERIFY(reset);
    DO(clickInTree(net, reset, at));

    QVERIFY(!m_terminal->waitForEvent(QStringLiteral("WRITE 2008 0 00000000")).isEmpty());
    QVERIFY(!m_terminal->waitForEvent(QStringLiteral("WRITE 2012 0 00000000")).isEmpty());
    const QStringList events = m_terminal->events();
    QVERIFY(events.lastIndexOf(QStringLiteral("WRITE 2008 0 00000000"))
            < events.lastIndexOf(QStringLiteral("WRITE 2012 0 00000000")));
    // The counter read back from the terminal starts again from nothing.
    QVERIFY(QTest::qWaitFor(
        [&] {
            const uint now = valueText(net, sentLabel, TRAFFIC_1).toUInt();
            return now > 0 && now < before;
        },
        STEP_WAIT_MS));
}

void TestOperatorDay::enrolSensor()
{
    DO(showPage("SystemSettings"));
    auto *tabs = windowChild<QTabWidget>("sysSettingsTabs");
    DO(clickTab(tabs, 2));
    QTreeView *interfaces = view("SetSensorsView");
    const QString fourth = QStringLiteral("Датчик температуры 4");
    auto sensorText = [&] {
        QLineEdit *id = editor<QLineEdit>(cellWithLabel(interfaces, fourth, SENSORS), fourth);
        return id ? id->text() : QString();
    };
    QCOMPARE(sensorText(), QStringLiteral("0000000000000000"));

    // While the box is open the operator plugs the new sensor in, once the terminal listens.
    bool listening = false;
    bool attached = false;
    m_prompts->onBox = [&] {
        if (m_prompts->boxes.last().title != ENROL_TITLE)
            return;
        listening = !m_terminal->waitForEvent(QStringLiteral("ENROLMENT ON")).isEmpty();
        attached = listening && m_terminal->control(QStringLiteral("attach-sensor"));
    };
    QModelIndex at;
    QPushButton *add = button(interfaces, QStringLiteral("Добавить датчики"), SENSORS, &at);
    QVERIFY(add);
    DO(clickInTree(interfaces, add, at));
    m_prompts->onBox = nullptr;

    QCOMPARE(m_prompts->boxes.size(), 1);
    QCOMPARE(m_prompts->boxes.at(0).kind, UserPrompts::Kind::Information);
    QVERIFY(listening);
    QVERIFY(attached);
    QVERIFY(!m_terminal->waitForEvent(QStringLiteral("WRITE 3368 0 01")).isEmpty());
    QVERIFY(!m_terminal->waitForEvent(QStringLiteral("WRITE 3368 0 00")).isEmpty());
    const QString enrolled = m_terminal->waitForEvent(QStringLiteral("SENSOR_ENROLLED 3 "));
    QVERIFY(!enrolled.isEmpty());
    QVERIFY(!m_terminal->waitForEvent(QStringLiteral("ENROLMENT OFF")).isEmpty());

    // The editor shows the id last byte first, as the terminal's id record is read.
    QByteArray id = QByteArray::fromHex(enrolled.section(QLatin1Char(' '), 2).toLatin1());
    QCOMPARE(id.size(), SENSOR_ID_SIZE);
    std::reverse(id.begin(), id.end());
    const QString shown = QString::fromLatin1(id.toHex()).toUpper();
    QVERIFY2(QTest::qWaitFor([&] { return sensorText() == shown; }, STEP_WAIT_MS),
             qPrintable(sensorText() + QStringLiteral(" != ") + shown));
}

void TestOperatorDay::uploadFirmware()
{
    const QByteArray image = firmwareImage();
    const QString file = path(QStringLiteral("trx-f0-3.8.0.kbf"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    QCOMPARE(out.write(image), qint64(image.size()));
    out.close();

    markStatus();
    const int firstEvent = m_terminal->events().size();
    const int disconnections = m_recorder->count(QStringLiteral("device_disconnected"));
    m_prompts->fileAnswer = file;
    auto *progress = m_window->statusBar()->findChild<QProgressBar *>();
    QVERIFY(progress);
    QSignalSpy percentages(progress, &QProgressBar::valueChanged);
    DO(click(windowChild<QCommandLinkButton>("UpdateFirmware")));

    const QString received = m_terminal->waitForEvent(QStringLiteral("FIRMWARE "), 30000);
    QCOMPARE(received, QStringLiteral("FIRMWARE %1 %2").arg(FIRMWARE_SIZE).arg(crc32(image), 8, 16, QLatin1Char('0')));
    const int chunks = (FIRMWARE_SIZE + usb_handler::CHUNK_SIZE - 1) / usb_handler::CHUNK_SIZE;
    QCOMPARE(m_terminal->events().mid(firstEvent).filter(QRegularExpression(QStringLiteral("^CHUNK FIRMWARE "))).size(),
             chunks);

    // The progress climbed to the end and was put back.
    int highest = 0;
    for (const QList<QVariant> &args : qAsConst(percentages))
        highest = qMax(highest, args.at(0).toInt());
    QVERIFY2(highest >= 99, qPrintable(QString::number(highest)));
    QVERIFY(QTest::qWaitFor([&] { return progress->value() == 0; }));

    // After flashing, the session ends in order, not as a lost link.
    QVERIFY(waitConnected(false));
    QVERIFY(waitStatus(QStringLiteral("Прошивка успешно загружена - устройство отключено")));
    QVERIFY(m_recorder->waitFor(QStringLiteral("device_disconnected"), STEP_WAIT_MS, disconnections + 1));
    QVERIFY(!lostReported());
    QVERIFY(!m_prompts->boxTexts().contains(LOST));
    QCOMPARE(windowChild<QCommandLinkButton>("ConnectToDevice")->text(), QStringLiteral("Соединиться"));
    QVERIFY(!windowChild<QWidget>("UpdateFirmware")->isVisible());
    QCOMPARE(m_window->windowTitle(), TITLE);
    if (m_viaRelay)
        QVERIFY(QTest::qWaitFor([&] { return m_relay->events().contains(QStringLiteral("UNBOUND ") + DEVICE_ID); }));
}

void TestOperatorDay::restart()
{
    DO(showPage("SystemState"));
    DO(clickTab(windowChild<QTabWidget>("sysStateTabs"), 0));
    QTreeView *sys = view("StateSysView");
    QModelIndex at;
    QPushButton *restartButton = button(sys, QStringLiteral("Рестарт устройства"), QString(), &at);
    QVERIFY(restartButton);

    markStatus();
    DO(clickInTree(sys, restartButton, at));
    QVERIFY(!m_terminal->waitForEvent(QStringLiteral("COMMAND 1")).isEmpty());
    QVERIFY(!m_terminal->waitForEvent(m_viaRelay ? QStringLiteral("REBOOT relay") : QStringLiteral("REBOOT pty"))
                 .isEmpty());
    QVERIFY(waitConnected(false));
    const QString sent = QStringLiteral("Отправлена команда на перезагрузку устройства - устройство отключено");
    const QString disconnected = QStringLiteral("Устройство отключено");
    QVERIFY(waitStatus(sent));
    // The window then shows the terminal as disconnected, as after any orderly end.
    QVERIFY(waitStatus(disconnected));
    QVERIFY(statusesSinceMark().indexOf(sent) < statusesSinceMark().lastIndexOf(disconnected));
    if (m_viaRelay) {
        // The restarted terminal comes back to the relay; nothing about it reaches the window.
        QVERIFY(!m_terminal->waitForEvent(QStringLiteral("REGISTERED"), STEP_WAIT_MS).isEmpty());
    }
    QVERIFY(!lostReported());
    QVERIFY(!m_prompts->boxTexts().contains(LOST));
    QCOMPARE(windowChild<QCommandLinkButton>("ConnectToDevice")->text(), QStringLiteral("Соединиться"));
    QCOMPARE(valueText(sys, QStringLiteral("IMEI:")), QStringLiteral("---"));
}

// The log reaches the window in chunks of at most 232 bytes, cut wherever the count ends;
// a cut between CR and LF must not show an empty line that the terminal's log does not have.
void TestOperatorDay::logLineEndSplitBetweenChunks()
{
    MainWindow window;
    auto *output = window.findChild<QPlainTextEdit *>(QStringLiteral("LOGOutput"));
    QVERIFY(output);
    const QStringList chunks{QStringLiteral("08:00:00 Включение\r"), QStringLiteral("\n08:00:37 GSM\r\n"),
                             QStringLiteral("\r"), QStringLiteral("\r\n"), QStringLiteral("\r"), QString(),
                             QStringLiteral("\n08:01:14 SIM\r"), QStringLiteral("\n")};
    QTextCodec *codec = QTextCodec::codecForName("Windows-1251");
    for (const QString &chunk : chunks)
        window.if_log_data(codec->fromUnicode(chunk));
    QCOMPARE(output->toPlainText(), asShown(chunks.join(QString())));
    QCOMPARE(output->toPlainText(),
             QStringLiteral("08:00:00 Включение\n08:00:37 GSM\n\n\n\n08:01:14 SIM\n"));
}

QTEST_MAIN(TestOperatorDay)
#include "test_operator_day.moc"
