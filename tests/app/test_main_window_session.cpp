#include "PromptScript.h"

#include "app/MainWindow.h"
#include "app/PlotsPage.h"
#include "dialogs/connection_window.h"
#include "dialogs/select_device_dialog.h"
#include "files/BackupStore.h"
#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"
#include "session/usb_handler.h"
#include "support/RelayProcess.h"
#include "support/SessionHarness.h"
#include "support/TerminalProcess.h"
#include "support/TestTime.h"

#include <QTcpServer>
#include <QtTest>
#include <QtWidgets>

#include <cstring>
#include <functional>
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

// Presses "Соединиться" and asks the connection window for the relay at this port (0: USB).
void requestRelayList(MainWindow &w, quint16 port)
{
    child<QCommandLinkButton>(w, "ConnectToDevice")->click();
    auto *dialog = w.findChild<connection_window *>();
    QVERIFY(dialog && dialog->isVisible());
    child<QRadioButton>(*dialog, port ? "radioButton_tcp_connect" : "radioButton_usb_connect")->click();
    if (port) {
        child<QLineEdit>(*dialog, "lineEdit_address")->setText(QStringLiteral("127.0.0.1"));
        child<QSpinBox>(*dialog, "spinBox_port")->setValue(port);
    }
    child<QCommandLinkButton>(*dialog, "commandLinkButton_connect")->click();
    QVERIFY(!dialog->isVisible());
}

// The device selection picks the terminal whose caption starts with *wanted.
std::function<int(select_device_dialog &)> choose(const QString *wanted)
{
    return [wanted](select_device_dialog &dialog) {
        auto *list = child<QListWidget>(dialog, "device_list");
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->text().startsWith(*wanted))
                list->setCurrentRow(i);
        child<QPushButton>(dialog, "ok_button")->click();
        return dialog.result();
    };
}

QString stateValue(MainWindow &w, const char *view, const QString &label)
{
    const QAbstractItemModel *model = child<QTreeView>(w, view)->model();
    const QModelIndex at = model->match(model->index(0, 0), Qt::DisplayRole, label, 1, Qt::MatchExactly).value(0);
    return at.sibling(at.row(), 1).data().toString();
}

} // namespace

class TestMainWindowSession : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Backups go to a folder of the tests, not the user's.
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(workDir.isValid());
        QVERIFY(QDir::setCurrent(workDir.path()));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, workDir.path());
    }

    void init()
    {
        QSettings().clear();
        QDir(BackupStore::defaultRoot()).removeRecursively();
        std::memset(&SettingsStorage, 0, sizeof SettingsStorage);
        relay = std::make_unique<RelayProcess>();
        QVERIFY(relay->isReady());
    }

    void cleanup()
    {
        CConfiguratorHandlerPort::setPortLister({});
        terminalA.reset();
        terminalB.reset();
        relay.reset();
    }

    bool startTerminals()
    {
        const QString at = QStringLiteral("127.0.0.1:%1").arg(relay->terminalPort());
        terminalA = std::make_unique<TerminalProcess>();
        terminalB = std::make_unique<TerminalProcess>();
        return terminalA->start({"--relay", at, "--id", "TRX-0001"})
            && terminalB->start({"--relay", at, "--id", "TRX-0002", "--pin", "1234"});
    }

    // Through the relay, to the terminal whose caption starts with id.
    bool connectTo(MainWindow &w, PromptScript &prompts, const QString &id)
    {
        wanted = id;
        prompts.selection = choose(&wanted);
        requestRelayList(w, relay->configuratorPort());
        return QTest::qWaitFor([&] { return w.isDeviceConnected(); }, 8000);
    }

    bool disconnect(MainWindow &w)
    {
        child<QCommandLinkButton>(w, "ConnectToDevice")->click();
        return QTest::qWaitFor([&] { return !w.isDeviceConnected(); }, 5000);
    }

    // Settings read from one terminal go into another only when the operator says so.
    void settingsOfAnotherTerminalAreNotWrittenUnasked()
    {
        QVERIFY(startTerminals());
        PromptScript prompts;
        prompts.pinAnswers = QStringList{"1234"};
        MainWindow w;
        speedUp(w);
        QVERIFY(connectTo(w, prompts, "TRX-0002"));
        child<QCommandLinkButton>(w, "DownloadSettings")->click();
        QVERIFY(QTest::qWaitFor([&] { return w.settingsOrigin().kind() == SettingsOrigin::EKind::Terminal; }, 5000));
        QVERIFY(child<QLabel>(w, "SettingsOrigin")->text().contains("TRX-0002"));
        QVERIFY(disconnect(w));

        // TRX-0001 takes the default PIN: no prompt, and the editors still hold TRX-0002's.
        QVERIFY(connectTo(w, prompts, "TRX-0001"));
        QVERIFY(w.windowTitle().endsWith("TRX-0001: Терминал"));
        QVERIFY(child<QLabel>(w, "SettingsOrigin")->text().contains("TRX-0002"));
        const QByteArray before = terminalA->dumpBase();
        child<QCommandLinkButton>(w, "UploadSettings")->click();
        QCOMPARE(prompts.questions.size(), 1);
        QCOMPARE(prompts.questions.at(0).title, QStringLiteral("Запись в другое устройство"));
        QVERIFY(prompts.questions.at(0).text.contains("TRX-0002") && prompts.questions.at(0).text.contains("TRX-0001"));
        QTest::qWait(300);
        QVERIFY(!terminalA->hasEvent("CHUNK"));
        QCOMPARE(terminalA->dumpBase(), before);

        prompts.questionAnswers = {true};
        child<QCommandLinkButton>(w, "UploadSettings")->click();
        QVERIFY(!terminalA->waitForEvent("SETTINGS_APPLIED").isEmpty());
        QCOMPARE(terminalA->dumpBase(), terminalB->dumpBase());
    }

    // Before a write the terminal's settings are kept as they were, also when the write then
    // fails; a backup that cannot be kept stops the write unless the operator says go on.
    void backupBeforeWriteKeepsTheTerminalsSettings()
    {
        QVERIFY(startTerminals());
        PromptScript prompts;
        MainWindow w;
        speedUp(w);
        QVERIFY(connectTo(w, prompts, "TRX-0001"));
        child<QCommandLinkButton>(w, "DownloadSettings")->click();
        QVERIFY(QTest::qWaitFor([&] { return w.settingsOrigin().kind() == SettingsOrigin::EKind::Terminal; }, 5000));
        SettingsStorage.sims[0][0] = 'X';
        const QByteArray before = terminalA->dumpBase();
        // The link drops after the first chunk of the write, the BASE of the backup read before it.
        const int baseAnswers = (before.size() + 231) / 232;
        QVERIFY(terminalA->control(QString("set drop-after-chunks %1").arg(baseAnswers + 1)));
        child<QCommandLinkButton>(w, "UploadSettings")->click();
        QVERIFY(QTest::qWaitFor([&] { return !w.isDeviceConnected(); }, 8000));
        const QVector<TBackupEntry> kept = BackupStore().list("TRX-0001");
        QCOMPARE(kept.size(), 1);
        QCOMPARE(kept.at(0).reason, EBackupReason::Write);
        QFile backup(kept.at(0).path);
        QVERIFY(backup.open(QIODevice::ReadOnly));
        QCOMPARE(backup.readAll().mid(SETTINGS_IMAGE_RECORDS_OFFSET), before);
        QCOMPARE(terminalA->dumpBase(), before);

        // Where the terminal's folder should be there is a file: no backup, and the write waits.
        QVERIFY(QDir(BackupStore::defaultRoot()).removeRecursively() && QDir().mkpath(BackupStore::defaultRoot()));
        QFile blocker(BackupStore::defaultRoot() + "/" + BackupStore::folderName("TRX-0001"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        prompts.questionAnswers = {true}; // connect with the edit the failed write left
        QVERIFY(relay->waitForEvent("REGISTERED TRX-0001", 2, 5000));
        QVERIFY(connectTo(w, prompts, "TRX-0001"));
        const int asked = prompts.questions.size();
        const int chunks = terminalA->events().filter("CHUNK").size();
        child<QCommandLinkButton>(w, "UploadSettings")->click();
        QVERIFY(QTest::qWaitFor([&] { return prompts.questions.size() > asked; }, 5000));
        QCOMPARE(prompts.questions.last().title, QStringLiteral("Резервная копия не сохранена"));
        QTest::qWait(300);
        QCOMPARE(terminalA->events().filter("CHUNK").size(), chunks);
        QVERIFY(child(w, "UploadSettings")->isEnabled());
    }

    // Restart, factory reset and firmware wait for the operator's word; Cancel sends nothing.
    void consentBeforeWhatCannotBeUndone()
    {
        QVERIFY(startTerminals());
        PromptScript prompts;
        MainWindow w;
        speedUp(w);
        QVERIFY(connectTo(w, prompts, "TRX-0001"));
        QTemporaryDir dir;
        prompts.fileAnswer = dir.filePath("random.kbf");
        QFile firmware(prompts.fileAnswer);
        QVERIFY(firmware.open(QIODevice::WriteOnly) && firmware.write(QByteArray(3000, 'r')) == 3000);
        firmware.close();

        child<QPushButton>(w, "restartButton")->click();
        child<QPushButton>(w, "factoryResetButton")->click();
        child<QCommandLinkButton>(w, "UpdateFirmware")->click();
        QCOMPARE(prompts.questions.size(), 3);
        QCOMPARE(prompts.questions.at(2).title, QStringLiteral("Обновление прошивки"));
        QVERIFY(prompts.questions.at(2).text.contains("random.kbf") && prompts.questions.at(2).text.contains("3000"));
        // A pass of the worker runs (the state poll reads on) and carries none of them out.
        terminalA->waitForEvent("READ");
        QVERIFY(!terminalA->waitForEvent("READ", 3000).isEmpty());
        QVERIFY(!terminalA->hasEvent("COMMAND") && !terminalA->hasEvent("CHUNK") && w.isDeviceConnected());
    }

    // The state trees show only what this session has read: "---" the moment the link is gone,
    // and again after connecting until the first read.
    void stateShowsOnlyWhatThisSessionRead()
    {
        QVERIFY(startTerminals());
        PromptScript prompts;
        MainWindow w;
        speedUp(w);
        child<QTabWidget>(w, "sysStateTabs")->setCurrentIndex(0);
        QVERIFY(connectTo(w, prompts, "TRX-0001"));
        QVERIFY(QTest::qWaitFor([&] { return stateValue(w, "StateSysView", "IMEI:") == "861234050123457"; }, 5000));
        QString atTheBox;
        prompts.onBox = [&] { atTheBox = stateValue(w, "StateSysView", "IMEI:"); };
        relay->control("drop TRX-0001");
        QVERIFY(QTest::qWaitFor([&] { return !prompts.boxes.isEmpty(); }, 5000));
        QCOMPARE(atTheBox, QStringLiteral("---"));

        QVERIFY(relay->waitForEvent("REGISTERED TRX-0001", 2, 5000));
        QString atConnect;
        connect(w.deviceWorker(), &usb_handler::device_connected, &w,
                [&] { atConnect = stateValue(w, "StateSysView", "IMEI:"); });
        QVERIFY(connectTo(w, prompts, "TRX-0001"));
        QCOMPARE(atConnect, QStringLiteral("---"));
    }

    // The plots hold exactly the supply voltages the terminal reported, in order; while the
    // page is open every group is read in turn, and leaving it gives polling back to the tab.
    void plotsRecordWhatTheTerminalReported()
    {
        QVERIFY(startTerminals());
        PromptScript prompts;
        MainWindow w;
        w.show();
        speedUp(w);
        child<QTabWidget>(w, "sysStateTabs")->setCurrentIndex(GROUP_SYSTEM);
        const int supplyRow = parameterRowOfId(1252);
        QVector<double> reported;
        connect(w.deviceWorker(), &usb_handler::device_connected, &w, [&] { reported.clear(); });
        connect(w.deviceWorker(), &usb_handler::parameter_read, &w, [&](int row, bool ok) {
            float volts = 0;
            std::memcpy(&volts, parameterRow(row).value, sizeof volts);
            if (ok && row == supplyRow)
                reported.append(volts);
        });
        QVERIFY(connectTo(w, prompts, "TRX-0001"));
        child<QCommandLinkButton>(w, "ShowPlots")->click();
        auto *page = w.findChild<PlotsPage *>();
        child<QCheckBox>(*page, "readAllGroups")->setChecked(true);
        const StateHistory &h = page->history();
        const auto count = [&](uint16_t id) { return h.points(h.seriesOfRow(parameterRowOfId(id))).size(); };
        QVERIFY(QTest::qWaitFor([&] { return count(9) > 0 && count(1252) > 1 && count(2005) > 0; }, 10000));
        QVector<double> recorded;
        for (const TStatePoint &p : h.points(h.seriesOfRow(supplyRow)))
            recorded.append(p.value);
        QCOMPARE(recorded, reported);

        child<QCommandLinkButton>(w, "SystemState")->click();
        // Left just after an I/O read: the rotation would go on to the network.
        const size_t uptimes = count(9), signal = count(2005);
        QVERIFY(QTest::qWaitFor([&] { return count(9) >= uptimes + 2; }, 5000));
        QCOMPARE(count(2005), signal);
    }

    // A relay attempt that ended without a session leaves nothing behind for the next one:
    // the USB terminal's PIN goes to the USB terminal, and the title names no relay terminal.
    void pinRetryGoesToTheAttemptsOwnTerminal()
    {
        QVERIFY(startTerminals());
        TerminalProcess usb;
        QVERIFY(usb.start({"--pty", "--pin", "1234"}));
        SessionHarness::offerSerialPort(usb.ptyPath());
        PromptScript prompts;
        MainWindow w;
        speedUp(w);
        QVERIFY(!connectTo(w, prompts, "TRX-0002")); // the default PIN refused, the prompt cancelled
        QVERIFY(!terminalB->waitForEvent("AUTH BAD").isEmpty());

        prompts.pinAnswers = QStringList{"1234"};
        requestRelayList(w, 0);
        QVERIFY(QTest::qWaitFor([&] { return w.isDeviceConnected(); }, 8000));
        QVERIFY(!usb.waitForEvent("AUTH BAD").isEmpty() && !usb.waitForEvent("AUTH OK").isEmpty());
        QVERIFY(!terminalB->hasEvent("AUTH"));
        QCOMPARE(prompts.pinQuestions, 2);
        QVERIFY(!w.windowTitle().contains("TRX-0002"));
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

    // Opted in, the window finds the terminal again after its restart, with the PIN that worked.
    void reconnectsAfterRestartWhenAsked()
    {
        QSettings().setValue(QStringLiteral("connection/reconnect"), true);
        terminalA = std::make_unique<TerminalProcess>();
        QVERIFY(terminalA->start({"--relay", QStringLiteral("127.0.0.1:%1").arg(relay->terminalPort()), "--id",
                                  "TRX-0001", "--pin", "1234", "--reboot-ms", "400"}));
        PromptScript prompts;
        prompts.pinAnswers = QStringList{"1234"};
        MainWindow w;
        speedUp(w);
        w.setReconnectTiming(100, 10000);
        QVERIFY(connectTo(w, prompts, "TRX-0001"));

        prompts.questionAnswers = {true};
        child<QPushButton>(w, "restartButton")->click();
        QVERIFY(QTest::qWaitFor([&] { return w.isReconnecting(); }, 5000));
        QCOMPARE(child<QCommandLinkButton>(w, "ConnectToDevice")->text(), QStringLiteral("Прекратить переподключение"));
        QVERIFY(QTest::qWaitFor([&] { return w.isDeviceConnected() && !w.isReconnecting(); }, 10000));
        QVERIFY2(w.statusBar()->currentMessage().startsWith(QStringLiteral("Устройство снова на связи")), qPrintable(w.statusBar()->currentMessage()));
        QCOMPARE(prompts.pinQuestions, 1);
    }

    // A terminal that does not come back is given up on after the limit, not tried for ever.
    void reconnectGivesUpAfterItsLimit()
    {
        QSettings().setValue(QStringLiteral("connection/reconnect"), true);
        QVERIFY(startTerminals());
        PromptScript prompts;
        MainWindow w;
        speedUp(w);
        w.setReconnectTiming(100, 1500);
        QVERIFY(connectTo(w, prompts, "TRX-0001"));

        terminalA.reset();
        QVERIFY2(QTest::qWaitFor([&] { return w.isReconnecting(); }, 8000), qPrintable(w.statusBar()->currentMessage()));
        QVERIFY(QTest::qWaitFor([&] { return !w.isReconnecting(); }, 8000));
        QVERIFY(!w.isDeviceConnected());
        QVERIFY(w.statusBar()->currentMessage().contains(QStringLiteral("переподключение прекращено")));
        QCOMPARE(child<QCommandLinkButton>(w, "ConnectToDevice")->text(), QStringLiteral("Соединиться"));
    }

    void closingReturnsAtOnceInAnyState_data()
    {
        QTest::addColumn<QString>("state");
        QTest::newRow("polling") << "polling";
        QTest::newRow("silent terminal mid-read") << "silent";
        QTest::newRow("searching a silent relay") << "search";
    }

    // Production time limits: a close must not sit out the 10 s answer or list waits.
    void closingReturnsAtOnceInAnyState()
    {
        QFETCH(QString, state);
        TerminalProcess boiler;
        QVERIFY(boiler.start({QStringLiteral("--relay"), QStringLiteral("127.0.0.1:%1").arg(relay->terminalPort()),
                              QStringLiteral("--id"), QStringLiteral("TRX-0001")}));
        PromptScript prompts;
        prompts.selection = [](select_device_dialog &dialog) {
            child<QListWidget>(dialog, "device_list")->setCurrentRow(0);
            child<QPushButton>(dialog, "ok_button")->click();
            return dialog.result();
        };
        // A server that takes the connection and never answers.
        QTcpServer silentRelay;
        QVERIFY(silentRelay.listen(QHostAddress::LocalHost));
        auto *w = new MainWindow;
        w->show();
        if (state == QLatin1String("search")) {
            requestRelayList(*w, silentRelay.serverPort());
            QVERIFY(QTest::qWaitFor([&] { return silentRelay.hasPendingConnections(); }, 5000));
        } else {
            requestRelayList(*w, relay->configuratorPort());
            QVERIFY(QTest::qWaitFor([&] { return w->isDeviceConnected(); }, 8000));
            QVERIFY(!boiler.waitForEvent(QStringLiteral("READ")).isEmpty());
        }
        if (state == QLatin1String("silent")) {
            QVERIFY(boiler.control(QStringLiteral("set silent 1")));
            boiler.waitForEvent(QStringLiteral("READ"), 3000);
        }
        QTest::qWait(100);
        QElapsedTimer clock;
        clock.start();
        delete w;
        const qint64 took = clock.elapsed();
        qInfo("closing took %lld ms", took);
        // Far under the shortest wait it could sit out (5 s), whatever the machine's load.
        QVERIFY2(took < 2000 * testTimeScale(), qPrintable(QStringLiteral("closing took %1 ms").arg(took)));
        if (state != QLatin1String("search"))
            QVERIFY(relay->waitForEvent(QStringLiteral("UNBOUND TRX-0001"), 1, 3000));
        QVERIFY(prompts.boxes.isEmpty());
    }

private:
    QTemporaryDir workDir;
    std::unique_ptr<RelayProcess> relay;
    std::unique_ptr<TerminalProcess> terminalA; // TRX-0001, the default PIN
    std::unique_ptr<TerminalProcess> terminalB; // TRX-0002, PIN 1234
    QString wanted;
};

QTEST_MAIN(TestMainWindowSession)
#include "test_main_window_session.moc"
