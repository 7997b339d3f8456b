// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_MAINWINDOW_H
#define TESSIK_MAINWINDOW_H

#include <QMainWindow>
#include <QPoint>

class SettingsKeeper;
class Ui_MainWindow;

// The control panel window and the hub of the program: it owns the settings,
// the alert machinery and the tray icon, and the sensor loop calls back into
// it on every tick.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Ticks since the last alert; 0 while alerts may be raised.
    int alertHoldCount = 0;
    SettingsKeeper* settings = nullptr;
    // The panel's widgets, built on this window; the widgets belong to it.
    Ui_MainWindow* ui = nullptr;

    // Hold time between alerts, in seconds.
    int getAlertHoldWindow() const;
    // Fills the panel from the given SettingsSource.
    void loadControls(int source);
    // Raises the enabled alerts; a test alert is raised even with alerts off.
    void activateAlert(bool test);
    // Called by the sensor loop on every tick.
    void showSensorValues(unsigned int baseline, unsigned int raw, unsigned int filtered, int a,
                          int b);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void okFunction();
    void cancelFunction();
    void restoreDefaultsFunction();
    void saveSettings();
    void userChangeHandler(bool changedVal = true);
    void masterSwitchClick();
    void realtimeDataSlot(unsigned int baseline, unsigned int value, int a, int b);
    void togglePlotRun();

private:
    void connectPanel();
    void setupPlot();
    // Whether anyone can see the plot right now.
    bool plotIsSeen() const;

    // Cursor position at the last press or move, for dragging the frameless
    // window by its background.
    QPoint dragPosition;
};

#endif
