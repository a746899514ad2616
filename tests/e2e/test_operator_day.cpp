#include "app/PromptScript.h"

#include "app/MainWindow.h"
#include "dialogs/connection_window.h"
#include "dialogs/select_device_dialog.h"
#include "model/SettingRecordReader.h"
#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"
#include "session/FileUpload.h"
#include "session/usb_handler.h"
#include "support/RelayProcess.h"
#include "support/SessionHarness.h"
#include "support/TerminalProcess.h"
#include "support/TestFiles.h"
#include "transport/Crc32.h"

#include <QtTest>
#include <QtWidgets>

#include <algorithm>
#include <cstring>
#include <memory>

// An operator's day with one terminal, through the window's own widgets, against the stand-in
// terminal reached through the stand-in relay or over a pty. Every step is checked against
// what the terminal saw and holds.
namespace {

const QString PIN = "4821";
const QString DEVICE_ID = "TRX-0042";
const QString CAPTION = "TRX-0042: Котельная №1";
const QString TITLE = "Trivox конфигуратор " TRIVOX_VERSION;
const QString CONNECTIONS = "Настройки соединений";
const QString SERVER_1 = "<b>Трансляция в RS-232 (сервер 1)</b>";
const QString SERVER_2 = "<b>Трансляция в RS-232 (сервер 2)</b>";
const QString SESSION_HOLD = "Время удержания сессии, сек:";
const QString BAUD = "Скорость обмена, бит/с:";
const QString TRAFFIC_1 = "Трафик сервер 1: (RS-232)";
const QString SENT = "Отправлено:";
const QString OUTPUT_1 = "Цифровой выход 1:  ";
const int FIRMWARE_SIZE = 100000;
// Each wait is for what the operator waits for too: a few state ticks or a transfer.
const int STEP_WAIT_MS = 10000;

// The trees are read through the view's current model: a rebuild leaves the old widgets alive
// until their holder goes. A group is a top-level row's label; none stands for the root. False
// when the view has no such group.
bool groupRow(QTreeView *view, const QString &group, QModelIndex *parent)
{
    const QAbstractItemModel *model = view->model();
    *parent = group.isEmpty() || !model ? QModelIndex()
                                        : model->match(model->index(0, 0), Qt::DisplayRole, group, 1, Qt::MatchExactly).value(0);
    return model && (group.isEmpty() || parent->isValid());
}

QString valueText(QTreeView *view, const QString &label, const QString &group = QString())
{
    QModelIndex parent;
    if (!groupRow(view, group, &parent))
        return QString();
    const QModelIndex at = view->model()->match(view->model()->index(0, 0, parent), Qt::DisplayRole, label, 1, Qt::MatchExactly).value(0);
    return at.sibling(at.row(), 1).data().toString();
}

// The first T with this text in the index widgets under the group, and the index it sits on.
template <typename T>
T *inCells(QTreeView *view, const QString &text, const QModelIndex &parent, QModelIndex *at)
{
    const QAbstractItemModel *model = view->model();
    for (int r = 0; r < model->rowCount(parent); ++r) {
        for (int c = 0; c < model->columnCount(parent); ++c) {
            QWidget *cell = view->indexWidget(model->index(r, c, parent));
            QList<T *> found = cell ? cell->findChildren<T *>() : QList<T *>();
            if (auto *self = qobject_cast<T *>(cell))
                found.prepend(self);
            for (T *widget : qAsConst(found)) {
                if (widget->text() == text) {
                    *at = model->index(r, c, parent);
                    return widget;
                }
            }
        }
        if (T *below = inCells<T>(view, text, model->index(r, 0, parent), at))
            return below;
    }
    return nullptr;
}

template <typename T>
T *inGroup(QTreeView *view, const QString &text, const QString &group, QModelIndex *at)
{
    QModelIndex parent;
    return groupRow(view, group, &parent) ? inCells<T>(view, text, parent, at) : nullptr;
}

// The control of the editor labelled `label` in the row titled `title`.
template <typename Control>
Control *editor(QTreeView *view, const QString &title, const QString &group, const QString &label)
{
    QModelIndex at;
    QWidget *cell = inGroup<QLabel>(view, title, group, &at) ? view->indexWidget(at) : nullptr;
    for (QLabel *candidate : cell ? cell->findChildren<QLabel *>() : QList<QLabel *>())
        if (candidate->text() == label && candidate->parentWidget())
            if (auto *control = candidate->parentWidget()->findChild<Control *>())
                return control;
    return nullptr;
}

bool click(QWidget *widget)
{
    const bool shown = widget && widget->isVisible();
    if (shown)
        QTest::mouseClick(widget, Qt::LeftButton);
    return shown;
}

bool clickTab(QTabWidget *tabs, int index)
{
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, Qt::NoModifier, tabs->tabBar()->tabRect(index).center());
    return tabs->currentIndex() == index;
}

// Scrolls the row into view as the operator would, then clicks the button it carries.
bool clickInTree(QTreeView *view, const QString &text, const QString &group = QString(), QModelIndex *at = nullptr)
{
    QModelIndex where;
    QPushButton *button = inGroup<QPushButton>(view, text, group, &where);
    if (!button)
        return false;
    view->scrollTo(where);
    if (at)
        *at = where;
    return QTest::qWaitFor([&] { return button->isVisible(); }, 3000) && click(button);
}

bool typeOver(QWidget *field, const QString &text)
{
    if (field) {
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, text);
    }
    return field;
}

// A number as the trees show it, its unit after it.
bool isNumberIn(const QString &text, double low, double high)
{
    bool ok = false;
    const double v = text.section(QLatin1Char(' '), 0, 0).toDouble(&ok);
    return ok && v >= low && v <= high;
}

} // namespace

class TestOperatorDay : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Backups of the day go to a folder of the tests, not the user's.
        QStandardPaths::setTestModeEnabled(true);
        // A line per transaction would drown the step timings and hit QtTest's message limit.
        QLoggingCategory::setFilterRules("trivox.session.debug=false\ntrivox.transport.debug=false");
    }
    void init()
    {
        QSettings().clear();
        m_dir = std::make_unique<QTemporaryDir>();
        // The connection window keeps the relay address in the working directory.
        QVERIFY(m_dir->isValid() && QDir::setCurrent(m_dir->path()));
        std::memset(&SettingsStorage, 0, sizeof SettingsStorage);
        m_statuses.clear();
    }
    void cleanup()
    {
        m_window.reset();
        m_prompts.reset();
        m_terminal.reset();
        m_other.reset();
        m_relay.reset();
        CConfiguratorHandlerPort::setPortLister({});
        m_dir.reset();
    }
    void operatorDay_data();
    void operatorDay();

private:
    bool startPeers();
    void connectThroughWindow();

    template <typename T = QWidget>
    T *widget(const char *name) { return m_window->findChild<T *>(QLatin1String(name)); }
    QTreeView *view(const char *name) { return widget<QTreeView>(name); }
    void markStatus() { m_statusMark = m_statuses.size(); }
    QStringList statusesSinceMark() const { return m_statuses.mid(m_statusMark); }
    // Waits as long as the operator would; on failure shows the latest terminal events and statuses.
    bool eventually(const std::function<bool()> &done)
    {
        if (QTest::qWaitFor(done, STEP_WAIT_MS))
            return true;
        auto last = [](const QStringList &lines) { return qPrintable(lines.mid(lines.size() - 12).join(" | ")); };
        qWarning("terminal: %s\nstatus: %s", last(m_terminal->events()), last(m_statuses));
        return false;
    }
    bool waitStatus(const QString &text) { return eventually([&] { return statusesSinceMark().contains(text); }); }
    bool clickAndWait(const char *button, const QString &status) { markStatus(); return click(widget(button)) && waitStatus(status); }
    // Waits for each of these terminal events, not seen before, in turn.
    bool saw(const QStringList &events)
    {
        for (const QString &event : events)
            if (m_terminal->waitForEvent(event, STEP_WAIT_MS).isEmpty()) {
                qWarning("no terminal event %s", qPrintable(event));
                return false;
            }
        return true;
    }
    bool waitConnected(bool state) { return eventually([&] { return m_window->isDeviceConnected() == state; }); }

    bool m_viaRelay = false;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RelayProcess> m_relay;
    std::unique_ptr<TerminalProcess> m_terminal;
    std::unique_ptr<TerminalProcess> m_other; // on the relay only, to be filtered out
    std::unique_ptr<PromptScript> m_prompts;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_statuses;
    int m_statusMark = 0;
    QStringList m_offered; // by the relay, then left by the filter
};

void TestOperatorDay::operatorDay_data()
{
    QTest::addColumn<bool>("viaRelay");
    QTest::newRow("relay") << true;
    QTest::newRow("pty") << false;
}

bool TestOperatorDay::startPeers()
{
    // A PIN other than the default, so the first attempt is refused; sensors are plugged in
    // by hand while the enrolment box is open.
    const QStringList options{"--pin", PIN, "--auto-attach", "0"};
    m_terminal = std::make_unique<TerminalProcess>();
    if (!m_viaRelay) {
        const bool started = m_terminal->start(options + QStringList{"--pty"});
        SessionHarness::offerSerialPort(m_terminal->ptyPath());
        return started;
    }
    // A relay that pings at odd moments, in the middle of every kind of transfer.
    m_relay = std::make_unique<RelayProcess>(QStringList{"--ping-ms", "300"});
    const QString relay = QString("127.0.0.1:%1").arg(m_relay->terminalPort());
    m_other = std::make_unique<TerminalProcess>();
    return m_relay->isReady() && m_terminal->start(options + QStringList{"--relay", relay, "--id", DEVICE_ID, "--name", "Котельная №1"})
        && m_other->start({"--relay", relay, "--id", "TRX-0043", "--name", "Насосная станция"});
}

void TestOperatorDay::connectThroughWindow()
{
    // A wrong PIN first: the reconnection it triggers goes to the same terminal, and the right
    // one given next is in force for the reconnection after it.
    const int questions = m_prompts->pinQuestions;
    const int bound = m_viaRelay ? m_relay->events().count("BOUND " + DEVICE_ID) : 0;
    m_prompts->pinAnswers = QStringList{"0000", PIN};
    m_offered.clear();
    markStatus();

    auto *connectButton = widget<QCommandLinkButton>("ConnectToDevice");
    QCOMPARE(connectButton->text(), QStringLiteral("Соединиться"));
    QVERIFY(click(connectButton));
    auto *dialog = m_window->findChild<connection_window *>();
    QVERIFY(dialog && dialog->isVisible());
    QVERIFY(click(dialog->findChild<QRadioButton *>(m_viaRelay ? "radioButton_tcp_connect" : "radioButton_usb_connect")));
    if (m_viaRelay) {
        QVERIFY(typeOver(dialog->findChild<QLineEdit *>("lineEdit_address"), "127.0.0.1"));
        auto *port = dialog->findChild<QSpinBox *>("spinBox_port");
        QVERIFY(typeOver(port, QString::number(m_relay->configuratorPort())));
        QCOMPARE(port->value(), int(m_relay->configuratorPort()));
    }
    QVERIFY(click(dialog->findChild<QCommandLinkButton *>("commandLinkButton_connect")));
    QVERIFY(!dialog->isVisible());

    QVERIFY(waitConnected(true));
    // The default PIN went first, then the wrong one; both were refused.
    QCOMPARE(m_prompts->pinQuestions, questions + 2);
    QVERIFY(saw({"AUTH BAD", "AUTH BAD", "AUTH OK"}));
    QVERIFY(!m_terminal->hasEvent("AUTH "));
    QCOMPARE(statusesSinceMark().count("Введен неверный пин-код"), 2);
    QVERIFY(waitStatus("Устройство подключено"));

    QCOMPARE(connectButton->text(), QStringLiteral("Отключиться"));
    for (const char *name : {"UpdateFirmware", "DownloadSettings", "UploadSettings"})
        QVERIFY2(widget(name)->isVisible(), name);
    QCOMPARE(m_window->windowTitle(), m_viaRelay ? TITLE + " - " + CAPTION : TITLE);
    if (m_viaRelay) {
        QCOMPARE(m_offered, (QStringList{CAPTION, "TRX-0043: Насосная станция", CAPTION}));
        QVERIFY(m_relay->waitForEvent("BOUND " + DEVICE_ID, bound + 3));
        QVERIFY(!m_relay->events().contains("BOUND TRX-0043"));
    }
}

void TestOperatorDay::operatorDay()
{
    QFETCH(bool, viaRelay);
    m_viaRelay = viaRelay;
    QVERIFY2(startPeers(), qPrintable(m_terminal->errorString()));
    QElapsedTimer clock;
    clock.start();
    auto lap = [&clock](const char *step) { qInfo("%-22s %6lld ms", step, clock.restart()); };

    m_prompts = std::make_unique<PromptScript>();
    m_prompts->selection = [this](select_device_dialog &dialog) {
        auto *list = dialog.findChild<QListWidget *>("device_list");
        for (int pass = 0; pass < 2; ++pass) {
            for (int i = 0; i < list->count(); ++i)
                m_offered << list->item(i)->text();
            // Typed as the user would, in another letter case; keyClicks knows only ASCII keys.
            if (pass == 0)
                dialog.findChild<QLineEdit *>("filter_edit")->insert("котельная");
        }
        list->setCurrentRow(0);
        dialog.findChild<QPushButton *>("ok_button")->click();
        return dialog.result();
    };
    m_window = std::make_unique<MainWindow>();
    connect(m_window->statusBar(), &QStatusBar::messageChanged, this, [this](const QString &s) { m_statuses << s; });
    usb_handler *worker = m_window->deviceWorker();
    // Short limits only matter when something fails: then a step fails in seconds, not tens.
    TSessionTimeouts session;
    session.replyMs = session.fileReplyMs = 3000;
    TTransportTimeouts transport;
    transport.serverConnectMs = 1000;
    transport.socketWaitMs = transport.relayAnswerMs = 3000;
    QMetaObject::invokeMethod(worker, [=] { worker->setTimeouts(session); worker->port()->setTimeouts(transport); },
                              Qt::BlockingQueuedConnection);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QTreeView *sys = view("StateSysView");
    QTreeView *io = view("StateIOView");
    QTreeView *net = view("StateNetView");
    auto *stateTabs = widget<QTabWidget>("sysStateTabs");
    auto *settingsTabs = widget<QTabWidget>("sysSettingsTabs");
    lap("open the window");

    connectThroughWindow();
    if (QTest::currentTestFailed())
        return;
    lap("connect");

    // "Сеть" is shown first. Values arrive one by one as a tick reads the group, so each tab
    // is judged once the last of its checked values has come.
    QCOMPARE(stateTabs->currentIndex(), 2);
    QVERIFY(eventually([&] {
        return valueText(net, QStringLiteral("MCC:")) == QStringLiteral("250")
            && valueText(net, SENT, TRAFFIC_1).section(' ', 0, 0).toUInt() > 0;
    }));
    QCOMPARE(valueText(net, QStringLiteral("MNC:")), QStringLiteral("1"));
    QCOMPARE(valueText(net, QStringLiteral("LAC:")), QString::number(0x2F1A));
    QCOMPARE(valueText(net, QStringLiteral("CELLID:")), QString::number(0x0001C3A5));
    QVERIFY(isNumberIn(valueText(net, QStringLiteral("Уровень сигнала:")), 13, 23));

    QVERIFY(clickTab(stateTabs, 0));
    const QString links = QStringLiteral("Состояние соединений:");
    QVERIFY(eventually([&] {
        return valueText(sys, QStringLiteral("IMEI:")) == QStringLiteral("861234050123457")
            && valueText(sys, QStringLiteral("Сервер 5 (RS-485)"), links) == QStringLiteral("на связи");
    }));
    QCOMPARE(valueText(sys, QStringLiteral("Версия прошивки:")), QStringLiteral("TRX-F0 3.7.12 (2024-03-11)"));
    QCOMPARE(valueText(sys, QStringLiteral("Версия прошивки модема:")), QStringLiteral("GSM 13.00.007"));
    QVERIFY(valueText(sys, QStringLiteral("Время с последней перезагрузки:")).section(' ', 0, 0).toUInt() > 0);
    QCOMPARE(valueText(sys, QStringLiteral("Сервер 1 (RS-232)"), links), QStringLiteral("на связи"));
    QCOMPARE(valueText(sys, QStringLiteral("Сервер 3 (RS-232)"), links), QStringLiteral("нет соединения"));
    QCOMPARE(valueText(sys, QStringLiteral("Сервер 7 (инженерный)"), links), QStringLiteral("нет соединения"));

    QVERIFY(clickTab(stateTabs, 1));
    const QString wire = QStringLiteral("Датчики температуры 1-Wire:");
    QVERIFY(eventually([&] {
        return valueText(io, QStringLiteral("Цифровой вход 2:  ")) == QStringLiteral("вкл.")
            && isNumberIn(valueText(io, QStringLiteral("Напряжение питания:")), 12.2, 12.6);
    }));
    QVERIFY(isNumberIn(valueText(io, QStringLiteral("Датчик температуры внутренний:")), 21.9, 28.1));
    QVERIFY(isNumberIn(valueText(io, QStringLiteral("Аналоговый вход 1:  ")), 0.4, 9.6));
    QVERIFY(isNumberIn(valueText(io, QStringLiteral("Датчик температуры 1:  "), wire), 17.9, 20.1));
    // The stand-in's fourth sensor answers -150: no contact.
    QCOMPARE(valueText(io, QStringLiteral("Датчик температуры 4:  "), wire), QStringLiteral("нет связи"));
    QCOMPARE(valueText(io, OUTPUT_1), QStringLiteral("выкл."));
    lap("watch the state");

    QVERIFY(click(widget("SystemSettings")));
    QVERIFY(clickTab(settingsTabs, 0));
    QTreeView *connections = view("SetConnectionView");
    QTreeView *interfaces = view("SetSensorsView");
    const QString type = QStringLiteral("Тип соединения");
    const QString pinLabel = QStringLiteral("Пин-код доступа к устройству:");
    auto *address1 = editor<QLineEdit>(connections, SERVER_1, CONNECTIONS, QStringLiteral("Адрес сервера:"));
    auto *type1 = editor<QComboBox>(connections, SERVER_1, CONNECTIONS, type);
    auto *hold1 = editor<QSpinBox>(connections, SERVER_1, CONNECTIONS, SESSION_HOLD);
    auto *type2 = editor<QComboBox>(connections, SERVER_2, CONNECTIONS, type);
    auto *hold2 = editor<QSpinBox>(connections, SERVER_2, CONNECTIONS, SESSION_HOLD);
    auto *pin = editor<QLineEdit>(view("SetSecurityView"), pinLabel, QString(), pinLabel);
    QVERIFY(address1 && type1 && hold1 && type2 && hold2 && pin);
    QCOMPARE(address1->text(), QString());
    QVERIFY(clickAndWait("DownloadSettings", QStringLiteral("Настройки загружены")));
    // The interfaces tree is built anew when the settings arrive.
    auto baudBox = [&] { return editor<QComboBox>(interfaces, BAUD, QStringLiteral("Интерфейс RS-232"), BAUD); };
    QVERIFY(eventually([&] { return baudBox() && baudBox()->currentText() == QLatin1String("9600"); }));
    QCOMPARE(address1->text(), QStringLiteral("10.0.0.5:5555"));
    QCOMPARE(type1->currentText(), QStringLiteral("Прозрачный обмен"));
    QCOMPARE(hold1->value(), 120);
    QCOMPARE(type2->currentText(), QStringLiteral("Пакетный обмен"));
    QCOMPARE(hold2->value(), 120);
    QCOMPARE(pin->text(), PIN);
    const QByteArray baseRead = m_terminal->dumpBase();
    QVERIFY(!baseRead.isEmpty());
    lap("download settings");

    // A server address typed over the old one, the second server's session hold typed in, and
    // the RS-232 speed one entry down, from 9600 to 19200.
    const QString address = QStringLiteral("10.20.30.40:9000");
    QVERIFY(typeOver(address1, address));
    QCOMPARE(address1->text(), address);
    QVERIFY(typeOver(hold2, QStringLiteral("240")));
    QTest::keyClick(hold2, Qt::Key_Return);
    QCOMPARE(hold2->value(), 240);
    QVERIFY(clickTab(settingsTabs, 2));
    QTest::keyClick(baudBox(), Qt::Key_Down);
    QCOMPARE(baudBox()->currentText(), QStringLiteral("19200"));
    const int applied = m_terminal->events().count();
    QVERIFY(clickAndWait("UploadSettings", QStringLiteral("Настройки переданы")));
    QVERIFY(saw({"SETTINGS_APPLIED"}));
    QVERIFY(m_terminal->events().mid(applied).filter(QStringLiteral("SETTINGS_REJECTED")).isEmpty());
    // Exactly those three values changed in the terminal; every other byte is as it was read.
    QByteArray expected = baseRead;
    int edited = 0;
    SettingRecordReader reader(baseRead);
    for (TSettingRecord r; reader.next(&r);) {
        QByteArray v = r.value;
        if (r.id == 3001 && r.subId == 0) {
            QCOMPARE(v.size(), SERVER_ENTRY_SIZE);
            v.replace(0, 31, address.toLatin1().leftJustified(31, '\0'));
        } else if (r.id == 3006 && r.subId == 1) {
            v = QByteArray::fromHex("f000");
        } else if (r.id == 3372 && r.subId == 0) {
            QCOMPARE(v.size(), INTERFACE_BLOCK_SIZE);
            QCOMPARE(int(v[IFACE_BAUD]), 4);
            v[IFACE_BAUD] = 5;
        } else {
            continue;
        }
        QCOMPARE(v.size(), int(r.size));
        expected.replace(r.offset + SettingRecordReader::HEADER_SIZE, r.size, v);
        ++edited;
    }
    QCOMPARE(edited, 3);
    const QByteArray baseSaved = m_terminal->dumpBase();
    QCOMPARE(baseSaved.toHex(), expected.toHex());
    lap("edit and save");

    const QString ksf = m_dir->filePath(QStringLiteral("boiler.ksf"));
    m_prompts->fileAnswer = ksf;
    QVERIFY(click(widget("SettingsToFile")));
    // The file is a signed image of exactly what the terminal now holds.
    const QByteArray image = readFile(ksf);
    QVERIFY(verify_settings_image(image));
    QCOMPARE(image.mid(SETTINGS_IMAGE_CODE_SIZE, 8), QByteArray("SETTINGS"));
    QCOMPARE(image.mid(SETTINGS_IMAGE_RECORDS_OFFSET).toHex(), baseSaved.toHex());
    // A slip after saving, undone by loading the file back.
    QVERIFY(clickTab(settingsTabs, 0));
    QVERIFY(typeOver(address1, QStringLiteral("192.168.0.1:1")));
    QCOMPARE(address1->text(), QStringLiteral("192.168.0.1:1"));
    QVERIFY(m_window->hasUnwrittenEdits());
    m_prompts->questionAnswers = {true};
    QVERIFY(click(widget("SettingsFromFile")));
    QCOMPARE(m_prompts->questions.size(), 1);
    QVERIFY(!m_window->hasUnwrittenEdits());
    QCOMPARE(address1->text(), address);
    QCOMPARE(m_prompts->fileCaptions.size(), 2);
    lap("settings file");

    QVERIFY(click(widget("SystemDiag")));
    auto *output = widget<QPlainTextEdit>("LOGOutput");
    QVERIFY(output->toPlainText().isEmpty());
    QVERIFY(clickAndWait("GetLOG", QStringLiteral("LOG файл успешно загружен")));
    const QByteArray log = m_terminal->logBytes();
    QVERIFY(log.size() > 1000);
    // A plain-text edit shows every line end as one line break.
    const QString shown = QTextCodec::codecForName("Windows-1251")->toUnicode(log).replace("\r\n", "\n").replace('\r', '\n');
    QCOMPARE(output->toPlainText(), shown);
    m_prompts->fileAnswer = m_dir->filePath(QStringLiteral("boiler.log"));
    QVERIFY(click(widget("SaveLOG")));
    QCOMPARE(readFile(m_prompts->fileAnswer), output->toPlainText().toUtf8());
    lap("read and save the log");

    QVERIFY(click(widget("SystemState")));
    QVERIFY(clickTab(stateTabs, 1));
    QModelIndex at;
    QVERIFY(clickInTree(io, "Вкл.", QString(), &at));
    QCOMPARE(at.sibling(at.row(), 0).data().toString(), OUTPUT_1);
    QVERIFY(saw({"WRITE 1061 0 01", "OUTPUT 1 1"}));
    QVERIFY(eventually([&] { return valueText(io, OUTPUT_1) == QStringLiteral("вкл."); }));
    lap("switch the output");

    QVERIFY(clickTab(stateTabs, 2));
    // The stand-in counts 120 bytes a second for server 1 from its start.
    uint before = 0;
    QVERIFY(eventually([&] { return (before = valueText(net, SENT, TRAFFIC_1).section(' ', 0, 0).toUInt()) >= 1200; }));
    QVERIFY(clickInTree(net, "Сбросить", TRAFFIC_1));
    const QString sentReset = QStringLiteral("WRITE 2008 0 00000000");
    const QString receivedReset = QStringLiteral("WRITE 2012 0 00000000");
    QVERIFY(saw({sentReset, receivedReset}));
    QVERIFY(m_terminal->events().lastIndexOf(sentReset) < m_terminal->events().lastIndexOf(receivedReset));
    // The counter read back from the terminal starts again from nothing.
    QVERIFY(eventually([&] { const uint now = valueText(net, SENT, TRAFFIC_1).section(' ', 0, 0).toUInt(); return now > 0 && now < before; }));
    lap("reset a counter");

    QVERIFY(click(widget("SystemSettings")));
    QVERIFY(clickTab(settingsTabs, 2));
    const QString sensors = QStringLiteral("Внешние датчики температуры");
    const QString fourth = QStringLiteral("Датчик температуры 4");
    auto sensorText = [&] { auto *id = editor<QLineEdit>(interfaces, fourth, sensors, fourth); return id ? id->text() : QString(); };
    QCOMPARE(sensorText(), QStringLiteral("0000000000000000"));
    // While the box is open the operator plugs the new sensor in, once the terminal listens.
    bool attached = false;
    m_prompts->onBox = [&] {
        attached = !m_terminal->waitForEvent(QStringLiteral("ENROLMENT ON")).isEmpty()
            && m_terminal->control(QStringLiteral("attach-sensor"));
    };
    QVERIFY(clickInTree(interfaces, "Добавить датчики", sensors));
    m_prompts->onBox = nullptr;
    QCOMPARE(m_prompts->boxes.size(), 1);
    QCOMPARE(m_prompts->boxes.at(0).kind, UserPrompts::Kind::Information);
    QCOMPARE(m_prompts->boxes.at(0).title, QStringLiteral("Режим добавления датчиков"));
    QVERIFY(attached);
    QVERIFY(saw({"WRITE 3368 0 01", "WRITE 3368 0 00"}));
    const QString enrolled = m_terminal->waitForEvent(QStringLiteral("SENSOR_ENROLLED 3 "));
    QVERIFY(!enrolled.isEmpty() && saw({"ENROLMENT OFF"}));
    // The editor shows the id last byte first, as the terminal's id record is read.
    QByteArray id = QByteArray::fromHex(enrolled.section(QLatin1Char(' '), 2).toLatin1());
    QCOMPARE(id.size(), SENSOR_ID_SIZE);
    std::reverse(id.begin(), id.end());
    const QString shownId = QString::fromLatin1(id.toHex()).toUpper();
    QVERIFY2(eventually([&] { return sensorText() == shownId; }),
             qPrintable(sensorText() + QStringLiteral(" != ") + shownId));
    lap("enrol sensors");

    QByteArray firmware(FIRMWARE_SIZE, '\0');
    quint32 x = 0x2545F491u;
    for (char &byte : firmware)
        byte = char((x = x * 1664525u + 1013904223u) >> 24);
    m_prompts->fileAnswer = m_dir->filePath(QStringLiteral("trx-f0-3.8.0.kbf"));
    QVERIFY(writeFile(m_prompts->fileAnswer, firmware));
    markStatus();
    const int firstEvent = m_terminal->events().size();
    auto *progress = m_window->statusBar()->findChild<QProgressBar *>();
    QVERIFY(progress);
    QSignalSpy percentages(progress, &QProgressBar::valueChanged);
    m_prompts->questionAnswers = {true};
    QVERIFY(click(widget("UpdateFirmware")));
    QVERIFY(m_prompts->questions.last().text.contains(QStringLiteral("(100000 байт)")));
    QCOMPARE(m_terminal->waitForEvent(QStringLiteral("FIRMWARE "), 30000),
             QStringLiteral("FIRMWARE %1 %2").arg(FIRMWARE_SIZE).arg(crc32(firmware), 8, 16, QLatin1Char('0')));
    const int chunks = (FIRMWARE_SIZE + FileUpload::CHUNK_SIZE - 1) / FileUpload::CHUNK_SIZE;
    QCOMPARE(m_terminal->events().mid(firstEvent).filter(QRegularExpression(QStringLiteral("^CHUNK FIRMWARE "))).size(),
             chunks);
    // The progress climbed to the end and was put back.
    int highest = 0;
    for (const QList<QVariant> &args : qAsConst(percentages))
        highest = qMax(highest, args.at(0).toInt());
    QVERIFY2(highest >= 99, qPrintable(QString::number(highest)));
    QVERIFY(eventually([&] { return progress->value() == 0; }));
    // The session then ends in order, not as a lost link (no box at the end of the day).
    QVERIFY(waitConnected(false));
    QVERIFY(waitStatus(QStringLiteral("Прошивка успешно загружена - устройство отключено")));
    QVERIFY(!widget("UpdateFirmware")->isVisible());
    QCOMPARE(m_window->windowTitle(), TITLE);
    if (m_viaRelay)
        QVERIFY(m_relay->waitForEvent(QStringLiteral("UNBOUND ") + DEVICE_ID));
    lap("upload firmware");

    connectThroughWindow();
    if (QTest::currentTestFailed())
        return;
    lap("reconnect");

    QVERIFY(click(widget("SystemState")));
    QVERIFY(clickTab(stateTabs, 0));
    markStatus();
    m_prompts->questionAnswers = {true};
    QVERIFY(clickInTree(sys, "Рестарт устройства"));
    QCOMPARE(m_prompts->questions.last().title, QStringLiteral("Рестарт устройства"));
    QVERIFY(saw({"COMMAND 1", m_viaRelay ? "REBOOT relay" : "REBOOT pty"}));
    QVERIFY(waitConnected(false));
    // The outcome stays in the status bar; the orderly end that follows goes to the history.
    const QString sent = QStringLiteral("Отправлена команда на перезагрузку устройства - устройство отключено");
    QVERIFY(waitStatus(sent));
    QTest::qWait(200);
    QCOMPARE(m_window->statusBar()->currentMessage(), sent);
    QVERIFY(widget<QPlainTextEdit>("StatusHistory")->toPlainText().endsWith(QStringLiteral("Устройство отключено")));
    // The restarted terminal comes back to the relay; nothing about it reaches the window.
    if (m_viaRelay)
        QVERIFY(saw({"REGISTERED"}));
    QCOMPARE(widget<QCommandLinkButton>("ConnectToDevice")->text(), QStringLiteral("Соединиться"));
    QCOMPARE(valueText(sys, QStringLiteral("IMEI:")), QStringLiteral("---"));
    lap("restart");

    // The only box of the day was the enrolment prompt: nothing was lost, nothing refused;
    // the questions were the ones before loading over edits, flashing and restarting.
    QCOMPARE(m_prompts->boxes.size(), 1);
    QCOMPARE(m_prompts->questions.size(), 3);
    QCOMPARE(m_prompts->pinQuestions, 4);
}

QTEST_MAIN(TestOperatorDay)
#include "test_operator_day.moc"
