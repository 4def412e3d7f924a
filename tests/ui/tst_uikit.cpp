// Behaviour of the shared navigation, sheet and dialog components: how they close, what they
// report, and that sheet content starts afresh on every opening.
#include "QmlSetup.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
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
                QTest::keyClick(&s.window, Qt::Key_Escape);
            } else if (how == u"drag") {
                auto *grabber = s.root->findChild<QQuickItem *>(QStringLiteral("grabber"));
                QVERIFY(grabber);
                const QPoint from = grabber->mapToScene(QPointF(grabber->width() / 2, 10)).toPoint();
                s.drag(from, from + QPoint(0, 300));
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

    void sliderLandsOnWholeSteps_data()
    {
        QTest::addColumn<double>("fraction");
        QTest::newRow("left end") << 0.0;
        QTest::newRow("between steps") << 0.37;
        QTest::newRow("right end") << 1.0;
    }
    void sliderLandsOnWholeSteps()
    {
        QFETCH(double, fraction);
        Scene s(R"(
Item {
    property alias slider: slider
    property int moves: 0
    ZSlider { id: slider; objectName: "slider"; width: 300; from: 30; to: 400; stepSize: 10; value: 120; onMoved: parent.moves++ }
}
)");
        QVERIFY(s.ok);
        auto *slider = s.root->findChild<QQuickItem *>(QStringLiteral("slider"));
        // The thumb's centre travels from 14 to width - 14.
        const QPoint at = slider->mapToScene(QPointF(14 + fraction * (slider->width() - 28), slider->height() / 2)).toPoint();
        QTest::mousePress(&s.window, Qt::LeftButton, {}, at);
        QTest::mouseMove(&s.window, at + QPoint(1, 0));
        QTest::mouseRelease(&s.window, Qt::LeftButton, {}, at + QPoint(1, 0));
        const double v = slider->property("value").toDouble();
        QVERIFY2(v >= 30 && v <= 400, qPrintable(QString::number(v)));
        QCOMPARE(std::fmod(v - 30, 10.0), 0.0);
        QCOMPARE(v, qBound(30.0, 30 + std::round(fraction * 370 / 10) * 10, 400.0));
        QVERIFY(s.get("moves").toInt() > 0);
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
