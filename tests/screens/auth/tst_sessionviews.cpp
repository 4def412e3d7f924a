// The sign-in screens by touch, in the whole app: resuming a kept session from the gate, the
// splash's way on while the check hangs, and the login sheet reaching "Sign In" after an error on
// short windows.
#include "Keyboard.h"
#include "SessionShell.h"

#include <QElapsedTimer>
#include <QQuickView>

using namespace sessiontest;

namespace {

// Drags the sheet's content up (or down) until `item`'s centre shows inside it.
bool reveal(Shell &s, QQuickItem *scroller, QQuickItem *item)
{
    for (int i = 0; i < 8 && !s.isReachable(item, scroller); ++i) {
        // The part of the sheet on screen: at the medium height its lower part lies past the window.
        const QRectF area = scroller->mapRectToScene(QRectF(0, 0, scroller->width(), scroller->height()))
                                .intersected(QRectF(0, 0, s.view()->width(), s.view()->height()));
        const bool below = centreOf(item).y() > area.bottom();
        const int x = int(area.left() + area.width() * 0.9); // beside the fields, on the background
        const int hi = int(area.top() + area.height() * 0.2), lo = int(area.top() + area.height() * 0.8);
        if (below)
            s.drag({x, lo}, {x, hi});
        else
            s.drag({x, hi}, {x, lo});
        // The drag's last step can leave the content gliding on; a tap on gliding content only
        // stops it, as it would under a pilot's finger, so wait for it to rest.
        for (int wait = 0; wait < 100 && scroller->property("moving").toBool(); ++wait)
            QTest::qWait(50);
    }
    // Tap once the item has stopped moving, as a finger would.
    QPoint at = centreOf(item);
    for (int wait = 0; wait < 60; ++wait) {
        QTest::qWait(50);
        const QPoint now = centreOf(item);
        if (now == at)
            break;
        at = now;
    }
    return s.isReachable(item, scroller);
}

void typeInto(Shell &s, QQuickItem *scroller, QQuickItem *field, const QString &text)
{
    QVERIFY(reveal(s, scroller, field));
    s.tap(field);
    QTRY_VERIFY(field->hasActiveFocus());
    QTest::keyClick(s.view(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(s.view(), Qt::Key_Backspace);
    for (const QChar c : text)
        QTest::keyClick(s.view(), c.toLatin1());
    QCOMPARE(field->property("text").toString(), text);
}

// Launches signed out at `size` and opens the login sheet from the gate by finger; `*page` is the
// login page once the sheet has slid in.
void openLoginSheet(Shell &s, QSize size, QQuickItem **page)
{
    s.launch({}, size);
    QVERIFY(s.waitForScreen(kGate));
    QTest::qWait(400);
    QQuickItem *gate = s.currentScreen();
    s.tap(findItem(gate, QStringLiteral("signInWithAccount")));
    QObject *sheet = gate->property("loginSheet").value<QObject *>();
    QVERIFY(sheet);
    QTRY_VERIFY(sheet->property("shown").toBool());
    QTest::qWait(400); // the sheet's slide
    // The sheet's loader holds the login page.
    QTRY_VERIFY((*page = sheet->property("sheetItem").value<QObject *>()->property("item").value<QQuickItem *>()));
}

int loginRequests(const Shell &s)
{
    int n = 0;
    for (const RecordedRequest &r : s.server.requests)
        n += r.path == "/v1/auth/login";
    return n;
}

} // namespace

class TestSessionViews : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { zeltrin::setupApplicationLook(); }
    // A binding that feeds itself is a layout that may never settle.
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral("Binding loop detected"))); }

    void gateResumesKeptSession_data()
    {
        QTest::addColumn<QByteArray>("token");
        QTest::addColumn<bool>("serviceBack");
        QTest::addColumn<int>("after");
        QTest::addColumn<bool>("stillKept");
        QTest::newRow("service back: signed in") << QByteArray(kKeptToken) << true << kTabs << true;
        QTest::newRow("token refused: gate, offer gone") << QByteArray("stale-token") << true << kGate << false;
        QTest::newRow("service still down: offer stays") << QByteArray(kKeptToken) << false << kGate << true;
    }
    // The start-up check failed for want of the service: the gate offers the kept session, and a
    // tap tries it again.
    void gateResumesKeptSession()
    {
        QFETCH(QByteArray, token);
        QFETCH(bool, serviceBack);
        QFETCH(int, after);
        QFETCH(bool, stillKept);
        Shell s;
        s.server.enqueue(ScriptedReply::json(503, R"({"error":"unavailable"})"));
        if (!serviceBack)
            s.server.enqueue(ScriptedReply::json(503, R"({"error":"unavailable"})"));
        s.launch(token);
        QVERIFY(s.waitForScreen(kGate));
        QQuickItem *resume = nullptr;
        QTRY_VERIFY((resume = findItem(s.currentScreen(), QStringLiteral("resumeSavedSession"))) && resume->isVisible());
        QCOMPARE(resume->property("text").toString(), QStringLiteral("Resume Saved Session"));
        QTest::qWait(400); // the gate's fade
        s.tap(resume);
        QTRY_VERIFY_WITH_TIMEOUT(!s.auth()->isLoading(), 10000);
        QVERIFY(s.waitForScreen(after));
        QCOMPARE(s.hasStoredToken(), stillKept);
        QCOMPARE(s.server.requests.size(), 2);
        if (after == kTabs) {
            QVERIFY(s.auth()->hasCurrentUser());
            QQuickItem *settings = s.openSettings();
            QVERIFY(settings);
            QVERIFY(findByText(settings, s.auth()->displayName()));
            QVERIFY(!findByText(settings, QStringLiteral("Guest Mode")));
        } else {
            QQuickItem *button = findItem(s.currentScreen(), QStringLiteral("resumeSavedSession"));
            QCOMPARE(button->isVisible(), stillKept);
            if (stillKept) {
                QVERIFY(button->isEnabled());
                QCOMPARE(button->property("text").toString(), QStringLiteral("Resume Saved Session"));
            }
        }
    }

    // A check that never ends: after 3 s the splash offers to go on as a guest; the token stays.
    void splashOffersGuestAfterThreeSeconds()
    {
        Shell s;
        ScriptedReply stall;
        stall.stall = true;
        s.server.enqueue(stall);
        QElapsedTimer t;
        t.start();
        s.launch(kKeptToken);
        QVERIFY(QTest::qWaitForWindowExposed(s.view()));
        QQuickItem *button = nullptr;
        QTRY_VERIFY((button = findItem(s.root(), QStringLiteral("splashContinueAsGuest"))));
        QTest::qWait(1500);
        QCOMPARE(s.screen(), kSplash);
        QVERIFY2(!button->isVisible() || t.elapsed() >= 3000, "offered before 3 s");
        QTRY_VERIFY_WITH_TIMEOUT(button->isVisible(), 5000);
        QVERIFY2(t.elapsed() >= 2900, qPrintable(QString::number(t.elapsed())));
        QVERIFY(s.isReachable(button));
        s.tap(button);
        QVERIFY(s.waitForScreen(kTabs));
        QVERIFY(!s.auth()->hasCurrentUser());
        QVERIFY(s.hasStoredToken());
        QVERIFY(s.auth()->hasStoredSession());
        QQuickItem *settings = s.openSettings();
        QVERIFY(settings);
        QVERIFY(findByText(settings, QStringLiteral("Guest Mode")));
        QVERIFY(findItem(settings, QStringLiteral("resumeSessionGuest"))->isVisible());
    }

    void signInReachableAfterError_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("320x568") << QSize(320, 568);
        QTest::newRow("844x390") << QSize(844, 390);
        QTest::newRow("390x844") << QSize(390, 844);
    }
    // A wrong password, its error, then the corrected password and "Sign In" reached by dragging
    // the sheet: every step by finger.
    void signInReachableAfterError()
    {
        QFETCH(QSize, size);
        Shell s;
        QQuickItem *page = nullptr;
        openLoginSheet(s, size, &page);
        QVERIFY(page);
        QQuickItem *scroller = page->property("scroller").value<QQuickItem *>();
        QQuickItem *email = findItem(page, QStringLiteral("emailField"));
        QQuickItem *password = findItem(page, QStringLiteral("passwordField"));
        QQuickItem *signIn = findItem(page, QStringLiteral("signInButton"));
        QQuickItem *error = findItem(page, QStringLiteral("loginError"));
        QVERIFY(scroller && email && password && signIn && error);

        typeInto(s, scroller, email, QString::fromLatin1(DevAccountService::kDemoEmail));
        typeInto(s, scroller, password, QStringLiteral("not-the-password"));
        QVERIFY(reveal(s, scroller, signIn));
        s.tap(signIn);
        QTRY_VERIFY_WITH_TIMEOUT(error->isVisible(), 10000);
        QCOMPARE(error->property("text").toString(), QStringLiteral("Invalid email or password."));
        QCOMPARE(loginRequests(s), 1);
        QVERIFY(signIn->isEnabled());

        typeInto(s, scroller, password, QString::fromLatin1(DevAccountService::kDemoPassword));
        QVERIFY2(reveal(s, scroller, signIn), "Sign In cannot be dragged into view");
        const QPoint tappedAt = centreOf(signIn);
        s.tap(signIn);
        if (!QTest::qWaitFor([&] { return loginRequests(s) == 2; }, 10000))
            QFAIL(qPrintable(QString::asprintf("no second sign-in: tapped (%d,%d), button now at (%d,%d), enabled %d, "
                                               "scroller moving %d, %d request(s)",
                                               tappedAt.x(), tappedAt.y(), centreOf(signIn).x(), centreOf(signIn).y(),
                                               int(signIn->isEnabled()), int(scroller->property("moving").toBool()),
                                               loginRequests(s))));
        QVERIFY(s.waitForScreen(kTabs));
        QVERIFY(s.auth()->hasCurrentUser());
        QVERIFY(s.hasStoredToken());
    }

    void keyboardKeepsFocusedFieldInView_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("keyboard"); // its height
        QTest::newRow("320x568") << QSize(320, 568) << 260;
        QTest::newRow("844x390") << QSize(844, 390) << 160;
        QTest::newRow("390x844") << QSize(390, 844) << 300;
    }
    // An on-screen keyboard rises: the sheet lifts above it, and each focused field, the e-mail
    // tapped and then the password reached by Return, shows whole above the keys.
    void keyboardKeepsFocusedFieldInView()
    {
        QFETCH(QSize, size);
        QFETCH(int, keyboard);
        struct Hide { ~Hide() { Keyboard::instance()->simulate(std::nullopt); } } hide;
        Shell s;
        QQuickItem *page = nullptr;
        openLoginSheet(s, size, &page);
        QVERIFY(page);
        QQuickItem *scroller = page->property("scroller").value<QQuickItem *>();
        QQuickItem *email = findItem(page, QStringLiteral("emailField"));
        QQuickItem *password = findItem(page, QStringLiteral("passwordField"));
        QVERIFY(scroller && email && password);

        s.tap(email);
        QTRY_VERIFY(email->hasActiveFocus());
        const QRectF keys(0, size.height() - keyboard, size.width(), keyboard);
        Keyboard::instance()->simulate(keys);
        const auto wholeAboveKeys = [&](QQuickItem *field) {
            const QRectF r = field->mapRectToScene(QRectF(0, 0, field->width(), field->height()));
            const QRectF shown = scroller->mapRectToScene(QRectF(0, 0, scroller->width(), scroller->height()));
            return r.top() >= shown.top() && r.top() >= 0 && r.bottom() <= keys.top() && r.bottom() <= shown.bottom();
        };
        QTRY_VERIFY2(wholeAboveKeys(email), "the e-mail field lies under the keyboard");
        QTest::qWait(300); // the lift's slide
        QVERIFY(wholeAboveKeys(email));
        QTest::keyClick(s.view(), 'a');
        QTest::keyClick(s.view(), Qt::Key_Return);
        QTRY_VERIFY(password->hasActiveFocus());
        QTRY_VERIFY2(wholeAboveKeys(password), "the password field lies under the keyboard");
        QVERIFY(s.isReachable(password, scroller));

        // The keyboard goes: the sheet settles back to its detent.
        Keyboard::instance()->simulate(std::nullopt);
        QTRY_VERIFY(scroller->mapToScene(QPointF(0, scroller->height())).y() >= size.height() - 1);
    }
};

QTEST_MAIN(TestSessionViews)
#include "tst_sessionviews.moc"
