#include "CameraModel.h"
#include "QmlSetup.h"
#include "QuickItems.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>

// The advanced sheet's controls write the camera screen's model at once; Reset restores the
// defaults without closing; Done and Apply Settings only ask to close.
class TestAdvancedSheet : public QObject
{
    Q_OBJECT

    QQmlEngine engine;
    QQuickWindow window;
    QQuickItem *sheet = nullptr;
    CameraModel *cam = nullptr;

    void tap(const char *name)
    {
        auto *item = findItem(sheet, QString::fromLatin1(name));
        QVERIFY2(item, name);
        const QPoint p = item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
        QVERIFY2(window.contentItem()->contains(p), name);
        QTest::mouseClick(&window, Qt::LeftButton, {}, p);
    }
    void scroll(bool toEnd)
    {
        if (toEnd)
            QMetaObject::invokeMethod(sheet, "scrollToEnd");
        else
            sheet->setProperty("contentY", 0);
        QTest::qWait(50);
    }

private Q_SLOTS:
    void initTestCase()
    {
        zeltrin::setupEngine(engine);
        QQmlComponent c(&engine);
        c.setData(R"(
            import QtQuick
            import Zeltrin
            AdvancedCameraControlsSheet { width: 390; height: 844; camera: CameraModel {} }
        )", QUrl::fromLocalFile(QStringLiteral("/sheet-test.qml")));
        QObject *o = c.create();
        QVERIFY2(o, qPrintable(c.errorString()));
        sheet = qobject_cast<QQuickItem *>(o);
        sheet->setParentItem(window.contentItem());
        cam = sheet->property("camera").value<CameraModel *>();
        QVERIFY(cam);
        window.resize(390, 844);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }

    void cleanupTestCase() { delete sheet; }

    void controlsResetAndClose()
    {
        QSignalSpy closeAsked(sheet, SIGNAL(dismissRequested()));
        tap("Manual Focus");
        QCOMPARE(cam->focusMode(), zeltrin::FocusMode::manual);
        scroll(true);
        tap("D-Log");
        QCOMPARE(cam->colorProfile(), zeltrin::ColorProfile::dLog);
        cam->setAperture(4.0);
        cam->setWhiteBalance(6500);

        tap("resetButton");
        QCOMPARE(cam->focusMode(), zeltrin::FocusMode::autoFocus);
        QCOMPARE(cam->colorProfile(), zeltrin::ColorProfile::standard);
        QCOMPARE(cam->aperture(), 2.8);
        QCOMPARE(cam->whiteBalance(), 5500);
        QCOMPARE(closeAsked.count(), 0);
        QVERIFY(sheet->isVisible());

        scroll(false);
        tap("Continuous AF");
        tap("doneButton");
        QCOMPARE(closeAsked.count(), 1);
        QCOMPARE(cam->focusMode(), zeltrin::FocusMode::continuous);

        scroll(true);
        tap("Vivid");
        tap("applyButton");
        QCOMPARE(closeAsked.count(), 2);
        QCOMPARE(cam->colorProfile(), zeltrin::ColorProfile::vivid);
        QCOMPARE(cam->focusMode(), zeltrin::FocusMode::continuous);
    }
};

QTEST_MAIN(TestAdvancedSheet)
#include "tst_advancedsheet.moc"
