#include "CameraModel.h"
#include "FakeDJISDK.h"
#include "QmlSetup.h"
#include "ZeltrinPilotApp.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QSignalSpy>
#include <QTest>

// The camera screen as the pilot touches it: the gimbal slider's drag reaches the drone link
// only when it starts and when it ends.
class TestCameraView : public QObject
{
    Q_OBJECT

    struct Screen {
        ZeltrinPilotApp app{[] {
            ZeltrinPilotApp::Dependencies deps;
            deps.sdk = std::make_unique<FakeDJISDK>();
            return deps;
        }()};
        QQuickView view;
        CameraModel *camera = nullptr;

        bool load()
        {
            app.droneManager()->setLogSink([](const QString &) {});
            zeltrin::setupEngine(*view.engine());
            app.attachTo(*view.engine());
            view.setResizeMode(QQuickView::SizeRootObjectToView);
            view.resize(390, 844);
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

        void tap(QQuickItem *item)
        {
            QTest::mouseClick(&view, Qt::LeftButton, {},
                              item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint());
        }

        // Window point on a slider's track for a value.
        QPoint pointFor(QQuickItem *slider, double value)
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
    };

private Q_SLOTS:
    void gimbalDragSendsTwice_data()
    {
        QTest::addColumn<double>("target");
        QTest::newRow("down to -45") << -45.0;
        QTest::newRow("up to 20") << 20.0;
    }
    void gimbalDragSendsTwice()
    {
        QFETCH(double, target);
        Screen s;
        QVERIFY(s.load());
        auto *slider = s.find(QStringLiteral("GimbalSlider"));
        QVERIFY(slider);
        QSignalSpy sent(s.camera, &CameraModel::gimbalPitchSent);

        const QPoint start = s.pointFor(slider, 0);
        const QPoint end = s.pointFor(slider, target);
        QTest::mousePress(&s.view, Qt::LeftButton, {}, start);
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent.at(0).at(0).toFloat(), 0.0f);
        const int steps = 20;
        for (int i = 1; i <= steps; ++i) {
            const QPoint p = start + (end - start) * i / steps;
            QTest::mouseMove(&s.view, p);
        }
        QCOMPARE(sent.count(), 1); // nothing while dragging
        QCOMPARE(s.camera->gimbalPitch(), target);
        QTest::mouseRelease(&s.view, Qt::LeftButton, {}, end);
        QCOMPARE(sent.count(), 2);
        QCOMPARE(sent.at(1).at(0).toFloat(), float(target));
    }

    void isoDragSendsNothing()
    {
        Screen s;
        QVERIFY(s.load());
        auto *slider = s.find(QStringLiteral("ISOSlider"));
        QVERIFY(slider);
        QSignalSpy sent(s.camera, &CameraModel::gimbalPitchSent);
        const QPoint start = s.pointFor(slider, 100);
        const QPoint end = s.pointFor(slider, 1600);
        QTest::mousePress(&s.view, Qt::LeftButton, {}, start);
        for (int i = 1; i <= 10; ++i)
            QTest::mouseMove(&s.view, start + (end - start) * i / 10);
        QTest::mouseRelease(&s.view, Qt::LeftButton, {}, end);
        QCOMPARE(s.camera->iso(), 1600.0);
        QCOMPARE(sent.count(), 0);
        QCOMPARE(s.app.droneManager()->isRecording(), false);
    }

    // However the sheet closes, the changes made in it stay and the screen's flag clears.
    void advancedSheetKeepsChanges_data()
    {
        QTest::addColumn<QString>("closeBy");
        QTest::newRow("Done") << "doneButton";
        QTest::newRow("Apply Settings") << "applyButton";
        QTest::newRow("swipe down") << "swipe";
    }
    void advancedSheetKeepsChanges()
    {
        QFETCH(QString, closeBy);
        Screen s;
        QVERIFY(s.load());
        QVERIFY(s.find(QStringLiteral("advancedSheet")) == nullptr);
        s.tap(s.find(QStringLiteral("advancedButton")));
        QCOMPARE(s.camera->showAdvancedControls(), true);
        QTRY_VERIFY(s.find(QStringLiteral("advancedSheet")));
        QTest::qWait(600); // let the opening slide finish

        s.tap(s.find(QStringLiteral("Manual Focus")));
        QCOMPARE(s.camera->focusMode(), zeltrin::FocusMode::manual);
        s.camera->setAperture(4.0);

        if (closeBy == QLatin1String("swipe")) {
            QQuickItem *sheet = s.find(QStringLiteral("advancedSheet"));
            const QPoint top = sheet->mapToScene(QPointF(sheet->width() / 2, 20)).toPoint();
            QTest::mousePress(&s.view, Qt::LeftButton, {}, top);
            for (int i = 1; i <= 20; ++i)
                QTest::mouseMove(&s.view, top + QPoint(0, i * 35), 10);
            QTest::mouseRelease(&s.view, Qt::LeftButton, {}, top + QPoint(0, 700), 10);
        } else {
            if (closeBy == QLatin1String("applyButton"))
                QMetaObject::invokeMethod(s.find(QStringLiteral("advancedSheet")), "scrollToEnd");
            QTest::qWait(50);
            s.tap(s.find(closeBy));
        }
        QTRY_COMPARE(s.camera->showAdvancedControls(), false);
        QCOMPARE(s.camera->focusMode(), zeltrin::FocusMode::manual);
        QCOMPARE(s.camera->aperture(), 4.0);
        QTRY_VERIFY(s.find(QStringLiteral("advancedSheet")) == nullptr);
    }
};

QTEST_MAIN(TestCameraView)
#include "tst_cameraview.moc"
