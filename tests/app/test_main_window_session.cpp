#include "PromptScript.h"

#include "app/MainWindow.h"
#include "dialogs/connection_window.h"
#include "dialogs/select_device_dialog.h"
#include "model/SettingsStorage.h"
#include "session/usb_handler.h"
#include "support/RelayProcess.h"
#include "support/SessionHarness.h"
#include "support/TerminalProcess.h"

#include <QtTest>
#include <QtWidgets>

#include <cstring>
#include <memory>

// The window against the stand-in relay, where the operator's day does not go: an empty
// device list, and closing the window in the middle of a session.
namespace {

template <typename T = QWidget>
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

} // namespace

class TestMainWindowSession : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(workDir.isValid());
        QVERIFY(QDir::setCurrent(workDir.path()));
    }

    void init()
    {
        std::memset(&SettingsStorage, 0, sizeof SettingsStorage);
        relay = std::make_unique<RelayProcess>();
        QVERIFY(relay->isReady());
    }

    void cleanup()
    {
        relay.reset();
    }

    void emptyRelayListShowsBoxAndStops()
    {
        PromptScript prompts;
        MainWindow w;
        speedUp(w);
        QSignalSpy stops(&w, &MainWindow::Stop_device_connection);

        requestRelayList(w, relay->configuratorPort());
        QVERIFY(QTest::qWaitFor([&] { return !prompts.boxes.isEmpty(); }, 8000));

        QCOMPARE(prompts.boxes.at(0).kind, UserPrompts::Kind::Information);
        QCOMPARE(prompts.boxes.at(0).title, QStringLiteral("Устройства не найдены"));
        QCOMPARE(prompts.boxTexts(),
                 QStringList{QStringLiteral("В данный момент к серверу не подключено ни одно устройство")});
        QCOMPARE(prompts.selections, 0);
        QCOMPARE(stops.count(), 1);
        const QString disconnected = QStringLiteral("Устройство отключено");
        QVERIFY(QTest::qWaitFor([&] { return w.statusBar()->currentMessage() == disconnected; }, 5000));
        QVERIFY(!w.isDeviceConnected());
    }

    void closingWhileConnectedEndsSessionPolitely()
    {
        TerminalProcess boiler;
        QVERIFY(boiler.start({QStringLiteral("--relay"), QStringLiteral("127.0.0.1:%1").arg(relay->terminalPort()),
                              QStringLiteral("--id"), QStringLiteral("TRX-0001")}));
        PromptScript prompts;
        prompts.selection = [](select_device_dialog &dialog) {
            child<QListWidget>(dialog, "device_list")->setCurrentRow(0);
            child<QPushButton>(dialog, "ok_button")->click();
            return dialog.result();
        };
        // Production time limits: a close must not sit out the 10 s answer wait below.
        auto *w = new MainWindow;
        w->show();
        requestRelayList(*w, relay->configuratorPort());
        QVERIFY(QTest::qWaitFor([&] { return w->isDeviceConnected(); }, 8000));
        QVERIFY(!boiler.waitForEvent(QStringLiteral("READ")).isEmpty());

        // A silent terminal keeps the worker inside a state read when the window goes.
        QVERIFY(boiler.control(QStringLiteral("set silent 1")));
        boiler.waitForEvent(QStringLiteral("READ"), 3000);
        QElapsedTimer clock;
        clock.start();
        delete w;
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QStringLiteral("closing took %1 ms").arg(clock.elapsed())));
        QVERIFY(relay->waitForEvent(QStringLiteral("UNBOUND TRX-0001"), 1, 3000));
        QVERIFY(prompts.boxes.isEmpty());
    }

private:
    QTemporaryDir workDir;
    std::unique_ptr<RelayProcess> relay;
};

QTEST_MAIN(TestMainWindowSession)
#include "test_main_window_session.moc"
