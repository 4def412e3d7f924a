#include "Palette.h"
#include "QmlSetup.h"

#include <QAccessible>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

std::unique_ptr<QQuickItem> create(QQmlEngine &engine, const QByteArray &qml)
{
    QQmlComponent c(&engine);
    c.setData("import QtQuick\nimport Zeltrin\n" + qml, QUrl(QStringLiteral("qrc:/test.qml")));
    std::unique_ptr<QObject> obj(c.create());
    if (!obj)
        qWarning() << c.errors();
    return std::unique_ptr<QQuickItem>(qobject_cast<QQuickItem *>(obj.release()));
}

QColor fillOf(QQuickItem *button)
{
    auto *bg = button->property("background").value<QQuickItem *>();
    if (!bg)
        return {};
    // Gold: the background is the fill; ghost: its first child is.
    if (bg->property("color").isValid())
        return bg->property("color").value<QColor>();
    return bg->childItems().value(0)->property("color").value<QColor>();
}

} // namespace

class TestComponents : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { zeltrin::setupApplicationLook(); }

    void pressedFillAndSize_data()
    {
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<double>("normalAlpha");
        QTest::addColumn<double>("pressedAlpha");
        QTest::newRow("gold") << QByteArray("GoldButtonStyle") << 1.0 << 0.75;
        QTest::newRow("ghost") << QByteArray("GhostButtonStyle") << 0.06 << 0.12;
    }
    void pressedFillAndSize()
    {
        QFETCH(QByteArray, type);
        QFETCH(double, normalAlpha);
        QFETCH(double, pressedAlpha);
        QQmlEngine engine;
        zeltrin::setupEngine(engine);
        QQuickWindow window;
        auto button = create(engine, type + " { width: 300; text: \"Sign In\" }");
        QVERIFY(button);
        button->setParentItem(window.contentItem());
        const QSizeF before = button->size();
        QVERIFY(before.height() > 28); // 14 above and below the label
        QCOMPARE(qRound(fillOf(button.get()).alphaF() * 100), qRound(normalAlpha * 100));
        QCOMPARE(fillOf(button.get()).rgb(), zeltrin::palette().themeGold.rgb());

        button->setProperty("down", true);
        // Animated, not instant: half way through the 0.15 s the fill is still moving.
        QTest::qWait(40);
        const double mid = fillOf(button.get()).alphaF();
        QVERIFY2(qAbs(mid - pressedAlpha) > 0.005, "pressed fill should animate");
        QTRY_COMPARE_WITH_TIMEOUT(qRound(fillOf(button.get()).alphaF() * 100), qRound(pressedAlpha * 100), 1000);
        QCOMPARE(button->size(), before);

        button->setProperty("down", false);
        QTRY_COMPARE_WITH_TIMEOUT(qRound(fillOf(button.get()).alphaF() * 100), qRound(normalAlpha * 100), 1000);
        QCOMPARE(button->size(), before);
    }

    // Pointer, keyboard and assistive technology all click; a disabled button ignores them all.
    void buttonClicks_data()
    {
        QTest::addColumn<QByteArray>("how");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("clicks");
        for (const char *how : {"pointer", "space", "return", "accessible"}) {
            QTest::addRow("%s, enabled", how) << QByteArray(how) << true << 1;
            QTest::addRow("%s, disabled", how) << QByteArray(how) << false << 0;
        }
    }
    void buttonClicks()
    {
        QFETCH(QByteArray, how);
        QFETCH(bool, enabled);
        QFETCH(int, clicks);
        QQmlEngine engine;
        zeltrin::setupEngine(engine);
        QQuickWindow window;
        window.resize(320, 120);
        auto button = create(engine, "GhostButtonStyle { width: 300; text: \"Continue as Guest\" }");
        QVERIFY(button);
        button->setParentItem(window.contentItem());
        button->setEnabled(enabled);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy clicked(button.get(), SIGNAL(clicked()));
        if (how == "pointer") {
            QTest::mouseClick(&window, Qt::LeftButton, {}, button->mapToScene(QPointF(150, 20)).toPoint());
        } else if (how == "accessible") {
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(button.get());
            QVERIFY(iface && iface->actionInterface());
            QCOMPARE(iface->role(), QAccessible::Button);
            QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Continue as Guest"));
            iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        } else {
            button->forceActiveFocus();
            QTest::keyClick(&window, how == "space" ? Qt::Key_Space : Qt::Key_Return);
        }
        QCOMPARE(clicked.count(), clicks);
    }

    // The bar stays on the Flickable (not the scrolling content), sized and placed by the part
    // in view, inside the track even when the content is pulled past its ends.
    void scrollIndicatorTracksTheVisiblePart_data()
    {
        QTest::addColumn<double>("contentY");
        QTest::addColumn<double>("y");
        QTest::newRow("top") << 0.0 << 2.0;
        QTest::newRow("middle") << 150.0 << 2.0 + 150.0 / 400.0 * 96.0;
        QTest::newRow("bottom") << 300.0 << 2.0 + 72.0;
        QTest::newRow("pulled past the top") << -80.0 << 2.0;
        QTest::newRow("pulled past the bottom") << 420.0 << 2.0 + 72.0;
    }
    void scrollIndicatorTracksTheVisiblePart()
    {
        QFETCH(double, contentY);
        QFETCH(double, y);
        QQmlEngine engine;
        zeltrin::setupEngine(engine);
        auto flick = create(engine, "Flickable { id: f; width: 200; height: 100; contentHeight: 400\n"
                                    "  property Item bar: bar\n"
                                    "  ZScrollIndicator { id: bar; flickable: f } }");
        QVERIFY(flick);
        auto *bar = flick->property("bar").value<QQuickItem *>();
        QVERIFY(bar);
        QCOMPARE(bar->parentItem(), flick.get());
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->height(), 24.0); // a quarter of the 96 track
        flick->setProperty("contentY", contentY);
        QCOMPARE(bar->y(), y);
        QCOMPARE(bar->x(), 200.0 - bar->width() - 2);
    }

    void badgeWithEmptyLabelKeepsItsDot()
    {
        QQmlEngine engine;
        zeltrin::setupEngine(engine);
        auto badge = create(engine, "StatusBadge { label: \"\"; color: \"#2ECC71\" }");
        QVERIFY(badge);
        QVERIFY(badge->implicitWidth() >= 7 + 20);
        QVERIFY(badge->implicitHeight() >= 7 + 8);
    }
};

QTEST_MAIN(TestComponents)
#include "tst_components.moc"
