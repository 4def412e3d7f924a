#include "FlightLogModel.h"
#include "ScreenHarness.h"

#include <QDir>
#include <QQuickItem>
#include <QQuickView>
#include <QTemporaryDir>
#include <QTest>

// The logbook as the pilot sees it: the analytics entry opens the sheet with the listed flights,
// its export saves the report where the pilot chose, and an empty list shows only the
// empty-content view.
class TestLogbookView : public QObject
{
    Q_OBJECT

    struct Screen : ScreenHarness {
        FlightLogModel *book = nullptr;
        bool load()
        {
            if (!open(QUrl(QStringLiteral("qrc:/Zeltrin/screens/logbook/FlightLogView.qml"))))
                return false;
            book = model<FlightLogModel>();
            return book != nullptr;
        }
        // With the mouse, as on a desktop.
        void click(QQuickItem *item) { tap(item, false); }
    };

private Q_SLOTS:
    void entryOpensAnalyticsWithTheFlights_data()
    {
        QTest::addColumn<QString>("closeBy");
        QTest::newRow("Done") << "doneButton";
        QTest::newRow("export") << "exportButton";
        QTest::newRow("export, folder not chosen") << "exportCancelled";
    }
    void entryOpensAnalyticsWithTheFlights()
    {
        QFETCH(QString, closeBy);
        Screen s;
        QVERIFY(s.load());
        QCOMPARE(s.book->showAdvancedAnalytics(), false);
        QQuickItem *entry = s.find(QStringLiteral("analyticsEntry"));
        QVERIFY(entry && entry->isVisible());
        s.click(entry);
        QCOMPARE(s.book->showAdvancedAnalytics(), true);
        QTRY_VERIFY(s.find(QStringLiteral("analyticsSheet")));
        QQuickItem *sheet = s.find(QStringLiteral("analyticsSheet"));
        QObject *analytics = sheet->property("analytics").value<QObject *>();
        QVERIFY(analytics);
        QCOMPARE(analytics->property("logs").toList().size(), 2);
        QTest::qWait(600);
        if (closeBy == QLatin1String("doneButton")) {
            // The Done button sits in the sheet's drag strip and must still take a tap.
            s.click(s.find(closeBy, sheet));
            QTRY_COMPARE(s.book->showAdvancedAnalytics(), false);
            QCOMPARE(s.book->logList().size(), 2); // the sheet changes nothing
            return;
        }
        QQuickItem *scroller = nullptr;
        for (QQuickItem *c : sheet->findChildren<QQuickItem *>())
            if (c->inherits("QQuickFlickable"))
                scroller = c;
        QVERIFY(scroller);
        scroller->setProperty("contentY", scroller->property("contentHeight").toDouble() - scroller->height());
        QTest::qWait(50);
        // The report goes where the pilot chooses; choosing nowhere keeps the sheet up.
        s.tap(s.find(QStringLiteral("exportButton"), sheet));
        QObject *dialog = sheet->property("exportFolderDialog").value<QObject *>();
        QVERIFY(dialog);
        QTRY_VERIFY(dialog->property("visible").toBool());
        QTemporaryDir out;
        if (closeBy == QLatin1String("exportCancelled")) {
            QMetaObject::invokeMethod(dialog, "reject");
            QTRY_VERIFY(!dialog->property("visible").toBool());
            QTest::qWait(300);
            QVERIFY(s.book->showAdvancedAnalytics());
            QVERIFY(s.book->message().isEmpty());
            return;
        }
        dialog->setProperty("selectedFolder", QUrl::fromLocalFile(out.path()));
        QMetaObject::invokeMethod(dialog, "accept");
        QTRY_COMPARE(s.book->showAdvancedAnalytics(), false);
        const QStringList saved = QDir(out.path()).entryList({QStringLiteral("analytics-*.pdf")});
        QCOMPARE(saved.size(), 1);
        QCOMPARE(s.book->message(), QStringLiteral("Saved \u201c%1\u201d").arg(saved[0]));
        QTRY_VERIFY(s.find(QStringLiteral("logbookMessage"))->isVisible());
    }

    void emptyListShowsOnlyTheEmptyView()
    {
        Screen s;
        QVERIFY(s.load());
        QVERIFY(!s.find(QStringLiteral("emptyView"))->isVisible());
        s.book->setLogList({});
        QVERIFY(s.find(QStringLiteral("emptyView"))->isVisible());
        QVERIFY(!s.find(QStringLiteral("analyticsEntry"))->isVisible());
    }
};

QTEST_MAIN(TestLogbookView)
#include "tst_logbookview.moc"
