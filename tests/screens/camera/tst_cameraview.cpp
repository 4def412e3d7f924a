#include "CameraScreen.h"
#include "Palette.h"

#include <QSignalSpy>

// The camera screen as the pilot touches it: what the record and capture buttons, the mode
// switch and the gimbal slider do and show.
class TestCameraView : public QObject
{
    Q_OBJECT

    static QColor colorOf(QQuickItem *item) { return item->property("color").value<QColor>(); }

private Q_SLOTS:
    void freshScreenShows()
    {
        CameraScreen s;
        QVERIFY(s.load());
        QCOMPARE(s.find(QStringLiteral("ISOValue"))->property("text").toString(), QStringLiteral("100"));
        QCOMPARE(s.find(QStringLiteral("GimbalValue"))->property("text").toString(), QStringLiteral("0\u00B0"));
        QCOMPARE(s.find(QStringLiteral("shutterWheel"))->property("currentIndex").toInt(), 4);
        QCOMPARE(s.camera->shutterSpeeds().at(4), QStringLiteral("1/500"));
        QCOMPARE(s.find(QStringLiteral("recordingTimer"))->isVisible(), false);
        // The placeholder stays while an aircraft is connected.
        s.app.droneManager()->connect();
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
            touch ? s.touchTap(videoSegment) : QTest::mouseClick(&s.view, Qt::LeftButton, {}, videoSegment);
            QCOMPARE(s.camera->isPhotoMode(), false);
            QVERIFY(s.find(QStringLiteral("captureButton"))->isVisible());
        }
        QQuickItem *record = s.find(QStringLiteral("recordButton"));
        QQuickItem *fill = s.find(QStringLiteral("recordFill"));
        QQuickItem *icon = s.find(QStringLiteral("recordIcon"));
        QQuickItem *timer = s.find(QStringLiteral("recordingTimer"));
        QQuickItem *timeText = s.find(QStringLiteral("recordingTimeText"));

        s.tap(record, touch);
        QCOMPARE(s.app.droneManager()->isRecording(), true);
        QCOMPARE(colorOf(fill), pal.themeRed);
        QCOMPARE(icon->property("name").toString(), QStringLiteral("stop.fill"));
        QCOMPARE(colorOf(icon), QColor(Qt::white));
        QVERIFY(timer->isVisible());
        QCOMPARE(timeText->property("text").toString(), QStringLiteral("00:00"));
        now += 65'400;
        QTRY_COMPARE(timeText->property("text").toString(), QStringLiteral("01:05"));

        s.tap(record, touch);
        QCOMPARE(s.app.droneManager()->isRecording(), false);
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
        s.app.droneManager()->startRecording();
        QCOMPARE(s.find(QStringLiteral("recordIcon"))->property("name").toString(), QStringLiteral("stop.fill"));
        QVERIFY(s.find(QStringLiteral("recordingTimer"))->isVisible());
        s.tap(s.find(QStringLiteral("recordButton")));
        QCOMPARE(s.app.droneManager()->isRecording(), false);
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
        QCOMPARE(s.app.droneManager()->isRecording(), false);
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
        const QPoint start = CameraScreen::pointFor(slider, 0);
        const QPoint end = CameraScreen::pointFor(slider, target);
        int duringDrag = -1;
        s.drag(start, end, touch, 20, [&] { duringDrag = int(sent.count()); });
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
        s.drag(CameraScreen::pointFor(slider, 100), CameraScreen::pointFor(slider, 1600), true, 10);
        QCOMPARE(s.camera->iso(), 1600.0);
        QCOMPARE(s.find(QStringLiteral("ISOValue"))->property("text").toString(), QStringLiteral("1600"));
        QCOMPARE(sent.count(), 0);
        QCOMPARE(s.app.droneManager()->isRecording(), false);
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
            s.drag(top, top + QPoint(0, 700), touch, 20);
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
