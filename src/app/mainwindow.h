// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_MAINWINDOW_H
#define TESSIK_MAINWINDOW_H

#include "panel/tickbacklog.h"

#include <QBasicTimer>
#include <QMainWindow>
#include <QPoint>
#include <QSystemTrayIcon>

class DesktopNotifier;
class SessionLock;
class WindowSwitch;
class QAction;
class QMenu;
class QSound;
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
    // The tray icon, its menu and the menu's entries are children of
    // this window.
    QAction* settingsAction = nullptr;
    QAction* quitAction = nullptr;
    QSystemTrayIcon* trayIcon = nullptr;
    QMenu* trayMenu = nullptr;
    // The alert picture as a frameless top-level window of its own; owned
    // here, since it has no parent to delete it.
    QWidget* popup = nullptr;
    // Runs while a popup alert is up; its expiry hides the popup.
    QBasicTimer popupTimer;
    // Made at the first chime that a sound server can play.
    QSound* alertSound = nullptr;

    // Hold time between alerts, in seconds.
    int getAlertHoldWindow() const;
    // Fills the panel from the given SettingsSource.
    void loadControls(int source);
    // Raises the enabled alerts; a test alert is raised even with alerts off.
    void activateAlert(bool test);
    // Brings the panel back: shown, raised and given the keyboard focus.
    void showPanel();
    // The same for a later start of the program, with the launch token the
    // desktop gave it (or none).
    void bringForward(const QByteArray& launchToken);
    // Hides the panel into the tray, or minimises it when there is no tray
    // to bring it back from; hides it where it cannot be minimised and
    // restored, for a later start to show it.
    void hidePanel();
    // Called by the sensor loop on every tick.
    void showSensorValues(unsigned int baseline, unsigned int raw, unsigned int filtered, int a,
                          int b);

public slots:
    // Greys the tray icon and says so in its tooltip while the sensor cannot
    // be read.
    void showSensorConnection(bool connected);

protected:
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void okFunction();
    void cancelFunction();
    void restoreDefaultsFunction();
    // Stores the panel's values; false, said on the status bar, when the
    // store refused them.
    bool saveSettings();
    void testActivateAlert();
    void setPopupOpacity(int value);
    void setPopupSize(int value);
    void setPopupLocation(int index);
    void showPopupSample();
    void showPopupAlert(bool overFullScreen);
    void endPopup();
    void iconActivated(QSystemTrayIcon::ActivationReason reason);
    void userChangeHandler(bool changedVal = true);
    void masterSwitchClick();
    void realtimeDataSlot(unsigned int baseline, unsigned int value, int a, int b);
    void togglePlotRun();

private:
    void connectPanel();
    void createTrayActions();
    void createTrayIcon();
    // Qt runs natively on Wayland, not through XWayland.
    static bool onWayland();
    void setupPopup();
    // A full-screen alert that no notification server took: the tray's
    // balloon, or the popup when there is no tray either.
    void alertWithoutNotificationServer();
    void showPopupForItsTime();
    void playChime();
    void setupPlot();
    // Whether anyone can see the plot right now.
    bool plotIsSeen() const;
    // Brings the read-outs and the plot up to date with the ticks nobody saw.
    void drawBacklog();

    // Carries full-screen alerts to the desktop's notification server.
    DesktopNotifier* notifier = nullptr;
    // Hides the user's windows and opens a file manager.
    WindowSwitch* windowSwitch = nullptr;
    // Tells whether an alert may show anything.
    SessionLock* sessionLock = nullptr;
    // Cursor position at the last press or move, for dragging the frameless
    // window by its background.
    QPoint dragPosition;
    // The live view's ticks while the plot cannot be seen.
    TickBacklog plotBacklog;
};

#endif
