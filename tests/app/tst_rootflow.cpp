// The app shell end to end: root decisions, the splash, the drone link start, the tab that
// survives a sign-out, and signing in from guest mode through settings. Real HTTPS to a local
// account service; only the aircraft SDK is a double.
#include "DevAccountService.h"
#include "InMemoryKeychainBackend.h"
#include "KeychainHelper.h"
#include "QmlSetup.h"
#include "ScreenHarness.h"
#include "TlsTestServer.h"

#include <QPointer>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickView>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QTest>

#include <atomic>

namespace {

struct Shell : ScreenHarness {
    QTemporaryDir dir;
    std::optional<TestCertificates> certs = TestCertificates::generate(dir.path());
    TlsTestServer server{*certs};
    DevAccountService service;
    InMemoryKeychainBackend *store = nullptr;
    QList<int> screens; // every root decision shown, in order

    explicit Shell(const QByteArray &storedToken = {}) : ScreenHarness(NoAppYet{})
    {
        server.listen();
        service.serve(server);
        QHash<QString, QByteArray> items;
        if (!storedToken.isEmpty())
            items.insert(tokenAccount(), storedToken);
        launch(items);
    }
    ~Shell() override { shutdown(); } // the app goes before the service it talks to

    static QString tokenAccount() { return KeychainHelper::rawValue(KeychainHelper::Key::authToken); }

    // A new process, as far as the app can tell: new objects, new window, the same stored items.
    void launch(const QHash<QString, QByteArray> &storedItems)
    {
        screens.clear();
        store = new InMemoryKeychainBackend;
        store->items = storedItems;
        ZeltrinPilotApp::Dependencies deps;
        deps.keychain = std::make_unique<KeychainHelper>(std::unique_ptr<KeychainBackend>(store));
        MRVNetworkClient::Options o;
        o.baseURL = server.baseURL();
        o.extraCaCertificates = {certs->ca};
        deps.accountClient = std::make_unique<MRVNetworkClient>(o);
        ScreenHarness::launch(std::move(deps));
        load(QUrl(QStringLiteral("qrc:/Zeltrin/app/qml/RootView.qml")));
        if (root())
            screens << screen();
        show();
    }
    void relaunch()
    {
        const auto items = store->items;
        shutdown();
        launch(items);
    }

    int screen() const { return root()->property("screen").toInt(); }
    void record()
    {
        if (screens.isEmpty() || screens.last() != screen())
            screens << screen();
    }
    bool waitForScreen(int which)
    {
        return QTest::qWaitFor([&] { record(); return screen() == which; }, 10000);
    }
};

constexpr int kSplash = 0;
constexpr int kTabs = 1;
constexpr int kGate = 2;

} // namespace

class TestRootFlow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { zeltrin::setupApplicationLook(); }
    // A binding that feeds itself is a layout that may never settle.
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral("Binding loop detected"))); }

    void launchDecisions_data()
    {
        QTest::addColumn<QByteArray>("storedToken");
        QTest::addColumn<int>("after");
        QTest::addColumn<int>("requests");
        QTest::addColumn<bool>("splashBuilt");
        // With nothing stored the check ends before the event loop first turns, so the splash
        // (which would start transparent) is never built; a check waiting on the service shows it.
        QTest::newRow("nothing stored: gate, no request") << QByteArray() << kGate << 0 << false;
        QTest::newRow("refused token: gate") << QByteArray("stale-token") << kGate << 1 << true;
    }
    void launchDecisions()
    {
        QFETCH(QByteArray, storedToken);
        QFETCH(int, after);
        QFETCH(int, requests);
        QFETCH(bool, splashBuilt);
        Shell s(storedToken);
        QVERIFY(s.root());
        QCOMPARE(s.screen(), kSplash); // the check is still running when the root is first shown
        QObject *first = nullptr;
        QVERIFY(QTest::qWaitFor([&] {
            first = s.root()->property("currentScreen").value<QObject *>();
            return first != nullptr;
        }, 5000));
        QCOMPARE(first->objectName() == QLatin1String("splashView"), splashBuilt);
        QVERIFY(s.waitForScreen(after));
        QCOMPARE(s.screens, (QList<int>{kSplash, after}));
        QCOMPARE(s.server.requests.size(), requests);
        // The link starts once per launch, signed in or not.
        QCOMPARE(s.fakeSdk()->connectionRequests, 1);
    }

    // With nothing stored the check ends before the splash is built; the gate still comes in
    // with the 0.35 s fade instead of popping up at full strength.
    void instantLaunchFadesTheGateIn()
    {
        Shell s;
        QVERIFY(s.waitForScreen(kGate));
        QQuickItem *holder = nullptr;
        QVERIFY(QTest::qWaitFor([&] {
            holder = s.root()->property("current").value<QQuickItem *>();
            return holder != nullptr;
        }, 5000));
        QVERIFY(QTest::qWaitForWindowExposed(s.view()));
        QVERIFY2(holder->opacity() < 1.0, "the gate started fully opaque");
        QTRY_COMPARE_WITH_TIMEOUT(holder->opacity(), 1.0, 2000);
        // The tab view is still built behind it once the fade is over.
        QTRY_VERIFY_WITH_TIMEOUT(s.root()->property("standby").value<QObject *>() != nullptr, 5000);
    }

    // The tab view starts building while the gate still fades in, whether alone or across from
    // the splash, so a pilot who taps within the fade does not wait for the whole tab view.
    void tabsStartBuildingDuringTheGatesFade_data()
    {
        QTest::addColumn<QByteArray>("storedToken");
        QTest::newRow("gate fading in alone") << QByteArray();
        QTest::newRow("gate cross-fading from the splash") << QByteArray("stale-token");
    }
    void tabsStartBuildingDuringTheGatesFade()
    {
        QFETCH(QByteArray, storedToken);
        Shell s(storedToken);
        QVERIFY(s.waitForScreen(kGate));
        QQuickItem *gate = nullptr;
        QObject *standby = nullptr;
        QVERIFY(QTest::qWaitFor([&] {
            gate = s.root()->property("current").value<QQuickItem *>();
            standby = s.root()->property("standby").value<QObject *>();
            return standby != nullptr || (gate && gate->opacity() >= 1.0);
        }, 5000));
        QVERIFY2(standby, "the tab view was not started before the gate's fade ended");
        QVERIFY(gate->opacity() < 1.0);
    }

    // Signing in stores the token; the next launch restores the session without a password.
    void restoredSessionGoesStraightToTabs()
    {
        Shell s;
        QVERIFY(s.waitForScreen(kGate));
        s.app()->authManager()->login(QString::fromLatin1(DevAccountService::kDemoEmail),
                                      QString::fromLatin1(DevAccountService::kDemoPassword));
        QVERIFY(s.waitForScreen(kTabs));
        QVERIFY(!s.store->items.value(Shell::tokenAccount()).isEmpty());
        s.app()->appState()->setSelectedTab(AppTab::logbook);

        const qsizetype before = s.server.requests.size();
        s.relaunch();
        QCOMPARE(s.screen(), kSplash);
        QVERIFY(s.waitForScreen(kTabs));
        QCOMPARE(s.screens, (QList<int>{kSplash, kTabs}));
        QCOMPARE(s.server.requests.size(), before + 1); // one GET /auth/me, no password
        QCOMPARE(s.server.requests.last().path, QByteArray("/v1/auth/me"));
        QCOMPARE(s.app()->appState()->selectedTab(), AppTab::dashboard); // a new run starts on the dashboard
        QCOMPARE(s.app()->authManager()->email(), QString::fromLatin1(DevAccountService::kDemoEmail));
    }

    void guestAndSignOutKeepTheTab()
    {
        Shell s;
        QVERIFY(s.waitForScreen(kGate));
        s.app()->authManager()->continueAsGuest();
        QVERIFY(s.waitForScreen(kTabs));
        s.app()->appState()->setSelectedTab(AppTab::camera);
        s.app()->authManager()->logout();
        QVERIFY(s.waitForScreen(kGate));
        s.app()->authManager()->continueAsGuest();
        QVERIFY(s.waitForScreen(kTabs));
        QCOMPARE(s.app()->appState()->selectedTab(), AppTab::camera);
        QCOMPARE(s.screens, (QList<int>{kSplash, kGate, kTabs, kGate, kTabs})); // the splash never returns
        QCOMPARE(s.fakeSdk()->connectionRequests, 1);
        QCOMPARE(s.server.requests.size(), 0); // guest entry asks nothing of the service
    }

    // The tab view's build waits for a frame that paints the gate: started with the frame that
    // begins the gate's fade, its first slices held back the fade's first step by some 30 ms.
    void tabsBuildOnceTheGateIsPainted_data() { tabsStartBuildingDuringTheGatesFade_data(); }
    void tabsBuildOnceTheGateIsPainted()
    {
        QFETCH(QByteArray, storedToken);
        Shell s(storedToken);
        // Read at each sync, while the GUI thread waits whichever thread renders: the frame
        // swapped next paints the gate when its holder is above opacity 0.
        std::atomic<bool> nextPaintsGate{false}, gatePainted{false}, builtBeforeThePaint{false};
        QObject watching; // goes before the shell, and the connections with it
        QObject::connect(
            s.view(), &QQuickWindow::beforeSynchronizing, &watching,
            [&] {
                if (!s.root())
                    return;
                if (s.root()->property("standby").value<QObject *>() && !gatePainted)
                    builtBeforeThePaint = true;
                const auto *holder = s.root()->property("current").value<QQuickItem *>();
                nextPaintsGate = s.screen() == kGate && holder && holder->opacity() > 0;
            },
            Qt::DirectConnection);
        QObject::connect(
            s.view(), &QQuickWindow::frameSwapped, &watching,
            [&] {
                if (nextPaintsGate)
                    gatePainted = true;
            },
            Qt::DirectConnection);
        QVERIFY(s.waitForScreen(kGate));
        QVERIFY(QTest::qWaitFor([&] { return s.root()->property("standby").value<QObject *>() != nullptr; }, 5000));
        QTest::qWait(100); // the fade's next frames, synced after the build started
        QVERIFY(gatePainted);
        QVERIFY2(!builtBeforeThePaint, "the tab view's build started before a frame painted the gate");
    }

    // While the gate is up the tab view is built out of sight; entering shows that very view,
    // whether its build has finished or is cut short by an early tap, and a sign-out builds the
    // next one behind the new gate.
    void tabsWaitBehindTheGate_data()
    {
        QTest::addColumn<bool>("waitForBuild");
        QTest::newRow("tap after the build") << true;
        QTest::newRow("tap during the build") << false;
    }
    void tabsWaitBehindTheGate()
    {
        QFETCH(bool, waitForBuild);
        Shell s;
        QVERIFY(s.waitForScreen(kGate));
        QObject *gate = s.root()->property("currentScreen").value<QObject *>();
        QVERIFY(gate);
        auto standby = [&] { return s.root()->property("standby").value<QQuickItem *>(); };
        auto loaded = [](QQuickItem *holder) { return holder->property("item").value<QObject *>(); };
        QVERIFY(QTest::qWaitFor([&] { return standby() != nullptr; }, 5000));
        QPointer<QQuickItem> holder = standby();
        QVERIFY(!holder->isVisible());
        QVERIFY(!holder->isEnabled());
        if (waitForBuild)
            QVERIFY(QTest::qWaitFor([&] { return loaded(holder) != nullptr; }, 5000));
        else
            QCOMPARE(loaded(holder), nullptr);
        QCOMPARE(s.root()->property("currentScreen").value<QObject *>(), gate);

        s.app()->authManager()->continueAsGuest();
        // Shown at once, finished on the spot if it was still being built.
        QObject *tabs = s.root()->property("currentScreen").value<QObject *>();
        QVERIFY(tabs);
        QCOMPARE(tabs, loaded(holder));
        QVERIFY(holder->isVisible());
        QVERIFY(holder->isEnabled());
        QCOMPARE(standby(), nullptr);
        QVERIFY(tabs->property("tabModel").value<QObject *>());

        s.app()->authManager()->logout();
        QVERIFY(s.waitForScreen(kGate));
        QVERIFY(QTest::qWaitFor([&] { return standby() != nullptr && loaded(standby()) != nullptr; }, 5000));
        QVERIFY(standby() != holder.data());
        QTRY_VERIFY(!holder); // the previous tab view goes with its fade
    }

    // Whichever way the pilot enters, the dashboard is drawn with its content once the
    // cross-fade ends: not only the banner and the tab bar around an empty page.
    void enteringShowsTheDashboardsContent_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("guest, tab view built behind the gate") << QStringLiteral("guest-built");
        QTest::newRow("guest, tap during the build") << QStringLiteral("guest-early");
        QTest::newRow("sign-in") << QStringLiteral("sign-in");
    }
    void enteringShowsTheDashboardsContent()
    {
        QFETCH(QString, how);
        Shell s;
        QVERIFY(s.waitForScreen(kGate));
        auto standby = [&] { return s.root()->property("standby").value<QQuickItem *>(); };
        if (how == QLatin1String("guest-built")) {
            QVERIFY(QTest::qWaitFor([&] {
                return standby() && standby()->property("item").value<QObject *>();
            }, 5000));
            s.app()->authManager()->continueAsGuest();
        } else if (how == QLatin1String("guest-early")) {
            s.app()->authManager()->continueAsGuest();
        } else {
            s.app()->authManager()->login(QString::fromLatin1(DevAccountService::kDemoEmail),
                                          QString::fromLatin1(DevAccountService::kDemoPassword));
        }
        QVERIFY(s.waitForScreen(kTabs));
        QQuickItem *dashboard = nullptr;
        QVERIFY(QTest::qWaitFor([&] {
            QObject *tabs = s.root()->property("currentScreen").value<QObject *>();
            QVariant screen;
            if (tabs)
                QMetaObject::invokeMethod(tabs, "screenAt", Q_RETURN_ARG(QVariant, screen), Q_ARG(QVariant, 0));
            dashboard = screen.value<QQuickItem *>();
            return dashboard != nullptr;
        }, 5000));
        QTest::qWait(600); // the 0.35 s cross-fade
        QVERIFY(dashboard->isVisible());
        QVERIFY(dashboard->width() > 300 && dashboard->height() > 600);

        // From the pixels: the page between the banner and the tab bar holds the gold title
        // and the cards' lighter surfaces, not one flat colour.
        const QImage shot = s.grab();
        QVERIFY(!shot.isNull());
        const QRectF area = dashboard->mapRectToScene(QRectF(0, 0, dashboard->width(), dashboard->height()));
        const qreal dpr = shot.devicePixelRatio();
        int gold = 0, raised = 0;
        for (int y = int(area.top() * dpr); y < int(area.bottom() * dpr); y += 2) {
            for (int x = int(area.left() * dpr); x < int(area.right() * dpr); x += 2) {
                const QColor c = shot.pixelColor(x, y);
                if (c.red() > 150 && c.green() > 100 && c.blue() < 80)
                    ++gold;
                else if (qGray(c.rgb()) > 0x22)
                    ++raised;
            }
        }
        QVERIFY2(gold > 20, qPrintable(QStringLiteral("no gold title: %1 gold pixels").arg(gold)));
        QVERIFY2(raised > 2000, qPrintable(QStringLiteral("no cards: %1 lighter pixels").arg(raised)));
    }

    // Guest -> settings -> sign in through the pushed gate: still in the main screens, and the
    // login sheet stays open until the pilot closes it.
    void signInFromGuestSettings()
    {
        Shell s;
        QVERIFY(s.waitForScreen(kGate));
        s.app()->authManager()->continueAsGuest();
        QVERIFY(s.waitForScreen(kTabs));
        s.app()->appState()->setSelectedTab(AppTab::settings);

        QObject *settings = nullptr;
        QVERIFY(QTest::qWaitFor([&] {
            QObject *tabs = s.root()->property("currentScreen").value<QObject *>();
            QVariant screen;
            if (tabs)
                QMetaObject::invokeMethod(tabs, "screenAt", Q_RETURN_ARG(QVariant, screen), Q_ARG(QVariant, 5));
            settings = screen.value<QObject *>();
            return settings != nullptr;
        }, 5000));
        QVariant page;
        QVERIFY(QMetaObject::invokeMethod(settings, "openSignIn", Q_RETURN_ARG(QVariant, page)));
        QVERIFY(page.value<QObject *>());
        QObject *gate = page.value<QObject *>()->property("gate").value<QObject *>();
        QVERIFY(gate);
        gate->setProperty("showLogin", true);
        QObject *sheet = gate->property("loginSheet").value<QObject *>();
        QVERIFY(sheet);
        QVERIFY(QTest::qWaitFor([&] { return sheet->property("sheetItem").value<QObject *>() != nullptr; }, 5000));
        QObject *login = sheet->property("sheetItem").value<QObject *>()->property("model").value<QObject *>();
        QVERIFY(login);
        login->setProperty("email", QString::fromLatin1(DevAccountService::kDemoEmail));
        login->setProperty("password", QString::fromLatin1(DevAccountService::kDemoPassword));
        QVERIFY(QMetaObject::invokeMethod(login, "signIn"));
        QVERIFY(QTest::qWaitFor([&] { return s.app()->authManager()->hasCurrentUser(); }, 10000));
        QTest::qWait(500);
        s.record();
        QCOMPARE(s.screen(), kTabs);
        QCOMPARE(s.screens.last(), kTabs);
        QVERIFY(sheet->property("shown").toBool());
        QCOMPARE(gate->property("showLogin").toBool(), true);
    }
};

QTEST_MAIN(TestRootFlow)
#include "tst_rootflow.moc"
