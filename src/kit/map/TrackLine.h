#pragma once

#include "Coordinate.h"

#include <QObject>
#include <QPointF>
#include <QQmlEngine>

#include <vector>

// A line that grows as the aircraft flies: the flown track. Its size stays bounded however long
// the flight: points closer than a metre to the last one kept are dropped, and when the line
// reaches its capacity the older part is simplified (Douglas–Peucker) at a tolerance that
// doubles until half the capacity is left, so a long flight keeps its shape to within metres.
class TrackLine : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("owned by the app")
    Q_PROPERTY(int count READ countInt NOTIFY changed)
    Q_PROPERTY(int markCount READ markCountInt NOTIFY marksChanged)
public:
    static constexpr qsizetype kCapacity = 4096;
    static constexpr double kMinStepMetres = 1.0;

    explicit TrackLine(QObject *parent = nullptr);

    // Non-finite or out-of-range positions are ignored.
    void append(double latitude, double longitude);
    void clear();
    qsizetype count() const { return qsizetype(m_points.size()); }
    int countInt() const { return int(count()); }
    zeltrin::Coordinate at(qsizetype i) const { return m_points[size_t(i)]; }
    const std::vector<zeltrin::Coordinate> &points() const { return m_points; }
    // The tolerance the last simplification used (0 before any).
    double toleranceMetres() const { return m_tolerance; }

    // Places marked along the line (the photos of a flight), drawn as dots over it. Non-finite or
    // out-of-range positions are left out.
    void setMarks(const std::vector<zeltrin::Coordinate> &marks);
    const std::vector<zeltrin::Coordinate> &marks() const { return m_marks; }
    int markCountInt() const { return int(m_marks.size()); }

Q_SIGNALS:
    // Points from `first` on are new or changed; what lies before is as it was.
    void changed(qsizetype first);
    void marksChanged();

private:
    void simplify();
    std::vector<zeltrin::Coordinate> m_points;
    double m_tolerance = 0;
    std::vector<zeltrin::Coordinate> m_marks;
};
