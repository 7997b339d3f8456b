// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_DATAPROCESSOR_H
#define TESSIK_DATAPROCESSOR_H

#include <QObject>

class KalmanFilter;
class MainWindow;
class QTimer;
class SensorLink;

// Owns the sensor link and the 10 ms poll loop that drives the whole program:
// every tick reads at most one sample, runs the motion detector on it, hands
// the values to the main window and advances the window's alert hold counter.
class DataProcessor : public QObject
{
    Q_OBJECT

public:
    explicit DataProcessor(MainWindow* window);
    ~DataProcessor() override;

    // Shown for a tick that produced no reading.
    static constexpr int noReading = 9999;
    static constexpr int pollIntervalMs = 10;
    static constexpr int historySize = 600;
    static constexpr int histogramSize = 1024;
    // Readings recorded after start before any is tested.
    static constexpr unsigned int warmUpSamples = 20;

    // Set once the warm-up is over, for the rest of the process.
    static int warmedUp;

    int rawValue = noReading;
    SensorLink* link = nullptr;
    MainWindow* mainWindow = nullptr;
    QTimer* pollTimer = nullptr;

    int history[historySize];
    unsigned int historyPos = 0;
    KalmanFilter* filter = nullptr;
    unsigned int histogram[histogramSize];
    int baseline = 511;
    unsigned int baselineCount = 0;

    // Filters one reading, learns the baseline and raises an alert on motion;
    // returns the filtered value.
    int detectMotion(int raw);
    // Counts a filtered value into the histogram; returns the baseline.
    int trackBaseline(int filtered);

private slots:
    void pollUSB();

private:
    void startPolling();
    void resetHistogram();
    void advanceAlertHold();
};

#endif
