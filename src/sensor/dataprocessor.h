// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_DATAPROCESSOR_H
#define TESSIK_DATAPROCESSOR_H

#include <QObject>

#include <string>

class KalmanFilter;
class MainWindow;
class QTimer;
class SensorLink;
class SensorLook;

// Owns the sensor link and the 10 ms poll loop that drives the whole program:
// every tick reads at most one sample, runs the motion detector on it, hands
// the values to the main window and advances the window's alert hold counter.
// The sensor is opened off the poll timer's thread, at start and, when it is
// missing or stops answering, about once a second until it is back; one that
// opens but gives no reading is tried again after 1, 2, 4 ... up to 30 s.
class DataProcessor : public QObject
{
    Q_OBJECT

public:
    explicit DataProcessor(MainWindow* window);
    // Closes the sensor unless closeSensor did.
    ~DataProcessor() override;

    // Stops polling and closes the sensor and then the library, once. A look
    // still running is waited for lookWaitAtEndMs at most; returns false when
    // it does not end in time. It is then left running inside the library,
    // which stays open, and the process must end without running static
    // destructors.
    bool closeSensor();

    // Shown for a tick that produced no reading.
    static constexpr int noReading = 9999;
    static constexpr int pollIntervalMs = 10;
    // Ticks from one look for a missing sensor to the next: about a second.
    static constexpr int ticksBetweenLooks = 1000 / pollIntervalMs;
    // The longest wait, in looks, before a sensor that keeps failing is
    // opened again.
    static constexpr int longestRetryLooks = 30;
    static constexpr int historySize = 600;
    static constexpr int histogramSize = 1024;
    // Readings recorded after start, or after the sensor is found again,
    // before any is tested.
    static constexpr unsigned int warmUpSamples = 20;
    // A look takes milliseconds unless the sensor hangs in it.
    static constexpr int lookWaitAtEndMs = 300;

    // Set once the warm-up is over; cleared when a lost sensor is found again.
    static int warmedUp;

    int rawValue = noReading;
    SensorLink* link = nullptr;
    // The look for the sensor, running or over but not yet taken; left
    // undeleted by closeSensor when it hangs.
    SensorLook* look = nullptr;
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
    // Set by the first good reading after an open, cleared when it is lost.
    bool connected = false;
    // The node of the open sensor, and of one that keeps failing with the
    // attempts in a row that failed there and the looks left until the next.
    std::string openNode;
    std::string failingNode;
    int failedAttempts = 0;
    int looksUntilRetry = 0;
    // Set by closeSensor, the second when it left a look running.
    bool closed = false;
    bool lookLeftBehind = false;

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
    // The first look, which lists every device and opens the sensor.
    void startFirstLook();
    void startPolling();
    // Closes a sensor that could not be read and starts looking for it.
    void loseSensor();
    // Counts a failed attempt on the open node and waits longer for the next.
    void backOff();
    // Counts down a missing sensor's ticks and starts a look once a second.
    void lookForSensor();
    // Takes a look's outcome, and the handle of a sensor it opened.
    void takeLook();
    // A good reading, or a replug: the next attempt comes at once.
    void forgetFailures();
    void announceSensor();
    void resetHistogram();
    void advanceAlertHold();
};

#endif
