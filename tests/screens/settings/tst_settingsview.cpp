// Settings' kept-session rows by touch, in the whole app: resume and forget in guest mode,
// forget when signed in, the one-time notice that the session lies in the file store, and the
// pages no browser can open.
#include "../auth/SessionShell.h"

#include <QClipboard>
#include <QPointer>
#include <QQuickView>
#include <QSettings>
#include <QStandardPaths>

using namespace sessiontest;

class TestSettingsView : public QObject
{
    Q_OBJECT
    QTemporaryDir m_config;

    // In guest mode with a session kept after the service failed at start-up.
    QQuickItem *guestSettingsWithKeptSession(Shell &s)
    {
        s.server.enqueue(ScriptedReply::json(503, R"({"error":"unavailable"})"));
        s.launch(kKeptToken);
        if (!s.waitForScreen(kGate))
            return nullptr;
        QTest::qWait(400);
        s.tap(findItem(s.currentScreen(), QStringLiteral("gateContinueAsGuest")));
        if (!s.waitForScreen(kTabs))
            return nullptr;
        return s.openSettings();
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The notice's "seen" flag lives in the preference store: a fresh one per run.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        zeltrin::setupApplicationLook();
    }

    void guestKeptSession_data()
    {
        QTest::addColumn<QString>("row");
        QTest::newRow("resume") << "resumeSessionGuest";
        QTest::newRow("forget") << "forgetSessionGuest";
    }
    void guestKeptSession()
    {
        QFETCH(QString, row);
        Shell s;
        QQuickItem *settings = guestSettingsWithKeptSession(s);
        QVERIFY(settings);
        QQuickItem *resume = findItem(settings, QStringLiteral("resumeSessionGuest"));
        QQuickItem *forget = findItem(settings, QStringLiteral("forgetSessionGuest"));
        QVERIFY(resume && resume->isVisible() && forget && forget->isVisible());
        s.tap(findItem(settings, row));
        if (row == QLatin1String("resumeSessionGuest")) {
            QTRY_VERIFY_WITH_TIMEOUT(s.auth()->hasCurrentUser(), 10000);
            QTRY_VERIFY(findByText(settings, s.auth()->displayName()));
            QVERIFY(!findByText(settings, QStringLiteral("Guest Mode")));
            QVERIFY(findItem(settings, QStringLiteral("forgetSessionSignedIn"))->isVisible());
            QVERIFY(s.hasStoredToken());
        } else {
            QTRY_VERIFY(!s.hasStoredToken());
            QTRY_VERIFY(!forget->isVisible());
            QVERIFY(!resume->isVisible());
            QVERIFY(findByText(settings, QStringLiteral("Guest Mode")));
            QCOMPARE(s.screen(), kTabs);
        }
    }

    // Signed in: forgetting the kept token keeps the pilot signed in for this run.
    void signedInForgetsKeptSession()
    {
        Shell s;
        s.launch(kKeptToken);
        QVERIFY(s.waitForScreen(kTabs));
        QQuickItem *settings = s.openSettings();
        QVERIFY(settings);
        QQuickItem *forget = findItem(settings, QStringLiteral("forgetSessionSignedIn"));
        QVERIFY(forget && forget->isVisible());
        s.tap(forget);
        QTRY_VERIFY(!s.hasStoredToken());
        QTRY_VERIFY(!forget->isVisible());
        QVERIFY(s.auth()->hasCurrentUser());
        QVERIFY(findByText(settings, QStringLiteral("Sign Out")));
        QCOMPARE(s.screen(), kTabs);
    }

    // No keyring answered: Settings says once that the session lies in the file store. "OK"
    // puts the notice away for good; a guest with nothing kept is never told.
    void fileStoreNoticeShownOnce()
    {
        QSettings().remove(QStringLiteral("fileStoreNoticeSeen"));
        for (int launch = 0; launch < 2; ++launch) {
            Shell s;
            s.weakerStore = true;
            s.launch(kKeptToken);
            QVERIFY(s.waitForScreen(kTabs));
            QQuickItem *settings = s.openSettings();
            QVERIFY(settings);
            QQuickItem *notice = findItem(settings, QStringLiteral("fileStoreNotice"));
            QVERIFY(notice);
            QCOMPARE(notice->isVisible(), launch == 0);
            if (launch == 0) {
                QQuickItem *ok = findByText(notice, QStringLiteral("OK"));
                QVERIFY(ok && s.isReachable(ok));
                s.tap(ok);
                QTRY_VERIFY(!notice->isVisible());
                QVERIFY(s.hasStoredToken());
            }
        }
    }
    // As a guest, "Sign In / Join MRV" pushes the gate; its "Continue as Guest" goes back to
    // Settings and leaves the pilot a guest, by finger.
    void pushedGateContinuesBackToSettings()
    {
        Shell s;
        s.launch({});
        QVERIFY(s.waitForScreen(kGate));
        QTest::qWait(400);
        s.tap(findItem(s.currentScreen(), QStringLiteral("gateContinueAsGuest")));
        QVERIFY(s.waitForScreen(kTabs));
        QQuickItem *settings = s.openSettings();
        QVERIFY(settings);
        s.tap(findByText(settings, QStringLiteral("Sign In / Join MRV")));
        QPointer<QQuickItem> guest;
        QTRY_VERIFY((guest = findItem(settings, QStringLiteral("gateContinueAsGuest"))) && guest->isVisible());
        QTest::qWait(450); // the page slides in
        QVERIFY(s.isReachable(guest));
        s.tap(guest);
        QTRY_VERIFY(!guest || !guest->isVisible());
        QTRY_VERIFY(findByText(settings, QStringLiteral("Guest Mode")));
        QVERIFY(!s.auth()->hasCurrentUser());
        QCOMPARE(s.screen(), kTabs);
    }

    void fileStoreNoticeNotForNothingKept()
    {
        QSettings().remove(QStringLiteral("fileStoreNoticeSeen"));
        Shell s;
        s.weakerStore = true;
        s.launch({});
        QVERIFY(s.waitForScreen(kGate));
        QTest::qWait(400);
        s.tap(findItem(s.currentScreen(), QStringLiteral("gateContinueAsGuest")));
        QVERIFY(s.waitForScreen(kTabs));
        QQuickItem *settings = s.openSettings();
        QVERIFY(settings);
        QVERIFY(!findItem(settings, QStringLiteral("fileStoreNotice"))->isVisible());
    }

    // Where no browser can open a page (none installed here, none named), a tap on its link
    // says so and shows its address, which "Copy Address" puts on the clipboard.
    void pageWithoutBrowser_data()
    {
        QTest::addColumn<QString>("page");
        QTest::newRow("privacy") << "Privacy Policy";
        QTest::newRow("terms") << "Terms of Use";
    }
    void pageWithoutBrowser()
    {
        QFETCH(QString, page);
        if (!QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
            QSKIP("a page launcher is installed on this machine");
        qunsetenv("BROWSER");
        qunsetenv("DEFAULT_BROWSER");
        Shell s;
        s.launch({});
        QVERIFY(s.waitForScreen(kGate));
        QTest::qWait(400);
        s.tap(findItem(s.currentScreen(), QStringLiteral("gateContinueAsGuest")));
        QVERIFY(s.waitForScreen(kTabs));
        QQuickItem *settings = s.openSettings();
        QVERIFY(settings);
        QQuickItem *link = findByText(settings, page);
        QVERIFY(link);
        QQuickItem *scroller = link;
        while (scroller && !scroller->inherits("QQuickFlickable"))
            scroller = scroller->parentItem();
        QVERIFY(scroller);
        scroller->setProperty("contentY", scroller->property("contentHeight").toDouble() - scroller->height());
        QTest::qWait(100);
        QVERIFY(s.isReachable(link, scroller));
        QGuiApplication::clipboard()->clear();
        s.tap(link);

        QObject *dialog = settings->findChild<QObject *>(QStringLiteral("unopenedPage"));
        QVERIFY(dialog);
        QTRY_VERIFY(dialog->property("presented").toBool());
        QCOMPARE(dialog->property("title").toString(), page);
        const QString message = dialog->property("message").toString();
        QVERIFY2(message.startsWith(QStringLiteral("No web browser could open this page.")), qPrintable(message));
        const QString address = message.section(QLatin1Char('\n'), -1);
        QVERIFY2(address.startsWith(QStringLiteral("https://")), qPrintable(message));
        QTRY_VERIFY(findByText(s.view()->contentItem(), message));
        QQuickItem *copy = findItem(s.view()->contentItem(), QStringLiteral("action0"));
        QVERIFY(copy);
        QTest::qWait(400); // the dialog's opening
        s.tap(copy);
        QCOMPARE(QGuiApplication::clipboard()->text(), address);
        QTRY_VERIFY(!dialog->property("presented").toBool());
    }
};

QTEST_MAIN(TestSettingsView)
#include "tst_settingsview.moc"
