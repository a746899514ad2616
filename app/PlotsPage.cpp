#include "app/PlotsPage.h"

#include "app/AppLog.h"
#include "app/UserPrompts.h"
#include "files/WriteFailure.h"
#include "ui_PlotsPage.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QSettings>
#include <QShowEvent>
#include <QTimer>
#include <QtCharts/QChart>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <iterator>

using namespace QtCharts;

namespace {

constexpr int REFRESH_MS = 1000;
constexpr int WINDOW_MINUTES[] = {1, 5, 15, 60};
constexpr int DEFAULT_WINDOW = 1;
constexpr int AXIS_TICKS = 5;
// Beyond two points per pixel a line only repaints the same pixels.
constexpr int POINTS_PER_PIXEL = 2;
const char KEY_SERIES[] = "plots/series";
const char KEY_WINDOW[] = "plots/windowMinutes";
const char KEY_READ_ALL[] = "plots/readAllGroups";
const QColor PALETTE[] = {{0x1F, 0x6F, 0xC5}, {0xD6, 0x3A, 0x2F}, {0x2E, 0x9D, 0x48}, {0xF0, 0x8C, 0x2E},
                          {0x86, 0x4F, 0xB8}, {0x8C, 0x56, 0x4B}, {0xD9, 0x4F, 0xA8}, {0x17, 0xA2, 0xB8},
                          {0x6B, 0x6B, 0x6B}, {0xA8, 0xA8, 0x1A}};

// The state group a parameter row belongs to, or -1.
int groupOfRow(int row)
{
    static const auto bounds = [] {
        std::array<std::pair<uint16_t, uint16_t>, 3> b{};
        for (int g = GROUP_SYSTEM; g <= GROUP_NETWORK; ++g)
            groupBounds(ParameterGroup(g), &b[size_t(g)].first, &b[size_t(g)].second);
        return b;
    }();
    for (int g = GROUP_SYSTEM; g <= GROUP_NETWORK; ++g) {
        if (row >= bounds[size_t(g)].first && row <= bounds[size_t(g)].second)
            return g;
    }
    return -1;
}

QIcon swatch(const QColor &color)
{
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.fillRect(QRect(1, 1, 10, 10), color);
    return QIcon(pixmap);
}

QString seriesTitle(const TStateSeries &s)
{
    return s.unit.isEmpty() ? s.name : QStringLiteral("%1, %2").arg(s.name, s.unit);
}

// Keeps the lowest and the highest point of each run that shares a pixel column.
QVector<QPointF> thinned(const QVector<QPointF> &points, int columns)
{
    if (columns <= 0 || points.size() <= columns * POINTS_PER_PIXEL)
        return points;
    const qreal first = points.first().x();
    const qreal width = (points.last().x() - first) / columns;
    if (width <= 0)
        return points;
    QVector<QPointF> out;
    out.reserve(columns * 2);
    int start = 0;
    while (start < points.size()) {
        const qreal limit = first + width * (std::floor((points.at(start).x() - first) / width) + 1);
        int low = start;
        int high = start;
        int end = start;
        for (; end < points.size() && points.at(end).x() < limit; ++end) {
            if (points.at(end).y() < points.at(low).y())
                low = end;
            if (points.at(end).y() > points.at(high).y())
                high = end;
        }
        end = std::max(end, start + 1);
        out.append(points.at(std::min(low, high)));
        if (low != high)
            out.append(points.at(std::max(low, high)));
        start = end;
    }
    return out;
}

// Decimals enough to tell the ticks of the axis apart.
QString labelFormat(const QValueAxis *axis)
{
    const double step = (axis->max() - axis->min()) / std::max(axis->tickCount() - 1, 1);
    const int decimals = step >= 1 || step <= 0 ? 0 : int(std::ceil(-std::log10(step) - 1e-9));
    return QStringLiteral("%.%1f").arg(std::min(decimals, 6));
}

} // namespace

PlotsPage::PlotsPage(StateHistory *history, QWidget *parent)
    : QWidget(parent), ui(new Ui::PlotsPage), m_history(history)
{
    ui->setupUi(this);
    ui->plotsSplitter->setStretchFactor(1, 1);
    ui->plotsSplitter->setSizes({310, 700});

    const QSettings settings;
    for (const int minutes : WINDOW_MINUTES)
        ui->windowCombo->addItem(tr("Последние %1 мин").arg(minutes), minutes);
    const int window = ui->windowCombo->findData(settings.value(QLatin1String(KEY_WINDOW), DEFAULT_WINDOW).toInt());
    ui->windowCombo->setCurrentIndex(std::max(window, 0));
    ui->readAllGroups->setChecked(settings.value(QLatin1String(KEY_READ_ALL), false).toBool());

    m_chart = new QChart;
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_chart->setLocalizeNumbers(true);
    // The list beside the chart is its legend: a legend under it cuts the names short.
    m_chart->legend()->hide();
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_chart->layout()->setContentsMargins(0, 0, 0, 0);
    m_chart->setBackgroundRoundness(0);
    m_timeAxis = new QDateTimeAxis;
    m_timeAxis->setTickCount(7);
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    // The view came with a chart of its own, which it gives up rather than deletes.
    QChart *unused = ui->chartView->chart();
    ui->chartView->setChart(m_chart);
    delete unused;
    ui->chartView->setRenderHint(QPainter::Antialiasing);

    m_refresh = new QTimer(this);
    m_refresh->setInterval(REFRESH_MS);
    connect(m_refresh, &QTimer::timeout, this, &PlotsPage::refresh);

    buildList();
    connect(ui->seriesTree, &QTreeWidget::itemChanged, this, &PlotsPage::onItemChanged);
    connect(ui->windowCombo, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] {
        saveChoices();
        refresh();
    });
    connect(ui->pauseButton, &QPushButton::toggled, this, &PlotsPage::setPaused);
    connect(ui->exportButton, &QPushButton::clicked, this, &PlotsPage::exportCsv);
    connect(ui->readAllGroups, &QCheckBox::toggled, this, [this](bool on) {
        QSettings().setValue(QLatin1String(KEY_READ_ALL), on);
        if (!on)
            stopRotation();
    });
    rebuildChart();
}

PlotsPage::~PlotsPage()
{
    delete ui;
}

void PlotsPage::buildList()
{
    // First use: the supply voltage and the internal temperature, what is asked for first.
    const QStringList chosen = QSettings()
                                   .value(QLatin1String(KEY_SERIES), QStringList{QStringLiteral("1252"), QStringLiteral("1250")})
                                   .toStringList();
    const QString groupNames[] = {tr("Основное"), tr("Входы/выходы"), tr("Сеть")};
    QTreeWidgetItem *groups[3] = {};
    QHash<QString, QTreeWidgetItem *> sections;
    const QSignalBlocker blocker(ui->seriesTree);
    for (int i = 0; i < m_history->seriesCount(); ++i) {
        const TStateSeries &s = m_history->series(i);
        QTreeWidgetItem *&group = groups[s.group];
        if (!group) {
            group = new QTreeWidgetItem(ui->seriesTree, {groupNames[s.group]});
            group->setFlags(Qt::ItemIsEnabled);
            group->setExpanded(true);
        }
        QTreeWidgetItem *parent = group;
        if (!s.section.isEmpty()) {
            QTreeWidgetItem *&section = sections[s.section];
            if (!section) {
                section = new QTreeWidgetItem(group, {s.section});
                section->setFlags(Qt::ItemIsEnabled);
            }
            parent = section;
        }
        auto *item = new QTreeWidgetItem(parent, {seriesTitle(s)});
        item->setToolTip(0, seriesTitle(s));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setData(0, Qt::UserRole, i);
        const bool on = chosen.contains(QString::number(parameterRow(s.row).id));
        item->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
        // A run of like values stays folded unless something in it is plotted.
        if (on)
            parent->setExpanded(true);
        m_items.append(item);
    }
}

void PlotsPage::onItemChanged(QTreeWidgetItem *item)
{
    if (!item->data(0, Qt::UserRole).isValid())
        return;
    saveChoices();
    rebuildChart();
}

QVector<int> PlotsPage::plottedSeries() const
{
    QVector<int> out;
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items.at(i)->checkState(0) == Qt::Checked && !m_items.at(i)->isHidden())
            out.append(i);
    }
    return out;
}

void PlotsPage::setPlotted(int series, bool on)
{
    if (series < 0 || series >= m_items.size())
        return;
    m_items.at(series)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
    if (on)
        m_items.at(series)->parent()->setExpanded(true);
}

void PlotsPage::saveChoices() const
{
    QStringList ids;
    for (const int series : plottedSeries())
        ids << QString::number(parameterRow(m_history->series(series).row).id);
    QSettings settings;
    settings.setValue(QLatin1String(KEY_SERIES), ids);
    settings.setValue(QLatin1String(KEY_WINDOW), ui->windowCombo->currentData());
}

void PlotsPage::rebuildChart()
{
    for (const TPlot &plot : qAsConst(m_plots)) {
        m_chart->removeSeries(plot.line);
        delete plot.line;
    }
    for (QAbstractAxis *axis : m_chart->axes(Qt::Vertical)) {
        m_chart->removeAxis(axis);
        delete axis;
    }
    m_plots.clear();

    const QVector<int> plotted = plottedSeries();
    for (auto it = m_colors.begin(); it != m_colors.end();)
        it = plotted.contains(it.key()) ? std::next(it) : m_colors.erase(it);
    // One value axis per unit, on alternate sides; a bare number gets an axis of its own.
    QHash<QString, QValueAxis *> axes;
    QHash<QValueAxis *, int> linesOnAxis;
    for (const int series : plotted) {
        const TStateSeries &s = m_history->series(series);
        if (!m_colors.contains(series)) {
            const QList<QColor> used = m_colors.values();
            const auto free = std::find_if(std::begin(PALETTE), std::end(PALETTE),
                                           [&](const QColor &c) { return !used.contains(c); });
            m_colors.insert(series, free != std::end(PALETTE) ? *free : PALETTE[series % std::size(PALETTE)]);
        }
        const QColor color = m_colors.value(series);
        const QString key = s.unit.isEmpty() ? s.name : s.unit;
        QValueAxis *&axis = axes[key];
        if (!axis) {
            axis = new QValueAxis;
            axis->setTitleText(key);
            axis->setTickCount(AXIS_TICKS);
            // The grids of several axes would cross each other; the first one's is enough.
            axis->setGridLineVisible(axes.size() == 1);
            m_chart->addAxis(axis, axes.size() % 2 == 1 ? Qt::AlignLeft : Qt::AlignRight);
        }
        auto *line = new QLineSeries;
        line->setName(seriesTitle(s));
        QPen pen(color);
        pen.setWidthF(1.6);
        line->setPen(pen);
        m_chart->addSeries(line);
        line->attachAxis(m_timeAxis);
        line->attachAxis(axis);
        // An axis of one line takes its colour, so that it reads which line it measures.
        if (++linesOnAxis[axis] == 1) {
            axis->setLabelsColor(color);
            axis->setTitleBrush(color);
        } else {
            axis->setLabelsColor(palette().color(QPalette::WindowText));
            axis->setTitleBrush(palette().color(QPalette::WindowText));
        }
        m_plots.append({series, line, axis});
    }
    // A new icon is an item change too; it must not come back here.
    const QSignalBlocker blocker(ui->seriesTree);
    for (int i = 0; i < m_items.size(); ++i)
        m_items.at(i)->setIcon(0, m_colors.contains(i) ? swatch(m_colors.value(i)) : QIcon());
    ui->exportButton->setEnabled(!m_plots.isEmpty());
    refresh();
}

qint64 PlotsPage::viewEnd() const
{
    return m_pausedAt ? m_pausedAt : QDateTime::currentMSecsSinceEpoch();
}

qint64 PlotsPage::viewSpan() const
{
    return qint64(ui->windowCombo->currentData().toInt()) * 60 * 1000;
}

void PlotsPage::refresh()
{
    const qint64 end = viewEnd();
    const qint64 start = end - viewSpan();
    m_timeAxis->setFormat(viewSpan() <= 5 * 60 * 1000 ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm"));
    m_timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(start), QDateTime::fromMSecsSinceEpoch(end));

    const int columns = int(m_chart->plotArea().width());
    QHash<QValueAxis *, std::pair<double, double>> ranges;
    bool anyPoint = false;
    for (const TPlot &plot : qAsConst(m_plots)) {
        const std::deque<TStatePoint> &points = m_history->points(plot.series);
        auto at = std::lower_bound(points.begin(), points.end(), start,
                                   [](const TStatePoint &p, qint64 ms) { return p.ms < ms; });
        QVector<QPointF> shown;
        shown.reserve(int(points.end() - at));
        for (; at != points.end() && at->ms <= end; ++at)
            shown.append(QPointF(qreal(at->ms), at->value));
        shown = thinned(shown, columns);
        plot.line->replace(shown);
        if (shown.isEmpty())
            continue;
        anyPoint = true;
        const auto [low, high] = std::minmax_element(shown.begin(), shown.end(),
                                                     [](const QPointF &a, const QPointF &b) { return a.y() < b.y(); });
        auto range = ranges.find(plot.axis);
        if (range == ranges.end())
            ranges.insert(plot.axis, {low->y(), high->y()});
        else
            *range = {std::min(range->first, low->y()), std::max(range->second, high->y())};
    }
    for (const TPlot &plot : qAsConst(m_plots)) {
        auto [low, high] = ranges.value(plot.axis, {0.0, 1.0});
        const double pad = high > low ? (high - low) * 0.05 : std::max(std::fabs(high) * 0.05, 1.0);
        plot.axis->setRange(low - pad, high + pad);
        plot.axis->applyNiceNumbers();
        plot.axis->setLabelFormat(labelFormat(plot.axis));
    }

    if (m_plots.isEmpty())
        setTitle(tr("Отметьте в списке величины, которые нужно показать"));
    else if (!anyPoint)
        setTitle(tr("За этот промежуток значения не считывались"));
    else
        setTitle(QString());
}

void PlotsPage::setTitle(const QString &title)
{
    // A new title lays the chart out anew: only when it changes.
    if (title == m_title)
        return;
    m_title = title;
    m_chart->setTitle(title);
}

void PlotsPage::setPaused(bool paused)
{
    m_pausedAt = paused ? QDateTime::currentMSecsSinceEpoch() : 0;
    if (paused)
        m_refresh->stop();
    else if (m_shown)
        m_refresh->start();
    refresh();
}

void PlotsPage::takeRead(int row)
{
    if (!rotating())
        return;
    const int group = groupOfRow(row);
    if (group < 0)
        return;
    const int next = (group + 1) % (GROUP_NETWORK + 1);
    if (next != m_wantedGroup) {
        m_wantedGroup = next;
        emit pollGroupWanted(next);
    }
}

void PlotsPage::startSession()
{
    refresh();
}

bool PlotsPage::rotating() const
{
    return m_shown && ui->readAllGroups->isChecked();
}

void PlotsPage::stopRotation()
{
    if (m_wantedGroup < 0)
        return;
    m_wantedGroup = -1;
    emit pollGroupWanted(-1);
}

void PlotsPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    m_shown = true;
    const TDeviceCapabilities counts = boundedCapabilities();
    bool changed = false;
    for (int i = 0; i < m_items.size(); ++i) {
        const bool hidden = !m_history->isShownWith(i, counts);
        changed = changed || hidden != m_items.at(i)->isHidden();
        m_items.at(i)->setHidden(hidden);
    }
    if (changed)
        rebuildChart();
    else
        refresh();
    if (!m_pausedAt)
        m_refresh->start();
}

void PlotsPage::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return;
    m_shown = false;
    m_refresh->stop();
    stopRotation();
}

void PlotsPage::exportCsv()
{
    const QVector<int> series = plottedSeries();
    if (series.isEmpty())
        return;
    const qint64 end = viewEnd();
    const QByteArray csv = m_history->toCsv(series, end - viewSpan(), end);
    QString path = UserPrompts::getSaveFileName(this, tr("Экспорт графиков"), tr("Файлы CSV (*.csv)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size() || !file.commit()) {
        const QString reason = writeFailureReason(file, errno);
        qCWarning(lcApp) << "Cannot write the plots to" << path << reason;
        UserPrompts::critical(this, tr("Ошибка"),
                              QStringLiteral("%1\n%2: %3")
                                  .arg(tr("Не удается сохранить файл"), QDir::toNativeSeparators(path), reason));
    }
}
