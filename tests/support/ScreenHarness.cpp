#include "ScreenHarness.h"

#include "QmlSetup.h"
#include "SimulatedDJISDK.h"

#include <QCoreApplication>
#include <QQmlEngine>
#include <QTest>

#include <atomic>
#include <cmath>

ScreenHarness::ScreenHarness(Aircraft aircraft)
{
    launch({}, aircraft);
}

ScreenHarness::ScreenHarness(ZeltrinPilotApp::Dependencies deps, Aircraft aircraft)
{
    launch(std::move(deps), aircraft);
}

ScreenHarness::~ScreenHarness()
{
    shutdown();
}

void ScreenHarness::launch(ZeltrinPilotApp::Dependencies deps, Aircraft aircraft)
{
    shutdown();
    if (!deps.sdk) {
        if (aircraft == Aircraft::simulated)
            deps.sdk = std::make_unique<SimulatedDJISDK>(1, nullptr, &m_clock);
        else
            deps.sdk = std::make_unique<FakeDJISDK>();
    }
    m_app = std::make_unique<ZeltrinPilotApp>(std::move(deps));
    m_app->droneManager()->setLogSink([](const QString &) {});
}

void ScreenHarness::shutdown()
{
    closeWindow();
    m_app.reset();
}

FakeDJISDK *ScreenHarness::fakeSdk() const
{
    return m_app ? dynamic_cast<FakeDJISDK *>(m_app->sdk()) : nullptr;
}

SimulatedDJISDK *ScreenHarness::simulator() const
{
    return m_app ? dynamic_cast<SimulatedDJISDK *>(m_app->sdk()) : nullptr;
}

bool ScreenHarness::load(const QUrl &url, QSize size)
{
    closeWindow();
    m_view = std::make_unique<QQuickView>();
    zeltrin::setupEngine(*m_view->engine());
    m_app->attachTo(*m_view->engine());
    m_view->setResizeMode(QQuickView::SizeRootObjectToView);
    m_view->resize(size);
    m_view->setSource(url);
    if (m_view->status() != QQuickView::Ready) {
        for (const auto &e : m_view->errors())
            qWarning() << e.toString();
        return false;
    }
    return true;
}

bool ScreenHarness::waitExposed()
{
    return QTest::qWaitForWindowExposed(m_view.get());
}

bool ScreenHarness::open(const QUrl &url, QSize size)
{
    if (!load(url, size))
        return false;
    show();
    return waitExposed();
}

void ScreenHarness::closeWindow()
{
    if (!m_view)
        return;
    m_view->setSource(QUrl());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    m_view.reset();
}

QQuickItem *ScreenHarness::findWhere(const std::function<bool(QQuickItem *)> &match, QQuickItem *under) const
{
    return findItemWhere(under ? under : m_view->contentItem(), match);
}

QQuickItem *ScreenHarness::find(const QString &name, QQuickItem *under) const
{
    return findItem(under ? under : m_view->contentItem(), name);
}

QQuickItem *ScreenHarness::findShown(const QString &name, QQuickItem *under) const
{
    return findWhere(
        [&](QQuickItem *i) {
            return isShown(i)
                && (i->objectName() == name || i->property("text").toString() == name || accessibleName(i) == name);
        },
        under);
}

QQuickItem *ScreenHarness::findByProperty(const char *property, const QString &value, QQuickItem *under) const
{
    return findWhere([&](QQuickItem *i) { return i->isVisible() && i->property(property).toString() == value; }, under);
}

QPointingDevice *ScreenHarness::touchscreen()
{
    static QPointingDevice *const dev = QTest::createTouchDevice();
    return dev;
}

void ScreenHarness::press(QPoint p, bool touch)
{
    if (touch)
        QTest::touchEvent(m_view.get(), touchscreen()).press(0, p, m_view.get());
    else
        QTest::mousePress(m_view.get(), Qt::LeftButton, {}, p);
}

void ScreenHarness::move(QPoint p, bool touch)
{
    if (touch)
        QTest::touchEvent(m_view.get(), touchscreen()).move(0, p, m_view.get());
    else
        QTest::mouseMove(m_view.get(), p);
}

void ScreenHarness::release(QPoint p, bool touch)
{
    if (touch)
        QTest::touchEvent(m_view.get(), touchscreen()).release(0, p, m_view.get());
    else
        QTest::mouseRelease(m_view.get(), Qt::LeftButton, {}, p);
}

void ScreenHarness::tap(QPoint p, bool touch, int holdMs, int afterMs)
{
    press(p, touch);
    if (holdMs > 0)
        QTest::qWait(holdMs);
    release(p, touch);
    if (afterMs > 0)
        QTest::qWait(afterMs);
}

void ScreenHarness::tap(QQuickItem *item, bool touch, int holdMs, int afterMs)
{
    if (!item) {
        QTest::qFail("tap: no item to tap", __FILE__, __LINE__);
        return;
    }
    tap(centreOf(item), touch, holdMs, afterMs);
}

void ScreenHarness::drag(QPoint from, QPoint to, bool touch, const Stroke &how)
{
    press(from, touch);
    for (int i = 1; i <= how.steps; ++i) {
        if (how.stepMs > 0)
            QTest::qWait(how.stepMs);
        move(from + (to - from) * i / how.steps, touch);
    }
    if (how.holdMs > 0) {
        QTest::qWait(how.holdMs);
        move(to, touch); // the still finger reports its place again: its speed is now nil
    }
    if (how.whileHeld)
        how.whileHeld();
    release(to, touch);
    if (how.afterMs > 0)
        QTest::qWait(how.afterMs);
}

void ScreenHarness::drag(QPoint from, QPoint to, bool touch)
{
    drag(from, to, touch, Stroke{});
}

bool ScreenHarness::waitForFrame(int timeoutMs)
{
    // Swapped on the render thread where the window has one.
    auto swapped = std::make_shared<std::atomic<bool>>(false);
    const auto c = QObject::connect(
        m_view.get(), &QQuickWindow::frameSwapped, m_view.get(), [swapped] { *swapped = true; }, Qt::DirectConnection);
    m_view->update();
    const bool ok = QTest::qWaitFor([&] { return swapped->load(); }, timeoutMs);
    QObject::disconnect(c);
    return ok;
}

bool ScreenHarness::connectAircraft()
{
    drone()->startConnection();
    return QTest::qWaitFor([&] { return drone()->connectionState() == DJIDroneManager::ConnectionState::connected; });
}

void ScreenHarness::fly(double seconds)
{
    const int ticks = int(std::lround(seconds * 1000.0 / SimClock::kTickMs));
    for (int i = 0; i < ticks; ++i)
        m_clock.advance(SimClock::kTickMs);
    QCoreApplication::processEvents();
}
