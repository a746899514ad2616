#include "app/StateViews.h"
#include "model/ParameterTable.h"
#include "model/SettingsStorage.h"
#include "session/usb_handler.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

// Stands in for the main window: the trees drive its output signals.
class WindowDouble : public QObject
{
    Q_OBJECT
signals:
    void setDigitalOutput(int n);
    void resetDigitalOutput(int n);
public slots:
    void confirm_restart() { ++restarts; }
    void confirm_factory_reset() { ++factoryResets; }

public:
    int restarts = 0;
    int factoryResets = 0;
};

namespace {

QString cell(const QAbstractItemModel *model, int row, int column, const QModelIndex &parent = {})
{
    return model->index(row, column, parent).data().toString();
}

// Column 1 of every row, depth first.
QStringList valueColumn(const QAbstractItemModel *model, const QModelIndex &parent = {})
{
    QStringList values;
    for (int row = 0; row < model->rowCount(parent); ++row)
        values << cell(model, row, 1, parent) << valueColumn(model, model->index(row, 0, parent));
    return values;
}

QPushButton *button(QWidget *view, const QString &text)
{
    for (QPushButton *b : view->findChildren<QPushButton *>())
        if (b->text() == text)
            return b;
    return nullptr;
}

} // namespace

class TestStateViews : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        SettingsStorage = TSettingsStorage{};
        setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
        m_connected = false;
        std::fill(std::begin(m_valid), std::end(m_valid), false);
        m_window = std::make_unique<QWidget>();
        m_sys = new QTreeView(m_window.get());
        m_io = new QTreeView(m_window.get());
        m_net = new QTreeView(m_window.get());
        m_objects = new QObject(m_window.get());
        // Never moved to a thread nor run: its slots only raise request flags.
        m_worker = new usb_handler(m_window.get());
        m_worker->request_shutdown();
    }

    // The rows' labels are read by the operator's day; every value row is counted below.
    void typeF0TreesHaveTheirButtons()
    {
        build();
        const QAbstractItemModel *sys = m_sys->model();
        QVERIFY(m_sys->indexWidget(sys->index(5, 0)) == button(m_sys, QStringLiteral("Рестарт устройства")));
        QVERIFY(m_sys->indexWidget(sys->index(6, 0)) == button(m_sys, QStringLiteral("Сброс к заводским настройкам")));
        QCOMPARE(m_io->model()->columnCount(), 4);
        QCOMPARE(m_objects->findChildren<QSignalMapper *>().size(), 2);
        QCOMPARE(cell(m_net->model(), 11, 0), QStringLiteral("Трафик сервер 7: (инженерный)"));
        QCOMPARE(m_net->findChildren<QPushButton *>().size(), 7);
        // Both end the session for good: they only ask the window, which asks the operator.
        button(m_sys, QStringLiteral("Рестарт устройства"))->click();
        button(m_sys, QStringLiteral("Сброс к заводским настройкам"))->click();
        QVERIFY(m_double.restarts == 1 && m_double.factoryResets == 1);
    }

    void emptyBlocksAreLeftOut()
    {
        TDeviceCapabilities &counts = SettingsStorage.DeviceCapabilities;
        counts.digitalOutputCount = 0;
        counts.temperatureSensorCount = 0;
        counts.analogInputCount = 0;
        counts.serverCount = 1;
        build();

        // 3 digital, 3 pulse, 3 frequency, internal temperature, supply.
        QCOMPARE(m_io->model()->rowCount(), 11);
        QCOMPARE(m_io->model()->columnCount(), 3);
        QVERIFY(m_io->findChildren<QPushButton *>().isEmpty());
        QVERIFY(m_objects->findChildren<QSignalMapper *>().isEmpty());
        QCOMPARE(m_sys->model()->rowCount(m_sys->model()->index(4, 0)), 0);
        QCOMPARE(m_net->model()->rowCount(), 5);
    }

    void valuesShowNoDataUntilConnected()
    {
        qToLittleEndian<quint32>(77, SettingsStorage.parameters.traffic[4].sent);
        qToLittleEndian<quint32>(88, SettingsStorage.parameters.traffic[4].received);
        build();
        const QList<const QAbstractItemModel *> models{m_sys->model(), m_io->model(), m_net->model()};
        // Every value cell: 4 + 7 servers; 3 + 3 + 1 + 3 + 3 + 2 + 10 sensors; 5 + 2 per server.
        const QList<int> noData{4 + 7, 3 + 3 + 1 + 3 + 3 + 2 + 10, 5 + 2 * 7};
        for (int i = 0; i < models.size(); ++i)
            QCOMPARE(valueColumn(models[i]).count(QStringLiteral("---")), noData[i]);

        // Each value shows once its own read has stored it, not merely once connected.
        m_connected = true;
        for (int i = 0; i < models.size(); ++i)
            QCOMPARE(valueColumn(models[i]).count(QStringLiteral("---")), noData[i]);
        std::fill(std::begin(m_valid), std::end(m_valid), true);
        for (const QAbstractItemModel *model : models)
            QVERIFY(!valueColumn(model).contains(QStringLiteral("---")));
        // Server 5's counters sit in the second block of ids.
        const QModelIndex server5 = m_net->model()->index(9, 0);
        QCOMPARE(cell(m_net->model(), 0, 1, server5), QStringLiteral("77 кБ"));
        QCOMPARE(cell(m_net->model(), 1, 1, server5), QStringLiteral("88 кБ"));
    }

    // A refresh repaints the cells whose text changed, and widens the column for a longer one.
    void refreshRepaintsOnlyWhatChanged()
    {
        build();
        m_window->show();
        m_connected = true;
        std::fill(std::begin(m_valid), std::end(m_valid), true);
        const TViewsContext ctx{m_sys, m_io, m_net, nullptr, nullptr, nullptr, m_objects, nullptr,
                                m_worker, &m_double, &m_connected, m_valid};
        StateViews::refresh(ctx, StateViews::ERefresh::Resize);
        QSignalSpy changed(m_net->model(), &QAbstractItemModel::dataChanged);
        StateViews::refresh(ctx);
        QCOMPARE(changed.count(), 0);

        const int width = m_net->columnWidth(1);
        qToLittleEndian<quint32>(4000000000u, SettingsStorage.parameters.traffic[4].sent);
        StateViews::refresh(ctx);
        QCOMPARE(changed.count(), 1);
        const QModelIndex server5 = m_net->model()->index(9, 0);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), m_net->model()->index(0, 1, server5));
        QVERIFY(m_net->columnWidth(1) > width);
        // A hidden tree is left alone; it reads its values when it shows.
        m_net->hide();
        qToLittleEndian<quint32>(5, SettingsStorage.parameters.traffic[4].sent);
        StateViews::refresh(ctx);
        QCOMPARE(changed.count(), 1);
    }

    void outputButtonsSwitchTheIndexedOutput()
    {
        build();
        QSignalSpy set(&m_double, &WindowDouble::setDigitalOutput);
        QSignalSpy reset(&m_double, &WindowDouble::resetDigitalOutput);

        button(m_io, QStringLiteral("Вкл."))->click();
        QCOMPARE(set.count(), 1);
        QCOMPARE(set.at(0).at(0).toInt(), 0);
        QCOMPARE(reset.count(), 0);

        button(m_io, QStringLiteral("Выкл."))->click();
        QCOMPARE(reset.count(), 1);
        QCOMPARE(reset.at(0).at(0).toInt(), 0);
        QCOMPARE(set.count(), 1);
    }

private:
    void build()
    {
        StateViews::build({m_sys, m_io, m_net, nullptr, nullptr, nullptr, m_objects, new QWidget(m_window.get()),
                           m_worker, &m_double, &m_connected, m_valid});
    }

    bool m_connected = false;
    bool m_valid[PARAMETER_COUNT] = {};
    std::unique_ptr<QWidget> m_window;
    WindowDouble m_double;
    usb_handler *m_worker = nullptr;
    QObject *m_objects = nullptr;
    QTreeView *m_sys = nullptr;
    QTreeView *m_io = nullptr;
    QTreeView *m_net = nullptr;
};

QTEST_MAIN(TestStateViews)
#include "test_state_views.moc"
