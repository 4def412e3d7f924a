#pragma once

#include "Coordinate.h"

#include <QAbstractListModel>
#include <QList>
#include <QQmlEngine>

#include <functional>
#include <optional>
#include <vector>

// An ordered list of coordinates with one marked (selected) position, as a list model.
// The map item reads the list directly (no QVariant per item), so large lists stay cheap to draw.
class CoordinateListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("owned by a screen model")
    Q_PROPERTY(int count READ count NOTIFY countChanged)
public:
    enum Role { LatitudeRole = Qt::UserRole + 1, LongitudeRole, SelectedRole, NextRole };

    explicit CoordinateListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_items.size()); }
    const QList<zeltrin::Coordinate> &coordinates() const { return m_items; }
    Q_INVOKABLE double latitudeAt(int i) const;
    Q_INVOKABLE double longitudeAt(int i) const;

    void append(zeltrin::Coordinate c);
    void clear();
    void removePositions(std::vector<qsizetype> positions);
    void movePositions(std::vector<qsizetype> sources, qsizetype destination);
    void setCoordinates(QList<zeltrin::Coordinate> items);
    // One position's new place (out of range: nothing).
    void setCoordinate(qsizetype position, zeltrin::Coordinate c);

    // The marked position; may point past the end after list edits (then nothing is marked).
    std::optional<qsizetype> marked() const { return m_marked; }
    void setMarked(std::optional<qsizetype> position);

Q_SIGNALS:
    void countChanged();
    // Any change of coordinates or of the marked position: redraw.
    void contentChanged();
    // Coordinates changed at `first` and possibly after it (emitted before contentChanged);
    // positions before `first` hold what they held.
    void coordinatesChangedFrom(qsizetype first);

private:
    void markRow(std::optional<qsizetype> row);
    // Position the marked row's item takes after `edit` (applied to a list of row ids).
    std::optional<qsizetype> followMarked(const std::function<void(QList<qsizetype> &)> &edit) const;
    void restyleAfterShift(std::optional<qsizetype> shifted);
    QList<zeltrin::Coordinate> m_items;
    std::optional<qsizetype> m_marked;
};
