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

// A view's cache of each row's mark: rebuilt only from the model's signals, as a list view does.
class ShadowView
{
public:
    explicit ShadowView(CoordinateListModel &m) : m_model(m)
    {
        reload();
        QObject::connect(&m, &QAbstractItemModel::modelReset, [this] { reload(); });
        QObject::connect(&m, &QAbstractItemModel::rowsInserted, [this](const QModelIndex &, int a, int b) {
            for (int r = a; r <= b; ++r)
                rows.insert(r, look(r));
        });
        QObject::connect(&m, &QAbstractItemModel::rowsRemoved, [this](const QModelIndex &, int a, int b) {
            rows.remove(a, b - a + 1);
        });
        QObject::connect(&m, &QAbstractItemModel::rowsMoved,
                         [this](const QModelIndex &, int a, int b, const QModelIndex &, int to) {
                             QList<bool> moved = rows.mid(a, b - a + 1);
                             rows.remove(a, b - a + 1);
                             const int at = to > a ? to - int(moved.size()) : to;
                             for (int i = 0; i < moved.size(); ++i)
                                 rows.insert(at + i, moved.at(i));
                         });
        QObject::connect(&m, &QAbstractItemModel::dataChanged,
                         [this](const QModelIndex &a, const QModelIndex &b, const QList<int> &roles) {
                             if (!roles.isEmpty() && !roles.contains(CoordinateListModel::SelectedRole))
                                 return;
                             for (int r = a.row(); r <= b.row(); ++r)
                                 rows[r] = look(r);
                         });
    }
    QList<bool> truth() const
    {
        QList<bool> t;
        for (int r = 0; r < m_model.count(); ++r)
            t.append(look(r));
        return t;
    }
    QList<bool> rows;

private:
    bool look(int r) const { return m_model.data(m_model.index(r), CoordinateListModel::SelectedRole).toBool(); }
    void reload() { rows = truth(); }
    CoordinateListModel &m_model;
};

CoordinateListModel *modelOf(int n, int marked)
{
    auto *m = new CoordinateListModel;
    QList<Coordinate> coords;
    for (int i = 0; i < n; ++i)
        coords.append({double(i), 0});
    m->setCoordinates(coords);
    m->setMarked(marked >= 0 ? std::optional<qsizetype>(marked) : std::nullopt);
    return m;
}
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

    // After any edit, every row a view shows must look as the model says: one gold row at
    // the stored position, none elsewhere, however far the old gold row shifted.
    void viewsKeepMarkInStep_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("marked");
        QTest::addColumn<QString>("edit"); // "remove" or "move"
        QTest::addColumn<Positions>("positions");
        QTest::addColumn<int>("destination");
        QTest::newRow("remove before mark") << 4 << 2 << "remove" << Positions{0} << 0;
        QTest::newRow("remove two before mark") << 5 << 3 << "remove" << Positions{0, 1} << 0;
        QTest::newRow("remove after mark") << 4 << 1 << "remove" << Positions{3} << 0;
        QTest::newRow("remove marked") << 4 << 1 << "remove" << Positions{1} << 0;
        QTest::newRow("remove makes mark stale") << 3 << 2 << "remove" << Positions{0} << 0;
        QTest::newRow("remove with stale mark") << 3 << 7 << "remove" << Positions{0} << 0;
        QTest::newRow("remove scattered") << 7 << 4 << "remove" << Positions{0, 2, 6} << 0;
        QTest::newRow("move marked down") << 4 << 0 << "move" << Positions{0} << 3;
        QTest::newRow("move marked to end") << 4 << 1 << "move" << Positions{1} << 4;
        QTest::newRow("move other over mark") << 4 << 2 << "move" << Positions{3} << 0;
        QTest::newRow("move other under mark") << 4 << 1 << "move" << Positions{0} << 3;
        QTest::newRow("move far from mark") << 5 << 0 << "move" << Positions{3} << 5;
        QTest::newRow("move two") << 5 << 1 << "move" << Positions{0, 4} << 2;
        QTest::newRow("move without mark") << 4 << -1 << "move" << Positions{0} << 4;
    }
    void viewsKeepMarkInStep()
    {
        QFETCH(int, size);
        QFETCH(int, marked);
        QFETCH(QString, edit);
        QFETCH(Positions, positions);
        QFETCH(int, destination);
        std::unique_ptr<CoordinateListModel> model(modelOf(size, marked));
        ShadowView view(*model);
        if (edit == QLatin1String("remove"))
            model->removePositions(positions);
        else
            model->movePositions(positions, destination);
        QCOMPARE(view.rows, view.truth());
        QVERIFY(view.truth().count(true) <= 1);
    }

    void onlyChangedRowsAreRestyled()
    {
        // Removing WP 1 under a mark at 2: the old gold row (now 1) and the new one (2), no more.
        std::unique_ptr<CoordinateListModel> model(modelOf(6, 2));
        QSignalSpy changed(model.get(), &QAbstractItemModel::dataChanged);
        model->removePositions({0});
        QList<int> rows;
        for (const auto &args : changed) {
            const int a = args.at(0).toModelIndex().row(), b = args.at(1).toModelIndex().row();
            for (int r = a; r <= b; ++r)
                rows.append(r);
        }
        std::sort(rows.begin(), rows.end());
        QCOMPARE(rows, (QList<int>{1, 2}));
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
