// presented() comes once per arm(), on the GUI thread, after a frame is out; without a window on
// screen it comes at once rather than never.
#include "FrameWatch.h"

#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

class TestFrameWatch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void presentedOncePerArm_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::addColumn<int>("framesBeforeCheck");
        QTest::newRow("window on screen, one frame") << true << 1;
        QTest::newRow("window on screen, several frames") << true << 4;
        QTest::newRow("window never shown") << false << 0;
    }
    void presentedOncePerArm()
    {
        QFETCH(bool, shown);
        QFETCH(int, framesBeforeCheck);
        QQuickWindow window;
        window.resize(120, 80);
        FrameWatch watch(window.contentItem());
        if (shown) {
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
        }
        QThread *guiThread = QThread::currentThread();
        QThread *emittedOn = nullptr;
        connect(&watch, &FrameWatch::presented, this, [&] { emittedOn = QThread::currentThread(); });
        QSignalSpy presented(&watch, &FrameWatch::presented);
        QSignalSpy frames(&window, &QQuickWindow::frameSwapped);

        watch.arm();
        watch.arm(); // a second arm while waiting changes nothing
        QVERIFY(presented.wait(5000));
        for (int i = 1; i < framesBeforeCheck; ++i) {
            window.update();
            QVERIFY(frames.wait(5000));
        }
        QTest::qWait(50);
        QCOMPARE(presented.count(), 1);
        QCOMPARE(emittedOn, guiThread);
        if (shown)
            QVERIFY(frames.count() >= 1);

        // Armed again, it reports the next frame.
        watch.arm();
        QVERIFY(presented.wait(5000));
        QCOMPARE(presented.count(), 2);
    }
};

QTEST_MAIN(TestFrameWatch)
#include "tst_framewatch.moc"
