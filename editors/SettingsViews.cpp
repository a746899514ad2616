#include "editors/SettingsViews.h"

#include "editors/TreeViewSetup.h"

#include "editors/check_edit_widget.h"
#include "editors/combo_widget.h"
#include "editors/line_edit_widget.h"
#include "model/ParameterTable.h"
#include "model/SettingsFields.h"
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
constexpr int CSD_ROW = 7;

constexpr int CONNECTION_COLUMNS = 4;
constexpr int SENSORS_COLUMNS = 2;
constexpr int CONNECTION_FIRST_COLUMN = 400;
constexpr int SENSORS_FIRST_COLUMN = 500;

// Offsets of the SIM record's (setting 3002) texts.
constexpr int SIM_USER_OFFSET = 30;
constexpr int SIM_PASSWORD_OFFSET = 46;

constexpr int SENSOR_ROW_WIDTH = 320;
// Frame and inner margins of a line edit around its text.
constexpr int HEX_FIELD_PADDING = 12;

// Rows of an interface group.
constexpr int IFACE_ROW_REQUEST_TIMEOUT = 6;
constexpr int IFACE_ROW_ATTEMPTS = 7;
constexpr int IFACE_ROW_PAUSE = 8;

constexpr const char *PARITY_HELP = QT_TRANSLATE_NOOP(
    "SettingsViews",
    "Может быть четным (\"even\", когда общее число единичных битов в принятых данных, включая сам бит "
    "четности, должно быть четным),\nнечетным (\"odd\", когда общее число единичных битов в принятых данных, "
    "включая сам бит четности, должно быть четным) или вообще отсутствовать");

// Labels, entries, ranges and bytes of every editor come from the field table; the index is
// the server's, SIM's, phone's, input's or sensor's.
TSettingFieldRef ref(const TSettingField &field, int index)
{
    return {&field, uint8_t(index)};
}

// The record the field's bytes are in.
uint8_t *recordOf(const TSettingFieldRef &r)
{
    uint8_t *record = nullptr;
    findSetting(r.field->id, r.subId(), &record);
    return record;
}

uint8_t *valueOf(const TSettingFieldRef &r)
{
    uint8_t *record = recordOf(r);
    return record ? record + r.field->offset : nullptr;
}

QString boldTitle(const TSettingFieldRef &r)
{
    return QStringLiteral("<b>%1</b>").arg(SettingsFields::groupTitle(r));
}

// The editor re-reads on update_set_views; it carries its field's key, and tells the window
// of each change so the window can mark what differs from the settings last written.
void listen(const TViewsContext &ctx, QObject *editor, const TSettingFieldRef &field)
{
    QObject::connect(ctx.window, SIGNAL(update_set_views()), editor, SLOT(Get_data()));
    editor->setProperty(SettingsViews::FIELD_KEY, SettingsFields::key(field));
    if (ctx.window->metaObject()->indexOfSlot("note_edit()") >= 0)
        QObject::connect(editor, SIGNAL(edited()), ctx.window, SLOT(note_edit()));
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

TComboDesc comboDesc(const TSettingFieldRef &r, const QString &tooltip)
{
    TComboDesc d;
    d.label = SettingsFields::label(r);
    d.value = valueOf(r);
    d.type = PARAM_U8;
    d.tooltip = tooltip;
    d.items = SettingsFields::comboItems(*r.field, recordOf(r));
    return d;
}

combo_widget *combo(const TViewsContext &ctx, QWidget *parent, const TSettingFieldRef &r,
                    const QString &tooltip = QString())
{
    auto *editor = new combo_widget(comboDesc(r, tooltip), parent);
    listen(ctx, editor, r);
    return editor;
}

check_edit_widget *spin(const TViewsContext &ctx, QWidget *parent, const TSettingFieldRef &r,
                        const QString &tooltip = QString())
{
    TCheckEditDesc d;
    d.label = SettingsFields::label(r);
    d.value = valueOf(r);
    d.type = r.field->size == 2 ? PARAM_U16 : PARAM_U8;
    d.min = int(r.field->min);
    d.max = int(r.field->max);
    d.tooltip = tooltip;
    d.hasSpin = true;
    auto *editor = new check_edit_widget(d, parent);
    listen(ctx, editor, r);
    return editor;
}

line_edit_widget *lineEdit(const TViewsContext &ctx, QWidget *parent, const TSettingFieldRef &r,
                           const QString &mask = QString(), const QString &tooltip = QString())
{
    TLineEditDesc d;
    d.label = SettingsFields::label(r);
    d.value = valueOf(r);
    d.size = r.field->size;
    d.tooltip = tooltip;
    d.inputMask = mask;
    d.mode = r.field->kind == EFieldKind::Hex ? LINE_EDIT_HEX : LINE_EDIT_TEXT;
    auto *editor = new line_edit_widget(d, parent);
    listen(ctx, editor, r);
    return editor;
}

void addServerRow(const TViewsContext &ctx, QTreeView *view, const QModelIndex &index, int server)
{
    QVBoxLayout *layout = nullptr;
    QWidget *widget = rowWidget(ctx, &layout);
    const TSettingFieldRef typeField = ref(SettingsFields::at(3001, server, SERVER_TYPE_OFFSET), server);

    layout->addWidget(title(boldTitle(typeField), widget));
    combo_widget *type = combo(ctx, widget, typeField);
    layout->addWidget(type);
    layout->addWidget(lineEdit(ctx, widget, ref(SettingsFields::at(3001, server, 0), server), QString(),
                               SettingsViews::tr("В формате 255.255.255.255:65536 или ") + QStringLiteral("telemetry.example.com:5555")));
    layout->addWidget(spin(ctx, widget, ref(SettingsFields::at(3006, server, 0), server),
                           SettingsViews::tr("Если в течение указанного времени нет обмена данными по TCP терминал "
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
    const TSettingFieldRef type = ref(SettingsFields::at(3001, CSD_ENTRY, SERVER_TYPE_OFFSET), CSD_ENTRY);
    layout->addWidget(title(boldTitle(type), widget));
    layout->addWidget(combo(ctx, widget, ref(SettingsFields::at(3374, 0, 0), CSD_ENTRY)));
    layout->addWidget(combo(ctx, widget, type));
    layout->addWidget(spin(ctx, widget, ref(SettingsFields::at(3006, CSD_ENTRY, 0), CSD_ENTRY)));
    view->setIndexWidget(index, widget);
}

void addSimRow(const TViewsContext &ctx, QTreeView *view, const QModelIndex &index, int sim)
{
    QVBoxLayout *layout = nullptr;
    QWidget *widget = rowWidget(ctx, &layout);
    const TSettingFieldRef apn = ref(SettingsFields::at(3002, sim, 0), sim);
    layout->addWidget(title(boldTitle(apn), widget));
    layout->addWidget(lineEdit(ctx, widget, apn));
    layout->addWidget(lineEdit(ctx, widget, ref(SettingsFields::at(3002, sim, SIM_USER_OFFSET), sim)));
    layout->addWidget(lineEdit(ctx, widget, ref(SettingsFields::at(3002, sim, SIM_PASSWORD_OFFSET), sim)));
    layout->addWidget(lineEdit(ctx, widget, ref(SettingsFields::at(3003, sim, 0), sim)));
    view->setIndexWidget(index, widget);
}

// The rows that depend on other settings of an interface, from what is stored: the data
// bits offered by the parity, and the server-mode rows.
void applyInterfaceRules(QTreeView *view, const QPersistentModelIndex &group, const uint8_t *block,
                         const TSettingField &dataBitsField, combo_widget *dataBits)
{
    // A later rebuild set another model; this group's rows are gone from the view.
    if (!group.isValid() || group.model() != view->model())
        return;
    const QMap<int, QString> entries = SettingsFields::comboItems(dataBitsField, block);
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

void addInterfaceGroup(const TViewsContext &ctx, QTreeView *view, QStandardItemModel *model, uint16_t id)
{
    auto field = [id](int offset) { return ref(SettingsFields::at(id, 0, offset), 0); };
    const TSettingFieldRef bitsField = field(IFACE_DATA_BITS);
    QStandardItem *group = groupItem(model, SettingsFields::groupTitle(bitsField));
    uint8_t *block = recordOf(bitsField);
    QWidget *parent = ctx.widgetHolder;
    QList<QModelIndex> rows;
    for (int row = 0; row <= IFACE_ROW_PAUSE; ++row)
        rows.append(appendRow(group));

    view->setIndexWidget(rows[0], combo(ctx, parent, field(IFACE_BAUD), SettingsViews::tr("Скорость обмена данными")));

    // The parity re-reads before the data bits on update_set_views, so the data bits read
    // against the entries of the new parity.
    auto *dataBits = new combo_widget(comboDesc(bitsField, SettingsViews::tr("Количество бит данных")), parent);
    combo_widget *parity = combo(ctx, parent, field(IFACE_PARITY), SettingsViews::tr(PARITY_HELP));
    listen(ctx, dataBits, bitsField);
    view->setIndexWidget(rows[1], dataBits);
    view->setIndexWidget(rows[2], parity);

    view->setIndexWidget(rows[3], combo(ctx, parent, field(IFACE_STOP_BITS),
                                        SettingsViews::tr("Может составлять половину, одну, полторы или две длительности бита")));
    view->setIndexWidget(rows[4], spin(ctx, parent, field(IFACE_ANSWER_WAIT),
                                       SettingsViews::tr("Терминал будет ожидать данных от устройства в течение этого времени")));
    combo_widget *mode = combo(ctx, parent, field(IFACE_SERVER_MODE), SettingsViews::tr("Режим работы с серверами"));
    view->setIndexWidget(rows[5], mode);
    view->setIndexWidget(rows[IFACE_ROW_REQUEST_TIMEOUT],
                         spin(ctx, parent, field(IFACE_REQUEST_TIMEOUT),
                              SettingsViews::tr("Таймаут ожидания запросов с сервера 10...3600 сек")));
    view->setIndexWidget(rows[IFACE_ROW_ATTEMPTS], spin(ctx, parent, field(IFACE_ATTEMPTS),
                                                        SettingsViews::tr("Кол-во попыток соединения 1...20")));
    view->setIndexWidget(rows[IFACE_ROW_PAUSE],
                         spin(ctx, parent, field(IFACE_ATTEMPT_PAUSE),
                              SettingsViews::tr("Пауза между попытками соединения с сервером 10...3600 сек")));

    const QPersistentModelIndex groupIndex(group->index());
    const TSettingField *bits = bitsField.field;
    auto apply = [view, groupIndex, block, bits, dataBits] {
        applyInterfaceRules(view, groupIndex, block, *bits, dataBits);
    };
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
        const TSettingFieldRef type = ref(SettingsFields::at(3371, i, 0), i);
        QStandardItem *group = groupItem(model, SettingsFields::groupTitle(type));
        view->setIndexWidget(appendRow(group), combo(ctx, ctx.widgetHolder, type, SettingsViews::tr("Выберите тип входа")));
        view->setIndexWidget(appendRow(group),
                             combo(ctx, ctx.widgetHolder, ref(SettingsFields::at(3371, i, 1), i),
                                   SettingsViews::tr("При подаче на вход активного уровня состояние датчика станет равно 1")));
    }
}

void addSensorGroup(const TViewsContext &ctx, QTreeView *view, QStandardItemModel *model, int sensors)
{
    if (sensors == 0)
        return;
    const TSettingField &sensorField = SettingsFields::at(3356, 0, 0);
    QStandardItem *group = groupItem(model, SettingsFields::groupTitle(ref(sensorField, 0)));
    QList<line_edit_widget *> ids;
    int width = SENSOR_ROW_WIDTH;
    for (int i = 0; i < sensors; ++i) {
        auto *widget = new QWidget(ctx.widgetHolder);
        auto *layout = new QHBoxLayout(widget);
        layout->setSpacing(40);
        layout->setContentsMargins(1, 1, 1, 1);
        line_edit_widget *id = lineEdit(ctx, widget, ref(sensorField, i), QStringLiteral(">HHHHHHHHHHHHHHHH"));
        id->Set_editable(false);
        // At 320 pixels the label leaves the field too narrow for sixteen digits in common
        // fonts, and the last digit is cut off: the rows grow to hold them.
        if (auto *edit = id->findChild<QLineEdit *>()) {
            const int digits = edit->fontMetrics().horizontalAdvance(QString(2 * SENSOR_ID_SIZE, QLatin1Char('D')));
            edit->setMinimumWidth(digits + HEX_FIELD_PADDING);
        }
        width = qMax(width, id->minimumSizeHint().width());
        ids.append(id);
        auto *remove = new QPushButton(SettingsViews::tr("Удалить"), widget);
        QObject::connect(remove, &QPushButton::clicked, id, &line_edit_widget::Clear);
        layout->addWidget(id);
        layout->addWidget(remove);
        view->setIndexWidget(appendRow(group), widget);
    }
    // One width for all, so the fields and buttons line up.
    for (line_edit_widget *id : ids)
        id->setFixedWidth(width);
    auto *add = new QPushButton(SettingsViews::tr("Добавить датчики"), ctx.widgetHolder);
    add->setAutoFillBackground(true);
    QObject::connect(add, SIGNAL(clicked(bool)), ctx.window, SLOT(add_temp_sensor()));
    view->setIndexWidget(appendRow(group), add);
}

} // namespace

void SettingsViews::build_connection_view(const TViewsContext &ctx)
{
    QTreeView *view = ctx.connectionView;
    QStandardItemModel *model = newModel(ctx, view, CONNECTION_COLUMNS);
    QStandardItem *connections = groupItem(model, tr("Настройки соединений"));
    QStandardItem *network = groupItem(model, tr("Настройки сети"));
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
    const TSettingFieldRef pinEnabled = ref(SettingsFields::at(3252, 0, 0), 0);
    TCheckEditDesc enabled;
    enabled.label = SettingsFields::label(pinEnabled);
    enabled.value = valueOf(pinEnabled);
    enabled.type = PARAM_U8;
    enabled.min = int(pinEnabled.field->min);
    enabled.max = int(pinEnabled.field->max);
    enabled.hasCheck = true;
    auto *check = new check_edit_widget(enabled, access);
    listen(ctx, check, pinEnabled);
    layout->addWidget(check);
    layout->addWidget(lineEdit(ctx, access, ref(SettingsFields::at(3251, 0, 0), 0), QStringLiteral("0000;-")));
    view->setIndexWidget(appendRow(groupItem(model, SettingsFields::groupTitle(pinEnabled))), access);

    const int phones = boundedCapabilities().phoneCount;
    if (phones != 0) {
        const TSettingField &phone = SettingsFields::at(3253, 0, 0);
        QStandardItem *group = groupItem(model, SettingsFields::groupTitle(ref(phone, 0)));
        for (int i = 0; i < phones; ++i) {
            view->setIndexWidget(appendRow(group), lineEdit(ctx, ctx.widgetHolder, ref(phone, i),
                                                            QStringLiteral("+99999999999999999999")));
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

    addInterfaceGroup(ctx, view, model, 3372);
    addInterfaceGroup(ctx, view, model, 3373);
    addInputGroups(ctx, view, model, counts.inputCount);
    addSensorGroup(ctx, view, model, counts.temperatureSensorCount);

    finish(view);
    view->setColumnWidth(0, SENSORS_FIRST_COLUMN);
}
