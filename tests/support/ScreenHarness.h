#pragma once

// One of the app's screens in a real window, the way the view tests drive it: the app's shared
// objects on the aircraft SDK double (or on the simulated aircraft, flying on a clock only the
// test moves), a screen loaded by its URL into a QQuickView, a finger or a mouse to reach its
// items, and its frames and pixels.
#include "FakeDJISDK.h"
#include "QuickItems.h"
#include "SimClock.h"
#include "ZeltrinPilotApp.h"

#include <QImage>
#include <QPointingDevice>
#include <QQuickView>
#include <QSize>
#include <QTest>
#include <QUrl>

#include <functional>
#include <memory>

class SimulatedDJISDK;

class ScreenHarness
{
public:
    // The aircraft behind the drone link.
    enum class Aircraft {
        fake,      // FakeDJISDK: the test calls its callbacks
        simulated, // SimulatedDJISDK, flying on clock()
    };
    // Leaves the app to a later launch(), for tests whose dependencies are not ready yet.
    struct NoAppYet {};

    static constexpr QSize kPhone{390, 844};

    explicit ScreenHarness(Aircraft aircraft = Aircraft::fake);
    // The test's own dependencies (a store, a keychain, an account client); the SDK, unless
    // given, is made for `aircraft`.
    explicit ScreenHarness(ZeltrinPilotApp::Dependencies deps, Aircraft aircraft = Aircraft::fake);
    explicit ScreenHarness(NoAppYet) {}
    virtual ~ScreenHarness();
    ScreenHarness(const ScreenHarness &) = delete;
    ScreenHarness &operator=(const ScreenHarness &) = delete;

    // Closes the window, drops the app and builds a new one: a new run, as far as it can tell.
    void launch(ZeltrinPilotApp::Dependencies deps = {}, Aircraft aircraft = Aircraft::fake);
    // Closes the window, then drops the app.
    void shutdown();

    ZeltrinPilotApp *app() const { return m_app.get(); }
    DJIDroneManager *drone() const { return m_app->droneManager(); }
    FakeDJISDK *fakeSdk() const;        // null unless the app runs on the double
    SimulatedDJISDK *simulator() const; // null unless it runs on the simulated aircraft
    ManualClock &clock() { return m_clock; }

    // Loads the screen at `url` (qrc or file) into a new window of `size`, the old window closed
    // first. The window is not shown yet, so a test can set the screen up before its first
    // frame. False, with the QML errors logged, when the screen does not load.
    bool load(const QUrl &url, QSize size = kPhone);
    void show() { m_view->show(); }
    bool waitExposed();
    // load(), show() and waitExposed().
    bool open(const QUrl &url, QSize size = kPhone);
    // The screens go while their window and its renderer still exist, so their scene-graph
    // nodes are released with them.
    void closeWindow();

    QQuickView *view() const { return m_view.get(); }
    QQuickItem *root() const { return m_view->rootObject(); }
    // The screen's C++ model, held in the root's `property`.
    template<class T>
    T *model(const char *property = "model") const
    {
        return root() ? root()->property(property).template value<T *>() : nullptr;
    }

    // Items under `under` (the window's content, overlay included, by default).
    // By objectName, shown or not:
    QQuickItem *find(const QString &name, QQuickItem *under = nullptr) const;
    // A shown item whose objectName, Accessible.name or text is `name`:
    QQuickItem *findShown(const QString &name, QQuickItem *under = nullptr) const;
    // A visible item whose `property` reads `value`:
    QQuickItem *findByProperty(const char *property, const QString &value, QQuickItem *under = nullptr) const;
    QQuickItem *findWhere(const std::function<bool(QQuickItem *)> &match, QQuickItem *under = nullptr) const;

    // One touch screen for the process: Qt keeps every registered device until exit.
    static QPointingDevice *touchscreen();
    // A finger (touch) or the mouse's left button, at window points.
    void press(QPoint p, bool touch = true);
    void move(QPoint p, bool touch = true);
    void release(QPoint p, bool touch = true);
    // Press, `holdMs` still, release, then `afterMs` for what the tap sets off.
    void tap(QPoint p, bool touch = true, int holdMs = 0, int afterMs = 20);
    void tap(QQuickItem *item, bool touch = true, int holdMs = 0, int afterMs = 20);
    struct Stroke {
        int steps = 12;  // moves between the press and the release
        int stepMs = 10; // before each move; it gives the stroke a speed to flick with
        int holdMs = 0;  // held still at the end, so nothing flings on
        int afterMs = 20;
        std::function<void()> whileHeld; // just before the release
    };
    void drag(QPoint from, QPoint to, bool touch, const Stroke &how);
    void drag(QPoint from, QPoint to, bool touch = true);

    // Waits for a frame drawn after now: everything pending is polished and painted.
    bool waitForFrame(int timeoutMs = 5000);
    QImage grab() { return m_view->grabWindow(); }

    // The simulated aircraft: connects it, and flies on for `seconds` of its time.
    bool connectAircraft();
    void fly(double seconds);

private:
    ManualClock m_clock; // outlives the simulated aircraft that reads it
    std::unique_ptr<ZeltrinPilotApp> m_app;
    std::unique_ptr<QQuickView> m_view;
};
