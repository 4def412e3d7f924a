#include "FakeDJISDK.h"
#include "FlightLogModel.h"
#include "QmlSetup.h"
#include "ZeltrinPilotApp.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QTest>

// The logbook as the pilot sees it: the analytics entry opens the sheet with the listed flights,
// and an empty list shows only the empty-content view.
class TestLogbookView : public QObject
{
    Q_OBJECT

    struct Screen {
        ZeltrinPilotApp app{[] {
            ZeltrinPilotApp::Dependencies deps;
            deps.sdk = std::make_unique<FakeDJISDK>();
            return deps;
        }()};
        QQuickView view;
        FlightLogModel *book = nullptr;

        bool load()
        {
            app.droneManager()->setLogSink([](const QString &) {});
            zeltrin::setupEngine(*view.engine());
            app.attachTo(*view.engine());
            view.setResizeMode(QQuickView::SizeRootObjectToView);
            view.resize(390, 844);
            view.setSource(QUrl(QStringLiteral("qrc:/Zeltrin/screens/logbook/FlightLogView.qml")));
            if (view.status() != QQuickView::Ready) {
                for (const auto &e : view.errors())
                    qWarning() << e.toString();
                return false;
            }
            view.show();
            if (!QTest::qWaitForWindowExposed(&view))
                return false;
            book = view.rootObject()->property("model").value<FlightLogModel *>();
            return book != nullptr;
        }
        QQuickItem *find(const QString &name, QQuickItem *root = nullptr)
        {
            if (!root)
                root = view.contentItem();
            if (root->objectName() == name)
                return root;
            for (QQuickItem *child : root->childItems())
                if (QQuickItem *found = find(name, child))
                    return found;
            return nullptr;
        }
        void tap(QQuickItem *item)
        {
            QTest::mouseClick(&view, Qt::LeftButton, {},
                              item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint());
        }
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
        s.tap(entry);
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
        s.tap(s.find(closeBy, sheet));
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
