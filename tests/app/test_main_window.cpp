#include "PromptScript.h"

#include "app/MainWindow.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/select_device_dialog.h"
#include "model/SettingsStorage.h"

#include <QCommandLinkButton>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <cstring>

Q_DECLARE_METATYPE(QList<int>)

namespace {

const QString TITLE = QStringLiteral("Trivox конфигуратор 1.2.5");

template <typename T>
T *child(MainWindow &w, const char *name)
{
    T *widget = w.findChild<T *>(QLatin1String(name));
    Q_ASSERT(widget);
    return widget;
}

QString statusText(MainWindow &w)
{
    return w.statusBar()->currentMessage();
}

TDeviceToConfigInfo relayRecord(const QByteArray &id, const QByteArray &name)
{
    TDeviceToConfigInfo info{};
    std::memcpy(info.device_id, id.constData(), size_t(qMin<int>(id.size(), sizeof info.device_id)));
    std::memcpy(info.device_name, name.constData(), size_t(qMin<int>(name.size(), sizeof info.device_name)));
    return info;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void startsDisconnectedOnNetworkTab();
    void disconnectionRestoresDefaultPin_data();
    void disconnectionRestoresDefaultPin();
    void pinAnswerOfFourCharactersOnly_data();
    void pinAnswerOfFourCharactersOnly();
    void relayChoiceAndPinReconnectToSameDevice();
    void uploadRefusesEmptyOrShortAccessPin_data();
    void uploadRefusesEmptyOrShortAccessPin();
    void serverGuardSwitchesOffTheEntryJustSwitchedOn_data();
    void serverGuardSwitchesOffTheEntryJustSwitchedOn();
    void sensorAddingModeLastsWhileBoxIsOpen();
    void logChunksAreDecodedAndAppended();
    void savingLog_data();
    void savingLog();
    void settingsFileButtons();
    void aboutTextAppearsOnce();

private:
    QTemporaryDir workDir;
};

void TestMainWindow::initTestCase()
{
    qRegisterMetaType<TDeviceToConnect>();
    QVERIFY(workDir.isValid());
    // The connection window creates "settings.cfg" in the working directory.
    QVERIFY(QDir::setCurrent(workDir.path()));
}

void TestMainWindow::init()
{
    std::memset(&SettingsStorage, 0, sizeof SettingsStorage);
}

void TestMainWindow::startsDisconnectedOnNetworkTab()
{
    PromptScript prompts;
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    QCOMPARE(child<QStackedWidget>(w, "stackedWidget")->currentIndex(), 0);
    auto *tabs = child<QTabWidget>(w, "sysStateTabs");
    QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("Сеть"));
    QCOMPARE(statusText(w), QStringLiteral("Соединение не установлено"));
    for (const char *name : {"UpdateFirmware", "DownloadSettings", "UploadSettings"})
        QVERIFY2(!child<QWidget>(w, name)->isVisible(), name);
    QCOMPARE(child<QCommandLinkButton>(w, "ConnectToDevice")->text(), QStringLiteral("Соединиться"));
    QVERIFY(child<QCommandLinkButton>(w, "SystemState")->isChecked());
    QCOMPARE(w.windowTitle(), TITLE);
    QCOMPARE(w.size(), QSize(1173, 539));
    QVERIFY(prompts.boxes.isEmpty());
}

void TestMainWindow::disconnectionRestoresDefaultPin_data()
{
    QTest::addColumn<bool>("lost");
    QTest::newRow("closed on request") << false;
    QTest::newRow("link lost") << true;
}

void TestMainWindow::disconnectionRestoresDefaultPin()
{
    QFETCH(bool, lost);
    PromptScript prompts;
    MainWindow w;
    w.show();
    w.if_Device_connected();
    QVERIFY(child<QWidget>(w, "UploadSettings")->isVisible());
    QCOMPARE(child<QCommandLinkButton>(w, "ConnectToDevice")->text(), QStringLiteral("Отключиться"));

    QSignalSpy pins(&w, &MainWindow::device_pin);
    w.if_Device_disconnected(lost);

    QCOMPARE(pins.count(), 1);
    QCOMPARE(pins.at(0).at(0).toString(), QStringLiteral("7390"));
    QCOMPARE(prompts.boxes.size(), lost ? 1 : 0);
    if (lost) {
        QCOMPARE(prompts.boxes.at(0).title, QStringLiteral("Ошибка"));
        QCOMPARE(prompts.boxes.at(0).text, QStringLiteral("Потеряно соединение с устройством, проверьте подключение"));
    }
    for (const char *name : {"UpdateFirmware", "DownloadSettings", "UploadSettings"})
        QVERIFY2(!child<QWidget>(w, name)->isVisible(), name);
    QCOMPARE(child<QCommandLinkButton>(w, "ConnectToDevice")->text(), QStringLiteral("Соединиться"));
    QCOMPARE(statusText(w), QStringLiteral("Устройство отключено"));
    QVERIFY(!w.isDeviceConnected());
    QCOMPARE(w.windowTitle(), TITLE);
}

void TestMainWindow::pinAnswerOfFourCharactersOnly_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("sent");
    QTest::newRow("cancelled") << QStringList() << QStringList();
    QTest::newRow("empty") << QStringList{QString()} << QStringList();
    QTest::newRow("three characters") << QStringList{QStringLiteral("123")} << QStringList();
    QTest::newRow("five characters") << QStringList{QStringLiteral("12345")} << QStringList();
    // Outside a relay session the new PIN goes before a USB connection it is meant for.
    QTest::newRow("four characters")
        << QStringList{QStringLiteral("4821")} << QStringList{QStringLiteral("pin 4821"), QStringLiteral("start via 0")};
}

void TestMainWindow::pinAnswerOfFourCharactersOnly()
{
    QFETCH(QStringList, answers);
    QFETCH(QStringList, sent);
    PromptScript prompts;
    prompts.pinAnswers = answers;
    MainWindow w;
    QStringList order;
    connect(&w, &MainWindow::device_pin, [&](const QString &pin) { order << QStringLiteral("pin ") + pin; });
    connect(&w, &MainWindow::Start_device_connection,
            [&](const TDeviceToConnect &d) { order << QStringLiteral("start via %1").arg(d.via_server); });

    w.if_pin_request();

    QCOMPARE(prompts.pinQuestions, 1);
    QCOMPARE(order, sent);
    QVERIFY(prompts.boxes.isEmpty());
}

void TestMainWindow::relayChoiceAndPinReconnectToSameDevice()
{
    PromptScript prompts;
    // Id and name fill their fields to the last byte, with no zero to end them.
    const QByteArray fullId("ABCDEFGHIJKLMNOP");
    const QByteArray fullName = QByteArray(41, 'n');
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
    QCOMPARE(starts.count(), 1);
    const TDeviceToConnect first = starts.at(0).at(0).value<TDeviceToConnect>();
    QCOMPARE(first.via_server, uint8_t(1));
    QCOMPARE(std::memcmp(&first.info, &list.at(1), sizeof first.info), 0);

    w.if_Device_connected();
    QCOMPARE(w.windowTitle(), TITLE + QStringLiteral(" - ") + fullCaption);

    w.if_pin_request();
    QCOMPARE(starts.count(), 2);
    const TDeviceToConnect again = starts.at(1).at(0).value<TDeviceToConnect>();
    QCOMPARE(again.via_server, uint8_t(1));
    QCOMPARE(std::memcmp(&again.info, &list.at(1), sizeof again.info), 0);
}

void TestMainWindow::uploadRefusesEmptyOrShortAccessPin_data()
{
    QTest::addColumn<QByteArray>("pin");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("never read") << QByteArray() << QStringLiteral("Попытка передачи пустых настроек");
    QTest::newRow("three digits") << QByteArray("123") << QStringLiteral("Пин-код доступа должен состоять из 4 цифр");
    QTest::newRow("one digit") << QByteArray("7") << QStringLiteral("Пин-код доступа должен состоять из 4 цифр");
    QTest::newRow("not a digit") << QByteArray("12a4") << QStringLiteral("Пин-код доступа должен состоять из 4 цифр");
    QTest::newRow("four digits") << QByteArray("0951") << QString();
}

void TestMainWindow::uploadRefusesEmptyOrShortAccessPin()
{
    QFETCH(QByteArray, pin);
    QFETCH(QString, refusal);
    std::memcpy(SettingsStorage.accessPin, pin.constData(), size_t(pin.size()));
    PromptScript prompts;
    MainWindow w;
    w.if_Device_connected();
    QSignalSpy uploads(&w, &MainWindow::upload_settings);

    child<QCommandLinkButton>(w, "UploadSettings")->click();

    if (refusal.isEmpty()) {
        QVERIFY(prompts.boxes.isEmpty());
        QCOMPARE(uploads.count(), 1);
    } else {
        QCOMPARE(prompts.boxes.size(), 1);
        QCOMPARE(prompts.boxes.at(0).kind, UserPrompts::Kind::Critical);
        QCOMPARE(prompts.boxes.at(0).title, QStringLiteral("Ошибка"));
        QCOMPARE(prompts.boxes.at(0).text, refusal);
        QCOMPARE(uploads.count(), 0);
    }
}

void TestMainWindow::serverGuardSwitchesOffTheEntryJustSwitchedOn_data()
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

void TestMainWindow::serverGuardSwitchesOffTheEntryJustSwitchedOn()
{
    QFETCH(QList<int>, inUse);
    QFETCH(int, switched);
    QFETCH(bool, disconnectFirst);
    QFETCH(bool, refused);
    PromptScript prompts;
    MainWindow w;
    for (int entry : inUse)
        SettingsStorage.servers[entry][SERVER_TYPE_OFFSET] = 1;
    // The last combo change before the one under test, which remembers the free entry.
    w.check_server_count(inUse.last());
    QVERIFY(prompts.boxes.isEmpty());
    if (disconnectFirst)
        w.if_Device_disconnected(false);
    QSignalSpy refreshes(&w, &MainWindow::update_set_views);

    SettingsStorage.servers[switched][SERVER_TYPE_OFFSET] = 2;
    w.check_server_count(switched);

    QCOMPARE(prompts.boxes.size(), refused ? 1 : 0);
    if (refused) {
        QCOMPARE(prompts.boxes.at(0).text, QStringLiteral("Попытка настроек количества серверов больше 6"));
        QVERIFY(refreshes.count() >= 1);
    }
    QCOMPARE(int(SettingsStorage.servers[switched][SERVER_TYPE_OFFSET]), refused ? 0 : 2);
    for (int entry : inUse)
        QCOMPARE(int(SettingsStorage.servers[entry][SERVER_TYPE_OFFSET]), 1);
}

void TestMainWindow::sensorAddingModeLastsWhileBoxIsOpen()
{
    PromptScript prompts;
    MainWindow w;
    QStringList order;
    connect(&w, &MainWindow::start_add_dallas_temp, [&] { order << QStringLiteral("start"); });
    connect(&w, &MainWindow::stop_add_dallas_temp, [&] { order << QStringLiteral("stop"); });
    connect(&w, &MainWindow::update_set_views, [&] { order << QStringLiteral("refresh"); });
    prompts.onBox = [&] { order << QStringLiteral("box"); };

    w.add_temp_sensor();
    QCOMPARE(order, QStringList{QStringLiteral("box")});
    QCOMPARE(prompts.boxes.at(0).title, QStringLiteral("Добавление невозможно"));

    order.clear();
    prompts.boxes.clear();
    w.if_Device_connected();
    w.add_temp_sensor();
    QCOMPARE(order, (QStringList{QStringLiteral("start"), QStringLiteral("box"), QStringLiteral("stop"),
                                 QStringLiteral("refresh")}));
    QCOMPARE(prompts.boxes.at(0).kind, UserPrompts::Kind::Information);
    QCOMPARE(prompts.boxes.at(0).title, QStringLiteral("Режим добавления датчиков"));
}

void TestMainWindow::logChunksAreDecodedAndAppended()
{
    MainWindow w;
    QTextCodec *cp1251 = QTextCodec::codecForName("Windows-1251");
    QVERIFY(cp1251);
    auto *log = child<QPlainTextEdit>(w, "LOGOutput");
    QVERIFY(log->isReadOnly());

    w.if_log_data(cp1251->fromUnicode(QStringLiteral("Журнал: старт\n")));
    // The user's cursor somewhere in the middle must not split the next chunk in.
    QTextCursor cursor = log->textCursor();
    cursor.setPosition(3);
    log->setTextCursor(cursor);
    w.if_log_data(cp1251->fromUnicode(QStringLiteral("GSM №2 — ok")));

    QCOMPARE(log->toPlainText(), QStringLiteral("Журнал: старт\nGSM №2 — ok"));
}

void TestMainWindow::savingLog_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("saved");
    QTest::newRow("over a longer file") << QStringLiteral("device.log") << true;
    QTest::newRow("cancelled dialog") << QString() << false;
    QTest::newRow("missing directory") << QStringLiteral("no/such/dir/device.log") << false;
    QTest::newRow("a directory") << QStringLiteral(".") << false;
}

void TestMainWindow::savingLog()
{
    QFETCH(QString, target);
    QFETCH(bool, saved);
    PromptScript prompts;
    prompts.fileAnswer = target;
    MainWindow w;
    const QString text = QStringLiteral("Журнал\nвторая строка");
    w.if_log_data(QTextCodec::codecForName("Windows-1251")->fromUnicode(text));
    if (saved) {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(4096, 'x'));
    }

    child<QPushButton>(w, "SaveLOG")->click();

    QCOMPARE(prompts.fileCaptions, QStringList{QStringLiteral("Укажите место сохранения")});
    if (saved) {
        QVERIFY(prompts.boxes.isEmpty());
        QCOMPARE(fileBytes(target), text.toUtf8());
    } else {
        QCOMPARE(prompts.boxes.size(), 1);
        QCOMPARE(prompts.boxes.at(0).title, QStringLiteral("Ошибка"));
        QCOMPARE(prompts.boxes.at(0).text,
                 QStringLiteral("Не удается открыть файл, возможно он открыт в другом приложении"));
    }
}

void TestMainWindow::settingsFileButtons()
{
    PromptScript prompts;
    MainWindow w;
    QSignalSpy refreshes(&w, &MainWindow::update_set_views);
    auto *save = child<QPushButton>(w, "SettingsToFile");
    auto *load = child<QPushButton>(w, "SettingsFromFile");
    const QString openError = QStringLiteral("Не удается открыть файл");

    load->click();
    QVERIFY(prompts.boxes.isEmpty());
    QCOMPARE(refreshes.count(), 0);

    save->click();
    QCOMPARE(prompts.boxTexts(), QStringList{openError});

    prompts.boxes.clear();
    prompts.fileAnswer = workDir.filePath(QStringLiteral("copy.ksf"));
    std::memcpy(SettingsStorage.accessPin, "2580", 4);
    save->click();
    QVERIFY(prompts.boxes.isEmpty());
    SettingsStorage.accessPin[0] = 0;
    load->click();
    QVERIFY(prompts.boxes.isEmpty());
    QCOMPARE(refreshes.count(), 1);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(SettingsStorage.accessPin), 4), QByteArray("2580"));

    prompts.fileAnswer = workDir.filePath(QStringLiteral("missing.ksf"));
    load->click();
    QCOMPARE(prompts.boxTexts(), QStringList{openError});
    QCOMPARE(refreshes.count(), 1);
}

void TestMainWindow::aboutTextAppearsOnce()
{
    MainWindow w;
    auto *button = child<QCommandLinkButton>(w, "aboutButton");
    for (int i = 0; i < 3; ++i)
        button->click();

    const QList<AboutDialog *> dialogs = w.findChildren<AboutDialog *>();
    QCOMPARE(dialogs.size(), 1);
    QVERIFY(dialogs.at(0)->isVisible());
    const QString text = dialogs.at(0)->findChild<QPlainTextEdit *>()->toPlainText();
    QCOMPARE(text.count(TITLE), 1);
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
