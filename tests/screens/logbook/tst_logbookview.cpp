#include "FlightLogModel.h"
#include "ScreenHarness.h"

#include <QQuickItem>
#include <QQuickView>
#include <QTest>

// The logbook as the pilot sees it: the analytics entry opens the sheet with the listed flights,
// and an empty list shows only the empty-content view.
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
        if (closeBy == QLatin1String("exportButton")) {
            QQuickItem *scroller = nullptr;
            for (QQuickItem *c : sheet->findChildren<QQuickItem *>())
                if (c->inherits("QQuickFlickable"))
                    scroller = c;
            QVERIFY(scroller);
            scroller->setProperty("contentY", scroller->property("contentHeight").toDouble() - scroller->height());
            QTest::qWait(50);
        }
        // The Done button sits in the sheet's drag strip and must still take a tap.
        s.click(s.find(closeBy, sheet));
        QTRY_COMPARE(s.book->showAdvancedAnalytics(), false);
        QCOMPARE(s.book->logList().size(), 2); // the sheet changes nothing
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
