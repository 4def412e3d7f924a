#pragma once

// The whole app in a window, driven by touch, against a real HTTPS account service on 127.0.0.1
// and an in-memory token store. Shared by the sign-in and settings view tests.
#include "DevAccountService.h"
#include "InMemoryKeychainBackend.h"
#include "KeychainHelper.h"
#include "QmlSetup.h"
#include "ScreenHarness.h"
#include "TlsTestServer.h"

#include <QQuickItem>
#include <QTemporaryDir>
#include <QTest>

namespace sessiontest {

constexpr int kSplash = 0;
constexpr int kTabs = 1;
constexpr int kGate = 2;

// A token the service accepts without a password having been typed in this run.
inline constexpr char kKeptToken[] = "kept-token";

// The visible item under `root` whose `text` (or accessible name) is `text`.
inline QQuickItem *findByText(QQuickItem *root, const QString &text)
{
    if (!root->isVisible())
        return nullptr;
    const QVariant t = root->property("text");
    if (t.isValid() && t.toString() == text)
        return root;
    for (QQuickItem *child : root->childItems())
        if (QQuickItem *found = findByText(child, text))
            return found;
    return nullptr;
}

// The memory store, reporting its items as kept in the weaker file store.
struct WeakerMemoryStore : InMemoryKeychainBackend {
    bool keepsInWeakerStore(const QString &) const override { return true; }
};

struct Shell : ScreenHarness {
    QTemporaryDir dir;
    std::optional<TestCertificates> certs = TestCertificates::generate(dir.path());
    TlsTestServer server{*certs};
    DevAccountService service;
    InMemoryKeychainBackend *store = nullptr;

    Shell() : ScreenHarness(NoAppYet{})
    {
        server.listen();
        server.setHandler([this](const RecordedRequest &r) {
            if (r.path == "/v1/auth/me" && r.header("Authorization") == QByteArray("Bearer ") + kKeptToken)
                return ScriptedReply::json(200, DevAccountService::demoUserJson());
            return service.handle(r);
        });
    }
    ~Shell() override { shutdown(); } // the app goes before the service it talks to

    static QString tokenAccount() { return KeychainHelper::rawValue(KeychainHelper::Key::authToken); }
    bool hasStoredToken() const { return store->items.contains(tokenAccount()); }

    bool weakerStore = false; // set before launch()

    void launch(const QByteArray &storedToken, QSize size = kPhone)
    {
        store = weakerStore ? new WeakerMemoryStore : new InMemoryKeychainBackend;
        if (!storedToken.isEmpty())
            store->items.insert(tokenAccount(), storedToken);
        ZeltrinPilotApp::Dependencies deps;
        deps.keychain = std::make_unique<KeychainHelper>(std::unique_ptr<KeychainBackend>(store));
        MRVNetworkClient::Options o;
        o.baseURL = server.baseURL();
        o.extraCaCertificates = {certs->ca};
        deps.accountClient = std::make_unique<MRVNetworkClient>(o);
        ScreenHarness::launch(std::move(deps));
        if (load(QUrl(QStringLiteral("qrc:/Zeltrin/app/qml/RootView.qml")), size))
            show();
    }

    MRVAuthManager *auth() const { return app()->authManager(); }
    int screen() const { return root()->property("screen").toInt(); }
    QQuickItem *currentScreen() const { return root()->property("currentScreen").value<QQuickItem *>(); }
    bool waitForScreen(int which)
    {
        return QTest::qWaitFor([&] { return screen() == which && currentScreen(); }, 10000);
    }

    // The settings tab, once it is built.
    QQuickItem *openSettings()
    {
        app()->appState()->setSelectedTab(AppTab::settings);
        QQuickItem *settings = nullptr;
        (void)QTest::qWaitFor([&] {
            QObject *tabs = currentScreen();
            QVariant s;
            if (tabs)
                QMetaObject::invokeMethod(tabs, "screenAt", Q_RETURN_ARG(QVariant, s), Q_ARG(QVariant, 5));
            settings = s.value<QQuickItem *>();
            return settings != nullptr && settings->isVisible();
        }, 5000);
        QTest::qWait(450); // the tab's cross-fade
        return settings;
    }

    // Whether the item's centre, where a finger taps it, lies inside the window and inside
    // `clipper` (when given).
    bool isReachable(QQuickItem *item, QQuickItem *clipper = nullptr) const
    {
        // The tap lands on the pixel at the centre, so the centre must lie on a pixel inside: a
        // centre on the window's bottom edge (y == height) is past the last row.
        const QPoint c = centreOf(item);
        if (!QRect(0, 0, view()->width(), view()->height()).contains(c))
            return false;
        return !clipper || clipper->mapRectToScene(QRectF(0, 0, clipper->width(), clipper->height())).toAlignedRect().contains(c);
    }
    // A finger's tap, held a moment as a finger is.
    void tap(QQuickItem *item) { ScreenHarness::tap(item, true, 40); }
    void tapAt(QPoint p) { ScreenHarness::tap(p, true, 40); }
    // A finger's drag in small steps, held still at the end so nothing flings on.
    void drag(QPoint from, QPoint to, int steps = 12)
    {
        ScreenHarness::drag(from, to, true, {.steps = steps, .stepMs = 16, .holdMs = 120, .afterMs = 60});
    }
};

} // namespace sessiontest
