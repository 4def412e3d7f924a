#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Place names for take-off points, offline. The places are the principal cities of the time
// zone table (tzdata's zone.tab, public domain), bundled at build time: about 400 cities, so
// most fields are far from any of them and are named by their coordinates instead.
class Gazetteer
{
public:
    struct Place {
        QString name;     // "Zurich"
        QString country;  // "CH"
        double latitude = 0;
        double longitude = 0;
    };
    // A take-off point this close to a place is named after it.
    static constexpr double kNearMetres = 25000;

    // The bundled table, read once.
    static const Gazetteer &bundled();
    // Reads zone.tab's lines ("CC<TAB>+DDMM+DDDMM<TAB>Area/City..."); bad lines are skipped.
    static Gazetteer fromZoneTab(const QByteArray &text);

    const QList<Place> &places() const { return m_places; }
    // "Zurich, CH" near a place, else the coordinates; the placeholder for invalid ones.
    QString placeName(double latitude, double longitude) const;
    // "47.3977° N, 8.5456° E".
    static QString coordinateText(double latitude, double longitude);

private:
    QList<Place> m_places;
};
