#include "CameraScreen.h"

#include <QQuickView>

#include <algorithm>

// At every window size the pilot can reach every control of the camera screen: each lies in the
// window and in its scroll view's visible part (after scrolling to it), nothing covers it, it is
// at least 44 by 44, and the feed stays 16:9.
class TestCameraLayout : public QObject
{
    Q_OBJECT

    // Scrolls the controls so that the item shows, as a pilot's swipe would.
    static void scrollTo(QQuickItem *scroller, QQuickItem *item)
    {
        if (!scroller || !isWithin(item, scroller))
            return;
        const QRectF r = item->mapRectToItem(scroller, QRectF(0, 0, item->width(), item->height()));
        const double contentY = scroller->property("contentY").toDouble();
        const double maxY = std::max(0.0, scroller->property("contentHeight").toDouble() - scroller->height());
        double y = contentY;
        if (r.bottom() > scroller->height())
            y = contentY + r.bottom() - scroller->height();
        if (r.top() < 0)
            y = contentY + r.top();
        scroller->setProperty("contentY", std::clamp(y, 0.0, maxY));
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

private Q_SLOTS:
    void controlsReachable_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("phone upright 390x844") << QSize(390, 844);
        QTest::newRow("small phone 320x568") << QSize(320, 568);
        QTest::newRow("phone on its side 844x390") << QSize(844, 390);
        QTest::newRow("tablet upright 820x1180") << QSize(820, 1180);
        QTest::newRow("tablet on its side 1180x820") << QSize(1180, 820);
        QTest::newRow("large tablet 1366x1024") << QSize(1366, 1024);
    }
    void controlsReachable()
    {
        QFETCH(QSize, size);
        CameraScreen s;
        QVERIFY(s.load(size));
        QCOMPARE(s.view()->size(), size);
        const QRectF window(QPointF(0, 0), QSizeF(size));

        QQuickItem *feed = s.find(QStringLiteral("feed"));
        QVERIFY(feed);
        QVERIFY(feed->height() >= 150);
        QVERIFY2(qAbs(feed->width() / feed->height() - 16.0 / 9.0) < 0.005,
                 qPrintable(QStringLiteral("feed %1x%2").arg(feed->width()).arg(feed->height())));
        QVERIFY(window.contains(feed->mapRectToScene(QRectF(0, 0, feed->width(), feed->height()))));

        QQuickItem *scroller = s.find(QStringLiteral("controlsScroller"));
        QVERIFY(scroller);
        const QRectF feedRect = feed->mapRectToScene(QRectF(0, 0, feed->width(), feed->height()));
        const QStringList controls{"modeTarget", "advancedButton", "ISOSlider", "shutterWheel",
                                   "GimbalSlider", "captureButton", "recordButton"};
        for (const QString &name : controls) {
            QQuickItem *item = s.find(name);
            QVERIFY2(item, qPrintable(name));
            scrollTo(scroller, item);
            QVERIFY(s.waitForFrame()); // laid out and drawn where it now lies
            const QRectF r = item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
            const QByteArray what = (name + QStringLiteral(" at ") + QString::number(r.x()) + QLatin1Char(',')
                                     + QString::number(r.y()) + QLatin1Char(' ') + QString::number(r.width())
                                     + QLatin1Char('x') + QString::number(r.height())).toUtf8();
            QVERIFY2(r.width() >= 44 && r.height() >= 44, what.constData());
            QVERIFY2(window.contains(r), what.constData());
            QVERIFY2(!r.intersects(feedRect), what.constData());
            if (isWithin(item, scroller)) {
                const QRectF viewport = scroller->mapRectToScene(QRectF(0, 0, scroller->width(), scroller->height()));
                QVERIFY2(viewport.contains(r), what.constData());
            }
            QQuickItem *top = topmostAt(s.view()->contentItem(), r.center());
            QVERIFY2(top && isWithin(top, item),
                     (what + " covered by " + (top ? top->metaObject()->className() : "nothing")).constData());
        }
    }

    // Capture and record stay in view however the controls are scrolled, at every size: under
    // the controls where they fit, at the panel's foot where the controls scroll.
    void shutterButtonsStayInView_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("390x844") << QSize(390, 844);
        QTest::newRow("320x568") << QSize(320, 568);
        QTest::newRow("844x390") << QSize(844, 390);
        QTest::newRow("820x1180") << QSize(820, 1180);
        QTest::newRow("1180x820") << QSize(1180, 820);
    }
    void shutterButtonsStayInView()
    {
        QFETCH(QSize, size);
        CameraScreen s;
        QVERIFY(s.load(size));
        QQuickItem *scroller = s.find(QStringLiteral("controlsScroller"));
        QVERIFY(scroller);
        const QRectF window(QPointF(0, 0), QSizeF(size));
        const double maxY = scroller->property("contentHeight").toDouble() - scroller->height();
        // The small phone upright and the phone on its side have to scroll.
        QVERIFY(maxY > 0 || (size.height() > 600 && size.width() > 380));
        for (const char *name : {"captureButton", "recordButton"}) {
            QQuickItem *button = s.find(QString::fromLatin1(name));
            QVERIFY2(button && !isWithin(button, scroller), name);
            for (const double y : {0.0, std::max(0.0, maxY)}) {
                scroller->setProperty("contentY", y);
                QVERIFY(s.waitForFrame());
                const QRectF r = button->mapRectToScene(QRectF(0, 0, button->width(), button->height()));
                QVERIFY2(window.contains(r), name);
                QQuickItem *top = topmostAt(s.view()->contentItem(), r.center());
                QVERIFY2(top && isWithin(top, button), name);
            }
        }
    }
};

QTEST_MAIN(TestCameraLayout)
#include "tst_cameralayout.moc"
