#include "PromptScript.h"

#include "app/MainWindow.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/connection_window.h"
#include "dialogs/select_device_dialog.h"
#include "model/SettingsStorage.h"

#include <QtTest>
#include <QtWidgets>

#include <cstring>

Q_DECLARE_METATYPE(QList<int>)

namespace {

const QString TITLE = QStringLiteral("Trivox конфигуратор " TRIVOX_VERSION);
const char *const TRANSFER_BUTTONS[] = {"UpdateFirmware", "DownloadSettings", "UploadSettings"};

template <typename T = QWidget>
T *child(MainWindow &w, const char *name)
{
    T *widget = w.findChild<T *>(QLatin1String(name));
    Q_ASSERT(widget);
    return widget;
}

QString connectCaption(MainWindow &w)
{
    return child<QCommandLinkButton>(w, "ConnectToDevice")->text();
}

TDeviceToConfigInfo relayRecord(const QByteArray &id, const QByteArray &name)
{
    TDeviceToConfigInfo info{};
    std::memcpy(info.device_id, id.constData(), size_t(qMin<int>(id.size(), sizeof info.device_id)));
    std::memcpy(info.device_name, name.constData(), size_t(qMin<int>(name.size(), sizeof info.device_name)));
    return info;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        qRegisterMetaType<TDeviceToConnect>();
        QVERIFY(workDir.isValid());
        // The connection window creates "settings.cfg" in the working directory.
        QVERIFY(QDir::setCurrent(workDir.path()));
    }

    void init()
    {
        QSettings().clear();
        std::memset(&SettingsStorage, 0, sizeof SettingsStorage);
    }

    void disconnectedLook_data()
    {
        QTest::addColumn<bool>("connectFirst");
        QTest::addColumn<bool>("lost");
        QTest::addColumn<QString>("status");
        QTest::newRow("at start") << false << false << QStringLiteral("Соединение не установлено");
        QTest::newRow("closed on request") << true << false << QStringLiteral("Устройство отключено");
        QTest::newRow("link lost") << true << true << QStringLiteral("Устройство отключено");
    }

    void disconnectedLook()
    {
        QFETCH(bool, connectFirst);
        QFETCH(bool, lost);
        QFETCH(QString, status);
        PromptScript prompts;
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QSignalSpy pins(&w, &MainWindow::device_pin);
        if (connectFirst) {
            w.if_Device_connected();
            QVERIFY(child(w, "UploadSettings")->isVisible());
            QCOMPARE(connectCaption(w), QStringLiteral("Отключиться"));
            w.if_Device_disconnected(lost);
        }

        // Every disconnection puts the default PIN back; only a lost link shows a box.
        QCOMPARE(pins.count(), connectFirst ? 1 : 0);
        QCOMPARE(pins.value(0).value(0).toString(), connectFirst ? QStringLiteral("7390") : QString());
        const QString lostText = QStringLiteral("Потеряно соединение с устройством, проверьте подключение");
        QCOMPARE(prompts.boxTexts(), lost ? QStringList{lostText} : QStringList());
        QCOMPARE(prompts.boxes.value(0).title, lost ? QStringLiteral("Ошибка") : QString());
        QCOMPARE(child<QStackedWidget>(w, "stackedWidget")->currentIndex(), 0);
        QVERIFY(child<QCommandLinkButton>(w, "SystemState")->isChecked());
        auto *tabs = child<QTabWidget>(w, "sysStateTabs");
        QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("Сеть"));
        QCOMPARE(w.statusBar()->currentMessage(), status);
        for (const char *name : TRANSFER_BUTTONS)
            QVERIFY2(!child(w, name)->isVisible(), name);
        QCOMPARE(connectCaption(w), QStringLiteral("Соединиться"));
        QVERIFY(!w.isDeviceConnected());
        QCOMPARE(w.windowTitle(), TITLE);
    }

    void pinAnswerOfFourCharactersOnly_data()
    {
        QTest::addColumn<bool>("attempt");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("cancelled") << true << QStringList() << QStringList();
        QTest::newRow("empty") << true << QStringList{QString()} << QStringList();
        QTest::newRow("three characters") << true << QStringList{"123"} << QStringList();
        QTest::newRow("five characters") << true << QStringList{"12345"} << QStringList();
        // The new PIN must be in force before the connection it triggers.
        QTest::newRow("four characters") << true << QStringList{"4821"} << QStringList{"pin 4821", "start via 0"};
        // An attempt that already ended has no terminal to send a PIN to.
        QTest::newRow("no attempt") << false << QStringList{"4821"} << QStringList();
    }

    void pinAnswerOfFourCharactersOnly()
    {
        QFETCH(bool, attempt);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, sent);
        PromptScript prompts;
        prompts.pinAnswers = answers;
        MainWindow w;
        if (attempt)
            emit w.findChild<connection_window *>()->start_connection(TDeviceToConnect{});
        QStringList order;
        connect(&w, &MainWindow::device_pin, [&](const QString &pin) { order << QStringLiteral("pin ") + pin; });
        connect(&w, &MainWindow::Start_device_connection,
                [&](const TDeviceToConnect &d) { order << QStringLiteral("start via %1").arg(d.via_server); });

        w.if_pin_request();

        QCOMPARE(prompts.pinQuestions, 1);
        QCOMPARE(order, sent);
        QVERIFY(prompts.boxes.isEmpty());
    }

    void relayChoiceAndPinReconnectToSameDevice()
    {
        PromptScript prompts;
        // Id and name fill their fields to the last byte, with no zero to end them.
        const QByteArray fullId("ABCDEFGHIJKLMNOP");
        const QByteArray fullName(41, 'n');
        const QList<TDeviceToConfigInfo> list{relayRecord("TRX-0001", "Котельная №1"), relayRecord(fullId, fullName)};
        const QString fullCaption = QString::fromLatin1(fullId + ": " + fullName);
        QStringList shown;
        prompts.selection = [&](select_device_dialog &dialog) {
            auto *items = dialog.findChild<QListWidget *>(QStringLiteral("device_list"));
            for (int i = 0; i < items->count(); ++i)
                shown << items->item(i)->text();
            items->setCurrentRow(1);
            dialog.accepted();
            return dialog.result();
        };
        prompts.pinAnswers = QStringList{QStringLiteral("1234")};
        MainWindow w;
        QSignalSpy starts(&w, &MainWindow::Start_device_connection);

        w.if_Devlist_received(list);
        QCOMPARE(shown, (QStringList{QStringLiteral("TRX-0001: Котельная №1"), fullCaption}));
        w.if_pin_request();
        w.if_Device_connected();
        QCOMPARE(w.windowTitle(), TITLE + QStringLiteral(" - ") + fullCaption);

        QCOMPARE(starts.count(), 2);
        for (const QList<QVariant> &start : qAsConst(starts)) {
            const auto device = start.at(0).value<TDeviceToConnect>();
            QCOMPARE(device.via_server, uint8_t(1));
            QCOMPARE(std::memcmp(&device.info, &list.at(1), sizeof device.info), 0);
        }
    }

    void uploadRefusesEmptyOrShortAccessPin_data()
    {
        QTest::addColumn<QByteArray>("pin");
        QTest::addColumn<QString>("refusal");
        const QString shortPin = QStringLiteral("Пин-код доступа должен состоять из 4 цифр");
        QTest::newRow("never read") << QByteArray() << QStringLiteral("Попытка передачи пустых настроек");
        QTest::newRow("three digits") << QByteArray("123") << shortPin;
        QTest::newRow("not a digit") << QByteArray("12a4") << shortPin;
        QTest::newRow("four digits") << QByteArray("0951") << QString();
    }

    void uploadRefusesEmptyOrShortAccessPin()
    {
        QFETCH(QByteArray, pin);
        QFETCH(QString, refusal);
        std::memcpy(SettingsStorage.accessPin, pin.constData(), size_t(pin.size()));
        PromptScript prompts;
        MainWindow w;
        w.if_Device_connected();
        child<QCommandLinkButton>(w, "UploadSettings")->click();

        // Accepted, the write begins (with the backup before it): no second transfer meanwhile.
        QCOMPARE(child(w, "UploadSettings")->isEnabled(), !refusal.isEmpty());
        QCOMPARE(prompts.boxTexts(), refusal.isEmpty() ? QStringList() : QStringList{refusal});
        if (!refusal.isEmpty())
            QVERIFY(prompts.boxes.at(0).kind == UserPrompts::Kind::Critical && prompts.boxes.at(0).title == "Ошибка");
    }

    void serverGuardSwitchesOffTheEntryJustSwitchedOn_data()
    {
        QTest::addColumn<QList<int>>("inUse");
        QTest::addColumn<int>("switched");
        QTest::addColumn<bool>("disconnectFirst");
        QTest::addColumn<bool>("refused");
        QTest::newRow("sixth server allowed") << QList<int>{0, 1, 2, 3, 4} << 6 << false << false;
        QTest::newRow("seventh: engineering server") << QList<int>{0, 1, 2, 3, 4, 5} << 6 << false << true;
        QTest::newRow("seventh: server 1") << QList<int>{1, 2, 3, 4, 5, 6} << 0 << false << true;
        // A disconnection zeroes the remembered free entry; the switched one must still go.
        QTest::newRow("seventh after disconnection") << QList<int>{0, 1, 2, 3, 4, 5} << 6 << true << true;
        QTest::newRow("fourth after disconnection") << QList<int>{0, 1, 2, 4, 5, 6} << 3 << true << true;
    }

    void serverGuardSwitchesOffTheEntryJustSwitchedOn()
    {
        QFETCH(QList<int>, inUse);
        QFETCH(int, switched);
        QFETCH(bool, disconnectFirst);
        QFETCH(bool, refused);
        PromptScript prompts;
        MainWindow w;
        for (int entry : inUse)
            SettingsStorage.servers[entry][SERVER_TYPE_OFFSET] = 1;
        // The combo change before the one under test remembers the free entry.
        w.check_server_count(inUse.last());
        QVERIFY(prompts.boxes.isEmpty());
        if (disconnectFirst)
            w.if_Device_disconnected(false);
        QSignalSpy refreshes(&w, &MainWindow::update_set_views);

        SettingsStorage.servers[switched][SERVER_TYPE_OFFSET] = 2;
        w.check_server_count(switched);

        const QString refusal = QStringLiteral("Попытка настроек количества серверов больше 6");
        QCOMPARE(prompts.boxTexts(), refused ? QStringList{refusal} : QStringList());
        QVERIFY(refreshes.count() >= (refused ? 1 : 0));
        QCOMPARE(int(SettingsStorage.servers[switched][SERVER_TYPE_OFFSET]), refused ? 0 : 2);
        for (int entry : inUse)
            QCOMPARE(int(SettingsStorage.servers[entry][SERVER_TYPE_OFFSET]), 1);
    }

    void addingSensorsNeedsAConnection()
    {
        PromptScript prompts;
        MainWindow w;
        QSignalSpy starts(&w, &MainWindow::start_add_dallas_temp);
        w.add_temp_sensor();
        QCOMPARE(starts.count(), 0);
        QCOMPARE(prompts.boxes.size(), 1);
        QCOMPARE(prompts.boxes.at(0).title, QStringLiteral("Добавление невозможно"));
    }

    // Chunks are cut wherever 232 bytes end, also between the CR and LF of one line end, and
    // the user's cursor may sit anywhere in the text meanwhile.
    void logChunksAppendAtTheEnd()
    {
        MainWindow w;
        QTextCodec *cp1251 = QTextCodec::codecForName("Windows-1251");
        auto *log = child<QPlainTextEdit>(w, "LOGOutput");
        QVERIFY(log->isReadOnly());
        const QStringList chunks{"08:00:00 Включение\r", "\n08:00:37 GSM №2 — ok\r\n", "\r", "\r\n", "\r", "", "\n08:01:14 SIM\r", "\n"};
        for (const QString &chunk : chunks) {
            w.if_log_data(cp1251->fromUnicode(chunk));
            QTextCursor cursor = log->textCursor();
            cursor.setPosition(3);
            log->setTextCursor(cursor);
        }
        QCOMPARE(log->toPlainText(), QStringLiteral("08:00:00 Включение\n08:00:37 GSM №2 — ok\n\n\n\n08:01:14 SIM\n"));
    }

    // The log can be searched from the keyboard, cleared, and read again without repeating.
    void logIsSearchedClearedAndReadAgainOnce()
    {
        PromptScript prompts;
        MainWindow w;
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.if_Device_connected();
        auto *log = child<QPlainTextEdit>(w, "LOGOutput");
        w.if_log_data("08:00:00 GSM\r\n08:01:00 SIM ok\r\n08:02:00 SIM lost\r\n");
        QTest::keySequence(&w, QKeySequence::Find);
        auto *find = child<QLineEdit>(w, "LogFind");
        QVERIFY(find->hasFocus());
        QTest::keyClicks(find, "SIM");
        QTest::keyClick(find, Qt::Key_Return);
        QTest::keyClick(find, Qt::Key_Return);
        QCOMPARE(log->textCursor().selectedText(), QStringLiteral("SIM"));
        QCOMPARE(log->textCursor().blockNumber(), 2);
        QTest::keyClick(find, Qt::Key_Return); // wraps to the first one
        QCOMPARE(log->textCursor().blockNumber(), 1);
        find->setText("GPRS");
        QTest::keyClick(find, Qt::Key_Return);
        QVERIFY(!find->styleSheet().isEmpty());

        child<QPushButton>(w, "GetLOG")->click();
        QVERIFY(log->toPlainText().isEmpty());
        w.if_log_data("08:03:00 again\r\n");
        QCOMPARE(log->toPlainText(), QStringLiteral("08:03:00 again\n"));
        // The find field's clear button fades in; a window gone mid-fade leaves the fade behind.
        QTest::qWait(300);
    }

    void savingLog_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("savedAs"); // empty: nothing is saved
        QTest::addColumn<QString>("reason");  // the system's reason in the box; empty: no box
        QTest::newRow("over a longer file") << "device.log" << "device.log" << "";
        QTest::newRow("typed without extension") << "device2" << "device2.log" << "";
        // Cancelling is the operator's choice, not a failure.
        QTest::newRow("cancelled dialog") << QString() << "" << "";
        QTest::newRow("missing directory") << "no/such/dir/device.log" << "" << "No such file or directory";
        QTest::newRow("a directory") << "folder.log" << "" << "Filename refers to a directory";
    }

    void savingLog()
    {
        QFETCH(QString, target);
        QFETCH(QString, savedAs);
        QFETCH(QString, reason);
        PromptScript prompts;
        prompts.fileAnswer = target;
        MainWindow w;
        const QString text = QStringLiteral("Журнал\nвторая строка");
        w.if_log_data(QTextCodec::codecForName("Windows-1251")->fromUnicode(text));
        QFile file(savedAs);
        if (!savedAs.isEmpty()) {
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(4096, 'x'));
            file.close();
        }
        QDir().mkdir("folder.log");

        child<QPushButton>(w, "SaveLOG")->click();

        QCOMPARE(prompts.fileCaptions, QStringList{"Укажите место сохранения"});
        const QString refusal = QStringLiteral("Не удается открыть файл, возможно он открыт в другом приложении");
        if (reason.isEmpty()) {
            QVERIFY(prompts.boxes.isEmpty());
        } else {
            QCOMPARE(prompts.boxes.size(), 1);
            QCOMPARE(prompts.boxes.at(0).title, QStringLiteral("Ошибка"));
            QCOMPARE(prompts.boxes.at(0).text, QStringLiteral("%1\n%2: %3").arg(refusal, target, reason));
        }
        if (!savedAs.isEmpty()) {
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), text.toUtf8());
        }
    }

    void settingsFileButtonsReportFailures()
    {
        PromptScript prompts;
        MainWindow w;
        QSignalSpy refreshes(&w, &MainWindow::update_set_views);
        const QString openError = QStringLiteral("Не удается открыть файл");

        // Cancelled either way: nothing to say.
        child<QPushButton>(w, "SettingsFromFile")->click();
        child<QPushButton>(w, "SettingsToFile")->click();
        QVERIFY(prompts.boxes.isEmpty());
        const QString missing = workDir.filePath(QStringLiteral("missing.ksf"));
        prompts.fileAnswer = missing;
        child<QPushButton>(w, "SettingsFromFile")->click();

        QCOMPARE(prompts.boxTexts(), QStringList{openError + "\n" + missing + ": No such file or directory"});
        QCOMPARE(refreshes.count(), 0);

        // A name typed without extension is saved with it, where the open dialog will see it.
        prompts.fileAnswer = workDir.filePath(QStringLiteral("template"));
        child<QPushButton>(w, "SettingsToFile")->click();
        QVERIFY(QFile::exists(workDir.filePath(QStringLiteral("template.ksf"))));
        QCOMPARE(prompts.boxes.size(), 1);
    }

    // Edits written nowhere are never thrown away without a word; Cancel keeps them.
    void unwrittenEditsAreAskedFor_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("connectedFirst");
        QTest::newRow("read settings") << "DownloadSettings" << true;
        QTest::newRow("disconnect") << "ConnectToDevice" << true;
        QTest::newRow("connect") << "ConnectToDevice" << false;
        QTest::newRow("load a file") << "SettingsFromFile" << false;
        QTest::newRow("close the window") << "" << false;
    }

    void unwrittenEditsAreAskedFor()
    {
        QFETCH(QString, action);
        QFETCH(bool, connectedFirst);
        PromptScript prompts;
        prompts.fileAnswer = workDir.filePath(QStringLiteral("template.ksf"));
        MainWindow w;
        w.show();
        if (connectedFirst)
            w.if_Device_connected();
        QVERIFY(!w.hasUnwrittenEdits());
        auto *address = w.findChild<QTreeView *>(QStringLiteral("SetConnectionView"))->findChild<QLineEdit *>();
        QTest::keyClick(address, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(address, "10.1.1.1");
        QVERIFY(w.hasUnwrittenEdits());
        QSignalSpy acted(&w, action == "DownloadSettings" ? SIGNAL(download_settings())
                             : action == "SettingsFromFile"  ? SIGNAL(update_set_views())
                                                             : SIGNAL(Stop_device_connection()));
        auto *connection = w.findChild<connection_window *>();
        auto act = [&] {
            if (action.isEmpty())
                w.close();
            else
                child<QAbstractButton>(w, qPrintable(action))->click();
        };

        act();
        QCOMPARE(prompts.questions.size(), 1);
        QCOMPARE(prompts.questions.at(0).title, QStringLiteral("Изменения не записаны"));
        QVERIFY(acted.isEmpty() && !connection->isVisible() && w.isVisible() && w.hasUnwrittenEdits());

        prompts.questionAnswers = {true};
        act();
        QCOMPARE(prompts.questions.size(), 2);
        const bool done = action.isEmpty() ? !w.isVisible()
                                           : (!connectedFirst && action == "ConnectToDevice") ? connection->isVisible()
                                                                                               : !acted.isEmpty();
        QVERIFY(done);
    }

    // An edit shows in bold until it is written or saved, and the count of changes with it.
    void unwrittenEditsAreMarked()
    {
        PromptScript prompts;
        MainWindow w;
        w.show();
        auto *address = w.findChild<QTreeView *>(QStringLiteral("SetConnectionView"))->findChild<QLineEdit *>();
        auto *label = address->parentWidget()->findChild<QLabel *>();
        QTest::keyClick(address, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(address, "10.1.1.1");
        QVERIFY(QTest::qWaitFor([&] { return label->font().bold(); }, 1000));
        QCOMPARE(child<QLabel>(w, "ChangesCount")->text(), QStringLiteral("Изменений: 1"));
        QVERIFY(child(w, "ShowChanges")->isEnabled());

        prompts.fileAnswer = workDir.filePath(QStringLiteral("marked.json"));
        child<QPushButton>(w, "SettingsToFile")->click();
        QVERIFY(QTest::qWaitFor([&] { return !label->font().bold(); }, 1000));
        QCOMPARE(child<QLabel>(w, "ChangesCount")->text(), QStringLiteral("Изменений нет"));
        QVERIFY(QFile::exists(prompts.fileAnswer));
    }

    // A button that would do nothing without a terminal says why; a second transfer waits.
    void commandsNeedATerminalAndTransfersGoOneAtATime()
    {
        PromptScript prompts;
        MainWindow w;
        w.show();
        const QString why = QStringLiteral("Нет соединения с устройством");
        auto *restart = w.findChild<QPushButton *>(QStringLiteral("restartButton"));
        QList<QAbstractButton *> commands{child<QPushButton>(w, "GetLOG"), restart,
                                          w.findChild<QPushButton *>(QStringLiteral("factoryResetButton"))};
        for (QTreeView *tree : w.findChildren<QTreeView *>(QRegularExpression("^State")))
            for (QPushButton *b : tree->findChildren<QPushButton *>())
                commands << b;
        QCOMPARE(commands.size(), 3 + 2 + 7 + 2);
        for (QAbstractButton *b : commands)
            QVERIFY2(!b->isEnabled() && b->toolTip() == why, qPrintable(b->text()));

        w.if_Device_connected();
        for (QAbstractButton *b : commands)
            QVERIFY2(b->isEnabled() && b->toolTip().isEmpty(), qPrintable(b->text()));

        const QStringList transfers{"DownloadSettings", "UploadSettings", "UpdateFirmware", "SettingsFromFile", "GetLOG"};
        child<QAbstractButton>(w, "DownloadSettings")->click();
        for (const QString &name : transfers)
            QVERIFY2(!child(w, qPrintable(name))->isEnabled(), qPrintable(name));
        w.if_outcome({ESessionOutcome::SettingsLoaded});
        for (const QString &name : transfers)
            QVERIFY2(child(w, qPrintable(name))->isEnabled(), qPrintable(name));
        QVERIFY(w.findChild<QLabel *>(QStringLiteral("SettingsOrigin"))->text().startsWith("Настройки: считаны из"));

        w.if_Device_disconnected(false);
        QVERIFY(!restart->isEnabled() && restart->toolTip() == why);
    }

    void aboutShowsTitleVersionAndBuildTimeOnce()
    {
        MainWindow w;
        for (int i = 0; i < 3; ++i)
            child<QCommandLinkButton>(w, "aboutButton")->click();

        const QList<AboutDialog *> dialogs = w.findChildren<AboutDialog *>();
        QCOMPARE(dialogs.size(), 1);
        QVERIFY(dialogs.at(0)->isVisible());
        QCOMPARE(dialogs.at(0)->windowTitle(), QStringLiteral("О программе"));
        const QStringList lines = dialogs.at(0)->findChild<QPlainTextEdit *>()->toPlainText().split('\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.at(0), TITLE + ". ");
        QCOMPARE(lines.at(1), QStringLiteral("Версия программы: " TRIVOX_VERSION));
        const QRegularExpression form("^Дата сборки программы: ([A-Z][a-z]{2} \\d{1,2} \\d{4}) в (\\d\\d:\\d\\d:\\d\\d)$");
        const auto stamp = form.match(lines.at(2));
        QVERIFY2(stamp.hasMatch(), qPrintable(lines.at(2)));
        const QDate built = QLocale::c().toDate(stamp.captured(1), "MMM d yyyy");
        QVERIFY(built.isValid() && built <= QDate::currentDate());
        QVERIFY(QTime::fromString(stamp.captured(2), "HH:mm:ss").isValid());
    }

private:
    QTemporaryDir workDir;
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
