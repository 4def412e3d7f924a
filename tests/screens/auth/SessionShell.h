#pragma once

// The whole app in a window, driven by touch, against a real HTTPS account service on 127.0.0.1
// and an in-memory token store. Shared by the sign-in and settings view tests.
#include "DevAccountService.h"
#include "FakeDJISDK.h"
#include "InMemoryKeychainBackend.h"
#include "KeychainHelper.h"
#include "QmlSetup.h"
#include "QuickItems.h"
#include "TlsTestServer.h"
#include "ZeltrinPilotApp.h"

#include <QPointingDevice>
#include <QQuickItem>
#include <QQuickView>
#include <QTemporaryDir>
#include <QTest>

namespace sessiontest {

constexpr int kSplash = 0;
constexpr int kTabs = 1;
constexpr int kGate = 2;

// A token the service accepts without a password having been typed in this run.
inline constexpr char kKeptToken[] = "kept-token";

inline QPointingDevice *touchscreen()
{
    static QPointingDevice *dev = QTest::createTouchDevice();
    return dev;
}

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

struct Shell {
    QTemporaryDir dir;
    std::optional<TestCertificates> certs = TestCertificates::generate(dir.path());
    TlsTestServer server{*certs};
    DevAccountService service;
    InMemoryKeychainBackend *store = nullptr;
    std::unique_ptr<ZeltrinPilotApp> app;
    std::unique_ptr<QQuickView> view;

    Shell()
    {
        server.listen();
        server.setHandler([this](const RecordedRequest &r) {
            if (r.path == "/v1/auth/me" && r.header("Authorization") == QByteArray("Bearer ") + kKeptToken)
                return ScriptedReply::json(200, DevAccountService::demoUserJson());
            return service.handle(r);
        });
    }
    ~Shell()
    {
        // The screens go while their window and its renderer still exist.
        if (view) {
            view->setSource(QUrl());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
        }
        view.reset();
        app.reset();
    }

    static QString tokenAccount() { return KeychainHelper::rawValue(KeychainHelper::Key::authToken); }
    bool hasStoredToken() const { return store->items.contains(tokenAccount()); }

    bool weakerStore = false; // set before launch()

    void launch(const QByteArray &storedToken, QSize size = QSize(390, 844))
    {
        store = weakerStore ? new WeakerMemoryStore : new InMemoryKeychainBackend;
        if (!storedToken.isEmpty())
            store->items.insert(tokenAccount(), storedToken);
        ZeltrinPilotApp::Dependencies deps;
        deps.sdk = std::make_unique<FakeDJISDK>();
        deps.keychain = std::make_unique<KeychainHelper>(std::unique_ptr<KeychainBackend>(store));
        MRVNetworkClient::Options o;
        o.baseURL = server.baseURL();
        o.extraCaCertificates = {certs->ca};
        deps.accountClient = std::make_unique<MRVNetworkClient>(o);
        app = std::make_unique<ZeltrinPilotApp>(std::move(deps));
        app->droneManager()->setLogSink([](const QString &) {});
        view = std::make_unique<QQuickView>();
        zeltrin::setupEngine(*view->engine());
        app->attachTo(*view->engine());
        view->setResizeMode(QQuickView::SizeRootObjectToView);
        view->resize(size);
        view->setSource(QUrl(QStringLiteral("qrc:/Zeltrin/app/qml/RootView.qml")));
        view->show();
    }

    MRVAuthManager *auth() const { return app->authManager(); }
    QQuickItem *root() const { return view->rootObject(); }
    int screen() const { return root()->property("screen").toInt(); }
    QQuickItem *currentScreen() const { return root()->property("currentScreen").value<QQuickItem *>(); }
    bool waitForScreen(int which)
    {
        return QTest::qWaitFor([&] { return screen() == which && currentScreen(); }, 10000);
    }

    // The settings tab, once it is built.
    QQuickItem *openSettings()
    {
        app->appState()->setSelectedTab(AppTab::settings);
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

    QPoint centreOf(QQuickItem *item) const
    {
        return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
    }
    // Whether the item's centre, where a finger taps it, lies inside the window and inside
    // `clipper` (when given).
    bool isReachable(QQuickItem *item, QQuickItem *clipper = nullptr) const
    {
        // The tap lands on the pixel at the centre, so the centre must lie on a pixel inside: a
        // centre on the window's bottom edge (y == height) is past the last row.
        const QPoint c = centreOf(item);
        if (!QRect(0, 0, view->width(), view->height()).contains(c))
            return false;
        return !clipper || clipper->mapRectToScene(QRectF(0, 0, clipper->width(), clipper->height())).toAlignedRect().contains(c);
    }
    void tap(QQuickItem *item) { tapAt(centreOf(item)); }
    void tapAt(QPoint p)
    {
        QTest::touchEvent(view.get(), touchscreen()).press(0, p, view.get());
        QTest::qWait(40);
        QTest::touchEvent(view.get(), touchscreen()).release(0, p, view.get());
        QTest::qWait(20);
    }
    // A finger's drag in small steps, held still at the end so nothing flings on.
    void drag(QPoint from, QPoint to, int steps = 12)
    {
        QTest::touchEvent(view.get(), touchscreen()).press(0, from, view.get());
        for (int i = 1; i <= steps; ++i) {
            QTest::qWait(16);
            const QPoint p = from + (to - from) * i / steps;
            QTest::touchEvent(view.get(), touchscreen()).move(0, p, view.get());
        }
        QTest::qWait(120);
        QTest::touchEvent(view.get(), touchscreen()).move(0, to, view.get());
        QTest::touchEvent(view.get(), touchscreen()).release(0, to, view.get());
        QTest::qWait(60);
    }
};

} // namespace sessiontest
