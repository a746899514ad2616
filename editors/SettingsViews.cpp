#include "editors/SettingsViews.h"

#include "editors/TreeViewSetup.h"

#include "editors/check_edit_widget.h"
#include "editors/combo_widget.h"
#include "editors/line_edit_widget.h"
#include "model/ParameterTable.h"
#include "model/SettingsStorage.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// Servers 1 to 7 are the ones the server-count guard watches; the eighth entry is the CSD
// connection, whose row takes row 7 of the group.
constexpr int GUARDED_SERVERS = 7;
constexpr int CSD_ENTRY = 7;
constexpr int CSD_ROW = 7;

constexpr int CONNECTION_COLUMNS = 4;
constexpr int SENSORS_COLUMNS = 2;
constexpr int CONNECTION_FIRST_COLUMN = 400;
constexpr int SENSORS_FIRST_COLUMN = 500;

// Byte ranges inside a SIM record (setting 3002).
constexpr int SIM_APN_OFFSET = 0;
constexpr int SIM_APN_SIZE = 29;
constexpr int SIM_USER_OFFSET = 30;
constexpr int SIM_PASSWORD_OFFSET = 46;
constexpr int SIM_LOGIN_SIZE = 15;
constexpr int BALANCE_CODE_SHOWN = 7;
constexpr int SERVER_ADDRESS_SIZE = 31;
constexpr int PIN_DIGITS = 4;
constexpr int PHONE_SHOWN = 12;

constexpr int SENSOR_ROW_WIDTH = 320;
// Frame and inner margins of a line edit around its text.
constexpr int HEX_FIELD_PADDING = 12;

// Rows of an interface group.
constexpr int IFACE_ROW_REQUEST_TIMEOUT = 6;
constexpr int IFACE_ROW_ATTEMPTS = 7;
constexpr int IFACE_ROW_PAUSE = 8;

const QString PARITY_HELP = QStringLiteral(
    "Может быть четным (\"even\", когда общее число единичных битов в принятых данных, включая сам бит "
    "четности, должно быть четным),\nнечетным (\"odd\", когда общее число единичных битов в принятых данных, "
    "включая сам бит четности, должно быть четным) или вообще отсутствовать");

QString serverTitle(int server)
{
    if (server < 3)
        return QStringLiteral("<b>Трансляция в RS-232 (сервер %1)</b>").arg(server + 1);
    if (server < 6)
        return QStringLiteral("<b>Трансляция в RS-485 (сервер %1)</b>").arg(server + 1);
    return server == 6 ? QStringLiteral("<b>Инженерный сервер (7)</b>") : QString();
}

QMap<int, QString> serverTypes(int server)
{
    if (server <= 5)
        return {{0, QStringLiteral("Выключен")}, {1, QStringLiteral("Прозрачный обмен")}, {2, QStringLiteral("Пакетный обмен")}};
    if (server == 6)
        return {{0, QStringLiteral("Выключен")}, {3, QStringLiteral("Включен")}};
    return {};
}

// With parity the frame carries 7 or 8 data bits, without it always 8; byte 0 is the first
// entry of either list.
QMap<int, QString> dataBitsEntries(uint8_t parity)
{
    if (parity != 0)
        return {{0, QStringLiteral("7 бит")}, {1, QStringLiteral("8 бит")}};
    return {{0, QStringLiteral("8 бит")}};
}

void listen(const TViewsContext &ctx, QObject *editor)
{
    QObject::connect(ctx.window, SIGNAL(update_set_views()), editor, SLOT(Get_data()));
}

QStandardItem *groupItem(QStandardItemModel *model, const QString &title)
{
    auto *item = new QStandardItem(title);
    item->setFlags(Qt::ItemIsEnabled);
    model->appendRow(item);
    return item;
}

// An empty row under the group; the row's editors sit in an index widget on it.
QModelIndex appendRow(QStandardItem *group)
{
    auto *item = new QStandardItem;
    item->setFlags(Qt::ItemIsEnabled);
    group->appendRow(item);
    return item->index();
}

QStandardItemModel *newModel(const TViewsContext &ctx, QTreeView *view, int columns)
{
    return TreeViewSetup::newModel(ctx.objectHolder, view, columns);
}

void finish(QTreeView *view)
{
    TreeViewSetup::useFusionStyle(view);
    view->expandAll();
}

QWidget *rowWidget(const TViewsContext &ctx, QVBoxLayout **layout)
{
    auto *widget = new QWidget(ctx.widgetHolder);
    *layout = new QVBoxLayout(widget);
    return widget;
}

QLabel *title(const QString &richText, QWidget *parent)
{
    auto *label = new QLabel(richText, parent);
    label->setTextFormat(Qt::RichText);
    return label;
}

combo_widget *combo(const TViewsContext &ctx, QWidget *parent, const QString &label, uint8_t *value,
                    const QMap<int, QString> &items, const QString &tooltip = QString())
{
    TComboDesc d;
    d.label = label;
    d.value = value;
    d.type = PARAM_U8;
    d.tooltip = tooltip;
    d.items = items;
    auto *editor = new combo_widget(d, parent);
    listen(ctx, editor);
    return editor;
}

check_edit_widget *spin(const TViewsContext &ctx, QWidget *parent, const QString &label, uint8_t *value, int type,
                        int min, int max, const QString &tooltip = QString())
{
    TCheckEditDesc d;
    d.label = label;
    d.value = value;
    d.type = type;
    d.min = min;
    d.max = max;
    d.tooltip = tooltip;
    d.hasSpin = true;
    auto *editor = new check_edit_widget(d, parent);
    listen(ctx, editor);
    return editor;
}

line_edit_widget *lineEdit(const TViewsContext &ctx, QWidget *parent, const QString &label, uint8_t *value, int size,
                           const QString &mask = QString(), ELineEditMode mode = LINE_EDIT_TEXT,
                           const QString &tooltip = QString())
{
    TLineEditDesc d;
    d.label = label;
    d.value = value;
    d.size = size;
    d.tooltip = tooltip;
    d.inputMask = mask;
    d.mode = mode;
    auto *editor = new line_edit_widget(d, parent);
    listen(ctx, editor);
    return editor;
}

void addServerRow(const TViewsContext &ctx, QTreeView *view, const QModelIndex &index, int server)
{
    QVBoxLayout *layout = nullptr;
    QWidget *widget = rowWidget(ctx, &layout);
    uint8_t *entry = SettingsStorage.servers[server];

    layout->addWidget(title(serverTitle(server), widget));
    combo_widget *type = combo(ctx, widget, QStringLiteral("Тип соединения"), entry + SERVER_TYPE_OFFSET, serverTypes(server));
    layout->addWidget(type);
    layout->addWidget(lineEdit(ctx, widget, QStringLiteral("Адрес сервера:"), entry, SERVER_ADDRESS_SIZE, QString(),
                               LINE_EDIT_TEXT,
                               QStringLiteral("В формате 255.255.255.255:65536 или ") + QStringLiteral("telemetry.example.com:5555")));
    layout->addWidget(spin(ctx, widget, QStringLiteral("Время удержания сессии, сек:"), SettingsStorage.sessionHold[server],
                           PARAM_U16, 1, 65000,
                           QStringLiteral("Если в течение указанного времени нет обмена данными по TCP терминал "
                                          "разорвет и снова установит сессию")));

    if (server < GUARDED_SERVERS) {
        // The combo emits after it has stored the new type, which the guard then checks.
        QObject *window = ctx.window;
        QObject::connect(type, &combo_widget::comboBoxIndexChanged, window, [window, server] {
            QMetaObject::invokeMethod(window, "check_server_count", Qt::DirectConnection, Q_ARG(int, server));
        });
    }
    view->setIndexWidget(index, widget);
}

void addCsdRow(const TViewsContext &ctx, QTreeView *view, const QModelIndex &index)
{
    QVBoxLayout *layout = nullptr;
    QWidget *widget = rowWidget(ctx, &layout);
    layout->addWidget(title(QStringLiteral("<b>CSD-соединение</b>"), widget));
    layout->addWidget(combo(ctx, widget, QStringLiteral("Тип интерфейса"), SettingsStorage.csdInterface,
                            {{9, QStringLiteral("RS-232")}, {10, QStringLiteral("RS-485")}}));
    layout->addWidget(combo(ctx, widget, QStringLiteral("Тип соединения"), SettingsStorage.servers[CSD_ENTRY] + SERVER_TYPE_OFFSET,
                            serverTypes(0)));
    layout->addWidget(spin(ctx, widget, QStringLiteral("Время удержания сессии, сек:"), SettingsStorage.sessionHold[CSD_ENTRY],
                           PARAM_U16, 1, 65000));
    view->setIndexWidget(index, widget);
}

void addSimRow(const TViewsContext &ctx, QTreeView *view, const QModelIndex &index, int sim)
{
    QVBoxLayout *layout = nullptr;
    QWidget *widget = rowWidget(ctx, &layout);
    uint8_t *record = SettingsStorage.sims[sim];
    layout->addWidget(title(QStringLiteral("<b>Настройки SIM-карты %1</b>").arg(sim + 1), widget));
    layout->addWidget(lineEdit(ctx, widget, QStringLiteral("APN:"), record + SIM_APN_OFFSET, SIM_APN_SIZE));
    layout->addWidget(lineEdit(ctx, widget, QStringLiteral("Имя пользователя:"), record + SIM_USER_OFFSET, SIM_LOGIN_SIZE));
    layout->addWidget(lineEdit(ctx, widget, QStringLiteral("Пароль:"), record + SIM_PASSWORD_OFFSET, SIM_LOGIN_SIZE));
    layout->addWidget(lineEdit(ctx, widget, QStringLiteral("Код запроса баланса SIM:"), SettingsStorage.balanceCodes[sim],
                               BALANCE_CODE_SHOWN));
    view->setIndexWidget(index, widget);
}

// The rows that depend on other settings of an interface, from what is stored: the data
// bits offered by the parity, and the server-mode rows.
void applyInterfaceRules(QTreeView *view, const QPersistentModelIndex &group, const uint8_t *block, combo_widget *dataBits)
{
    // A later rebuild set another model; this group's rows are gone from the view.
    if (!group.isValid() || group.model() != view->model())
        return;
    const QMap<int, QString> entries = dataBitsEntries(block[IFACE_PARITY]);
    if (dataBits->items() != entries) {
        // The refill selects the first entry without storing; reading again shows the
        // stored byte wherever an entry matches it.
        dataBits->set_items(entries);
        dataBits->Get_data();
    }
    const bool parallel = block[IFACE_SERVER_MODE] == 0;
    view->setRowHidden(IFACE_ROW_REQUEST_TIMEOUT, group, !parallel);
    view->setRowHidden(IFACE_ROW_ATTEMPTS, group, parallel);
    view->setRowHidden(IFACE_ROW_PAUSE, group, parallel);
}

void addInterfaceGroup(const TViewsContext &ctx, QTreeView *view, QStandardItemModel *model, const QString &name,
                       uint8_t *block, int minAnswerWait)
{
    QStandardItem *group = groupItem(model, name);
    QWidget *parent = ctx.widgetHolder;
    QList<QModelIndex> rows;
    for (int row = 0; row <= IFACE_ROW_PAUSE; ++row)
        rows.append(appendRow(group));

    view->setIndexWidget(rows[0], combo(ctx, parent, QStringLiteral("Скорость обмена, бит/с:"), block + IFACE_BAUD,
                                        {{0, QStringLiteral("600")}, {1, QStringLiteral("1200")}, {2, QStringLiteral("2400")},
                                         {3, QStringLiteral("4800")}, {4, QStringLiteral("9600")}, {5, QStringLiteral("19200")},
                                         {6, QStringLiteral("38400")}, {7, QStringLiteral("57600")}, {8, QStringLiteral("115200")}},
                                        QStringLiteral("Скорость обмена данными")));

    // The parity re-reads before the data bits on update_set_views, so the data bits read
    // against the entries of the new parity.
    TComboDesc bits;
    bits.label = QStringLiteral("Количество бит данных:");
    bits.value = block + IFACE_DATA_BITS;
    bits.type = PARAM_U8;
    bits.tooltip = QStringLiteral("Количество бит данных");
    bits.items = dataBitsEntries(block[IFACE_PARITY]);
    auto *dataBits = new combo_widget(bits, parent);
    combo_widget *parity = combo(ctx, parent, QStringLiteral("Контроль четности:"), block + IFACE_PARITY,
                                 {{0, QStringLiteral("Нет")}, {1, QStringLiteral("Even")}, {2, QStringLiteral("Odd")}},
                                 PARITY_HELP);
    listen(ctx, dataBits);
    view->setIndexWidget(rows[1], dataBits);
    view->setIndexWidget(rows[2], parity);

    view->setIndexWidget(rows[3], combo(ctx, parent, QStringLiteral("Длительность стоп-бита:"), block + IFACE_STOP_BITS,
                                        {{0, QStringLiteral("0.5 бит")}, {1, QStringLiteral("1 бит")},
                                         {2, QStringLiteral("1.5 бит")}, {3, QStringLiteral("2 бит")}},
                                        QStringLiteral("Может составлять половину, одну, полторы или две длительности бита")));
    view->setIndexWidget(rows[4], spin(ctx, parent, QStringLiteral("Время ожидания ответа, мс:"), block + IFACE_ANSWER_WAIT,
                                       PARAM_U16, minAnswerWait, 65535,
                                       QStringLiteral("Терминал будет ожидать данных от устройства в течение этого времени")));
    combo_widget *mode = combo(ctx, parent, QStringLiteral("Режим работы с серверами:"), block + IFACE_SERVER_MODE,
                               {{0, QStringLiteral("Параллельный")}, {1, QStringLiteral("Последовательный")}},
                               QStringLiteral("Режим работы с серверами"));
    view->setIndexWidget(rows[5], mode);
    view->setIndexWidget(rows[IFACE_ROW_REQUEST_TIMEOUT],
                         spin(ctx, parent, QStringLiteral("Таймаут ожидания запросов с сервера, сек:"),
                              block + IFACE_REQUEST_TIMEOUT, PARAM_U16, 10, 3600,
                              QStringLiteral("Таймаут ожидания запросов с сервера 10...3600 сек")));
    view->setIndexWidget(rows[IFACE_ROW_ATTEMPTS], spin(ctx, parent, QStringLiteral("Кол-во попыток соединения:"),
                                                        block + IFACE_ATTEMPTS, PARAM_U8, 1, 20,
                                                        QStringLiteral("Кол-во попыток соединения 1...20")));
    view->setIndexWidget(rows[IFACE_ROW_PAUSE],
                         spin(ctx, parent, QStringLiteral("Пауза между попытками соединения с сервером, сек:"),
                              block + IFACE_ATTEMPT_PAUSE, PARAM_U16, 1, 60,
                              QStringLiteral("Пауза между попытками соединения с сервером 10...3600 сек")));

    const QPersistentModelIndex groupIndex(group->index());
    auto apply = [view, groupIndex, block, dataBits] { applyInterfaceRules(view, groupIndex, block, dataBits); };
    QObject::connect(parity, &combo_widget::comboBoxIndexChanged, dataBits, apply);
    QObject::connect(mode, &combo_widget::comboBoxIndexChanged, dataBits, apply);
    // A stored value that matches no entry changes no index, so the combos stay silent when
    // it is loaded; the rules are applied again after every reload all the same. The
    // window's signal is known only by name, so an action relays it.
    auto *relay = new QAction(dataBits);
    QObject::connect(ctx.window, SIGNAL(update_set_views()), relay, SLOT(trigger()));
    QObject::connect(relay, &QAction::triggered, dataBits, apply);
    apply();
}

void addInputGroups(const TViewsContext &ctx, QTreeView *view, QStandardItemModel *model, int inputs)
{
    for (int i = 0; i < inputs; ++i) {
        QStandardItem *group = groupItem(model, QStringLiteral("Мультифункциональный вход %1").arg(i + 1));
        uint8_t *entry = SettingsStorage.inputs[i];
        view->setIndexWidget(appendRow(group), combo(ctx, ctx.widgetHolder, QStringLiteral("Тип входа:"), entry,
                                                     {{0, QStringLiteral("Цифровой")}, {1, QStringLiteral("Частотный")},
                                                      {2, QStringLiteral("Импульсный")}, {3, QStringLiteral("Аналоговый")}},
                                                     QStringLiteral("Выберите тип входа")));
        view->setIndexWidget(appendRow(group),
                             combo(ctx, ctx.widgetHolder, QStringLiteral("Активный уровень:"), entry + 1,
                                   {{0, QStringLiteral("Низкий")}, {1, QStringLiteral("Высокий")}},
                                   QStringLiteral("При подаче на вход активного уровня состояние датчика станет равно 1")));
    }
}

void addSensorGroup(const TViewsContext &ctx, QTreeView *view, QStandardItemModel *model, int sensors)
{
    if (sensors == 0)
        return;
    QStandardItem *group = groupItem(model, QStringLiteral("Внешние датчики температуры"));
    QList<line_edit_widget *> ids;
    int width = SENSOR_ROW_WIDTH;
    for (int i = 0; i < sensors; ++i) {
        auto *widget = new QWidget(ctx.widgetHolder);
        auto *layout = new QHBoxLayout(widget);
        layout->setSpacing(40);
        layout->setContentsMargins(1, 1, 1, 1);
        line_edit_widget *id = lineEdit(ctx, widget, QStringLiteral("Датчик температуры %1").arg(i + 1),
                                        SettingsStorage.sensorIds[i], SENSOR_ID_SIZE, QStringLiteral(">HHHHHHHHHHHHHHHH"),
                                        LINE_EDIT_HEX);
        id->Set_editable(false);
        // At 320 pixels the label leaves the field too narrow for sixteen digits in common
        // fonts, and the last digit is cut off: the rows grow to hold them.
        if (auto *edit = id->findChild<QLineEdit *>()) {
            const int digits = edit->fontMetrics().horizontalAdvance(QString(2 * SENSOR_ID_SIZE, QLatin1Char('D')));
            edit->setMinimumWidth(digits + HEX_FIELD_PADDING);
        }
        width = qMax(width, id->minimumSizeHint().width());
        ids.append(id);
        auto *remove = new QPushButton(QStringLiteral("Удалить"), widget);
        QObject::connect(remove, &QPushButton::clicked, id, &line_edit_widget::Clear);
        layout->addWidget(id);
        layout->addWidget(remove);
        view->setIndexWidget(appendRow(group), widget);
    }
    // One width for all, so the fields and buttons line up.
    for (line_edit_widget *id : ids)
        id->setFixedWidth(width);
    auto *add = new QPushButton(QStringLiteral("Добавить датчики"), ctx.widgetHolder);
    add->setAutoFillBackground(true);
    QObject::connect(add, SIGNAL(clicked(bool)), ctx.window, SLOT(add_temp_sensor()));
    view->setIndexWidget(appendRow(group), add);
}

} // namespace

void SettingsViews::build_connection_view(const TViewsContext &ctx)
{
    QTreeView *view = ctx.connectionView;
    QStandardItemModel *model = newModel(ctx, view, CONNECTION_COLUMNS);
    QStandardItem *connections = groupItem(model, QStringLiteral("Настройки соединений"));
    QStandardItem *network = groupItem(model, QStringLiteral("Настройки сети"));
    const TDeviceCapabilities counts = boundedCapabilities();

    QList<QModelIndex> serverRows;
    for (int i = 0; i < counts.serverCount; ++i)
        serverRows.append(appendRow(connections));
    const QModelIndex appended = appendRow(connections);
    // With eight servers the CSD row takes the eighth server's row and the appended row
    // stays empty; with fewer it takes the appended row, so it is never lost.
    const int csdRow = qMin(int(counts.serverCount), CSD_ROW);
    for (int i = 0; i < counts.serverCount; ++i) {
        if (i != csdRow)
            addServerRow(ctx, view, serverRows[i], i);
    }
    addCsdRow(ctx, view, csdRow < serverRows.size() ? serverRows[csdRow] : appended);

    for (int i = 0; i < counts.simCount; ++i)
        addSimRow(ctx, view, appendRow(network), i);

    finish(view);
    view->setColumnWidth(0, CONNECTION_FIRST_COLUMN);
}

void SettingsViews::build_security_view(const TViewsContext &ctx)
{
    QTreeView *view = ctx.securityView;
    auto *model = new QStandardItemModel(ctx.objectHolder);
    view->setModel(model);

    QVBoxLayout *layout = nullptr;
    QWidget *access = rowWidget(ctx, &layout);
    TCheckEditDesc enabled;
    enabled.label = QStringLiteral("Включить доступ по пин-коду:");
    enabled.value = SettingsStorage.pinEnabled;
    enabled.type = PARAM_U8;
    enabled.min = 0;
    enabled.max = 1;
    enabled.hasCheck = true;
    auto *check = new check_edit_widget(enabled, access);
    listen(ctx, check);
    layout->addWidget(check);
    layout->addWidget(lineEdit(ctx, access, QStringLiteral("Пин-код доступа к устройству:"), SettingsStorage.accessPin,
                               PIN_DIGITS, QStringLiteral("0000;-")));
    view->setIndexWidget(appendRow(groupItem(model, QString())), access);

    const int phones = boundedCapabilities().phoneCount;
    if (phones != 0) {
        QStandardItem *group = groupItem(model, QStringLiteral("Авторизованные телефоны"));
        for (int i = 0; i < phones; ++i) {
            view->setIndexWidget(appendRow(group),
                                 lineEdit(ctx, ctx.widgetHolder, QStringLiteral("Номер телефона %1:").arg(i + 1),
                                          SettingsStorage.phones[i], PHONE_SHOWN, QStringLiteral("+99999999999999999999")));
        }
    }

    finish(view);
    // A stretched last section would widen the one column past its contents and pull each
    // field far away from its label.
    view->header()->setStretchLastSection(false);
    view->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
}

void SettingsViews::build_sensors_view(const TViewsContext &ctx)
{
    QTreeView *view = ctx.sensorsView;
    QStandardItemModel *model = newModel(ctx, view, SENSORS_COLUMNS);
    const TDeviceCapabilities counts = boundedCapabilities();

    addInterfaceGroup(ctx, view, model, QStringLiteral("Интерфейс RS-232"), SettingsStorage.rs232, 1);
    addInterfaceGroup(ctx, view, model, QStringLiteral("Интерфейс RS-485"), SettingsStorage.rs485, 0);
    addInputGroups(ctx, view, model, counts.inputCount);
    addSensorGroup(ctx, view, model, counts.temperatureSensorCount);

    finish(view);
    view->setColumnWidth(0, SENSORS_FIRST_COLUMN);
}
