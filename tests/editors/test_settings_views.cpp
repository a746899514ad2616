#include "editors/SettingsViews.h"
#include "editors/combo_widget.h"
#include "model/SettingsStorage.h"

#include <QtTest>
#include <QtWidgets>

#include <cstring>
#include <memory>

// Stands in for the main window: its signal makes the editors re-read, its slots are what
// the settings trees call.
class WindowDouble : public QObject
{
    Q_OBJECT
public:
    QList<int> guardedServers;
    QList<int> storedTypes; // the server's type byte when the guard ran
    int sensorRequests = 0;

signals:
    void update_set_views();

public slots:
    void check_server_count(int server)
    {
        guardedServers << server;
        storedTypes << SettingsStorage.servers[server][SERVER_TYPE_OFFSET];
    }
    void add_temp_sensor() { ++sensorRequests; }
};

namespace {

const QString TYPE = QStringLiteral("Тип соединения");
const QString DATA_BITS = QStringLiteral("Количество бит данных:");
const QString PARITY = QStringLiteral("Контроль четности:");

QString title(QWidget *row)
{
    const QLabel *label = row ? row->findChild<QLabel *>() : nullptr;
    return label ? label->text() : QString();
}

// The combo box of the editor labelled so inside a row widget.
QComboBox *combo(QWidget *row, const QString &label)
{
    auto editors = row->findChildren<combo_widget *>();
    if (auto *self = qobject_cast<combo_widget *>(row))
        editors.prepend(self);
    for (combo_widget *editor : editors)
        if (editor->findChild<QLabel *>()->text() == label)
            return editor->findChild<QComboBox *>();
    return nullptr;
}

QStringList entries(const QComboBox *box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

} // namespace

class TestSettingsViews : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        SettingsStorage = TSettingsStorage{};
        setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
        m_window = std::make_unique<QWidget>();
        m_double = new WindowDouble;
        m_double->setParent(m_window.get());
        m_connection = new QTreeView(m_window.get());
        m_security = new QTreeView(m_window.get());
        m_sensors = new QTreeView(m_window.get());
    }

    void typeF0TreesHaveTheirRows()
    {
        build();
        const QAbstractItemModel *connection = m_connection->model();
        QCOMPARE(connection->rowCount(), 2);
        QCOMPARE(connection->columnCount(), 4);
        QCOMPARE(connection->rowCount(connection->index(0, 0)), 9);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(title(rowWidget(m_connection, 0, i)),
                     QStringLiteral("<b>Трансляция в RS-%1 (сервер %2)</b>").arg(i < 3 ? 232 : 485).arg(i + 1));
        QCOMPARE(title(rowWidget(m_connection, 0, 6)), QStringLiteral("<b>Инженерный сервер (7)</b>"));
        QCOMPARE(entries(combo(rowWidget(m_connection, 0, 6), TYPE)), (QStringList{"Выключен", "Включен"}));
        QCOMPARE(title(rowWidget(m_connection, 0, 7)), QStringLiteral("<b>CSD-соединение</b>"));
        QVERIFY(!rowWidget(m_connection, 0, 8));
        QCOMPARE(connection->rowCount(connection->index(1, 0)), 2);
        QCOMPARE(title(rowWidget(m_connection, 1, 1)), QStringLiteral("<b>Настройки SIM-карты 2</b>"));

        const QAbstractItemModel *security = m_security->model();
        QCOMPARE(security->rowCount(), 2);
        QVERIFY(rowWidget(m_security, 0, 0));
        QCOMPARE(security->rowCount(security->index(1, 0)), 10);

        const QAbstractItemModel *sensors = m_sensors->model();
        QCOMPARE(sensors->rowCount(), 2 + 3 + 1);
        QCOMPARE(sensors->rowCount(sensors->index(1, 0)), 9);
        QCOMPARE(sensors->index(4, 0).data().toString(), QStringLiteral("Мультифункциональный вход 3"));
        QCOMPARE(sensors->rowCount(sensors->index(4, 0)), 2);
        QCOMPARE(sensors->rowCount(sensors->index(5, 0)), 11);
        auto *add = qobject_cast<QPushButton *>(rowWidget(m_sensors, 5, 10));
        QCOMPARE(add->text(), QStringLiteral("Добавить датчики"));
        add->click();
        QCOMPARE(m_double->sensorRequests, 1);
    }

    void emptyGroupsAreLeftOut()
    {
        TDeviceCapabilities &counts = SettingsStorage.DeviceCapabilities;
        counts.phoneCount = counts.inputCount = counts.temperatureSensorCount = 0;
        counts.serverCount = 3;
        build();
        QCOMPARE(m_security->model()->rowCount(), 1);
        QCOMPARE(m_sensors->model()->rowCount(), 2);
        QVERIFY(m_sensors->findChildren<QPushButton *>().isEmpty());
        // With fewer than seven servers the CSD row takes the row after them.
        QCOMPARE(m_connection->model()->rowCount(m_connection->model()->index(0, 0)), 4);
        QCOMPARE(title(rowWidget(m_connection, 0, 3)), QStringLiteral("<b>CSD-соединение</b>"));
    }

    void csdRowEditsTheEighthServerEntry()
    {
        build();
        QWidget *csd = rowWidget(m_connection, 0, 7);
        combo(csd, TYPE)->setCurrentIndex(2);
        uint8_t *record = nullptr;
        QCOMPARE(findSetting(3001, 7, &record), uint8_t(SERVER_ENTRY_SIZE));
        QCOMPARE(record[SERVER_TYPE_OFFSET], uint8_t(2));
        QCOMPARE(SettingsStorage.servers[6][SERVER_TYPE_OFFSET], uint8_t(0));
        QVERIFY(m_double->guardedServers.isEmpty());

        combo(csd, QStringLiteral("Тип интерфейса"))->setCurrentIndex(1);
        QCOMPARE(SettingsStorage.csdInterface[0], uint8_t(10));
    }

    void serverTypeRunsGuardAfterStoring_data()
    {
        QTest::addColumn<int>("server");
        QTest::addColumn<int>("stored");
        QTest::newRow("server 6") << 5 << 1;
        QTest::newRow("engineering server") << 6 << 3;
    }

    void serverTypeRunsGuardAfterStoring()
    {
        QFETCH(int, server);
        QFETCH(int, stored);
        build();
        combo(rowWidget(m_connection, 0, server), TYPE)->setCurrentIndex(1);
        QCOMPARE(m_double->guardedServers, QList<int>{server});
        QCOMPARE(m_double->storedTypes, QList<int>{stored});
    }

    void serverModeShowsItsRows_data()
    {
        QTest::addColumn<int>("group");
        QTest::newRow("RS-232") << 0;
        QTest::newRow("RS-485") << 1;
    }

    void serverModeShowsItsRows()
    {
        QFETCH(int, group);
        build();
        uint8_t *block = group == 0 ? SettingsStorage.rs232 : SettingsStorage.rs485;
        const QList<bool> parallel{false, true, true};
        const QList<bool> sequential{true, false, false};
        QCOMPARE(modeRowsHidden(group), parallel);

        QComboBox *mode = combo(rowWidget(m_sensors, group, 5), QStringLiteral("Режим работы с серверами:"));
        mode->setCurrentText(QStringLiteral("Последовательный"));
        QCOMPARE(block[IFACE_SERVER_MODE], uint8_t(1));
        QCOMPARE(modeRowsHidden(group), sequential);
        QCOMPARE(modeRowsHidden(1 - group), parallel);
        mode->setCurrentText(QStringLiteral("Параллельный"));
        QCOMPARE(modeRowsHidden(group), parallel);

        // A reload shows the rows of the stored mode; one no entry names leaves the combo
        // where it is, silent, and the rows follow the byte.
        for (const auto &reload : QList<QPair<uint8_t, QList<bool>>>{{1, sequential}, {0, parallel}, {7, sequential}}) {
            block[IFACE_SERVER_MODE] = reload.first;
            emit m_double->update_set_views();
            QCOMPARE(block[IFACE_SERVER_MODE], reload.first);
            QCOMPARE(modeRowsHidden(group), reload.second);
        }
    }

    void parityOffersDataBitsWithoutStoring()
    {
        build();
        QComboBox *bits = combo(rowWidget(m_sensors, 1, 1), DATA_BITS);
        QComboBox *parity = combo(rowWidget(m_sensors, 1, 2), PARITY);
        QCOMPARE(entries(bits), QStringList{"8 бит"});

        parity->setCurrentText(QStringLiteral("Even"));
        QCOMPARE(SettingsStorage.rs485[IFACE_PARITY], uint8_t(1));
        QCOMPARE(entries(bits), (QStringList{"7 бит", "8 бит"}));
        QCOMPARE(bits->currentText(), QStringLiteral("7 бит"));
        QCOMPARE(SettingsStorage.rs485[IFACE_DATA_BITS], uint8_t(0));

        parity->setCurrentText(QStringLiteral("Нет"));
        QCOMPARE(entries(bits), QStringList{"8 бит"});
        QCOMPARE(SettingsStorage.rs485[IFACE_DATA_BITS], uint8_t(0));
        // The RS-232 interface keeps its own entries.
        QCOMPARE(entries(combo(rowWidget(m_sensors, 0, 1), DATA_BITS)).size(), 1);
    }

    void dataBitsShowStoredValue()
    {
        // Odd parity with 8 data bits: the entries of a parity are there from the start.
        SettingsStorage.rs232[IFACE_PARITY] = 2;
        SettingsStorage.rs232[IFACE_DATA_BITS] = 1;
        SettingsStorage.rs485[IFACE_DATA_BITS] = 1;
        build();
        QComboBox *bits232 = combo(rowWidget(m_sensors, 0, 1), DATA_BITS);
        QCOMPARE(bits232->currentText(), QStringLiteral("8 бит"));

        // A refill reads the stored byte again instead of leaving the first entry shown.
        QComboBox *bits485 = combo(rowWidget(m_sensors, 1, 1), DATA_BITS);
        combo(rowWidget(m_sensors, 1, 2), PARITY)->setCurrentText(QStringLiteral("Odd"));
        QCOMPARE(bits485->currentText(), QStringLiteral("8 бит"));
        QCOMPARE(SettingsStorage.rs485[IFACE_DATA_BITS], uint8_t(1));

        // A reload that brings parity and data bits together shows both.
        for (uint8_t both : {0, 1}) {
            SettingsStorage.rs232[IFACE_PARITY] = SettingsStorage.rs232[IFACE_DATA_BITS] = both;
            emit m_double->update_set_views();
            QCOMPARE(entries(bits232), (both ? QStringList{"7 бит", "8 бит"} : QStringList{"8 бит"}));
            QCOMPARE(bits232->currentText(), QStringLiteral("8 бит"));
            QCOMPARE(SettingsStorage.rs232[IFACE_DATA_BITS], both);
        }
    }

    void removeZeroesSensorId()
    {
        const uint8_t id[SENSOR_ID_SIZE] = {0x28, 0xFF, 0x4B, 0x3C, 0x05, 0x00, 0x00, 0xD1};
        std::memcpy(SettingsStorage.sensorIds[2], id, sizeof id);
        SettingsStorage.sensorIds[3][0] = 0x77;
        build();
        QWidget *row = rowWidget(m_sensors, 5, 2);
        auto *edit = row->findChild<QLineEdit *>();
        QCOMPARE(edit->text(), QStringLiteral("D10000053C4BFF28"));
        QVERIFY(edit->isReadOnly());

        row->findChild<QPushButton *>()->click();
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(SettingsStorage.sensorIds[2]), SENSOR_ID_SIZE),
                 QByteArray(SENSOR_ID_SIZE, '\0'));
        QCOMPARE(edit->text(), QStringLiteral("0000000000000000"));
        QCOMPARE(SettingsStorage.sensorIds[3][0], uint8_t(0x77));
    }

    void phoneEntryStaysInsideItsField()
    {
        SettingsStorage.phones[0][PHONE_SIZE - 1] = 0xAB;
        SettingsStorage.phones[1][0] = 0xCD;
        build();
        auto *edit = rowWidget(m_security, 1, 0)->findChild<QLineEdit *>();
        m_window->show();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("79161234567890123456"));
        QCOMPARE(edit->text(), QStringLiteral("+79161234567"));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(SettingsStorage.phones[0]), PHONE_SIZE),
                 QByteArray("+79161234567\xAB"));
        QCOMPARE(SettingsStorage.phones[1][0], uint8_t(0xCD));
    }

private:
    void build()
    {
        const TViewsContext ctx{nullptr, nullptr, nullptr, m_connection, m_security, m_sensors,
                                new QObject(m_window.get()), new QWidget(m_window.get()), nullptr, m_double, nullptr,
                                nullptr};
        SettingsViews::build_connection_view(ctx);
        SettingsViews::build_security_view(ctx);
        SettingsViews::build_sensors_view(ctx);
    }

    QWidget *rowWidget(QTreeView *view, int group, int row) const
    {
        return view->indexWidget(view->model()->index(row, 0, view->model()->index(group, 0)));
    }
    // Whether the parallel-mode row and the two sequential-mode rows of an interface are hidden.
    QList<bool> modeRowsHidden(int group) const
    {
        const QModelIndex parent = m_sensors->model()->index(group, 0);
        return {m_sensors->isRowHidden(6, parent), m_sensors->isRowHidden(7, parent),
                m_sensors->isRowHidden(8, parent)};
    }

    std::unique_ptr<QWidget> m_window;
    WindowDouble *m_double = nullptr;
    QTreeView *m_connection = nullptr;
    QTreeView *m_security = nullptr;
    QTreeView *m_sensors = nullptr;
};

QTEST_MAIN(TestSettingsViews)
#include "test_settings_views.moc"
