// A logbook file of any content: opening it either works or sets the file aside whole and
// starts a new one; either way the store answers, and what it lists it can read back.
#include "FlightStore.h"
#include "FuzzCheck.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_logbookfile";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("flights.sqlite"));
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    {
        QFile f(path);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    {
        FlightStore store(path);
        FUZZ_CHECK(store.isOpen());
        if (!store.setAsidePath().isEmpty()) {
            QFile aside(store.setAsidePath());
            FUZZ_CHECK(aside.open(QIODevice::ReadOnly) && aside.readAll() == bytes);
            aside.close();
            QFile::remove(store.setAsidePath());
        }
        const auto flights = store.flights();
        FUZZ_CHECK(store.flightCount() == flights.size());
        for (const auto &f : flights)
            FUZZ_CHECK(store.track(f.log.id).size() >= 0);
    }
    return 0;
}
