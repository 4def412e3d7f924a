#pragma once

#include <QObject>
#include <QQmlEngine>
#include <QVariantMap>

// The "Download Map Area…" card before the download: the framed area, its zoom range (the
// map's zoom up to three deeper at first), how many tiles that is and about how many bytes,
// and whether it is within the download limit.
class AreaSelectModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(int minZoom READ minZoom NOTIFY changed)
    Q_PROPERTY(int maxZoom READ maxZoom NOTIFY changed)
    Q_PROPERTY(QString zoomRangeText READ zoomRangeText NOTIFY changed)
    Q_PROPERTY(double tileCount READ tileCountReal NOTIFY changed)
    Q_PROPERTY(QString estimateText READ estimateText NOTIFY changed)
    Q_PROPERTY(bool tooMany READ tooMany NOTIFY changed)
    Q_PROPERTY(QString limitText READ limitText NOTIFY changed)
    Q_PROPERTY(bool canDownload READ canDownload NOTIFY changed)
    Q_PROPERTY(bool canLowerMin READ canLowerMin NOTIFY changed)
    Q_PROPERTY(bool canRaiseMin READ canRaiseMin NOTIFY changed)
    Q_PROPERTY(bool canLowerMax READ canLowerMax NOTIFY changed)
    Q_PROPERTY(bool canRaiseMax READ canRaiseMax NOTIFY changed)
    // Mean tile sizes known: of the offline store, and of what the map fetched (0: unknown).
    Q_PROPERTY(double storeMeanTileBytes READ storeMeanTileBytes WRITE setStoreMeanTileBytes NOTIFY changed)
    Q_PROPERTY(double seenMeanTileBytes READ seenMeanTileBytes WRITE setSeenMeanTileBytes NOTIFY changed)
    // The area's elevation comes with it (counted in the tiles).
    Q_PROPERTY(bool withElevation READ withElevation WRITE setWithElevation NOTIFY changed)
    Q_PROPERTY(double south READ south NOTIFY changed)
    Q_PROPERTY(double west READ west NOTIFY changed)
    Q_PROPERTY(double north READ north NOTIFY changed)
    Q_PROPERTY(double east READ east NOTIFY changed)
public:
    static constexpr int kDeepestZoom = 19;
    static constexpr int kDefaultLevels = 3;

    using QObject::QObject;

    int minZoom() const { return m_minZoom; }
    int maxZoom() const { return m_maxZoom; }
    QString zoomRangeText() const;
    qint64 tileCount() const { return m_tiles; }
    double tileCountReal() const { return double(m_tiles); }
    double estimatedBytes() const;
    QString estimateText() const;
    bool tooMany() const;
    QString limitText() const;
    bool canDownload() const { return m_tiles > 0 && !tooMany(); }
    bool canLowerMin() const { return m_minZoom > 0; }
    bool canRaiseMin() const { return m_minZoom < m_maxZoom; }
    bool canLowerMax() const { return m_maxZoom > m_minZoom; }
    bool canRaiseMax() const { return m_maxZoom < kDeepestZoom; }
    double storeMeanTileBytes() const { return m_storeMean; }
    void setStoreMeanTileBytes(double b);
    double seenMeanTileBytes() const { return m_seenMean; }
    void setSeenMeanTileBytes(double b);
    bool withElevation() const { return m_withElevation; }
    void setWithElevation(bool on);
    double south() const { return m_bounds.value(0); }
    double west() const { return m_bounds.value(1); }
    double north() const { return m_bounds.value(2); }
    double east() const { return m_bounds.value(3); }

    // Starts from the map's zoom (fractions round down).
    Q_INVOKABLE void begin(double mapZoom);
    // The framed area: {south, west, north, east} in degrees.
    Q_INVOKABLE void setFrame(const QVariantMap &bounds);
    Q_INVOKABLE void stepMinZoom(int delta);
    Q_INVOKABLE void stepMaxZoom(int delta);

Q_SIGNALS:
    void changed();

private:
    void recount();

    QList<double> m_bounds{0, 0, 0, 0};
    int m_minZoom = 0;
    int m_maxZoom = kDefaultLevels;
    qint64 m_tiles = 0;
    double m_storeMean = 0;
    bool m_withElevation = false;
    double m_seenMean = 0;
};
