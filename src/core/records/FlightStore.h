#pragma once

#include "FlightRecord.h"
#include "MissionBreakpoint.h"
#include "SqliteStore.h"

#include <QObject>
#include <QString>
#include <QUuid>

#include <optional>

// The logbook's store: one SQLite file (WAL) holding every recorded flight, its track and the
// photos its camera took.
// Opening it brings an older schema up to date, closes flights a stopped app left open as
// "interrupted", and sets a file it cannot read aside (renamed, never deleted) to start anew.
// Every write is one transaction, so a kill at any moment keeps what was committed before it.
class FlightStore : public QObject
{
    Q_OBJECT
public:
    static constexpr int kSchemaVersion = 4;

    explicit FlightStore(const QString &path, QObject *parent = nullptr);
    ~FlightStore() override;

    // flights.sqlite in the app's data folder.
    static QString defaultPath();

    QString path() const { return m_db.path(); }
    bool isOpen() const { return m_db.isOpen(); }
    // Why the store cannot be used, or the last write failed, for the pilot; empty while it works.
    QString errorText() const { return m_db.errorText(); }
    // Set when this start found the file damaged and put it aside: where it went.
    QString setAsidePath() const { return m_db.setAsidePath(); }
    // Whether a flight was ever recorded here (deleting them all does not clear it).
    bool everRecorded() const;

    // Recording. Each call commits before it returns; false (with errorText) if it could not.
    bool beginFlight(const zeltrin::FlightRecord &flight);
    bool appendPoints(const QUuid &flightId, const QList<zeltrin::TrackPoint> &points);
    bool appendPhotos(const QUuid &flightId, const QList<zeltrin::PhotoRecord> &photos);
    bool finishFlight(const zeltrin::FlightRecord &flight);

    // Newest first; `limit` < 0 reads to the end.
    QList<zeltrin::FlightRecord> flights(qsizetype offset = 0, qsizetype limit = -1) const;
    qsizetype flightCount() const;
    zeltrin::FlightTotals totals() const;
    std::optional<zeltrin::FlightRecord> flight(const QUuid &id) const;
    QList<zeltrin::TrackPoint> track(const QUuid &id) const;
    // In the order taken.
    QList<zeltrin::PhotoRecord> photos(const QUuid &id) const;
    // The flight, its track and its photos.
    bool deleteFlight(const QUuid &id);

    // Where a mission flown a battery at a time has got: one per plan, replaced at each write.
    bool saveBreakpoint(const zeltrin::survey::MissionBreakpoint &bp);
    // The one written last that was not flown to its end.
    std::optional<zeltrin::survey::MissionBreakpoint> openBreakpoint() const;
    std::optional<zeltrin::survey::MissionBreakpoint> breakpoint(const QByteArray &planHash) const;
    // The breakpoint and the plan kept with it.
    bool removeBreakpoint(const QByteArray &planHash);
    // The plan a breakpoint's mission began with (missionToJson), to resume it after a restart.
    bool saveMissionPlan(const QByteArray &planHash, const QByteArray &json);
    QByteArray missionPlan(const QByteArray &planHash) const;

Q_SIGNALS:
    // A flight was added, finished or deleted.
    void flightsChanged();

private:
    void closeInterrupted();
    void addInsightTotals(zeltrin::FlightTotals &t) const;
    QSqlDatabase connection() const { return m_db.database(); }
    std::optional<zeltrin::survey::MissionBreakpoint> readBreakpoint(const QString &where,
                                                                     const QByteArray &hash) const;

    zeltrin::SqliteStore m_db;
};
