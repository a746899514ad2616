#include "PromptScript.h"

#include "app/MainWindow.h"
#include "dialogs/connection_window.h"
#include "dialogs/select_device_dialog.h"
#include "model/SettingsStorage.h"
#include "session/usb_handler.h"
#include "support/RelayProcess.h"
#include "support/SessionHarness.h"
#include "support/TerminalProcess.h"

#include <QCommandLinkButton>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <memory>

// The whole window against the stand-in relay server and simulated terminals, driven
// through its real widgets: the connection window, the device selection, the PIN prompt.
namespace {

const QString TITLE = QStringLiteral("Trivox конфигуратор 1.2.5");
const QString BOILER = QStringLiteral("TRX-0001: Котельная №1");
const QString PUMPS = QStringLiteral("TRX-0002: Насосная станция");

template <typename T>
T *child(QObject &parent, const char *name)
{
    T *object = parent.findChild<T *>(QLatin1String(name));
    Q_ASSERT(object);
    return object;
}

void speedUp(MainWindow &w)
{
    usb_handler *worker = w.deviceWorker();
    // Set in the worker's own thread, between its passes.
    QMetaObject::invokeMethod(
        worker,
        [worker] {
            worker->setTimeouts(SessionHarness::fastSessionTimeouts());
            worker->port()->setTimeouts(SessionHarness::fastTransportTimeouts());
        },
        Qt::BlockingQueuedConnection);
}

// Presses "Соединиться" and asks the connection window for the relay at this port.
void requestRelayList(MainWindow &w, quint16 port)
{
    child<QCommandLinkButton>(w, "ConnectToDevice")->click();
    auto *dialog = w.findChild<connection_window *>();
    QVERIFY(dialog && dialog->isVisible());
    child<QRadioButton>(*dialog, "radioButton_tcp_connect")->click();
    child<QLineEdit>(*dialog, "lineEdit_address")->setText(QStringLiteral("127.0.0.1"));
    child<QSpinBox>(*dialog, "spinBox_port")->setValue(port);
    child<QCommandLinkButton>(*dialog, "commandLinkButton_connect")->click();
    QVERIFY(!dialog->isVisible());
}

// A selection that types `filter` and takes the first entry left.
std::function<int(select_device_dialog &)> chooseFiltered(const QString &filter, QStringList *offered,
                                                          QStringList *left)
{
    return [=](select_device_dialog &dialog) {
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("device_list"));
        for (int i = 0; offered && i < list->count(); ++i)
            offered->append(list->item(i)->text());
        // Typed as the user would; keyClicks knows only ASCII keys.
        dialog.findChild<QLineEdit *>(QStringLiteral("filter_edit"))->insert(filter);
        for (int i = 0; left && i < list->count(); ++i)
            left->append(list->item(i)->text());
        list->setCurrentRow(0);
        dialog.findChild<QPushButton *>(QStringLiteral("ok_button"))->click();
        return dialog.result();
    };
}

bool waitRelayEvent(RelayProcess &relay, const QString &line, int times = 1, int timeoutMs = 8000)
{
    return QTest::qWaitFor([&] { return relay.events().count(line) >= times; }, timeoutMs);
}

bool waitConnected(MainWindow &w, bool state = true, int timeoutMs = 8000)
{
    return QTest::qWaitFor([&] { return w.isDeviceConnected() == state; }, timeoutMs);
}

} // namespace

class TestMainWindowSession : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void relayConnectionThroughTheWidgets();
    void wrongPinIsAskedAgainUntilRight();
    void emptyRelayListShowsBoxAndStops();
    void lostTerminalShowsBox();
    void closingWhileConnectedEndsSessionPolitely();

private:
    bool startPeers();

    QTemporaryDir workDir;
    std::unique_ptr<RelayProcess> relay;
    std::unique_ptr<TerminalProcess> boiler;
    std::unique_ptr<TerminalProcess> pumps;
};

void TestMainWindowSession::initTestCase()
{
    QVERIFY(workDir.isValid());
    QVERIFY(QDir::setCurrent(workDir.path()));
}

void TestMainWindowSession::init()
{
    std::memset(&SettingsStorage, 0, sizeof SettingsStorage);
    relay = std::make_unique<RelayProcess>();
    QVERIFY(relay->isReady());
}

void TestMainWindowSession::cleanup()
{
    pumps.reset();
    boiler.reset();
    relay.reset();
}

bool TestMainWindowSession::startPeers()
{
    const QString at = QStringLiteral("127.0.0.1:%1").arg(relay->terminalPort());
    boiler = std::make_unique<TerminalProcess>();
    pumps = std::make_unique<TerminalProcess>();
    return boiler->start({QStringLiteral("--relay"), at, QStringLiteral("--id"), QStringLiteral("TRX-0001"),
                          QStringLiteral("--name"), QStringLiteral("Котельная №1")})
        && pumps->start({QStringLiteral("--relay"), at, QStringLiteral("--id"), QStringLiteral("TRX-0002"),
                         QStringLiteral("--name"), QStringLiteral("Насосная станция"), QStringLiteral("--pin"),
                         QStringLiteral("1234")});
}

void TestMainWindowSession::relayConnectionThroughTheWidgets()
{
    QVERIFY(startPeers());
    PromptScript prompts;
    QStringList offered;
    QStringList left;
    prompts.selection = chooseFiltered(QStringLiteral("насос"), &offered, &left);
    prompts.pinAnswers = QStringList{QStringLiteral("1234")};
    MainWindow w;
    speedUp(w);
    w.show();

    requestRelayList(w, relay->configuratorPort());
    QVERIFY(waitConnected(w));

    QCOMPARE(offered, (QStringList{BOILER, PUMPS}));
    QCOMPARE(left, QStringList{PUMPS});
    // The default PIN first, then the one the user gave.
    QCOMPARE(prompts.pinQuestions, 1);
    QVERIFY(!pumps->waitForEvent(QStringLiteral("AUTH BAD")).isEmpty());
    QVERIFY(!pumps->waitForEvent(QStringLiteral("AUTH OK")).isEmpty());
    for (const char *name : {"UpdateFirmware", "DownloadSettings", "UploadSettings"})
        QVERIFY2(child<QWidget>(w, name)->isVisible(), name);
    QCOMPARE(child<QCommandLinkButton>(w, "ConnectToDevice")->text(), QStringLiteral("Отключиться"));
    QCOMPARE(w.windowTitle(), TITLE + QStringLiteral(" - ") + PUMPS);
    QVERIFY(QTest::qWaitFor([&] { return w.statusBar()->currentMessage() == QStringLiteral("Устройство подключено"); },
                            5000));

    // Disconnecting on request: no box, and the default PIN is in force again, so the
    // other terminal connects without a prompt.
    child<QCommandLinkButton>(w, "ConnectToDevice")->click();
    QVERIFY(waitConnected(w, false));
    QVERIFY(waitRelayEvent(*relay, QStringLiteral("UNBOUND TRX-0002"), 2));
    QVERIFY(prompts.boxes.isEmpty());
    QCOMPARE(w.windowTitle(), TITLE);
    QCOMPARE(child<QCommandLinkButton>(w, "ConnectToDevice")->text(), QStringLiteral("Соединиться"));

    prompts.selection = chooseFiltered(QStringLiteral("0001"), nullptr, nullptr);
    requestRelayList(w, relay->configuratorPort());
    QVERIFY(waitConnected(w));
    QCOMPARE(prompts.pinQuestions, 1);
    QVERIFY(!boiler->waitForEvent(QStringLiteral("AUTH OK")).isEmpty());
    QCOMPARE(w.windowTitle(), TITLE + QStringLiteral(" - ") + BOILER);
}

void TestMainWindowSession::wrongPinIsAskedAgainUntilRight()
{
    QVERIFY(startPeers());
    PromptScript prompts;
    prompts.selection = chooseFiltered(QStringLiteral("TRX-0002"), nullptr, nullptr);
    prompts.pinAnswers = QStringList{QStringLiteral("123")};
    MainWindow w;
    speedUp(w);
    QSignalSpy starts(&w, &MainWindow::Start_device_connection);

    requestRelayList(w, relay->configuratorPort());
    QVERIFY(QTest::qWaitFor([&] { return prompts.pinQuestions == 1; }, 8000));
    QCOMPARE(starts.count(), 1);

    // Neither a three- nor a five-character answer goes anywhere.
    prompts.pinAnswers = QStringList{QStringLiteral("12345")};
    w.if_pin_request();
    QTest::qWait(300);
    QCOMPARE(starts.count(), 1);
    QCOMPARE(relay->events().count(QStringLiteral("BOUND TRX-0002")), 1);

    // A wrong four-digit PIN reconnects to the same terminal and is refused; the right one
    // given at the next prompt is in force for the reconnection it triggers.
    prompts.pinAnswers = QStringList{QStringLiteral("0000"), QStringLiteral("1234")};
    w.if_pin_request();
    QVERIFY(waitConnected(w));
    QCOMPARE(starts.count(), 3);
    QCOMPARE(prompts.pinQuestions, 4);
    QCOMPARE(relay->events().count(QStringLiteral("BOUND TRX-0002")), 3);
    QVERIFY(!relay->events().contains(QStringLiteral("BOUND TRX-0001")));
    QStringList auths;
    for (const QString &line : pumps->events())
        if (line.startsWith(QLatin1String("AUTH")))
            auths << line;
    QCOMPARE(auths, (QStringList{QStringLiteral("AUTH BAD"), QStringLiteral("AUTH BAD"), QStringLiteral("AUTH OK")}));
    QVERIFY(prompts.boxes.isEmpty());
}

void TestMainWindowSession::emptyRelayListShowsBoxAndStops()
{
    PromptScript prompts;
    MainWindow w;
    speedUp(w);
    QSignalSpy stops(&w, &MainWindow::Stop_device_connection);

    requestRelayList(w, relay->configuratorPort());
    QVERIFY(QTest::qWaitFor([&] { return !prompts.boxes.isEmpty(); }, 8000));

    QCOMPARE(prompts.boxes.at(0).kind, UserPrompts::Kind::Information);
    QCOMPARE(prompts.boxes.at(0).title, QStringLiteral("Устройства не найдены"));
    QCOMPARE(prompts.boxes.at(0).text, QStringLiteral("В данный момент к серверу не подключено ни одно устройство"));
    QCOMPARE(prompts.selections, 0);
    QCOMPARE(stops.count(), 1);
    QVERIFY(QTest::qWaitFor([&] { return w.statusBar()->currentMessage() == QStringLiteral("Устройство отключено"); },
                            5000));
    QVERIFY(!w.isDeviceConnected());
}

void TestMainWindowSession::lostTerminalShowsBox()
{
    QVERIFY(startPeers());
    PromptScript prompts;
    prompts.selection = chooseFiltered(QStringLiteral("0001"), nullptr, nullptr);
    MainWindow w;
    speedUp(w);
    QSignalSpy pins(&w, &MainWindow::device_pin);
    requestRelayList(w, relay->configuratorPort());
    QVERIFY(waitConnected(w));

    relay->control(QStringLiteral("drop TRX-0001"));
    QVERIFY(waitConnected(w, false));

    QCOMPARE(prompts.boxTexts(), QStringList{QStringLiteral("Потеряно соединение с устройством, проверьте подключение")});
    QCOMPARE(pins.count(), 1);
    QCOMPARE(pins.at(0).at(0).toString(), QStringLiteral("7390"));
    QVERIFY(!child<QWidget>(w, "UploadSettings")->isVisible());
}

void TestMainWindowSession::closingWhileConnectedEndsSessionPolitely()
{
    QVERIFY(startPeers());
    PromptScript prompts;
    prompts.selection = chooseFiltered(QStringLiteral("0001"), nullptr, nullptr);
    auto *w = new MainWindow;
    // Production time limits: a close must not sit out the 10 s answer wait below.
    w->show();
    requestRelayList(*w, relay->configuratorPort());
    QVERIFY(waitConnected(*w));
    QVERIFY(!boiler->waitForEvent(QStringLiteral("READ")).isEmpty());

    // A silent terminal keeps the worker inside a state read when the window goes.
    QVERIFY(boiler->control(QStringLiteral("set silent 1")));
    boiler->waitForEvent(QStringLiteral("READ"), 3000);
    QElapsedTimer clock;
    clock.start();
    delete w;
    const qint64 closeMs = clock.elapsed();

    QVERIFY2(closeMs < 3000, qPrintable(QStringLiteral("closing took %1 ms").arg(closeMs)));
    QVERIFY(waitRelayEvent(*relay, QStringLiteral("UNBOUND TRX-0001"), 1, 3000));
    QVERIFY(prompts.boxes.isEmpty());
}

QTEST_MAIN(TestMainWindowSession)
#include "test_main_window_session.moc"
