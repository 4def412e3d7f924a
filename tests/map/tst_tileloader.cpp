#include "TileLoader.h"
#include "TileServer.h"

#include <QBuffer>
#include <QMutex>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>
#include <QtTest>

#include <atomic>
#include <memory>

Q_DECLARE_METATYPE(TileKey)

namespace {
constexpr qsizetype kTileBytes = 256 * 256 * 4;

// Holds every decode at its start until released, to act while decodes are in flight.
struct DecodeGate {
    QSemaphore entered;
    QSemaphore open;
    ~DecodeGate()
    {
        // A failed check must not leave decodes blocked for the next test.
        open.release(1000);
        QThreadPool::globalInstance()->waitForDone();
    }
    TileLoader::DecodeHook hook()
    {
        return [this](const TileKey &) {
            entered.release();
            open.acquire();
        };
    }
};

// Tiles held on the device, answered on the next turn of the event loop.
class HeldTiles : public OfflineTileSource
{
public:
    QHash<TileKey, QByteArray> held;
    int asked = 0;
    void findTile(int z, int x, int y, QObject *context, std::function<void(const QByteArray &)> done) override
    {
        ++asked;
        QMetaObject::invokeMethod(
            context, [done, bytes = held.value({0, z, x, y})] { done(bytes); }, Qt::QueuedConnection);
    }
    void add(const TileKey &k)
    {
        QImage img(256, 256, QImage::Format_RGB32);
        img.fill(Qt::darkGreen);
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        img.save(&png, "PNG");
        held.insert(k, png.data());
        Q_EMIT offlineTilesChanged();
    }
};

// Delivers results posted by decodes that have finished.
void settle(TileLoader *loader)
{
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents(loader, QEvent::MetaCall);
}
} // namespace

class TstTileLoader : public QObject
{
    Q_OBJECT
private:
    TileServer m_server;

    bool loadAll(TileLoader &loader, const QList<TileKey> &keys)
    {
        const int before = loader.loadedCount();
        loader.request(keys);
        return QTest::qWaitFor([&] { return loader.loadedCount() == before + keys.size(); }, 10'000);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_server.listen()); }
    void cleanup()
    {
        QThreadPool::globalInstance()->waitForDone();
        m_server.corruptPaths.clear();
    }

    void decodesOffTheGuiThread()
    {
        QMutex mutex;
        QSet<QThread *> threads;
        TileLoader loader;
        loader.setUrlTemplate(0, m_server.urlTemplate("a"));
        loader.setDecodeHook([&](const TileKey &) {
            QMutexLocker lock(&mutex);
            threads.insert(QThread::currentThread());
        });
        const QList<TileKey> keys{{0, 6, 1, 1}, {0, 6, 2, 1}, {0, 6, 1, 2}, {0, 6, 2, 2}};
        QVERIFY(loadAll(loader, keys));
        QVERIFY(!threads.isEmpty());
        QVERIFY(!threads.contains(QThread::currentThread()));
        for (const TileKey &k : keys) {
            QVERIFY(loader.image(k));
            QCOMPARE(loader.image(k)->format(), QImage::Format_RGB32); // opaque PNG, ready to upload
        }
    }

    void resultAfterTheViewMovedOn_data()
    {
        QTest::addColumn<bool>("changeSource");
        QTest::addColumn<bool>("kept");
        QTest::newRow("no longer wanted: kept for later") << false << true;
        QTest::newRow("source replaced: dropped") << true << false;
    }
    void resultAfterTheViewMovedOn()
    {
        QFETCH(bool, changeSource);
        QFETCH(bool, kept);
        DecodeGate gate;
        TileLoader loader;
        loader.setUrlTemplate(0, m_server.urlTemplate("a"));
        loader.setDecodeHook(gate.hook());
        const TileKey k{0, 7, 3, 4};
        loader.request({k});
        QTRY_COMPARE(gate.entered.available(), 1);
        QCOMPARE(loader.inFlight(), 0);
        QCOMPARE(loader.decoding(), 1);
        if (changeSource)
            loader.setUrlTemplate(0, m_server.urlTemplate("b"));
        else
            loader.request({});
        gate.open.release();
        settle(&loader);
        QCOMPARE(loader.image(k) != nullptr, kept);
        QCOMPARE(loader.loadedCount(), kept ? 1 : 0);
        QCOMPARE(loader.decoding(), 0);
    }

    void destroyedWhileDecoding_data()
    {
        QTest::addColumn<int>("tiles");
        QTest::newRow("one decode") << 1;
        QTest::newRow("more decodes than worker threads") << 6;
    }
    void destroyedWhileDecoding()
    {
        QFETCH(int, tiles);
        DecodeGate gate;
        auto loader = std::make_unique<TileLoader>();
        int emitted = 0;
        connect(loader.get(), &TileLoader::tileLoaded, this, [&] { ++emitted; });
        loader->setUrlTemplate(0, m_server.urlTemplate("a"));
        loader->setMaxConcurrent(tiles);
        loader->setDecodeHook(gate.hook());
        QList<TileKey> keys;
        for (int i = 0; i < tiles; ++i)
            keys.append({0, 8, i, 9});
        loader->request(keys);
        QTRY_COMPARE(loader->decoding(), tiles);
        QTRY_VERIFY(gate.entered.available() >= 1);
        loader.reset();
        gate.open.release(tiles);
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents(); // a result posted to the gone loader would land here
        QCOMPARE(emitted, 0);
    }

    void memoryBoundHolds_data()
    {
        QTest::addColumn<int>("limitTiles");
        QTest::addColumn<int>("loadTiles");
        QTest::newRow("three fit, twelve loaded") << 3 << 12;
        QTest::newRow("ten fit, twelve loaded") << 10 << 12;
        QTest::newRow("all fit") << 12 << 12;
    }
    void memoryBoundHolds()
    {
        QFETCH(int, limitTiles);
        QFETCH(int, loadTiles);
        TileLoader loader;
        QCOMPARE(loader.memoryLimit(), TileLoader::kDefaultMemoryBytes);
        loader.setUrlTemplate(0, m_server.urlTemplate("a"));
        loader.setMemoryLimit(limitTiles * kTileBytes);
        QList<TileKey> keys;
        for (int i = 0; i < loadTiles; ++i)
            keys.append({0, 9, 100 + i, 50});
        QVERIFY(loadAll(loader, keys));
        QVERIFY(loader.memoryUsed() <= loader.memoryLimit());
        int held = 0;
        for (const TileKey &k : keys)
            held += loader.image(k) ? 1 : 0;
        QCOMPARE(held, std::min(limitTiles, loadTiles));
        QCOMPARE(loader.memoryUsed(), held * kTileBytes);
    }

    void wantedTilesKeepTheirAncestors_data()
    {
        QTest::addColumn<TileKey>("next");
        QTest::addColumn<bool>("ancestorKept");
        QTest::newRow("descendant wanted: ancestor stays") << TileKey{0, 3, 1, 2} << true;
        QTest::newRow("unrelated tile: oldest goes") << TileKey{0, 3, 6, 6} << false;
    }
    void wantedTilesKeepTheirAncestors()
    {
        QFETCH(TileKey, next);
        QFETCH(bool, ancestorKept);
        TileLoader loader;
        loader.setUrlTemplate(0, m_server.urlTemplate("a"));
        loader.setMemoryLimit(3 * kTileBytes);
        const TileKey ancestor{0, 1, 0, 0}, a{0, 5, 20, 20}, b{0, 5, 21, 20};
        QVERIFY(loadAll(loader, {ancestor}));
        QVERIFY(loadAll(loader, {a, b}));
        QVERIFY(loadAll(loader, {next}));
        QCOMPARE(loader.image(a) == nullptr, ancestorKept); // the least recently used goes instead
        QCOMPARE(loader.image(ancestor) != nullptr, ancestorKept);
        QVERIFY(loader.image(next));
    }

    void fallback_data()
    {
        QTest::addColumn<QList<TileKey>>("loaded");
        QTest::addColumn<TileKey>("k");
        QTest::addColumn<int>("maxLevelsUp");
        QTest::addColumn<bool>("found");
        QTest::addColumn<TileKey>("ancestor");
        QTest::addColumn<QRectF>("source");
        const QList<TileKey> parent{{0, 4, 6, 10}};
        QTest::newRow("parent, x and y even") << parent << TileKey{0, 5, 12, 20} << 4 << true
                                              << TileKey{0, 4, 6, 10} << QRectF(0, 0, 128, 128);
        QTest::newRow("parent, x odd") << parent << TileKey{0, 5, 13, 20} << 4 << true
                                       << TileKey{0, 4, 6, 10} << QRectF(128, 0, 128, 128);
        QTest::newRow("parent, y odd") << parent << TileKey{0, 5, 12, 21} << 4 << true
                                       << TileKey{0, 4, 6, 10} << QRectF(0, 128, 128, 128);
        QTest::newRow("parent, both odd") << parent << TileKey{0, 5, 13, 21} << 4 << true
                                          << TileKey{0, 4, 6, 10} << QRectF(128, 128, 128, 128);
        QTest::newRow("grandparent") << QList<TileKey>{{0, 3, 3, 5}} << TileKey{0, 5, 13, 22} << 4 << true
                                     << TileKey{0, 3, 3, 5} << QRectF(64, 128, 64, 64);
        QTest::newRow("nearest of two ancestors") << QList<TileKey>{{0, 3, 3, 5}, {0, 4, 6, 11}}
                                                  << TileKey{0, 5, 13, 22} << 4 << true
                                                  << TileKey{0, 4, 6, 11} << QRectF(128, 0, 128, 128);
        QTest::newRow("five levels up, allowed") << QList<TileKey>{{0, 0, 0, 0}} << TileKey{0, 5, 13, 22} << 5
                                                 << true << TileKey{0, 0, 0, 0} << QRectF(104, 176, 8, 8);
        QTest::newRow("five levels up, beyond the limit") << QList<TileKey>{{0, 0, 0, 0}} << TileKey{0, 5, 13, 22}
                                                          << 4 << false << TileKey{} << QRectF();
        QTest::newRow("only a sibling loaded") << QList<TileKey>{{0, 5, 12, 20}} << TileKey{0, 5, 13, 20} << 4
                                               << false << TileKey{} << QRectF();
        QTest::newRow("ancestor of the other layer") << QList<TileKey>{{1, 4, 6, 10}} << TileKey{0, 5, 12, 20}
                                                     << 4 << false << TileKey{} << QRectF();
        QTest::newRow("nothing loaded") << QList<TileKey>{} << TileKey{0, 5, 12, 20} << 4 << false << TileKey{}
                                        << QRectF();
        QTest::newRow("world tile has no ancestor") << QList<TileKey>{{0, 0, 0, 0}} << TileKey{0, 0, 0, 0} << 4
                                                    << false << TileKey{} << QRectF();
    }
    void fallback()
    {
        QFETCH(QList<TileKey>, loaded);
        QFETCH(TileKey, k);
        QFETCH(int, maxLevelsUp);
        QFETCH(bool, found);
        QFETCH(TileKey, ancestor);
        QFETCH(QRectF, source);
        TileLoader loader;
        loader.setUrlTemplate(0, m_server.urlTemplate("a"));
        loader.setUrlTemplate(1, m_server.urlTemplate("b"));
        QVERIFY(loadAll(loader, loaded));
        const std::optional<TileFallback> f = loader.fallback(k, maxLevelsUp);
        QCOMPARE(f.has_value(), found);
        if (!found)
            return;
        QVERIFY(f->key == ancestor);
        QCOMPARE(f->image, loader.image(ancestor));
        QCOMPARE(f->source, source);
        QCOMPARE(f->levelsUp, k.z - ancestor.z);
    }

    void loadedChildren_data()
    {
        QTest::addColumn<QList<TileKey>>("loaded");
        QTest::addColumn<QList<TileKey>>("children");
        const QList<TileKey> four{{0, 6, 10, 20}, {0, 6, 11, 20}, {0, 6, 10, 21}, {0, 6, 11, 21}};
        QTest::newRow("all four") << four << four;
        QTest::newRow("right column") << QList<TileKey>{four[1], four[3]} << QList<TileKey>{four[1], four[3]};
        QTest::newRow("neighbours and grandchildren do not count")
            << QList<TileKey>{{0, 6, 12, 20}, {0, 7, 20, 40}, {1, 6, 10, 20}} << QList<TileKey>{};
    }
    void loadedChildren()
    {
        QFETCH(QList<TileKey>, loaded);
        QFETCH(QList<TileKey>, children);
        TileLoader loader;
        loader.setUrlTemplate(0, m_server.urlTemplate("a"));
        loader.setUrlTemplate(1, m_server.urlTemplate("b"));
        QVERIFY(loadAll(loader, loaded));
        const auto got = loader.loadedChildren({0, 5, 5, 10});
        QCOMPARE(got.size(), children.size());
        for (qsizetype i = 0; i < got.size(); ++i) {
            QVERIFY(got[i].first == children[i]);
            QCOMPARE(got[i].second, loader.image(children[i]));
        }
    }

    // A tile the offline source did not hold is looked for there again once the source says its
    // tiles changed; a source replaced or gone is neither listened to nor asked.
    void offlineSourceChanges_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("heard");
        QTest::addColumn<bool>("drawn");
        QTest::newRow("its tiles change") << "add" << 1 << true;
        QTest::newRow("a replaced source's tiles change") << "replace" << 0 << false;
        QTest::newRow("the source is gone") << "destroy" << 0 << false;
    }
    void offlineSourceChanges()
    {
        QFETCH(QString, change);
        QFETCH(int, heard);
        QFETCH(bool, drawn);
        TileLoader loader;
        loader.setUrlTemplate(0, m_server.urlTemplate("o"));
        const TileKey k{0, 5, 3, 4};
        m_server.corruptPaths << QStringLiteral("/o/5/3/4.png"); // no good copy on the network
        auto source = std::make_unique<HeldTiles>();
        HeldTiles other;
        loader.setOfflineSource(source.get());
        loader.request({k});
        QTRY_COMPARE(loader.failedCount(), 1); // missed on the device, then failed on the network
        QCOMPARE(source->asked, 1);
        QSignalSpy heardSpy(&loader, &TileLoader::offlineTilesChanged);
        if (change == "replace")
            loader.setOfflineSource(&other);
        if (change == "destroy") {
            source.reset();
            QCOMPARE(loader.offlineSource(), nullptr);
        } else {
            source->add(k);
        }
        QCOMPARE(heardSpy.count(), heard);
        loader.setRetryAfter(0);
        loader.request({k});
        if (drawn)
            QTRY_VERIFY(loader.image(k));
        else
            QTRY_COMPARE(loader.failedCount(), 2);
        QCOMPARE(loader.offlineHits(), drawn ? 1 : 0);
        QCOMPARE(other.asked, change == "replace" ? 1 : 0);
    }

    void corruptBodyIsRetriedLaterNotLooped_data()
    {
        QTest::addColumn<bool>("diskCache");
        QTest::newRow("network only") << false;
        QTest::newRow("through the disk cache") << true;
    }
    void corruptBodyIsRetriedLaterNotLooped()
    {
        QFETCH(bool, diskCache);
        QTemporaryDir dir;
        TileLoader loader;
        if (diskCache)
            loader.setCacheDirectory(dir.path(), 8 * 1024 * 1024);
        loader.setUrlTemplate(0, m_server.urlTemplate("c"));
        const TileKey k{0, 3, 1, 2};
        m_server.corruptPaths << QStringLiteral("/c/3/1/2.png");
        const int before = m_server.requests();
        loader.request({k});
        QTRY_COMPARE(loader.failedCount(), 1);
        QVERIFY(!loader.image(k));
        QCOMPARE(loader.loadedCount(), 0);
        // Asked again at once: nothing goes out.
        loader.request({k});
        QCOMPARE(loader.queued() + loader.inFlight() + loader.decoding(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(m_server.requests(), before + 1);
        // Later it is fetched again, from the server and not from a cached broken copy.
        m_server.corruptPaths.clear();
        loader.setRetryAfter(0);
        loader.request({k});
        QTRY_VERIFY(loader.image(k));
        QCOMPARE(m_server.requests(), before + 2);
        QCOMPARE(loader.failedCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TstTileLoader)
#include "tst_tileloader.moc"
