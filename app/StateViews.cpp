#include "app/StateViews.h"

#include "editors/TreeViewSetup.h"

#include "editors/State_item.h"
#include "model/ParameterTable.h"
#include "model/SettingsStorage.h"
#include "session/usb_handler.h"

#include <QCoreApplication>
#include <QDebug>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalMapper>
#include <QStandardItemModel>
#include <QTreeView>

namespace {

constexpr uint16_t SERVER_STATE_FIRST_ID = 17;
constexpr uint16_t ANALOG_INPUT_FIRST_ID = 1001;
constexpr uint16_t DIGITAL_INPUT_FIRST_ID = 1041;
constexpr uint16_t DIGITAL_OUTPUT_FIRST_ID = 1061;
constexpr uint16_t PULSE_INPUT_FIRST_ID = 1081;
constexpr uint16_t FREQUENCY_INPUT_FIRST_ID = 1101;
constexpr uint16_t EXTERNAL_TEMPERATURE_FIRST_ID = 1181;

// Traffic counters: servers 1-4 and 5-8 each have a block of four sent, then four received.
constexpr uint16_t sentCounterId(int server) { return uint16_t(server < 4 ? 2008 + server : 2016 + server - 4); }
constexpr uint16_t receivedCounterId(int server) { return uint16_t(sentCounterId(server) + 4); }
static_assert(sentCounterId(3) == 2011 && receivedCounterId(4) == 2020 && receivedCounterId(7) == 2023,
              "traffic counter ids");

using WorkerSlot = void (usb_handler::*)();
constexpr WorkerSlot TRAFFIC_RESET_SLOTS[MAX_SERVERS] = {
    &usb_handler::on_reset_traffic1, &usb_handler::on_reset_traffic2, &usb_handler::on_reset_traffic3,
    &usb_handler::on_reset_traffic4, &usb_handler::on_reset_traffic5, &usb_handler::on_reset_traffic6,
    &usb_handler::on_reset_traffic7, &usb_handler::on_reset_traffic8,
};

const QString NO_DATA = QStringLiteral("---");

template <typename Visit>
void forEachValue(QStandardItem *parent, const Visit &visit)
{
    for (int row = 0; row < parent->rowCount(); ++row) {
        for (int column = 0; column < parent->columnCount(); ++column) {
            QStandardItem *item = parent->child(row, column);
            if (!item)
                continue;
            if (auto *value = dynamic_cast<State_item *>(item))
                visit(value);
            forEachValue(item, visit);
        }
    }
}

QString serverSuffix(int server)
{
    if (server < 3)
        return QStringLiteral(" (RS-232)");
    if (server < 6)
        return QStringLiteral(" (RS-485)");
    return server == 6 ? StateViews::tr(" (инженерный)") : QString();
}

// The cells are only shown, never selected or edited.
template <typename Item>
Item *shown(Item *item)
{
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

TStateItemDesc valueDesc(const TViewsContext &ctx, EStateKind kind, uint16_t id, uint8_t type, uint16_t size = 0)
{
    const int row = parameterRowOfId(id);
    if (row < 0)
        qWarning() << "[StateViews] WARNING no parameter" << id;
    TStateItemDesc d;
    d.kind = kind;
    d.value = row < 0 ? nullptr : parameterRow(row).value;
    // A value shows only once this session has read it: never zeros, never another terminal's.
    d.valid = row < 0 ? ctx.connected : &ctx.stateValid[row];
    d.noDataText = NO_DATA;
    d.size = size;
    d.type = type;
    return d;
}

TStateItemDesc onOffDesc(const TViewsContext &ctx, uint16_t id, const QString &on, const QString &off)
{
    TStateItemDesc d = valueDesc(ctx, STATE_ONOFF, id, PARAM_U8);
    d.onText = on;
    d.offText = off;
    return d;
}

// A unit and the precision its values are measured to.
struct TUnit {
    const char *text;
    int decimals;
};
constexpr TUnit NO_UNIT{nullptr, -1};
constexpr TUnit VOLTS{QT_TRANSLATE_NOOP("StateViews", "В"), 2};
constexpr TUnit DEGREES{QT_TRANSLATE_NOOP("StateViews", "град."), 1};
constexpr TUnit HERTZ{QT_TRANSLATE_NOOP("StateViews", "Гц"), 1};
constexpr TUnit PULSES{QT_TRANSLATE_NOOP("StateViews", "имп."), -1};
constexpr TUnit KILOBYTES{QT_TRANSLATE_NOOP("StateViews", "кБ"), -1};
constexpr TUnit SECONDS{QT_TRANSLATE_NOOP("StateViews", "сек."), -1};

// The unit is part of the value's text, right after the number; the unit cell stays for the
// trees' columns.
QList<QStandardItem *> valueRow(const QString &label, TStateItemDesc value, const TUnit &unit = NO_UNIT)
{
    if (unit.text)
        value.unit = QCoreApplication::translate("StateViews", unit.text);
    value.decimals = unit.decimals;
    return {shown(new State_item(label)), shown(new State_item(value)), shown(new State_item(QString()))};
}

QList<QStandardItem *> groupRow(const QString &label)
{
    return {shown(new State_item(label)), shown(new State_item(QString())), shown(new State_item(QString()))};
}

QPushButton *filledButton(const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setAutoFillBackground(true);
    return button;
}

// A button that acts on the terminal: the window disables it while none is connected.
template <typename Button>
Button *commandButton(Button *button)
{
    button->setProperty(StateViews::NEEDS_TERMINAL, true);
    return button;
}

// A blank row whose first cell carries the button.
void appendButtonRow(QTreeView *view, QStandardItem *parent, QPushButton *button)
{
    const QList<QStandardItem *> row = groupRow(QString());
    parent->appendRow(row);
    view->setIndexWidget(row.first()->index(), button);
}

QStandardItemModel *newModel(const TViewsContext &ctx, QTreeView *view)
{
    return TreeViewSetup::newModel(ctx.objectHolder, view);
}

void finish(QTreeView *view)
{
    TreeViewSetup::useFusionStyle(view);
    view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view->setAnimated(true);
    view->expandAll();
}

void buildSystem(const TViewsContext &ctx)
{
    QTreeView *view = ctx.sysView;
    QStandardItemModel *model = newModel(ctx, view);
    QStandardItem *root = model->invisibleRootItem();

    root->appendRow(valueRow(QStringLiteral("IMEI:"), valueDesc(ctx, STATE_TEXT, 5, PARAM_TEXT, 15)));
    root->appendRow(valueRow(StateViews::tr("Версия прошивки:"), valueDesc(ctx, STATE_TEXT, 2, PARAM_TEXT, 49)));
    root->appendRow(valueRow(StateViews::tr("Версия прошивки модема:"), valueDesc(ctx, STATE_TEXT, 3, PARAM_TEXT, 35)));
    root->appendRow(valueRow(StateViews::tr("Время с последней перезагрузки:"), valueDesc(ctx, STATE_NUMBER, 9, PARAM_U32),
                             SECONDS));

    const QList<QStandardItem *> group = groupRow(StateViews::tr("Состояние соединений:"));
    root->appendRow(group);
    // The last server entry is the CSD connection, which has no state parameter shown here.
    const int servers = boundedCapabilities().serverCount;
    for (int i = 0; i < servers - 1; ++i) {
        group.first()->appendRow(valueRow(StateViews::tr("Сервер %1").arg(i + 1) + serverSuffix(i),
                                          onOffDesc(ctx, uint16_t(SERVER_STATE_FIRST_ID + i),
                                                    StateViews::tr("на связи"), StateViews::tr("нет соединения"))));
    }

    // Both end the session and cannot be undone: the window asks before it tells the worker.
    QPushButton *restart = commandButton(filledButton(StateViews::tr("Рестарт устройства"), ctx.widgetHolder));
    restart->setObjectName(QStringLiteral("restartButton"));
    QObject::connect(restart, SIGNAL(clicked()), ctx.window, SLOT(confirm_restart()));
    appendButtonRow(view, root, restart);

    QPushButton *factory =
        commandButton(filledButton(StateViews::tr("Сброс к заводским настройкам"), ctx.widgetHolder));
    factory->setObjectName(QStringLiteral("factoryResetButton"));
    QObject::connect(factory, SIGNAL(clicked()), ctx.window, SLOT(confirm_factory_reset()));
    appendButtonRow(view, root, factory);

    finish(view);
}

void appendOutputRows(const TViewsContext &ctx, QStandardItem *root, int outputs)
{
    if (outputs == 0)
        return;
    // The window's signals reach the worker through one connection the window makes, so a
    // rebuild adds no second path for the same click.
    auto *setMapper = new QSignalMapper(ctx.objectHolder);
    auto *resetMapper = new QSignalMapper(ctx.objectHolder);
    QObject::connect(setMapper, SIGNAL(mappedInt(int)), ctx.window, SIGNAL(setDigitalOutput(int)), Qt::DirectConnection);
    QObject::connect(resetMapper, SIGNAL(mappedInt(int)), ctx.window, SIGNAL(resetDigitalOutput(int)), Qt::DirectConnection);

    for (int i = 0; i < outputs; ++i) {
        const QString label = StateViews::tr("Цифровой выход") + QStringLiteral(" %1:  ").arg(i + 1);
        auto *panelCell = shown(new QStandardItem);
        root->appendRow({shown(new State_item(label)),
                         shown(new State_item(onOffDesc(ctx, uint16_t(DIGITAL_OUTPUT_FIRST_ID + i), StateViews::tr("вкл."),
                                                        StateViews::tr("выкл.")))),
                         shown(new QStandardItem), panelCell});

        auto *panel = new QWidget(ctx.widgetHolder);
        auto *layout = new QHBoxLayout(panel);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(2);
        layout->addStretch();
        auto *on = commandButton(new QPushButton(StateViews::tr("Вкл."), panel));
        auto *off = commandButton(new QPushButton(StateViews::tr("Выкл."), panel));
        layout->addWidget(on);
        layout->addWidget(off);

        setMapper->setMapping(on, i);
        resetMapper->setMapping(off, i);
        QObject::connect(on, &QPushButton::clicked, setMapper, qOverload<>(&QSignalMapper::map));
        QObject::connect(off, &QPushButton::clicked, resetMapper, qOverload<>(&QSignalMapper::map));
        QObject::connect(on, &QPushButton::clicked, ctx.worker, &usb_handler::on_irq, Qt::DirectConnection);
        QObject::connect(off, &QPushButton::clicked, ctx.worker, &usb_handler::on_irq, Qt::DirectConnection);
        ctx.ioView->setIndexWidget(panelCell->index(), panel);
    }
}

void buildInputsOutputs(const TViewsContext &ctx)
{
    QTreeView *view = ctx.ioView;
    QStandardItemModel *model = newModel(ctx, view);
    QStandardItem *root = model->invisibleRootItem();
    const TDeviceCapabilities counts = boundedCapabilities();

    for (int i = 0; i < counts.analogInputCount; ++i) {
        root->appendRow(valueRow(StateViews::tr("Аналоговый вход %1:  ").arg(i + 1),
                                 valueDesc(ctx, STATE_NUMBER, uint16_t(ANALOG_INPUT_FIRST_ID + i), PARAM_FLOAT),
                                 VOLTS));
    }
    for (int i = 0; i < counts.digitalInputCount; ++i) {
        root->appendRow(valueRow(StateViews::tr("Цифровой вход %1:  ").arg(i + 1),
                                 onOffDesc(ctx, uint16_t(DIGITAL_INPUT_FIRST_ID + i), StateViews::tr("вкл."),
                                           StateViews::tr("выкл."))));
    }
    appendOutputRows(ctx, root, counts.digitalOutputCount);
    for (int i = 0; i < counts.pulseInputCount; ++i) {
        root->appendRow(valueRow(StateViews::tr("Импульсный вход %1:  ").arg(i + 1),
                                 valueDesc(ctx, STATE_NUMBER, uint16_t(PULSE_INPUT_FIRST_ID + i), PARAM_U32),
                                 PULSES));
    }
    for (int i = 0; i < counts.frequencyInputCount; ++i) {
        root->appendRow(valueRow(StateViews::tr("Частотный вход %1:  ").arg(i + 1),
                                 valueDesc(ctx, STATE_NUMBER, uint16_t(FREQUENCY_INPUT_FIRST_ID + i), PARAM_FLOAT),
                                 HERTZ));
    }
    root->appendRow(valueRow(StateViews::tr("Датчик температуры внутренний:"),
                             valueDesc(ctx, STATE_NUMBER, 1250, PARAM_FLOAT), DEGREES));
    root->appendRow(valueRow(StateViews::tr("Напряжение питания:"), valueDesc(ctx, STATE_NUMBER, 1252, PARAM_FLOAT),
                             VOLTS));

    if (counts.temperatureSensorCount != 0) {
        const QList<QStandardItem *> group = groupRow(StateViews::tr("Датчики температуры 1-Wire:"));
        root->appendRow(group);
        for (int i = 0; i < counts.temperatureSensorCount; ++i) {
            group.first()->appendRow(valueRow(
                StateViews::tr("Датчик температуры %1:  ").arg(i + 1),
                valueDesc(ctx, STATE_TEMPERATURE, uint16_t(EXTERNAL_TEMPERATURE_FIRST_ID + i), PARAM_FLOAT),
                DEGREES));
        }
    }

    finish(view);
    view->header()->resizeSections(QHeaderView::ResizeToContents);
}

void buildNetwork(const TViewsContext &ctx)
{
    QTreeView *view = ctx.netView;
    QStandardItemModel *model = newModel(ctx, view);
    QStandardItem *root = model->invisibleRootItem();

    root->appendRow(valueRow(QStringLiteral("MCC:"), valueDesc(ctx, STATE_NUMBER, 2001, PARAM_U16)));
    root->appendRow(valueRow(QStringLiteral("MNC:"), valueDesc(ctx, STATE_NUMBER, 2002, PARAM_U16)));
    root->appendRow(valueRow(QStringLiteral("LAC:"), valueDesc(ctx, STATE_NUMBER, 2003, PARAM_U32)));
    root->appendRow(valueRow(QStringLiteral("CELLID:"), valueDesc(ctx, STATE_NUMBER, 2004, PARAM_U32)));
    root->appendRow(valueRow(StateViews::tr("Уровень сигнала:"), valueDesc(ctx, STATE_NUMBER, 2005, PARAM_U8)));

    const int servers = boundedCapabilities().serverCount;
    for (int i = 0; i < servers - 1; ++i) {
        const QList<QStandardItem *> group = groupRow(StateViews::tr("Трафик сервер %1:").arg(i + 1) + serverSuffix(i));
        root->appendRow(group);
        QStandardItem *parent = group.first();
        parent->appendRow(valueRow(StateViews::tr("Отправлено:"), valueDesc(ctx, STATE_NUMBER, sentCounterId(i), PARAM_U32),
                                   KILOBYTES));
        parent->appendRow(valueRow(StateViews::tr("Принято:"),
                                   valueDesc(ctx, STATE_NUMBER, receivedCounterId(i), PARAM_U32), KILOBYTES));

        QPushButton *reset = commandButton(filledButton(StateViews::tr("Сбросить"), ctx.widgetHolder));
        QObject::connect(reset, &QPushButton::clicked, ctx.worker, TRAFFIC_RESET_SLOTS[i], Qt::DirectConnection);
        QObject::connect(reset, &QPushButton::clicked, ctx.worker, &usb_handler::on_irq, Qt::DirectConnection);
        appendButtonRow(view, parent, reset);
    }

    finish(view);
}

} // namespace

void StateViews::build(const TViewsContext &ctx)
{
    buildSystem(ctx);
    buildInputsOutputs(ctx);
    buildNetwork(ctx);
}

void StateViews::refresh(const TViewsContext &ctx, ERefresh how)
{
    for (QTreeView *view : {ctx.sysView, ctx.ioView, ctx.netView}) {
        auto *model = view ? qobject_cast<QStandardItemModel *>(view->model()) : nullptr;
        if (!model)
            continue;
        // A hidden tree is painted afresh when it shows, reading the values as they are then.
        if (!view->isVisible())
            continue;
        // Only the cells whose text changed: a full repaint each second costs ten times more.
        int widest = 0;
        forEachValue(model->invisibleRootItem(), [&](State_item *item) {
            if (item->repaintIfChanged() == State_item::EChange::Longer && item->column() == 1)
                widest = std::max(widest, view->sizeHintForIndex(item->index()).width());
        });
        // Sizing asks every row for its text: only when a value outgrew the column.
        if (how == ERefresh::Resize || widest > view->columnWidth(1))
            view->resizeColumnToContents(1);
    }
}
