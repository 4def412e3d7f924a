// The sign-in gate (also as pushed from Settings), the tab bar and every tab's screen at the phone
// and tablet sizes, both orientations: each named control lies inside the window (scrolled into
// view when it sits in a scrolling list), is the topmost thing drawn at its centre, and a control
// the pilot taps is at least 44 x 44. On the gates no named control overlaps another.
// Controls are found by objectName or accessible name; "Prefix*" matches a name's beginning.
#include "ScreenHarness.h"

#include <QQuickItem>
#include <QQuickView>
#include <QTest>

#include <algorithm>

namespace {

// tap: inside, uncovered at its centre, 44 x 44 to the finger; seen: inside and uncovered;
// backdrop: inside only (the map under the screen's cards and buttons).
enum class Kind { tap, seen, backdrop };
struct Control {
    const char *name;
    Kind kind = Kind::tap;
};
constexpr Kind seen = Kind::seen;
constexpr Kind backdrop = Kind::backdrop;

struct ScreenControls {
    const char *tag;
    const char *path;
    QList<Control> controls;
    bool apart = false; // no two controls may lie over each other
};

const QList<ScreenControls> &screens()
{
    static const QList<ScreenControls> list{
        {"tabs",
         "qrc:/Zeltrin/app/qml/MainTabView.qml",
         {{"Dashboard"}, {"Mission"}, {"Camera"}, {"Telemetry"}, {"Logbook"}, {"Settings"}}},
        {"gate",
         "qrc:/Zeltrin/screens/auth/AuthGateView.qml",
         {{"gateIcon", seen}, {"gateTitle", seen}, {"Sign In with MRV Account"}, {"Continue as Guest"}},
         true},
        // The same gate pushed from a guest's Settings, under the tab view's banner and bar.
        {"gate-pushed",
         "scene:gate-pushed.qml",
         {{"backButton"}, {"gateIcon", seen}, {"gateTitle", seen}, {"Sign In with MRV Account"}, {"Continue as Guest"}},
         true},
        {"dashboard",
         "qrc:/Zeltrin/screens/dashboard/DashboardView.qml",
         {{"linkButton"},
          {"Take Off"},
          {"Land"},
          {"RTH"},
          {"Mission"},
          {"POI"},
          {"Orbit"},
          {"Smart RTH"},
          {"Geofence"}}},
        {"mission",
         "qrc:/Zeltrin/screens/mission/FlightPlanView.qml",
         {{"tileMap", backdrop}, {"planMenuButton"}, {"addTool"}, {"listTool"}, {"Show waypoints"}, {"uploadButton"}}},
        // The planner with its card at its tallest, and with every tool shown.
        {"mission-features",
         "scene:mission-features.qml",
         {{"addTool"}, {"listTool"}, {"previewTool"}, {"Terrain Follow"}, {"Multi-Battery"}, {"uploadButton"}}},
        {"mission-selected",
         "scene:mission-3-selected.qml",
         {{"addTool"}, {"listTool"}, {"previewTool"}, {"trashTool"}, {"uploadButton"}}},
        // The offline area's card, which scrolls where the window is too short for it.
        {"offline-area",
         "scene:offline-area-select.qml",
         {{"minZoomStepperLower"}, {"maxZoomStepperRaise"}, {"areaCancel"}, {"areaDownload"}}},
        // The plan library's sheets: the saved plans (empty here) and the naming sheet.
        {"plan-library", "scene:plan-library.qml", {{"libraryImport"}, {"libraryDone"}, {"libraryEmptyImport"}}},
        {"plan-save-name", "scene:plan-save-name.qml", {{"planNameCancel"}, {"planNameSubmit"}}},
        {"camera",
         "qrc:/Zeltrin/screens/camera/CameraView.qml",
         {{"Mode"},
          {"advancedButton"},
          {"ISOSlider"},
          {"shutterWheel"},
          {"GimbalSlider"},
          {"Capture"},
          {"recordButton"}}},
        {"telemetry", "qrc:/Zeltrin/screens/telemetry/TelemetryView.qml", {{"Altitude*", seen}}},
        {"logbook", "qrc:/Zeltrin/screens/logbook/FlightLogView.qml", {{"Export"}, {"analyticsEntry"}}},
        {"settings",
         "qrc:/Zeltrin/screens/settings/SettingsView.qml",
         {{"Sign In / Join MRV"},
          {"Use Metric (m, km/h)"},
          {"Pre-Flight Checklist"},
          {"Max Altitude"},
          {"Privacy Policy"},
          {"Terms of Use"}}},
    };
    return list;
}

const QList<QSize> kSizes{{390, 844}, {320, 568}, {568, 320}, {844, 390}, {820, 1180}, {1180, 820}, {1024, 1366}, {1366, 1024}};

bool nameMatches(const QString &have, const QString &want)
{
    if (want.endsWith(QLatin1Char('*')))
        return have.startsWith(want.chopped(1));
    return have == want;
}

QQuickItem *findControl(QQuickItem *root, const QString &name)
{
    QList<QQuickItem *> queue{root};
    while (!queue.isEmpty()) {
        QQuickItem *item = queue.takeFirst();
        if (isShown(item) && (nameMatches(item->objectName(), name) || nameMatches(accessibleName(item), name)))
            return item;
        queue.append(item->childItems());
    }
    return nullptr;
}

// Scrolls every scrolling ancestor so the item sits in the middle of its viewport.
void scrollIntoView(QQuickItem *item)
{
    for (QQuickItem *p = item->parentItem(); p; p = p->parentItem()) {
        if (!p->inherits("QQuickFlickable"))
            continue;
        auto *content = p->property("contentItem").value<QQuickItem *>();
        if (!content)
            continue;
        const QRectF r = item->mapRectToItem(content, item->boundingRect());
        // A list's content can start above 0 (its header sits at a negative origin).
        const qreal oy = p->property("originY").toReal(), ox = p->property("originX").toReal();
        const qreal maxY = oy + std::max<qreal>(0, p->property("contentHeight").toReal() - p->height());
        const qreal maxX = ox + std::max<qreal>(0, p->property("contentWidth").toReal() - p->width());
        p->setProperty("contentY", std::clamp<qreal>(r.center().y() - p->height() / 2, oy, maxY));
        p->setProperty("contentX", std::clamp<qreal>(r.center().x() - p->width() / 2, ox, maxX));
    }
}

// Items under a scene point in paint order (back to front), honouring visibility, opacity and
// clipping. Only items that draw or take input count.
void itemsAt(QQuickItem *item, QPointF scenePt, QList<QQuickItem *> &out)
{
    if (!item->isVisible() || item->opacity() <= 0.01)
        return;
    const QPointF local = item->mapFromScene(scenePt);
    const bool inside = item->contains(local) || QRectF(QPointF(), item->size()).contains(local);
    if (item->clip() && !inside)
        return;
    QList<QQuickItem *> kids = item->childItems();
    std::stable_sort(kids.begin(), kids.end(), [](QQuickItem *a, QQuickItem *b) { return a->z() < b->z(); });
    auto it = kids.begin();
    for (; it != kids.end() && (*it)->z() < 0; ++it)
        itemsAt(*it, scenePt, out);
    const bool counts = item->flags().testFlag(QQuickItem::ItemHasContents) || item->acceptedMouseButtons() != Qt::NoButton
        || item->acceptTouchEvents();
    if (inside && counts && item->width() > 0 && item->height() > 0)
        out.append(item);
    for (; it != kids.end(); ++it)
        itemsAt(*it, scenePt, out);
}

// Where a control takes a touch: its containment mask when it has an item for one (a small
// control's 44 x 44 touch target), else its bounds and its parts' touch targets.
QRectF hitRect(const QQuickItem *item)
{
    // A slider moves only by its thumb: the thumb is what the finger must hit.
    if (const auto *thumb = item->property("handle").value<QQuickItem *>())
        return hitRect(thumb);
    if (const auto *mask = qobject_cast<const QQuickItem *>(item->containmentMask()))
        return mask->mapRectToScene(mask->boundingRect());
    // Parts with touch targets of their own (a segmented picker's segments) reach further.
    QRectF r = item->mapRectToScene(item->boundingRect());
    QList<const QQuickItem *> parts(item->childItems().cbegin(), item->childItems().cend());
    while (!parts.isEmpty()) {
        const QQuickItem *p = parts.takeFirst();
        if (!p->isVisible())
            continue;
        if (const auto *mask = qobject_cast<const QQuickItem *>(p->containmentMask()))
            r |= mask->mapRectToScene(mask->boundingRect());
        for (const QQuickItem *c : p->childItems())
            parts.append(c);
    }
    return r;
}

QString describe(const QQuickItem *item)
{
    QString s = QString::fromLatin1(item->metaObject()->className());
    if (!item->objectName().isEmpty())
        s += QStringLiteral(" '") + item->objectName() + QLatin1Char('\'');
    const QString acc = accessibleName(item);
    if (!acc.isEmpty())
        s += QStringLiteral(" \"") + acc + QLatin1Char('"');
    const QRectF r = item->mapRectToScene(item->boundingRect());
    return s + QStringLiteral(" at %1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void controls_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("screen");
        for (const ScreenControls &s : screens())
            for (const QSize &size : kSizes)
                QTest::addRow("%s@%dx%d", s.tag, size.width(), size.height())
                    << QString::fromLatin1(s.path) << size << QString::fromLatin1(s.tag);
    }
    void controls()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        QFETCH(QString, screen);
        const ScreenControls &screenControls = *std::find_if(screens().begin(), screens().end(),
                                               [&](const ScreenControls &s) { return screen == QLatin1String(s.tag); });

        // "scene:" names a screenshot tour scene: a screen in a set-up state.
        const QUrl url = path.startsWith(QLatin1String("scene:"))
            ? QUrl::fromLocalFile(qEnvironmentVariable("ZELTRIN_SOURCE_DIR") + QStringLiteral("/tools/screenshots/scenes/")
                                  + path.mid(6))
            : QUrl(path);
        ScreenHarness s;
        QVERIFY(s.open(url, size));
        // A scene may set its screen up after its first frame (a page pushed once its tab is made).
        (void)QTest::qWaitFor(
            [&] {
                return std::all_of(
                    screenControls.controls.begin(), screenControls.controls.end(), [&](const Control &c) {
                        return findControl(s.view()->contentItem(), QString::fromUtf8(c.name)) != nullptr;
                    });
            },
            3000);
        QTest::qWait(400); // slides and fades of the first frame
        const QRectF window(QPointF(0, 0), QSizeF(size));

        // Every check of every control is collected, so one run names all faults of a screen.
        QStringList faults;
        auto report = [&](const QString &control, const char *check, const QString &what) {
            faults << QStringLiteral("%1 [%2]: %3").arg(control, QLatin1String(check), what);
        };

        QList<std::pair<QString, QQuickItem *>> placed; // to keep apart
        for (const Control &c : screenControls.controls) {
            const QString name = QString::fromUtf8(c.name);
            QQuickItem *item = findControl(s.view()->contentItem(), name);
            if (!item) {
                report(name, "found", QStringLiteral("not found among the visible items"));
                continue;
            }
            if (screenControls.apart && c.kind != Kind::backdrop)
                placed.append({name, item});
            scrollIntoView(item);
            QCoreApplication::processEvents();
            const QRectF r = item->mapRectToScene(item->boundingRect());
            if (!window.adjusted(-0.5, -0.5, 0.5, 0.5).contains(r))
                report(name, "inside", QStringLiteral("%1 is not inside the %2x%3 window").arg(describe(item)).arg(size.width()).arg(size.height()));
            const QRectF hit = hitRect(item);
            if (c.kind == Kind::tap && (hit.width() < 44 - 0.01 || hit.height() < 44 - 0.01))
                report(name, "size", QStringLiteral("%1 takes touches in %2x%3, under 44 x 44")
                                         .arg(describe(item)).arg(hit.width()).arg(hit.height()));
            const QPointF centre = r.center();
            if (c.kind != Kind::backdrop && window.contains(centre)) {
                QList<QQuickItem *> under;
                itemsAt(s.view()->contentItem(), centre, under);
                // The topmost item there must be the control or part of it; items it lies on
                // (its ancestors) are behind it.
                QQuickItem *top = nullptr;
                for (auto it = under.crbegin(); it != under.crend(); ++it) {
                    if (isWithin(item, *it) && *it != item)
                        continue;
                    top = *it;
                    break;
                }
                if (top && !isWithin(top, item))
                    report(name, "covered", QStringLiteral("covered at its centre by %1").arg(describe(top)));
            }
        }
        // Two controls never lie over each other (a button drawn through a title), unless one is
        // part of the other.
        for (int i = 0; i < placed.size(); ++i)
            for (int j = i + 1; j < placed.size(); ++j) {
                QQuickItem *a = placed[i].second, *b = placed[j].second;
                if (isWithin(a, b) || isWithin(b, a))
                    continue;
                const QRectF ra = a->mapRectToScene(a->boundingRect()), rb = b->mapRectToScene(b->boundingRect());
                const QRectF both = ra & rb;
                if (both.width() > 0.5 && both.height() > 0.5)
                    report(placed[i].first, "apart", QStringLiteral("%1 overlaps %2").arg(describe(a), describe(b)));
            }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("\n  "))));
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
