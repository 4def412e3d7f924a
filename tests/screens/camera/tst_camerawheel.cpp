#include "CameraScreen.h"

#include <QQuickView>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

// The mouse wheel over the camera screen and its advanced sheet on the smallest phone: it
// scrolls the page under the pointer and changes no setting that passes beneath it. A wheel
// picker turns with the mouse wheel only once the pilot has pressed it, and only while the
// pointer stays on it.
class TestCameraWheel : public QObject
{
    Q_OBJECT

    static constexpr QSize kSmall{320, 568};

    // Mouse-wheel notches at a window point: down (negative) moves a page's content up.
    static void wheelAt(QQuickWindow *window, QPoint p, int notches)
    {
        for (int i = 0; i < std::abs(notches); ++i) {
            QWheelEvent e(QPointF(p), window->mapToGlobal(QPointF(p)), QPoint(), QPoint(0, notches < 0 ? -120 : 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QGuiApplication::sendEvent(window, &e);
            QTest::qWait(40);
        }
    }

    // Scrolls `page` (a Flickable) so that `item` sits in the middle of what it shows.
    static void centreIn(QQuickItem *page, QQuickItem *item)
    {
        const double y = item->mapToItem(page, QPointF(0, item->height() / 2)).y();
        const double contentY = page->property("contentY").toDouble();
        const double maxY = std::max(0.0, page->property("contentHeight").toDouble() - page->height());
        page->setProperty("contentY", std::clamp(contentY + y - page->height() / 2, 0.0, maxY));
    }

    // The sheet open and at rest.
    static QQuickItem *openSheet(CameraScreen &s)
    {
        s.camera->setShowAdvancedControls(true);
        if (!QTest::qWaitFor([&] { return s.find(QStringLiteral("advancedSheet")) != nullptr; }))
            return nullptr;
        QTest::qWait(600); // the opening slide
        return s.find(QStringLiteral("advancedScroller"));
    }

    static QQuickItem *sliderLabelled(CameraScreen &s, const QString &label)
    {
        return s.findWhere([&](QQuickItem *i) { return i->inherits("QQuickSlider") && i->property("label") == label; });
    }

private Q_SLOTS:
    void scrollingChangesNoSetting_data()
    {
        QTest::addColumn<bool>("inSheet");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("setting");
        QTest::newRow("shutter wheel") << false << "shutterWheel"
                                       << "shutterIndex";
        QTest::newRow("ISO slider") << false << "ISOSlider"
                                    << "iso";
        QTest::newRow("gimbal slider") << false << "GimbalSlider"
                                       << "gimbalPitch";
        QTest::newRow("mode switch") << false << "modePicker"
                                     << "isPhotoMode";
        QTest::newRow("white balance wheel") << true << "whiteBalanceWheel"
                                             << "whiteBalance";
        QTest::newRow("aperture slider") << true << "Aperture"
                                         << "aperture";
        QTest::newRow("exposure slider") << true << "Exposure Comp."
                                         << "exposureCompensation";
    }
    void scrollingChangesNoSetting()
    {
        QFETCH(bool, inSheet);
        QFETCH(QString, control);
        QFETCH(QString, setting);
        CameraScreen s;
        QVERIFY(s.load(kSmall));
        QQuickItem *page = inSheet ? openSheet(s) : s.find(QStringLiteral("controlsScroller"));
        QVERIFY(page);
        QQuickItem *item = s.find(control);
        if (!item)
            item = sliderLabelled(s, control);
        QVERIFY(item);
        const double maxY = page->property("contentHeight").toDouble() - page->height();
        QVERIFY2(maxY > 40, "the page scrolls at this size");
        centreIn(page, item);
        QVERIFY(s.waitForFrame());

        const QVariant before = s.camera->property(qPrintable(setting));
        const double startY = page->property("contentY").toDouble();
        const QPoint at = centreOf(item);
        QTest::mouseMove(s.view(), at);
        // Further down the page where it can go, else back up.
        const int notches = startY < maxY - 1 ? -3 : 3;
        wheelAt(s.view(), at, notches);
        QTRY_VERIFY2(std::abs(page->property("contentY").toDouble() - startY) > 10, "the page scrolled");
        QTest::qWait(300); // the wheel's flick settles
        QCOMPARE(s.camera->property(qPrintable(setting)), before);
    }

    // Pressed, the wheel is the pilot's choice: the mouse wheel turns it and the page holds
    // still. Once the pointer has left it, the wheel scrolls the page again.
    void pressedWheelTakesTheWheel()
    {
        CameraScreen s;
        QVERIFY(s.load(kSmall));
        QQuickItem *page = s.find(QStringLiteral("controlsScroller"));
        QQuickItem *wheel = s.find(QStringLiteral("shutterWheel"));
        QVERIFY(page && wheel);
        centreIn(page, wheel);
        QVERIFY(s.waitForFrame());
        const QPoint at = centreOf(wheel);
        const double pageY = page->property("contentY").toDouble();
        QCOMPARE(s.camera->shutterIndex(), 4);

        QTest::mouseMove(s.view(), at);
        QTest::mouseClick(s.view(), Qt::LeftButton, {}, at);
        QCOMPARE(s.camera->shutterIndex(), 4); // a click on the selected row changes nothing
        QVERIFY(wheel->property("chosen").toBool());
        // A quick turn of the mouse wheel (one slow notch moves a snapping wheel less than a row).
        wheelAt(s.view(), at, -3);
        QTRY_VERIFY2(s.camera->shutterIndex() > 4, "the chosen wheel turned");
        QTest::qWait(300);
        QCOMPARE(page->property("contentY").toDouble(), pageY);

        // Away and back: no longer chosen.
        QTest::mouseMove(s.view(), centreOf(s.find(QStringLiteral("feed"))));
        QTRY_VERIFY(!wheel->property("chosen").toBool());
        QTest::mouseMove(s.view(), at);
        const int turned = s.camera->shutterIndex();
        wheelAt(s.view(), at, pageY > 0 ? 3 : -3);
        QTRY_VERIFY2(std::abs(page->property("contentY").toDouble() - pageY) > 10, "the page scrolled");
        QTest::qWait(300);
        QCOMPARE(s.camera->shutterIndex(), turned);
    }
};

QTEST_MAIN(TestCameraWheel)
#include "tst_camerawheel.moc"
