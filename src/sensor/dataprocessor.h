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
// A sensor that is missing or stops answering is looked for about once a
// second until it is back.
class DataProcessor : public QObject
{
    Q_OBJECT

public:
    explicit DataProcessor(MainWindow* window);
    ~DataProcessor() override;

    // Shown for a tick that produced no reading.
    static constexpr int noReading = 9999;
    static constexpr int pollIntervalMs = 10;
    // Ticks from one look for a missing sensor to the next: about a second.
    static constexpr int ticksBetweenLooks = 1000 / pollIntervalMs;
    static constexpr int historySize = 600;
    static constexpr int histogramSize = 1024;
    // Readings recorded after start, or after the sensor is found again,
    // before any is tested.
    static constexpr unsigned int warmUpSamples = 20;

    // Set once the warm-up is over; cleared when a lost sensor is found again.
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
    // Readings recorded in the current warm-up.
    unsigned int warmUpCount = 0;
    // Ticks left until the next look for a missing sensor.
    int ticksUntilLook = 0;

    // Filters one reading, learns the baseline and raises an alert on motion;
    // returns the filtered value.
    int detectMotion(int raw);
    // Counts a filtered value into the histogram; returns the baseline.
    int trackBaseline(int filtered);

signals:
    // Whether the sensor can be read: sent at start and on every change.
    void sensorConnectionChanged(bool connected);

private slots:
    void pollUSB();

private:
    void startPolling();
    // Closes a sensor that could not be read and starts looking for it.
    void loseSensor();
    // Counts down a missing sensor's ticks and looks for it once a second.
    void lookForSensor();
    void announceSensor();
    void resetHistogram();
    void advanceAlertHold();
};

#endif
