// The logbook over a real store, driven by touch at phone, small-phone and landscape sizes:
// recorded flights listed newest first, a row opening its flight's page with the track, its
// photos and the curves drawn, a swipe deleting a flight only after it is confirmed, the damaged-file notice
// said once, and the exports written where the pilot chose.
#include "FlightAnalyticsModel.h"
#include "FlightDetailModel.h"
#include "FlightLogModel.h"
#include "Palette.h"
#include "ScreenHarness.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QQuickView>
#include <QTemporaryDir>
#include <QTest>

using namespace zeltrin;

namespace {

// Flights a day apart, the newest named first, each with a climbing, draining track.
QList<FlightRecord> seed(FlightStore &store, const QStringList &places)
{
    QList<FlightRecord> out;
    const qint64 day = 86'400'000, t0 = QDateTime(QDate(2026, 12, 1), QTime(9, 0)).toMSecsSinceEpoch();
    for (qsizetype i = places.size() - 1; i >= 0; --i) {
        FlightRecord r;
        r.log.date = QDateTime::fromMSecsSinceEpoch(t0 + (places.size() - i) * day, Qt::UTC);
        r.log.location = places[i];
        r.takeoffLatitude = 42.9986;
        r.takeoffLongitude = -84.0021;
        store.beginFlight(r);
        QList<TrackPoint> pts;
        for (int k = 0; k < 60; ++k) {
            TrackPoint p;
            p.timeMs = r.log.date.toMSecsSinceEpoch() + k * 1000;
            p.latitude = 42.9986 + k * 2e-5;
            p.longitude = -84.0021 + (k % 20) * 3e-5;
            p.altitude = std::min(k * 1.5, 40.0);
            p.speed = 6;
            p.battery = 90 - k / 6;
            p.signal = 80;
            pts << p;
        }
        store.appendPoints(r.log.id, pts);
        // A photo at every fifth sample.
        QList<PhotoRecord> photos;
        for (int k = 0; k < 60; k += 5)
            photos << PhotoRecord{k / 5 + 1, pts[k].timeMs, pts[k].latitude, pts[k].longitude, pts[k].altitude, 0, -90};
        store.appendPhotos(r.log.id, photos);
        applyTrackSummary(r, summarizeTrack(pts));
        r.end = FlightEnd::landed;
        store.finishFlight(r);
        out.prepend(r);
    }
    return out;
}

// The logbook screen over the store at `storePath`, driven by touch.
struct Logbook : ScreenHarness {
    FlightLogModel *book = nullptr;

    Logbook() : ScreenHarness(NoAppYet{}) {}
    bool load(const QString &storePath, QSize size)
    {
        ZeltrinPilotApp::Dependencies deps;
        deps.flightStore = std::make_unique<FlightStore>(storePath);
        launch(std::move(deps));
        if (!open(QUrl(QStringLiteral("qrc:/Zeltrin/screens/logbook/FlightLogView.qml")), size))
            return false;
        book = model<FlightLogModel>();
        return book != nullptr;
    }

    QQuickItem *find(const char *name, QQuickItem *root = nullptr)
    {
        return ScreenHarness::find(QString::fromLatin1(name), root);
    }
    QList<QQuickItem *> rows()
    {
        QList<QQuickItem *> out;
        QQuickItem *list = find("flightList");
        if (!list)
            return out;
        for (QQuickItem *c : list->property("contentItem").value<QQuickItem *>()->childItems())
            if (c->objectName() == QLatin1String("flightRow") && c->isVisible())
                out << c;
        std::sort(out.begin(), out.end(), [](QQuickItem *a, QQuickItem *b) { return a->y() < b->y(); });
        return out;
    }
    QObject *currentPage()
    {
        return root()->property("navigation").value<QObject *>()->property("currentPage").value<QObject *>();
    }
};

// Pixels inside `item` that differ from its top-left corner's colour.
int drawnPixels(ScreenHarness &screen, QQuickItem *item)
{
    const QImage shot = screen.grab();
    const qreal dpr = shot.devicePixelRatio();
    const QRect r = item->mapRectToScene(QRectF(0, 0, item->width(), item->height())).toRect();
    const QRect px(int(r.x() * dpr), int(r.y() * dpr), int(r.width() * dpr), int(r.height() * dpr));
    const QRgb back = shot.pixel(px.topLeft());
    int n = 0;
    for (int y = px.top(); y <= px.bottom(); y += 2)
        for (int x = px.left(); x <= px.right(); x += 2)
            if (shot.rect().contains(x, y) && shot.pixel(x, y) != back)
                ++n;
    return n;
}

// Pixels inside `item` of the photos' colour.
int goldPixels(ScreenHarness &screen, QQuickItem *item)
{
    const QImage shot = screen.grab();
    const qreal dpr = shot.devicePixelRatio();
    const QRect r = item->mapRectToScene(QRectF(0, 0, item->width(), item->height())).toRect();
    const QColor gold = zeltrin::palette().themeGold;
    int n = 0;
    for (int y = int(r.top() * dpr); y < int(r.bottom() * dpr); ++y)
        for (int x = int(r.left() * dpr); x < int(r.right() * dpr); ++x) {
            const QColor c = shot.pixelColor(x, y);
            n += std::abs(c.red() - gold.red()) + std::abs(c.green() - gold.green()) + std::abs(c.blue() - gold.blue())
                < 40;
        }
    return n;
}

void addSizes()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("390x844") << QSize(390, 844);
    QTest::newRow("320x568") << QSize(320, 568);
    QTest::newRow("844x390") << QSize(844, 390);
}

} // namespace

class TestRecordedLogbook : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rowsAreTheRecordsAndOneOpensItsFlight_data() { addSizes(); }
    void rowsAreTheRecordsAndOneOpensItsFlight()
    {
        QFETCH(QSize, size);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("flights.sqlite"));
        QList<FlightRecord> flights;
        {
            FlightStore store(path);
            flights = seed(store, {QStringLiteral("North Field"), QStringLiteral("Quarry"), QStringLiteral("Old Mill")});
        }
        Logbook lb;
        QVERIFY(lb.load(path, size));
        QVERIFY(lb.book->recorded());
        QCOMPARE(lb.book->count(), 3);
        QTRY_VERIFY(!lb.rows().isEmpty());
        QQuickItem *first = lb.rows().first();
        QCOMPARE(first->property("location").toString(), QStringLiteral("North Field"));
        QCOMPARE(first->property("durationText").toString(), QStringLiteral("0m 59s"));
        QCOMPARE(first->property("altitudeText").toString(), QStringLiteral("40m"));

        lb.tap(first);
        QTRY_COMPARE(lb.currentPage()->property("title").toString(), QStringLiteral("North Field"));
        auto *detail = lb.currentPage()->property("detail").value<FlightDetailModel *>();
        QVERIFY(detail);
        QCOMPARE(detail->pointCount(), 60);
        QCOMPARE(detail->batteryUsedText(), QStringLiteral("9%"));
        QVERIFY(detail->track()->count() > 10);
        auto *page = qobject_cast<QQuickItem *>(lb.currentPage());
        QTest::qWait(500); // the page slides in
        QQuickItem *map = lb.find("flightMap", page);
        QQuickItem *altitude = lb.find("altitudeChart", page);
        QVERIFY(map && altitude);
        QVERIFY(map->isVisible() && map->width() > 100 && map->height() > 100);
        // Every part lies inside the window, the map and the charts drawn.
        const QRectF window(0, 0, size.width(), size.height());
        QVERIFY(window.contains(map->mapRectToScene(QRectF(0, 0, map->width(), map->height()))));
        QQuickItem *chart = lb.find("lineChart", altitude);
        QVERIFY(chart && chart->property("points").value<QList<QPointF>>().size() == 60);
        QVERIFY2(drawnPixels(lb, map) > 50, "the map shows no track");
        // Twelve photos, counted among the figures and dotted on the track.
        QCOMPARE(detail->photoCount(), 12);
        QCOMPARE(detail->track()->marks().size(), size_t(12));
        QQuickItem *photos = lb.find("photoCount", page);
        QVERIFY(photos && photos->isVisible());
        QCOMPARE(photos->property("value").toString(), QStringLiteral("12 photos"));
        QVERIFY(window.contains(photos->mapRectToScene(QRectF(0, 0, photos->width(), photos->height()))));
        QVERIFY2(goldPixels(lb, map) >= 12 * 12,
                 qPrintable(QStringLiteral("%1 photo pixels").arg(goldPixels(lb, map))));
        if (window.contains(chart->mapRectToScene(QRectF(0, 0, chart->width(), chart->height()))))
            QVERIFY2(drawnPixels(lb, chart) > 100,
                     qPrintable(QStringLiteral("the altitude curve is not drawn: %1 %2")
                                    .arg(drawnPixels(lb, chart))
                                    .arg(drawnPixels(lb, altitude))));
    }

    void swipeDeletesOnlyAfterConfirmation_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("Delete Flight") << true;
        QTest::newRow("Cancel") << false;
    }
    void swipeDeletesOnlyAfterConfirmation()
    {
        QFETCH(bool, confirm);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("flights.sqlite"));
        QList<FlightRecord> flights;
        {
            FlightStore store(path);
            flights = seed(store, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        }
        Logbook lb;
        QVERIFY(lb.load(path, QSize(390, 844)));
        QTRY_COMPARE(lb.rows().size(), 3);
        QQuickItem *row = lb.rows()[1];
        const QPoint from = row->mapToScene(QPointF(row->width() * 0.8, row->height() / 2)).toPoint();
        lb.drag(from, from - QPoint(int(row->width() * 0.6), 0));
        QTRY_VERIFY(lb.find("swipeDeleteButton", row));
        QObject *swipe = row->property("swipe").value<QObject *>();
        QTRY_VERIFY(swipe->property("complete").toBool());
        const QPointer<QQuickItem> deleteItem(lb.find("swipeDeleteButton", row));
        lb.tap(deleteItem);
        QQuickItem *dialog = nullptr;
        QTRY_VERIFY((dialog = lb.find(confirm ? "destructiveAction" : "cancelAction")) && dialog->isVisible());
        QCOMPARE(lb.app()->flightStore()->flights().size(), 3); // nothing before the answer
        QTest::qWait(350); // the sheet slides up
        lb.tap(dialog);
        if (confirm) {
            QTRY_COMPARE(lb.book->count(), 2);
            QVERIFY(lb.app()->flightStore()->track(flights[1].log.id).isEmpty());
            QCOMPARE(lb.app()->flightStore()->flights()[0].log.location, QStringLiteral("A"));
            QCOMPARE(lb.app()->flightStore()->flights()[1].log.location, QStringLiteral("C"));
            QTRY_VERIFY2(!deleteItem, "the deleted row's Delete outlived its row");
        } else {
            QTest::qWait(300);
            QCOMPARE(lb.book->count(), 3);
            QCOMPARE(lb.app()->flightStore()->track(flights[1].log.id).size(), 60);
        }
    }

    void longLogbookIsReadAPageAtATimeAndSummedByTheStore()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("flights.sqlite"));
        {
            FlightStore store(path);
            for (int i = 0; i < 250; ++i) {
                FlightRecord r;
                r.log.date = QDateTime::fromMSecsSinceEpoch(1'000'000'000'000 + i * 60'000LL, Qt::UTC);
                r.log.location = QStringLiteral("F%1").arg(i);
                r.log.duration = 600;
                r.log.distance = 1000;
                r.log.maxAltitude = i % 2 ? 100 : 50;
                r.log.maxSpeed = 10;
                QVERIFY(store.beginFlight(r));
                QVERIFY(store.finishFlight(r));
            }
        }
        FlightStore store(path);
        FlightLogModel book;
        book.setStore(&store);
        QCOMPARE(book.count(), 250);
        FlightRowsModel *rows = book.rowModel();
        QCOMPARE(rows->rowCount(), int(FlightRowsModel::kPage));
        QCOMPARE(rows->data(rows->index(0), FlightRowsModel::LocationRole).toString(), QStringLiteral("F249"));
        QVERIFY(rows->canFetchMore({}));
        rows->fetchMore({});
        rows->fetchMore({});
        QCOMPARE(rows->rowCount(), 250);
        QVERIFY(!rows->canFetchMore({}));
        QCOMPARE(rows->data(rows->index(249), FlightRowsModel::LocationRole).toString(), QStringLiteral("F0"));
        // The figures cover every flight, loaded or not.
        FlightAnalyticsModel sheet;
        sheet.setBook(&book);
        QCOMPARE(sheet.analytics().totalFlights, QStringLiteral("250"));
        QCOMPARE(sheet.analytics().flightTime, QStringLiteral("41h 40m"));
        QCOMPARE(sheet.analytics().distance, QStringLiteral("250.0 km"));
        QCOMPARE(sheet.analytics().avgAltitude, QStringLiteral("75 m"));
        QCOMPARE(sheet.analytics().avgSpeed, QStringLiteral("10.0 m/s"));
        // A deletion keeps what was loaded.
        QVERIFY(book.deleteFlight(book.flightIdAt(200)));
        QCOMPARE(book.count(), 249);
        QCOMPARE(rows->rowCount(), 249);
        QCOMPARE(sheet.analytics().totalFlights, QStringLiteral("249"));
    }

    void samplesUntilAFlightIsRecorded()
    {
        QTemporaryDir dir;
        Logbook lb;
        QVERIFY(lb.load(dir.filePath(QStringLiteral("flights.sqlite")), QSize(390, 844)));
        QVERIFY(!lb.book->recorded());
        QTRY_COMPARE(lb.rows().size(), 2);
        QCOMPARE(lb.rows()[0]->property("location").toString(), QStringLiteral("Divuze, VO"));
        QVERIFY(!lb.rows()[0]->property("swipe").value<QObject *>()->property("enabled").toBool());
        seed(*lb.app()->flightStore(), {QStringLiteral("First Field")});
        QVERIFY(lb.book->recorded());
        QTRY_COMPARE(lb.rows().size(), 1);
        QCOMPARE(lb.rows()[0]->property("location").toString(), QStringLiteral("First Field"));
    }

    void damagedFileIsToldOnceAndTheNoticeGoesByTouch_data() { addSizes(); }
    void damagedFileIsToldOnceAndTheNoticeGoesByTouch()
    {
        QFETCH(QSize, size);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("flights.sqlite"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'x'));
        }
        {
            Logbook lb;
            QVERIFY(lb.load(path, size));
            QQuickItem *notice = lb.find("logbookNotice");
            QVERIFY(notice && notice->isVisible());
            QVERIFY(lb.book->notice().contains(QFileInfo(lb.app()->flightStore()->setAsidePath()).fileName()));
            QVERIFY(notice->mapToScene(QPointF(notice->width(), 0)).x() <= size.width());
            lb.tap(notice);
            QTRY_VERIFY(!notice->isVisible());
        }
        Logbook again;
        QVERIFY(again.load(path, size));
        QVERIFY(again.book->notice().isEmpty());
        QVERIFY(!again.find("logbookNotice")->isVisible());
    }

    void exportsLandInTheChosenFolder()
    {
        QTemporaryDir dir, out;
        const QString path = dir.filePath(QStringLiteral("flights.sqlite"));
        {
            FlightStore store(path);
            seed(store, {QStringLiteral("Ridge"), QStringLiteral("Bay")});
        }
        Logbook lb;
        QVERIFY(lb.load(path, QSize(390, 844)));
        QVERIFY(lb.book->exportLogbook(QUrl::fromLocalFile(out.path())));
        QVERIFY(!lb.book->messageIsError());
        QTRY_VERIFY(lb.find("logbookMessage")->isVisible());
        const QStringList csv = QDir(out.path()).entryList({QStringLiteral("logbook-*.csv")});
        QCOMPARE(csv.size(), 1);
        QFile f(QDir(out.path()).filePath(csv[0]));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().count("\r\n"), 3); // header and two flights

        QVERIFY(!lb.book->exportLogbook(QUrl::fromLocalFile(out.filePath(QStringLiteral("missing")))));
        QVERIFY(lb.book->messageIsError());

        QTRY_VERIFY(!lb.rows().isEmpty());
        lb.tap(lb.rows()[0]);
        QTRY_VERIFY(lb.currentPage()->property("detail").value<FlightDetailModel *>());
        auto *detail = lb.currentPage()->property("detail").value<FlightDetailModel *>();
        QVERIFY(detail->exportFlight(QStringLiteral("gpx"), QUrl::fromLocalFile(out.path())));
        QVERIFY(detail->exportFlight(QStringLiteral("kml"), QUrl::fromLocalFile(out.path())));
        QCOMPARE(QDir(out.path()).entryList({QStringLiteral("flight-*.gpx"), QStringLiteral("flight-*.kml")}).size(), 2);
        QVERIFY(!detail->exportFlight(QStringLiteral("exe"), QUrl::fromLocalFile(out.path())));
        // The share button offers both formats.
        QQuickItem *share = lb.find("shareFlightButton", qobject_cast<QQuickItem *>(lb.currentPage()));
        QVERIFY(share);
        QTest::qWait(500);
        lb.tap(share);
        QQuickItem *gpx = nullptr;
        QTRY_VERIFY((gpx = lb.find("action0")) && gpx->isVisible());
        QVERIFY(lb.find("action1")->isVisible());
    }
};

QTEST_MAIN(TestRecordedLogbook)
#include "tst_recordedlogbook.moc"
