// Behaviour of the shared navigation, sheet and dialog components: how they close, what they
// report, and that sheet content starts afresh on every opening.
#include "QmlSetup.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QPointingDevice>
#include <QQuickWindow>
#include <QTest>

#include <cmath>
#include <memory>

namespace {

class Scene
{
public:
    explicit Scene(const QByteArray &qml)
    {
        zeltrin::setupEngine(engine);
        window.resize(390, 844);
        QQmlComponent c(&engine);
        c.setData("import QtQuick\nimport Zeltrin\n" + qml, QUrl(QStringLiteral("qrc:/scene.qml")));
        root.reset(qobject_cast<QQuickItem *>(c.create()));
        if (!root) {
            qWarning() << c.errors();
            return;
        }
        root->setParentItem(window.contentItem());
        root->setSize(QSizeF(390, 844));
        window.show();
        ok = QTest::qWaitForWindowExposed(&window);
    }
    ~Scene() { root.reset(); }

    QVariant get(const char *name) const { return root->property(name); }
    void set(const char *name, const QVariant &v) { root->setProperty(name, v); }
    QObject *child(const QString &name) const { return root->findChild<QObject *>(name); }

    void click(QQuickItem *item)
    {
        const QPointF p = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
        QTest::mouseClick(&window, Qt::LeftButton, {}, p.toPoint());
    }
    void clickAt(QPoint p) { QTest::mouseClick(&window, Qt::LeftButton, {}, p); }
    void drag(QPoint from, QPoint to, int steps = 12)
    {
        QTest::mousePress(&window, Qt::LeftButton, {}, from);
        for (int i = 1; i <= steps; ++i) {
            QTest::qWait(16);
            QTest::mouseMove(&window, from + (to - from) * i / steps);
        }
        QTest::qWait(16);
        QTest::mouseRelease(&window, Qt::LeftButton, {}, to);
    }

    // One finger from `from` to `to` in `steps` moves (0: a tap), or the mouse doing the same.
    void stroke(bool touch, QPoint from, QPoint to, int steps = 12)
    {
        // One device for the process: Qt keeps every registered device until exit.
        static QPointingDevice *const sharedTouch = QTest::createTouchDevice();
        touchDevice = sharedTouch;
        if (touch)
            QTest::touchEvent(&window, touchDevice).press(0, from, &window);
        else
            QTest::mousePress(&window, Qt::LeftButton, {}, from);
        for (int i = 1; i <= steps; ++i) {
            QTest::qWait(10);
            const QPoint p = from + (to - from) * i / steps;
            if (touch)
                QTest::touchEvent(&window, touchDevice).move(0, p, &window);
            else
                QTest::mouseMove(&window, p);
        }
        if (touch)
            QTest::touchEvent(&window, touchDevice).release(0, to, &window);
        else
            QTest::mouseRelease(&window, Qt::LeftButton, {}, to);
    }
    QPoint centreOf(QQuickItem *item) const { return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint(); }

    QPointingDevice *touchDevice = nullptr;
    QQmlEngine engine;
    QQuickWindow window;
    std::unique_ptr<QQuickItem> root;
    bool ok = false;
};

const QByteArray kSheetScene = R"(
Item {
    id: root
    property bool show: false
    property int dismissCount: 0
    property int created: 0
    property int destroyedCount: 0
    property alias sheet: sheet
    ModalSheet {
        id: sheet
        objectName: "sheet"
        presented: root.show
        onDismissed: { root.dismissCount++; root.show = false }
        detents: ["medium", "large"]
        sheetContent: Component {
            Item {
                property int edits: 0
                Component.onCompleted: root.created++
                Component.onDestruction: root.destroyedCount++
            }
        }
    }
}
)";

QObject *sheetItem(const Scene &s)
{
    return s.get("sheet").value<QObject *>()->property("sheetItem").value<QObject *>();
}

} // namespace

class TestUiKit : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { zeltrin::setupApplicationLook(); }

    void sheetDismissesOnceAndStartsFresh_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("dismiss()") << "dismiss";
        QTest::newRow("dismiss() twice") << "dismissTwice";
        QTest::newRow("presenter flag") << "flag";
        QTest::newRow("backdrop tap") << "backdrop";
        QTest::newRow("escape") << "escape";
        QTest::newRow("drag down") << "drag";
        QTest::newRow("drag down by finger") << "touchDrag";
        QTest::newRow("drag down by finger from the bar") << "touchDragBar";
    }
    void sheetDismissesOnceAndStartsFresh()
    {
        QFETCH(QString, how);
        Scene s(kSheetScene);
        QVERIFY(s.ok);
        QObject *sheet = s.child(QStringLiteral("sheet"));
        QVERIFY(sheet);
        QVERIFY(!sheetItem(s)); // nothing is built before the first opening

        for (int round = 1; round <= 2; ++round) {
            s.set("show", true);
            QTRY_VERIFY(sheetItem(s));
            QCOMPARE(s.get("created").toInt(), round);
            QCOMPARE(sheetItem(s)->property("edits").toInt(), 0); // fresh, not last round's
            QCOMPARE(sheet->property("currentDetent").toString(), QStringLiteral("medium"));
            sheetItem(s)->setProperty("edits", 5);
            QTest::qWait(450); // let the opening slide finish

            if (how == u"dismiss") {
                QMetaObject::invokeMethod(sheet, "dismiss");
            } else if (how == u"dismissTwice") {
                QMetaObject::invokeMethod(sheet, "dismiss");
                QMetaObject::invokeMethod(sheet, "dismiss");
            } else if (how == u"flag") {
                s.set("show", false);
            } else if (how == u"backdrop") {
                s.clickAt(QPoint(195, 100)); // above the medium sheet
            } else if (how == u"escape") {
                // Keys reach only the active window; a bare X server has no window manager to
                // activate it, so under Xvfb the row can only be run offscreen.
                s.window.requestActivate();
                if (!QTest::qWaitForWindowActive(&s.window, 2000))
                    QSKIP("the window could not be made active (no window manager): keys never reach it");
                QTest::keyClick(&s.window, Qt::Key_Escape);
            } else if (how == u"drag") {
                auto *grabber = s.root->findChild<QQuickItem *>(QStringLiteral("grabber"));
                QVERIFY(grabber);
                const QPoint from = grabber->mapToScene(QPointF(grabber->width() / 2, 10)).toPoint();
                s.drag(from, from + QPoint(0, 300));
            } else if (how == u"touchDrag" || how == u"touchDragBar") {
                auto *grabber = s.root->findChild<QQuickItem *>(QStringLiteral("grabber"));
                QVERIFY(grabber);
                QPoint from = grabber->mapToScene(QPointF(grabber->width() / 2, 10)).toPoint();
                if (how == u"touchDragBar")
                    from += QPoint(-120, 20); // beside the grabber, on the bar
                s.stroke(true, from, from + QPoint(0, 300));
            }

            QTRY_COMPARE(s.get("dismissCount").toInt(), round);
            QCOMPARE(s.get("show").toBool(), false);
            // Destroyed once the closing slide is over, not before.
            QTRY_COMPARE(s.get("destroyedCount").toInt(), round);
            QVERIFY(!sheetItem(s));
            QVERIFY(!sheet->property("visible").toBool());
            QTest::qWait(100);
            QCOMPARE(s.get("dismissCount").toInt(), round); // and never a second time
        }
    }

    void sheetReopenedWhileClosingStartsFresh()
    {
        Scene s(kSheetScene);
        QVERIFY(s.ok);
        s.set("show", true);
        QTRY_VERIFY(sheetItem(s));
        QTest::qWait(450);
        s.set("show", false);
        QCOMPARE(s.get("dismissCount").toInt(), 1);
        s.set("show", true); // before the closing slide ends
        QTRY_COMPARE(s.get("created").toInt(), 2);
        QCOMPARE(s.get("destroyedCount").toInt(), 1);
        QTest::qWait(500);
        QVERIFY(sheetItem(s));
        QVERIFY(s.child(QStringLiteral("sheet"))->property("visible").toBool());
        QCOMPARE(s.get("dismissCount").toInt(), 1);
    }

    void sheetPresentedFromTheStartOpensOnceInAWindow()
    {
        // The flag is already true when the sheet is built, before its item is in a window.
        Scene s(QByteArray(kSheetScene).replace("property bool show: false", "property bool show: true"));
        QVERIFY(s.ok);
        QTRY_VERIFY(sheetItem(s));
        QTRY_VERIFY(s.child(QStringLiteral("sheet"))->property("visible").toBool());
        QCOMPARE(s.get("created").toInt(), 1);
        QCOMPARE(s.get("dismissCount").toInt(), 0);
    }

    void sheetDragsBetweenDetents()
    {
        Scene s(kSheetScene);
        QVERIFY(s.ok);
        QObject *sheet = s.child(QStringLiteral("sheet"));
        s.set("show", true);
        QTRY_VERIFY(sheetItem(s));
        QTest::qWait(450);
        auto *grabber = s.root->findChild<QQuickItem *>(QStringLiteral("grabber"));
        const QPoint from = grabber->mapToScene(QPointF(grabber->width() / 2, 10)).toPoint();
        s.drag(from, QPoint(from.x(), 60));
        QTRY_COMPARE(sheet->property("currentDetent").toString(), QStringLiteral("large"));
        QTest::qWait(400);
        auto *content = qobject_cast<QQuickItem *>(sheetItem(s));
        QVERIFY(content->height() > 800); // the content follows the sheet's height
        QCOMPARE(s.get("dismissCount").toInt(), 0);
        QCOMPARE(s.get("created").toInt(), 1); // moving between detents keeps the content
    }

    // Content scrolled up stops at the page's bar; a button that closed the sheet does not act
    // again while the sheet slides away. By finger and by mouse.
    void sheetBarAndClosingSlide_data()
    {
        QTest::addColumn<bool>("touch");
        QTest::newRow("touch") << true;
        QTest::newRow("mouse") << false;
    }
    void sheetBarAndClosingSlide()
    {
        QFETCH(bool, touch);
        Scene s(R"(
Item {
    id: root
    property bool show: true
    property int presses: 0
    property alias sheet: sheet
    ModalSheet {
        id: sheet
        objectName: "sheet"
        presented: root.show
        onDismissed: root.show = false
        sheetContent: Component {
            ZPage {
                trailingItems: [ BarButton { text: "Done"; onClicked: sheet.dismiss() } ]
                Flickable {
                    objectName: "flick"
                    anchors.fill: parent
                    contentHeight: 3000
                    Rectangle { width: parent.width; height: 3000; color: "red" }
                    ButtonBase {
                        objectName: "start"
                        y: 400; width: 300; height: 50; text: "Start"
                        onClicked: { root.presses++; sheet.dismiss() }
                    }
                }
            }
        }
    }
}
)");
        QVERIFY(s.ok);
        QTRY_VERIFY(sheetItem(s));
        QTest::qWait(450);
        auto *flick = qobject_cast<QQuickItem *>(sheetItem(s))->findChild<QQuickItem *>(QStringLiteral("flick"));
        QVERIFY(flick);
        flick->setProperty("contentY", 200);
        QTest::qWait(50);
        const QImage shot = s.window.grabWindow();
        const QPointF barPoint = flick->mapToScene(QPointF(60, -22)); // in the bar, left of "Done"
        const QColor bar = shot.pixelColor((barPoint * shot.devicePixelRatio()).toPoint());
        QVERIFY2(bar.red() < 100, qPrintable(bar.name())); // not the red content
        flick->setProperty("contentY", 0);
        QTest::qWait(50);

        auto *start = qobject_cast<QQuickItem *>(sheetItem(s))->findChild<QQuickItem *>(QStringLiteral("start"));
        QVERIFY(start);
        const QPoint p = s.centreOf(start);
        s.stroke(touch, p, p, 0);
        QCOMPARE(s.get("presses").toInt(), 1);
        QTest::qWait(60); // the sheet has hardly moved yet
        s.stroke(touch, p, p, 0);
        QCOMPARE(s.get("presses").toInt(), 1);
    }

    void confirmationDialogReports_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("log");
        QTest::newRow("destructive") << "destructive" << "destructive,dismissed";
        QTest::newRow("cancel") << "cancel" << "dismissed";
        QTest::newRow("backdrop") << "backdrop" << "dismissed";
        QTest::newRow("presenter flag") << "flag" << "dismissed";
    }
    void confirmationDialogReports()
    {
        QFETCH(QString, how);
        QFETCH(QString, log);
        Scene s(R"(
Item {
    id: root
    property bool show: false
    property var log: []
    ConfirmationDialog {
        objectName: "dialog"
        presented: root.show
        title: "Sign Out"
        message: "Are you sure you want to sign out?"
        destructiveText: "Sign Out"
        onDestructiveTriggered: root.log = root.log.concat(["destructive"])
        onDismissed: { root.log = root.log.concat(["dismissed"]); root.show = false }
    }
}
)");
        QVERIFY(s.ok);
        s.set("show", true);
        QTest::qWait(450);
        auto *destructive = s.root->findChild<QQuickItem *>(QStringLiteral("destructiveAction"));
        auto *cancel = s.root->findChild<QQuickItem *>(QStringLiteral("cancelAction"));
        QVERIFY(destructive && cancel);
        QVERIFY(cancel->mapToScene(QPointF(0, cancel->height())).y() <= 844);
        QVERIFY(destructive->mapToScene({0, 0}).y() < cancel->mapToScene({0, 0}).y());

        if (how == u"destructive")
            s.click(destructive);
        else if (how == u"cancel")
            s.click(cancel);
        else if (how == u"backdrop")
            s.clickAt(QPoint(195, 100));
        else
            s.set("show", false);

        QTRY_COMPARE(s.get("log").toStringList().join(QLatin1Char(',')), log);
        QTRY_VERIFY(!s.child(QStringLiteral("dialog"))->property("visible").toBool());
        QCOMPARE(s.get("log").toStringList().join(QLatin1Char(',')), log);

        // It opens again afterwards.
        s.set("log", QStringList());
        s.set("show", true);
        QTRY_VERIFY(s.child(QStringLiteral("dialog"))->property("visible").toBool());
    }

    // Only the thumb moves a slider; a tap on the track leaves the value alone, and a drag
    // that starts vertically scrolls the view around it. Both by finger and by mouse.
    void sliderMovesOnlyByItsThumb_data()
    {
        QTest::addColumn<bool>("touch");
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<double>("value");   // expected afterwards (-1: unchanged)
        QTest::addColumn<bool>("scrolled");
        for (bool touch : {true, false}) {
            const char *dev = touch ? "touch" : "mouse";
            QTest::newRow(qPrintable(QString("%1: tap track right").arg(dev))) << touch << "tapRight" << -1.0 << false;
            QTest::newRow(qPrintable(QString("%1: tap track left").arg(dev))) << touch << "tapLeft" << -1.0 << false;
            QTest::newRow(qPrintable(QString("%1: tap thumb").arg(dev))) << touch << "tapThumb" << -1.0 << false;
            QTest::newRow(qPrintable(QString("%1: drag thumb to 0.37").arg(dev))) << touch << "drag" << 170.0 << false;
            QTest::newRow(qPrintable(QString("%1: drag thumb past the end").arg(dev))) << touch << "dragFar" << 400.0 << false;
            QTest::newRow(qPrintable(QString("%1: vertical from thumb").arg(dev))) << touch << "vThumb" << -1.0 << true;
            QTest::newRow(qPrintable(QString("%1: vertical from track").arg(dev))) << touch << "vTrack" << -1.0 << true;
        }
    }
    void sliderMovesOnlyByItsThumb()
    {
        QFETCH(bool, touch);
        QFETCH(QString, gesture);
        QFETCH(double, value);
        QFETCH(bool, scrolled);
        Scene s(R"(
Item {
    id: owner
    property real stored: 120
    property int moves: 0
    property alias flick: flick
    Flickable {
        id: flick
        objectName: "flick"
        anchors.fill: parent
        contentWidth: width
        contentHeight: 2000
        ZSlider {
            id: slider; objectName: "slider"
            x: 45; y: 300; width: 300
            from: 30; to: 400; stepSize: 10
            value: owner.stored
            onMoved: { owner.moves++; owner.stored = value }
        }
    }
}
)");
        QVERIFY(s.ok);
        auto *slider = s.root->findChild<QQuickItem *>(QStringLiteral("slider"));
        auto *flick = s.root->findChild<QQuickItem *>(QStringLiteral("flick"));
        QVERIFY(slider && flick);
        // The thumb's centre travels from 14 to width - 14.
        auto at = [&](double fraction) {
            return slider->mapToScene(QPointF(14 + fraction * (slider->width() - 28), slider->height() / 2)).toPoint();
        };
        const QPoint thumb = at((120.0 - 30) / 370);
        auto stroke = [&](QPoint from, QPoint to, int steps) { s.stroke(touch, from, to, steps); };

        if (gesture == u"tapRight")
            stroke(at(0.9), at(0.9), 0);
        else if (gesture == u"tapLeft")
            stroke(at(0.02), at(0.02), 0);
        else if (gesture == u"tapThumb")
            stroke(thumb + QPoint(9, 0), thumb + QPoint(9, 0), 0);
        else if (gesture == u"drag")
            stroke(thumb, at(0.37), 12);
        else if (gesture == u"dragFar")
            stroke(thumb, at(1.0) + QPoint(60, 0), 12);
        else if (gesture == u"vThumb")
            stroke(thumb, thumb - QPoint(0, 200), 12);
        else
            stroke(at(0.8), at(0.8) - QPoint(0, 200), 12);

        const double v = slider->property("value").toDouble();
        if (value < 0) {
            QCOMPARE(v, 120.0);
            QCOMPARE(s.get("moves").toInt(), 0);
        } else {
            QCOMPARE(v, value);
            QCOMPARE(std::fmod(v - 30, 10.0), 0.0);
            QCOMPARE(s.get("stored").toDouble(), value);
            QVERIFY(s.get("moves").toInt() > 0);
        }
        QCOMPARE(flick->property("contentY").toDouble() > 50, scrolled);
        QTRY_VERIFY(!slider->property("pressed").toBool());

        // The owner's binding survives a drag: a value set by the owner shows.
        s.set("stored", 300.0);
        QCOMPARE(slider->property("value").toDouble(), 300.0);
    }

    void segmentedPickerReportsTapsAndFollowsItsOwner()
    {
        Scene s(R"(
Item {
    id: owner
    property int mode: 0
    property var activations: []
    SegmentedPicker {
        objectName: "picker"
        width: 300
        model: ["Photo", "Video", { text: "", icon: "timer", accessibleName: "Timelapse" }]
        currentIndex: owner.mode
        onActivated: (index) => { owner.activations = owner.activations.concat([index]); owner.mode = index }
    }
}
)");
        QVERIFY(s.ok);
        auto *picker = s.root->findChild<QQuickItem *>(QStringLiteral("picker"));
        QVERIFY(picker);
        s.clickAt(picker->mapToScene(QPointF(picker->width() * 5 / 6, 16)).toPoint());
        QCOMPARE(s.get("activations").toList(), QVariantList{2});
        QCOMPARE(picker->property("currentIndex").toInt(), 2);
        // The binding to the owner's field survives the tap.
        s.set("mode", 0);
        QCOMPARE(picker->property("currentIndex").toInt(), 0);
    }

    // Controls drawn smaller than a finger still take a touch 44 × 44 around their centre.
    void smallControlsTakeAFingerSizedTouch_data()
    {
        QTest::addColumn<QByteArray>("control");
        QTest::addColumn<QString>("property"); // what a hit changes
        QTest::newRow("icon bar button") << QByteArray("BarButton { iconName: \"xmark\"; onClicked: root.hits++ }") << "hits";
        QTest::newRow("toggle") << QByteArray("ZToggle { onToggled: root.hits++ }") << "hits";
        QTest::newRow("segment") << QByteArray("SegmentedPicker { width: 200; model: [\"A\", \"B\"]; onActivated: root.hits++ }") << "hits";
    }
    void smallControlsTakeAFingerSizedTouch()
    {
        QFETCH(QByteArray, control);
        QFETCH(QString, property);
        Scene s("Item {\n id: root\n property int hits: 0\n Item { x: 100; y: 200; objectName: \"holder\"\n" + control + "\n }\n}\n");
        QVERIFY(s.ok);
        auto *holder = s.root->findChild<QQuickItem *>(QStringLiteral("holder"));
        QVERIFY(holder && !holder->childItems().isEmpty());
        QQuickItem *c = holder->childItems().first();
        const QPointF centre = c->mapToScene(QPointF(c->width() / 2, c->height() / 2));
        QVERIFY(c->width() < 44 || c->height() < 44); // drawn smaller
        int expected = 0;
        // Just inside the 44 × 44 square around the centre, in each direction; then just outside.
        for (const QPointF d : {QPointF(-20, 0), QPointF(20, 0), QPointF(0, -20), QPointF(0, 20)}) {
            const QPointF off(c->width() >= 44 ? 0 : d.x(), c->height() >= 44 ? 0 : d.y());
            if (off.isNull())
                continue;
            const QPoint p = (centre + off).toPoint();
            s.stroke(true, p, p, 0);
            QTest::qWait(20);
            QCOMPARE(s.get(property.toLatin1()).toInt(), ++expected);
        }
        const QPoint outside = (centre + QPointF(0, 30 + c->height() / 2)).toPoint();
        s.stroke(true, outside, outside, 0);
        QTest::qWait(20);
        QCOMPARE(s.get(property.toLatin1()).toInt(), expected);
    }

    void navigationPushAndBack()
    {
        Scene s(R"(
NavigationContainer {
    id: nav
    initialPage: Component { ZPage { title: "Settings" } }
    property Component detail: Component { ZPage { title: "Detail" } }
}
)");
        QVERIFY(s.ok);
        QCOMPARE(s.get("depth").toInt(), 1);
        auto *first = s.get("currentPage").value<QQuickItem *>();
        QVERIFY(first);
        QCOMPARE(first->property("showsBackButton").toBool(), false);
        QVERIFY(QMetaObject::invokeMethod(s.root.get(), "pop"));
        QCOMPARE(s.get("depth").toInt(), 1); // the root page stays

        QVariant pushed;
        const QVariant props = QVariantMap{{QStringLiteral("title"), QStringLiteral("Flight Safety")}};
        QMetaObject::invokeMethod(s.root.get(), "push", Q_RETURN_ARG(QVariant, pushed), Q_ARG(QVariant, s.get("detail")),
                                  Q_ARG(QVariant, props));
        QCOMPARE(s.get("depth").toInt(), 2);
        auto *page = s.get("currentPage").value<QQuickItem *>();
        QCOMPARE(page->property("title").toString(), QStringLiteral("Flight Safety"));
        QCOMPARE(page->property("showsBackButton").toBool(), true);
        QCOMPARE(page->property("backTitle").toString(), QStringLiteral("Settings"));
        QTRY_VERIFY(!s.get("busy").toBool());

        auto *back = page->findChild<QQuickItem *>(QStringLiteral("backButton"));
        QVERIFY(back && back->isVisible());
        s.click(back);
        QCOMPARE(s.get("depth").toInt(), 1);
        QCOMPARE(s.get("currentPage").value<QQuickItem *>(), first);
        QTRY_VERIFY(!s.get("busy").toBool());
    }
};

QTEST_MAIN(TestUiKit)
#include "tst_uikit.moc"
