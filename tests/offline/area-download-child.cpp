// Downloads the test area into the store in argv[1] from the template in argv[2] until it is
// killed: the parent kills it mid-download and resumes in a process of its own.
#include "OfflineMaps.h"

#include <QCoreApplication>
#include <QTimer>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    OfflineMaps::Options o;
    o.storePath = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/offline.mbtiles");
    o.download.batchMs = 50;
    o.download.batchTiles = 8;
    OfflineMaps maps(o);
    const QString urlTemplate = QString::fromLocal8Bit(argv[2]);
    QObject::connect(&maps, &OfflineMaps::areasChanged, &maps, [&] {
        if (maps.ready() && !maps.downloadActive() && maps.areas()->count() == 0)
            maps.startDownload(47.34, 8.50, 47.40, 8.58, 12, 15, urlTemplate);
    });
    return app.exec();
}
