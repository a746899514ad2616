#pragma once

#include "model/StateHistory.h"

#include <QColor>
#include <QHash>
#include <QVector>
#include <QWidget>
#include <QtCharts/QChartGlobal>

QT_CHARTS_BEGIN_NAMESPACE
class QChart;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;
QT_CHARTS_END_NAMESPACE

class QTimer;
class QTreeWidgetItem;

namespace Ui {
class PlotsPage;
}

// The "Графики" page: the numeric state values read in this session, plotted over the last
// minutes from the window's history; the chart moves once a second while the page is shown
// and not paused. While it is shown it may ask for every state group in turn
// (one a tick), so that every series fills, and hands polling back to the state tab after.
class PlotsPage : public QWidget
{
    Q_OBJECT

public:
    // The history is the window's: it records from the start, the page is made when first shown.
    explicit PlotsPage(StateHistory *history, QWidget *parent = nullptr);
    ~PlotsPage() override;

    const StateHistory &history() const { return *m_history; }
    // A state row's read ended and was recorded: the next group to ask for, while rotating.
    void takeRead(int row);
    // The history was emptied for another session.
    void startSession();
    // The series on the chart, in the list's order.
    QVector<int> plottedSeries() const;
    void setPlotted(int series, bool on);

signals:
    // The group the next state reads are to take; -1: the state tab's own.
    void pollGroupWanted(int group);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    struct TPlot {
        int series;
        QtCharts::QLineSeries *line;
        QtCharts::QValueAxis *axis;
    };

    void buildList();
    void onItemChanged(QTreeWidgetItem *item);
    void rebuildChart();
    void refresh();
    void setTitle(const QString &title);
    void setPaused(bool paused);
    void exportCsv();
    void stopRotation();
    bool rotating() const;
    qint64 viewEnd() const;
    qint64 viewSpan() const;
    void saveChoices() const;

    Ui::PlotsPage *ui;
    StateHistory *m_history;
    QtCharts::QChart *m_chart = nullptr;
    QtCharts::QDateTimeAxis *m_timeAxis = nullptr;
    QVector<TPlot> m_plots;
    QVector<QTreeWidgetItem *> m_items; // by series
    QHash<int, QColor> m_colors;        // by series, kept while it is plotted
    QTimer *m_refresh = nullptr;
    qint64 m_pausedAt = 0;
    bool m_shown = false;
    int m_wantedGroup = -1;
    QString m_title;
};
