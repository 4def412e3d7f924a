#include "CameraScreen.h"
#include "Palette.h"

#include <QQuickView>
#include <QSignalSpy>

// The camera screen as the pilot touches it: what the record and capture buttons, the mode
// switch and the gimbal slider do and show.
class TestCameraView : public QObject
{
    Q_OBJECT

    static QColor colorOf(QQuickItem *item) { return item->property("color").value<QColor>(); }

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

    // The wheel's turning part: the Tumbler inside the picker.
    static QQuickItem *tumblerOf(QQuickItem *picker)
    {
        for (QQuickItem *child : picker->childItems())
            if (child->inherits("QQuickTumbler"))
                return child;
        return nullptr;
    }

    // The advanced sheet, open and at rest, scrolled so the white-balance wheel is mid-sheet.
    static QQuickItem *openWhiteBalanceWheel(CameraScreen &s)
    {
        s.camera->setShowAdvancedControls(true);
        if (!QTest::qWaitFor([&] { return s.find(QStringLiteral("advancedSheet")) != nullptr; }))
            return nullptr;
        QTest::qWait(600); // let the opening slide finish
        QQuickItem *sheet = s.find(QStringLiteral("advancedSheet"));
        QQuickItem *wheel = s.find(QStringLiteral("whiteBalanceWheel"));
        if (!wheel)
            return nullptr;
        const double wheelY = wheel->mapToItem(sheet, QPointF(0, wheel->height() / 2)).y();
        const double contentY = sheet->property("contentY").toDouble();
        sheet->setProperty("contentY", std::max(0.0, contentY + wheelY - sheet->height() / 2));
        return s.waitForFrame() ? wheel : nullptr;
    }

private Q_SLOTS:
    void freshScreenShows()
    {
        CameraScreen s;
        QVERIFY(s.load());
        QCOMPARE(s.find(QStringLiteral("ISOValue"))->property("text").toString(), QStringLiteral("100"));
        QCOMPARE(s.find(QStringLiteral("GimbalValue"))->property("text").toString(), QStringLiteral("0\u00B0"));
        QQuickItem *shutter = s.find(QStringLiteral("shutterWheel"));
        QCOMPARE(shutter->property("currentIndex").toInt(), 4);
        // The selected row sits on the centre band, though the wheel was resized after it was set.
        auto *row = tumblerOf(shutter)->property("currentItem").value<QQuickItem *>();
        QVERIFY(row);
        QTRY_COMPARE(centreOf(row).y(), centreOf(shutter).y());
        QCOMPARE(s.camera->shutterSpeeds().at(4), QStringLiteral("1/500"));
        QCOMPARE(s.find(QStringLiteral("recordingTimer"))->isVisible(), false);
        // The placeholder stays while an aircraft is connected.
        s.fakeSdk()->connectAircraft(QStringLiteral("Falcon"));
        QVERIFY(s.find(QStringLiteral("feed"))->isVisible());
    }

    // Two taps start and stop recording, in either mode, by finger or mouse; the timer shows
    // the elapsed time only while recording.
    void recordTaps_data()
    {
        QTest::addColumn<bool>("touch");
        QTest::addColumn<bool>("video");
        QTest::newRow("touch, photo") << true << false;
        QTest::newRow("touch, video") << true << true;
        QTest::newRow("mouse, photo") << false << false;
    }
    void recordTaps()
    {
        QFETCH(bool, touch);
        QFETCH(bool, video);
        const auto &pal = zeltrin::palette();
        CameraScreen s;
        QVERIFY(s.load());
        qint64 now = 1000;
        s.camera->setClock([&now] { return now; });
        if (video) {
            QQuickItem *picker = s.find(QStringLiteral("modePicker"));
            const QPoint videoSegment = picker->mapToScene(QPointF(picker->width() * 0.75, picker->height() / 2)).toPoint();
            s.tap(videoSegment, touch);
            QCOMPARE(s.camera->isPhotoMode(), false);
            QVERIFY(s.find(QStringLiteral("captureButton"))->isVisible());
        }
        QQuickItem *record = s.find(QStringLiteral("recordButton"));
        QQuickItem *fill = s.find(QStringLiteral("recordFill"));
        QQuickItem *icon = s.find(QStringLiteral("recordIcon"));
        QQuickItem *timer = s.find(QStringLiteral("recordingTimer"));
        QQuickItem *timeText = s.find(QStringLiteral("recordingTimeText"));

        s.tap(record, touch);
        QCOMPARE(s.drone()->isRecording(), true);
        QCOMPARE(colorOf(fill), pal.themeRed);
        QCOMPARE(icon->property("name").toString(), QStringLiteral("stop.fill"));
        QCOMPARE(colorOf(icon), QColor(Qt::white));
        QVERIFY(timer->isVisible());
        QCOMPARE(timeText->property("text").toString(), QStringLiteral("00:00"));
        now += 65'400;
        QTRY_COMPARE(timeText->property("text").toString(), QStringLiteral("01:05"));

        s.tap(record, touch);
        QCOMPARE(s.drone()->isRecording(), false);
        QCOMPARE(colorOf(fill), pal.themeSurface);
        QCOMPARE(icon->property("name").toString(), QStringLiteral("record.circle"));
        QCOMPARE(colorOf(icon), pal.themeRed);
        QVERIFY(!timer->isVisible());

        // A new recording counts from zero again.
        s.tap(record, touch);
        QCOMPARE(timeText->property("text").toString(), QStringLiteral("00:00"));
    }

    // The look follows the drone link even when something else sets the flag.
    void recordLookFollowsDroneLink()
    {
        CameraScreen s;
        QVERIFY(s.load());
        s.drone()->startRecording();
        QCOMPARE(s.find(QStringLiteral("recordIcon"))->property("name").toString(), QStringLiteral("stop.fill"));
        QVERIFY(s.find(QStringLiteral("recordingTimer"))->isVisible());
        s.tap(s.find(QStringLiteral("recordButton")));
        QCOMPARE(s.drone()->isRecording(), false);
    }

    void captureFlashes_data()
    {
        QTest::addColumn<bool>("touch");
        QTest::newRow("touch") << true;
        QTest::newRow("mouse") << false;
    }
    void captureFlashes()
    {
        QFETCH(bool, touch);
        CameraScreen s;
        QVERIFY(s.load());
        QQuickItem *flash = s.find(QStringLiteral("captureFlash"));
        QVERIFY(!flash->isVisible());
        QSignalSpy asked(s.camera, &CameraModel::photoCaptureRequested);
        s.tap(s.find(QStringLiteral("captureButton")), touch);
        QCOMPARE(asked.count(), 1);
        QVERIFY(flash->isVisible());
        QTRY_VERIFY(!flash->isVisible());
        QCOMPARE(s.drone()->isRecording(), false);
    }

    // Dragging the gimbal reaches the drone link when the drag starts and when it ends only.
    void gimbalDragSendsTwice_data()
    {
        QTest::addColumn<double>("target");
        QTest::addColumn<bool>("touch");
        QTest::newRow("finger down to -45") << -45.0 << true;
        QTest::newRow("finger up to 20") << 20.0 << true;
        QTest::newRow("mouse down to -45") << -45.0 << false;
    }
    void gimbalDragSendsTwice()
    {
        QFETCH(double, target);
        QFETCH(bool, touch);
        CameraScreen s;
        QVERIFY(s.load());
        auto *slider = s.find(QStringLiteral("GimbalSlider"));
        QVERIFY(slider);
        QSignalSpy sent(s.camera, &CameraModel::gimbalPitchSent);
        const QPoint start = pointFor(slider, 0);
        const QPoint end = pointFor(slider, target);
        int duringDrag = -1;
        s.drag(start, end, touch,
               {.steps = 20, .stepMs = 0, .afterMs = 0, .whileHeld = [&] { duringDrag = int(sent.count()); }});
        QCOMPARE(duringDrag, 1); // only the start so far
        QCOMPARE(sent.count(), 2);
        QCOMPARE(sent.at(0).at(0).toFloat(), 0.0f);
        QCOMPARE(sent.at(1).at(0).toFloat(), float(target));
        QCOMPARE(s.camera->gimbalPitch(), target);
        QCOMPARE(s.find(QStringLiteral("GimbalValue"))->property("text").toString(),
                 QString::number(int(target)) + QStringLiteral("\u00B0"));
    }

    void isoDragSendsNothing()
    {
        CameraScreen s;
        QVERIFY(s.load());
        auto *slider = s.find(QStringLiteral("ISOSlider"));
        QVERIFY(slider);
        QSignalSpy sent(s.camera, &CameraModel::gimbalPitchSent);
        s.drag(pointFor(slider, 100), pointFor(slider, 1600), true, {.steps = 10, .stepMs = 0, .afterMs = 0});
        QCOMPARE(s.camera->iso(), 1600.0);
        QCOMPARE(s.find(QStringLiteral("ISOValue"))->property("text").toString(), QStringLiteral("1600"));
        QCOMPARE(sent.count(), 0);
        QCOMPARE(s.drone()->isRecording(), false);
    }

    // A tap on a row in view turns the wheel to it and selects it, reported once, by finger or
    // mouse; a tap on the centre row changes nothing. Rows sit 32 apart; the shutter wheel shows
    // one row either side of its centre, the white-balance wheel two (the outer ones in part).
    void wheelTapSelectsRow_data()
    {
        QTest::addColumn<QString>("wheel");
        QTest::addColumn<bool>("touch");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("offset"); // from the wheel's centre to the tap
        for (bool touch : {true, false}) {
            const char *dev = touch ? "touch" : "mouse";
            for (int rows : {-1, 0, 1})
                QTest::addRow("%s, shutter, %+d", dev, rows) << "shutter" << touch << rows << rows * 30;
            for (int rows : {-2, -1, 0, 1, 2})
                QTest::addRow("%s, white balance, %+d", dev, rows)
                    << "whiteBalance" << touch << rows << (qAbs(rows) == 2 ? rows * 27 : rows * 30);
        }
    }
    void wheelTapSelectsRow()
    {
        QFETCH(QString, wheel);
        QFETCH(bool, touch);
        QFETCH(int, rows);
        QFETCH(int, offset);
        CameraScreen s;
        QVERIFY(s.load());
        const bool shutter = wheel == QLatin1String("shutter");
        if (!shutter)
            s.camera->setWhiteBalanceIndex(2);
        const int start = shutter ? s.camera->shutterIndex() : s.camera->whiteBalanceIndex();
        QQuickItem *picker = shutter ? s.find(QStringLiteral("shutterWheel")) : openWhiteBalanceWheel(s);
        QVERIFY(picker);
        QCOMPARE(picker->property("currentIndex").toInt(), start);
        QSignalSpy changed(s.camera, shutter ? SIGNAL(shutterIndexChanged()) : SIGNAL(whiteBalanceChanged()));
        auto modelIndex = [&] { return shutter ? s.camera->shutterIndex() : s.camera->whiteBalanceIndex(); };

        const QPoint p = centreOf(picker) + QPoint(0, offset);
        QVERIFY(QRect(QPoint(0, 0), s.view()->size()).contains(p));
        s.tap(p, touch);

        const int expected = start + rows;
        QTRY_COMPARE(picker->property("currentIndex").toInt(), expected);
        QCOMPARE(modelIndex(), expected);
        QCOMPARE(changed.count(), rows == 0 ? 0 : 1);
        // The wheel turns until the chosen row sits on the centre band.
        QQuickItem *tumbler = tumblerOf(picker);
        QVERIFY(tumbler);
        auto *row = tumbler->property("currentItem").value<QQuickItem *>();
        QVERIFY(row);
        QTRY_VERIFY2(
            qAbs(centreOf(row).y() - centreOf(picker).y()) <= 1,
            qPrintable(QStringLiteral("row at %1, centre %2").arg(centreOf(row).y()).arg(centreOf(picker).y())));
        QTest::qWait(100);
        QCOMPARE(changed.count(), rows == 0 ? 0 : 1);
        // The owner's binding stays: a value set on the model shows on the wheel.
        if (shutter)
            s.camera->setShutterIndex(0);
        else
            s.camera->setWhiteBalanceIndex(0);
        QCOMPARE(picker->property("currentIndex").toInt(), 0);
    }

    // A drag that starts on a row turns the wheel the way it goes, not to the row it started on,
    // and the controls' scroll view does not take it.
    void wheelDragTurnsPastTheTouchedRow_data()
    {
        QTest::addColumn<bool>("touch");
        QTest::newRow("touch") << true;
        QTest::newRow("mouse") << false;
    }
    void wheelDragTurnsPastTheTouchedRow()
    {
        QFETCH(bool, touch);
        CameraScreen s;
        QVERIFY(s.load());
        QQuickItem *picker = s.find(QStringLiteral("shutterWheel"));
        QVERIFY(picker);
        QCOMPARE(s.camera->shutterIndex(), 4);
        // Press on the row below the centre (5), drag down by two rows and more: the wheel
        // turns back towards the first speeds.
        const QPoint from = centreOf(picker) + QPoint(0, 30);
        QQuickItem *scroller = s.find(QStringLiteral("controlsScroller"));
        QVERIFY(scroller);
        bool scrollerHeld = false;
        s.drag(from, from + QPoint(0, 70), touch, {.steps = 14, .stepMs = 16, .afterMs = 0, .whileHeld = [&] {
                                                       scrollerHeld = !scroller->property("interactive").toBool();
                                                   }});
        // The controls around the wheel held still, and scroll again once the finger is up.
        QVERIFY(scrollerHeld);
        QCOMPARE(scroller->property("contentY").toDouble(), 0.0);
        QVERIFY(scroller->property("interactive").toBool());
        QTRY_VERIFY(!picker->property("moving").toBool());
        QTest::qWait(100);
        const int index = picker->property("currentIndex").toInt();
        QVERIFY2(index <= 2, qPrintable(QString::number(index)));
        QCOMPARE(s.camera->shutterIndex(), index);
    }

    // However the sheet closes, the changes made in it stay and the screen's flag clears.
    void advancedSheetKeepsChanges_data()
    {
        QTest::addColumn<QString>("closeBy");
        QTest::addColumn<bool>("touch");
        QTest::newRow("Done by finger") << "doneButton" << true;
        QTest::newRow("Apply Settings by finger") << "applyButton" << true;
        QTest::newRow("Done by mouse") << "doneButton" << false;
        QTest::newRow("swipe down") << "swipe" << true;
    }
    void advancedSheetKeepsChanges()
    {
        QFETCH(QString, closeBy);
        QFETCH(bool, touch);
        CameraScreen s;
        QVERIFY(s.load());
        QVERIFY(s.find(QStringLiteral("advancedSheet")) == nullptr);
        s.tap(s.find(QStringLiteral("advancedButton")), touch);
        QCOMPARE(s.camera->showAdvancedControls(), true);
        QTRY_VERIFY(s.find(QStringLiteral("advancedSheet")));
        QTest::qWait(600); // let the opening slide finish

        s.tap(s.find(QStringLiteral("Manual Focus")), touch);
        QCOMPARE(s.camera->focusMode(), zeltrin::FocusMode::manual);
        s.camera->setAperture(4.0);

        if (closeBy == QLatin1String("swipe")) {
            QQuickItem *sheet = s.find(QStringLiteral("advancedSheet"));
            const QPoint top = sheet->mapToScene(QPointF(sheet->width() / 2, 20)).toPoint();
            s.drag(top, top + QPoint(0, 700), touch, {.steps = 20, .stepMs = 0, .afterMs = 0});
        } else {
            if (closeBy == QLatin1String("applyButton"))
                QMetaObject::invokeMethod(s.find(QStringLiteral("advancedSheet")), "scrollToEnd");
            QTest::qWait(50);
            s.tap(s.find(closeBy), touch);
        }
        QTRY_COMPARE(s.camera->showAdvancedControls(), false);
        QCOMPARE(s.camera->focusMode(), zeltrin::FocusMode::manual);
        QCOMPARE(s.camera->aperture(), 4.0);
        QTRY_VERIFY(s.find(QStringLiteral("advancedSheet")) == nullptr);
    }
};

QTEST_MAIN(TestCameraView)
#include "tst_cameraview.moc"
