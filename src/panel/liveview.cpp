// SPDX-License-Identifier: GPL-3.0-or-later
// The live signal view on the Advanced tab: two read-outs and a scrolling
// plot of the filtered signal mirrored about the learned baseline.
#include "panel/liveview.h"

#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <qcustomplot.h>

namespace liveview {
double plotKey = 0.0;
double lastPointKey = 0.0;
bool plotRunning = true;
QCPItemLine* upperTriggerLine = nullptr;
QCPItemLine* lowerTriggerLine = nullptr;
} // namespace liveview

using namespace liveview;

void MainWindow::setupPlot()
{
    QCustomPlot* plot = ui->customPlot;
    plot->addGraph();
    plot->graph(0)->setPen(QPen(Qt::blue));
    plot->graph(0)->setBrush(QBrush(QColor(152, 156, 220, 255)));
    plot->graph(0)->setAntialiasedFill(false);
    plot->addGraph();
    plot->graph(1)->setPen(QPen(Qt::blue));
    plot->graph(0)->setChannelFillGraph(plot->graph(1));

    plot->setBackground(QBrush(Qt::gray));
    plot->axisRect()->setupFullAxesBox(false);
    plot->yAxis->setRange(0, 1023);
    plot->xAxis->setTickLabels(false);

    // Items register with the plot, which owns them.
    upperTriggerLine = new QCPItemLine(plot);
    upperTriggerLine->setPen(QPen(Qt::black));
    lowerTriggerLine = new QCPItemLine(plot);
    lowerTriggerLine->setPen(QPen(Qt::black));

    // The plot is kept up to date only while someone can see it; catch the
    // moment it becomes visible again.
    plot->installEventFilter(this);
}

namespace {

// Drops the points that scrolled out of view, moves the x axis to end at
// plotKey and draws the trigger band about the baseline.
void scrollToPlotKey(QCustomPlot* plot, double base, int triggerPosition)
{
    // Only the visible window is ever drawn; older points would only pile up
    // while the program runs for weeks.
    plot->graph(0)->data()->removeBefore(plotKey - visibleKeys);
    plot->graph(1)->data()->removeBefore(plotKey - visibleKeys);

    plot->xAxis->setRange(plotKey - visibleKeys, visibleKeys, Qt::AlignLeft);

    const double h = triggerBandHalfHeight(base, triggerPosition);
    upperTriggerLine->start->setCoords(plotKey - visibleKeys, base + h);
    upperTriggerLine->end->setCoords(plotKey, base + h);
    lowerTriggerLine->start->setCoords(plotKey - visibleKeys, base - h);
    lowerTriggerLine->end->setCoords(plotKey, base - h);
}

} // namespace

void MainWindow::showSensorValues(unsigned int baseline, unsigned int raw, unsigned int filtered,
                                  int a, int b)
{
    // The read-outs and the plot share the Advanced tab. While nobody can see
    // them a tick only keeps its values, for drawBacklog to catch up with.
    if (!plotIsSeen()) {
        plotKey += 1.0;
        lastPointKey = plotKey;
        plotBacklog.record(baseline, raw, filtered, ui->TrigLevelSlider->value());
        return;
    }
    drawBacklog();
    ui->USBoutraw->display(static_cast<int>(raw));
    ui->FilterOut->display(static_cast<int>(filtered));
    realtimeDataSlot(baseline, filtered, a, b);
}

void MainWindow::realtimeDataSlot(unsigned int baseline, unsigned int value, int, int)
{
    QCustomPlot* plot = ui->customPlot;
    const double base = baseline;
    const double sample = value;

    plotKey += 1.0;
    plot->graph(0)->addData(plotKey, sample);
    plot->graph(1)->addData(plotKey, 2.0 * base - sample);
    lastPointKey = plotKey;
    scrollToPlotKey(plot, base, ui->TrigLevelSlider->value());

    if (plotRunning && plotIsSeen())
        plot->replot(QCustomPlot::rpRefreshHint);
}

// Leaves the read-outs and the plot as the unseen ticks would have left them
// one by one. Drawing is left to the caller, as a paused plot is not redrawn.
void MainWindow::drawBacklog()
{
    const int count = plotBacklog.size();
    if (count == 0)
        return;
    QCustomPlot* plot = ui->customPlot;
    QVector<double> keys(count);
    QVector<double> samples(count);
    QVector<double> mirrored(count);
    for (int i = 0; i < count; ++i) {
        const TickBacklog::Point& point = plotBacklog.at(i);
        keys[i] = plotKey - (count - 1 - i);
        samples[i] = point.value;
        mirrored[i] = 2.0 * point.baseline - samples[i];
    }
    plot->graph(0)->addData(keys, samples, true);
    plot->graph(1)->addData(keys, mirrored, true);

    const TickBacklog::Latest& latest = plotBacklog.latest();
    scrollToPlotKey(plot, latest.baseline, latest.triggerPosition);
    ui->USBoutraw->display(static_cast<int>(latest.raw));
    ui->FilterOut->display(static_cast<int>(latest.filtered));
    plotBacklog.clear();
}

void MainWindow::togglePlotRun()
{
    plotRunning = !plotRunning;
}

bool MainWindow::plotIsSeen() const
{
    return ui->customPlot->isVisible() && !isMinimized();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->customPlot && event->type() == QEvent::Show) {
        drawBacklog();
        if (plotRunning)
            ui->customPlot->replot(QCustomPlot::rpQueuedReplot);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange && plotIsSeen()) {
        drawBacklog();
        if (plotRunning)
            ui->customPlot->replot(QCustomPlot::rpQueuedReplot);
    }
    QMainWindow::changeEvent(event);
}
