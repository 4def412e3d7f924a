#pragma once

#include "CameraModel.h"
#include "FakeDJISDK.h"
#include "QmlSetup.h"
#include "ZeltrinPilotApp.h"

#include <QPointingDevice>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QTest>

#include <algorithm>

// The camera screen in a real QQuickView, with the app's shared objects on a fake aircraft SDK,
// and the ways a finger or a mouse reaches its items.
struct CameraScreen {
    ZeltrinPilotApp app{[] {
        ZeltrinPilotApp::Dependencies deps;
        deps.sdk = std::make_unique<FakeDJISDK>();
        return deps;
    }()};
    QQuickView view;
    CameraModel *camera = nullptr;

    static QPointingDevice *touchscreen()
    {
        static QPointingDevice *dev = QTest::createTouchDevice();
        return dev;
    }

    bool load(QSize size = QSize(390, 844))
    {
        app.droneManager()->setLogSink([](const QString &) {});
        zeltrin::setupEngine(*view.engine());
        app.attachTo(*view.engine());
        view.setResizeMode(QQuickView::SizeRootObjectToView);
        view.resize(size);
        view.setSource(QUrl(QStringLiteral("qrc:/Zeltrin/screens/camera/CameraView.qml")));
        if (view.status() != QQuickView::Ready) {
            for (const auto &e : view.errors())
                qWarning() << e.toString();
            return false;
        }
        view.show();
        if (!QTest::qWaitForWindowExposed(&view))
            return false;
        camera = view.rootObject()->property("model").value<CameraModel *>();
        return camera != nullptr;
    }

    // Items inside pages and sheets are not QObject children of the screen: walk the items.
    QQuickItem *find(const QString &name, QQuickItem *root = nullptr)
    {
        if (!root)
            root = view.contentItem();
        if (root->objectName() == name)
            return root;
        for (QQuickItem *child : root->childItems())
            if (QQuickItem *found = find(name, child))
                return found;
        return nullptr;
    }

    static QPoint centre(QQuickItem *item)
    {
        return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
    }

    void touchTap(QPoint p)
    {
        QTest::touchEvent(&view, touchscreen()).press(0, p, &view);
        QTest::touchEvent(&view, touchscreen()).release(0, p, &view);
        QTest::qWait(20);
    }
    void tap(QQuickItem *item, bool touch = true)
    {
        if (touch)
            touchTap(centre(item));
        else
            QTest::mouseClick(&view, Qt::LeftButton, {}, centre(item));
    }

    // A press, a drag in small steps and a release, by finger or by mouse.
    // `pauseMs` between moves gives a view a speed to flick with.
    void drag(QPoint from, QPoint to, bool touch, int steps = 20,
              const std::function<void()> &whileHeld = {}, int pauseMs = 0)
    {
        if (touch)
            QTest::touchEvent(&view, touchscreen()).press(0, from, &view);
        else
            QTest::mousePress(&view, Qt::LeftButton, {}, from);
        for (int i = 1; i <= steps; ++i) {
            if (pauseMs > 0)
                QTest::qWait(pauseMs);
            const QPoint p = from + (to - from) * i / steps;
            if (touch)
                QTest::touchEvent(&view, touchscreen()).move(0, p, &view);
            else
                QTest::mouseMove(&view, p);
        }
        if (whileHeld)
            whileHeld();
        if (touch)
            QTest::touchEvent(&view, touchscreen()).release(0, to, &view);
        else
            QTest::mouseRelease(&view, Qt::LeftButton, {}, to);
    }

    // Window point on a slider's track for a value.
    static QPoint pointFor(QQuickItem *slider, double value)
    {
        const double from = slider->property("from").toDouble();
        const double to = slider->property("to").toDouble();
        const double left = slider->property("leftPadding").toDouble();
        const double avail = slider->property("availableWidth").toDouble();
        const auto *handle = slider->property("handle").value<QQuickItem *>();
        const double hw = handle ? handle->width() : 0;
        const double x = left + hw / 2 + (value - from) / (to - from) * (avail - hw);
        return slider->mapToScene(QPointF(x, slider->height() / 2)).toPoint();
    }

    // The topmost drawn or input-taking item under a window point, in paint order.
    static QQuickItem *topmostAt(QQuickItem *item, QPointF scenePt)
    {
        if (!item->isVisible() || item->opacity() <= 0)
            return nullptr;
        const QPointF local = item->mapFromScene(scenePt);
        if (item->clip() && !item->contains(local))
            return nullptr;
        QList<QQuickItem *> kids = item->childItems();
        std::stable_sort(kids.begin(), kids.end(), [](QQuickItem *a, QQuickItem *b) { return a->z() < b->z(); });
        for (auto it = kids.rbegin(); it != kids.rend(); ++it)
            if (QQuickItem *hit = topmostAt(*it, scenePt))
                return hit;
        const bool takesPart = item->flags().testFlag(QQuickItem::ItemHasContents)
            || item->acceptedMouseButtons() != Qt::NoButton || item->acceptTouchEvents();
        return takesPart && item->contains(local) ? item : nullptr;
    }

    static bool isInside(QQuickItem *inner, QQuickItem *outer)
    {
        for (QQuickItem *p = inner; p; p = p->parentItem())
            if (p == outer)
                return true;
        return false;
    }
};
