// The history the plots draw from: what it keeps of each read, for how long, and its CSV.

#include "model/StateHistory.h"

#include <QtEndian>
#include <QtTest>
#include <cmath>
#include <cstring>

namespace {

int rowOf(uint16_t id) { return parameterRowOfId(id); }

void storeFloat(uint16_t id, float value)
{
    quint32 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    qToLittleEndian(bits, parameterRow(rowOf(id)).value);
}

void storeU32(uint16_t id, quint32 value) { qToLittleEndian(value, parameterRow(rowOf(id)).value); }

QVector<double> valuesOf(const StateHistory &h, uint16_t id)
{
    QVector<double> out;
    for (const TStatePoint &p : h.points(h.seriesOfRow(rowOf(id))))
        out.append(p.value);
    return out;
}

constexpr uint16_t UPTIME = 9, ONE_WIRE_4 = 1184, INTERNAL_T = 1250, SUPPLY = 1252, IMEI = 5, INPUT_1 = 1041;

} // namespace

class TestStateHistory : public QObject
{
    Q_OBJECT
private slots:
    void keepsTheValuesReadInOrderForItsSpan()
    {
        StateHistory h(10'000);
        const float volts[] = {12.4f, 12.55f, 0.0f, 4e9f, 12.25f};
        QVector<double> expected;
        for (int i = 0; i < 5; ++i) {
            storeFloat(SUPPLY, volts[i]);
            storeU32(UPTIME, 4'000'000'000u + quint32(i));
            QVERIFY(h.record(rowOf(UPTIME), 1000 * i));
            QVERIFY(h.record(rowOf(SUPPLY), 1000 * i + 3));
            expected.append(double(volts[i]));
        }
        QCOMPARE(valuesOf(h, SUPPLY), expected);
        QCOMPARE(valuesOf(h, UPTIME).last(), 4'000'000'004.0);
        // Rows of one read share its time; the next read starts anew.
        QCOMPARE(h.points(h.seriesOfRow(rowOf(SUPPLY))).at(1).ms, 1000);

        // Older than the span: dropped as newer reads come, in every series.
        QVERIFY(h.record(rowOf(SUPPLY), 12'500));
        QCOMPARE(h.points(h.seriesOfRow(rowOf(SUPPLY))).front().ms, 3000);
        QCOMPARE(h.points(h.seriesOfRow(rowOf(UPTIME))).size(), size_t(2));

        // Reads faster than expected still keep at most maxPoints.
        for (int i = 0; i < 3 * h.maxPoints(); ++i)
            h.record(rowOf(SUPPLY), 13'000 + i);
        QCOMPARE(int(h.points(h.seriesOfRow(rowOf(SUPPLY))).size()), h.maxPoints());

        // The clock set back: points now in the future go.
        QVERIFY(h.record(rowOf(UPTIME), 5000));
        QCOMPARE(h.points(h.seriesOfRow(rowOf(SUPPLY))).size(), size_t(0));
        QCOMPARE(h.points(h.seriesOfRow(rowOf(UPTIME))).back().ms, 5000);
    }

    void recordsOnlyPlottableValues_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<float>("value");
        QTest::addColumn<bool>("recorded");
        QTest::newRow("1-Wire without sensor") << int(ONE_WIRE_4) << -150.0f << false;
        QTest::newRow("1-Wire without sensor, rounded") << int(ONE_WIRE_4) << -149.95f << false;
        QTest::newRow("1-Wire at -149.8") << int(ONE_WIRE_4) << -149.8f << true;
        QTest::newRow("internal at -150") << int(INTERNAL_T) << -150.0f << true;
        QTest::newRow("not a number") << int(SUPPLY) << std::nanf("") << false;
        QTest::newRow("infinite") << int(SUPPLY) << INFINITY << false;
        QTest::newRow("text") << int(IMEI) << 0.0f << false;
        QTest::newRow("on/off") << int(INPUT_1) << 0.0f << false;
    }

    void recordsOnlyPlottableValues()
    {
        QFETCH(int, id);
        QFETCH(float, value);
        QFETCH(bool, recorded);
        StateHistory h;
        if (parameterRow(rowOf(uint16_t(id))).type == PARAM_FLOAT)
            storeFloat(uint16_t(id), value);
        QCOMPARE(h.record(rowOf(uint16_t(id)), 1000), recorded);
        const int series = h.seriesOfRow(rowOf(uint16_t(id)));
        QCOMPARE(series >= 0 ? int(h.points(series).size()) : 0, recorded ? 1 : 0);
    }

    void csvHoldsTheSeriesTimesAndValues()
    {
        StateHistory h;
        const int supply = h.seriesOfRow(rowOf(SUPPLY)), uptime = h.seriesOfRow(rowOf(UPTIME));
        const qint64 t0 = 1'700'000'000'000;
        const float volts[] = {12.1f, 12.2f, 12.3f, 12.4f};
        for (int i = 0; i < 4; ++i) {
            storeFloat(SUPPLY, volts[i]);
            h.record(rowOf(SUPPLY), t0 + 1000 * i);
            // Another group, read on the next ticks only.
            storeU32(UPTIME, quint32(100 + i));
            if (i >= 2)
                h.record(rowOf(UPTIME), t0 + 1000 * i + 300);
        }
        const QList<QByteArray> lines = h.toCsv({supply, uptime}, t0 + 1000, t0 + 3600).split('\n');
        QCOMPARE(QString::fromUtf8(lines.at(0).trimmed()),
                 QString("Время,\"Напряжение питания, В\",\"Время с перезагрузки, сек.\""));
        QStringList rows;
        for (const QByteArray &line : lines.mid(1, lines.size() - 2)) {
            const QList<QByteArray> cells = line.trimmed().split(',');
            QCOMPARE(cells.size(), 3);
            const qint64 ms = QDateTime::fromString(QString::fromLatin1(cells.at(0)), Qt::ISODateWithMs).toMSecsSinceEpoch();
            rows << QString("%1 %2 %3").arg(ms - t0).arg(QString(cells.at(1)), QString(cells.at(2)));
        }
        QCOMPARE(rows, QStringList({"1000 12.2 ", "2000 12.3 ", "2300  102", "3000 12.4 ", "3300  103"}));
        QVERIFY(lines.last().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestStateHistory)
#include "tst_state_history.moc"
