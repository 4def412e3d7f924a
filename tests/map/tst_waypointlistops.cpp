#include "CoordinateListModel.h"
#include "WaypointListOps.h"

#include <QSignalSpy>
#include <QTest>

using namespace zeltrin;

namespace {
QList<QChar> letters(const QString &s)
{
    QList<QChar> l;
    for (QChar c : s)
        l.append(c);
    return l;
}
QString str(const QList<QChar> &l)
{
    QString s;
    for (QChar c : l)
        s.append(c);
    return s;
}
using Positions = std::vector<qsizetype>;
} // namespace

Q_DECLARE_METATYPE(Positions)

class TestWaypointListOps : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void move_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<Positions>("sources");
        QTest::addColumn<int>("destination");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first to end") << "ABC" << Positions{0} << 3 << "BCA";
        QTest::newRow("last to top") << "ABC" << Positions{2} << 0 << "CAB";
        QTest::newRow("two around middle") << "ABC" << Positions{0, 2} << 2 << "BAC";
        QTest::newRow("onto itself") << "ABC" << Positions{1} << 1 << "ABC";
        QTest::newRow("just after itself") << "ABC" << Positions{1} << 2 << "ABC";
        QTest::newRow("unsorted sources keep list order") << "ABCDE" << Positions{3, 0} << 5 << "BCEAD";
        QTest::newRow("two to top") << "ABCDE" << Positions{1, 4} << 0 << "BEACD";
        QTest::newRow("out of range ignored") << "ABC" << Positions{7} << 0 << "ABC";
        QTest::newRow("destination clamped") << "ABC" << Positions{0} << 99 << "BCA";
        QTest::newRow("empty list") << "" << Positions{0} << 0 << "";
    }
    void move()
    {
        QFETCH(QString, list);
        QFETCH(Positions, sources);
        QFETCH(int, destination);
        QFETCH(QString, expected);
        auto l = letters(list);
        waypoints::move(l, sources, destination);
        QCOMPARE(str(l), expected);

        // The list model gives the same order and keeps its views in step.
        CoordinateListModel model;
        QList<Coordinate> coords;
        for (QChar c : list)
            coords.append({double(c.unicode()), 0});
        model.setCoordinates(coords);
        model.movePositions(sources, destination);
        QString got;
        for (const auto &c : model.coordinates())
            got.append(QChar(char16_t(c.latitude)));
        QCOMPARE(got, expected);
    }

    void remove_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<Positions>("positions");
        QTest::addColumn<int>("selection"); // -1 none
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("expectedSelection");
        QTest::newRow("selected removed") << "ABC" << Positions{1} << 1 << "AC" << -1;
        QTest::newRow("other removed keeps stored position") << "ABC" << Positions{0} << 2 << "BC" << 2;
        QTest::newRow("no selection") << "ABC" << Positions{2} << -1 << "AB" << -1;
        QTest::newRow("several, selected among them") << "ABCDE" << Positions{4, 0, 2} << 2 << "BD" << -1;
        QTest::newRow("several, selected not among them") << "ABCDE" << Positions{0, 4} << 1 << "BCD" << 1;
        QTest::newRow("stale selection survives") << "AB" << Positions{0} << 5 << "B" << 5;
        QTest::newRow("duplicates and out of range") << "ABC" << Positions{1, 1, 9, -1} << 0 << "AC" << 0;
    }
    void remove()
    {
        QFETCH(QString, list);
        QFETCH(Positions, positions);
        QFETCH(int, selection);
        QFETCH(QString, expected);
        QFETCH(int, expectedSelection);
        auto l = letters(list);
        std::optional<qsizetype> sel;
        if (selection >= 0)
            sel = selection;
        waypoints::removeAt(l, positions, sel);
        QCOMPARE(str(l), expected);
        QCOMPARE(sel ? int(*sel) : -1, expectedSelection);

        CoordinateListModel model;
        QList<Coordinate> coords;
        for (QChar c : list)
            coords.append({double(c.unicode()), 0});
        model.setCoordinates(coords);
        model.setMarked(selection >= 0 ? std::optional<qsizetype>(selection) : std::nullopt);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        model.removePositions(positions);
        QCOMPARE(model.count(), expected.size());
        QCOMPARE(model.marked() ? int(*model.marked()) : -1, expectedSelection);
        QVERIFY(removed.count() >= 1);
    }

    void markedRowFollowsPositionNotItem()
    {
        // Moving WP 3 to the top: a selection stored as 0 now marks the moved waypoint.
        CoordinateListModel model;
        model.setCoordinates({{1, 0}, {2, 0}, {3, 0}});
        model.setMarked(0);
        model.movePositions({2}, 0);
        QCOMPARE(model.coordinates().at(0).latitude, 3.0);
        QCOMPARE(model.data(model.index(0), CoordinateListModel::SelectedRole).toBool(), true);
        QCOMPARE(model.data(model.index(1), CoordinateListModel::SelectedRole).toBool(), false);
    }
};

QTEST_GUILESS_MAIN(TestWaypointListOps)
#include "tst_waypointlistops.moc"
