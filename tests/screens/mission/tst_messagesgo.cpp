// A message about a file goes by itself, as the dashboard's notices do: a success after a few
// seconds, a failure after longer, and neither before the pilot has had time to read it. The
// plan screen's and the flight page's messages, timed against the real clock.
#include "FlightDetailModel.h"
#include "FlightPlanModel.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

class TestMessagesGo : public QObject
{
    Q_OBJECT

    // Waits for `message` to go; returns how long it stayed (ms) since `clock` started, or -1
    // if it stayed for good. (A coarse timer may fire up to 5 % early.)
    template<typename Read>
    static qint64 timeShown(const QElapsedTimer &clock, Read message)
    {
        if (!QTest::qWaitFor([&] { return message().isEmpty(); }, 20000))
            return -1;
        return clock.elapsed();
    }

private Q_SLOTS:
    void planFileMessage_data()
    {
        QTest::addColumn<bool>("fails");
        QTest::addColumn<int>("leastMs");
        QTest::newRow("saved") << false << 4000;
        QTest::newRow("not saved") << true << 8000;
    }
    void planFileMessage()
    {
        QFETCH(bool, fails);
        QFETCH(int, leastMs);
        QTemporaryDir dir;
        FlightPlanModel m;
        if (!fails)
            for (int i = 0; i < 2; ++i)
                m.addWaypoint();
        QElapsedTimer clock;
        clock.start(); // no later than the message's own timer
        QCOMPARE(m.savePlan(dir.filePath(QStringLiteral("p.plan"))), !fails);
        QVERIFY(!m.fileMessage().isEmpty());
        QCOMPARE(m.fileMessageIsError(), fails);
        const qint64 shown = timeShown(clock, [&] { return m.fileMessage(); });
        QVERIFY2(shown >= leastMs * 95 / 100 && shown < 16000, qPrintable(QString::number(shown)));
    }

    // A failed export on the flight page (no such flight) goes the same way.
    void flightPageMessage()
    {
        FlightDetailModel m;
        QTemporaryDir dir;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!m.exportFlight(QStringLiteral("gpx"), QUrl::fromLocalFile(dir.path())));
        QVERIFY(m.messageIsError());
        const qint64 shown = timeShown(clock, [&] { return m.message(); });
        QVERIFY2(shown >= 7600 && shown < 16000, qPrintable(QString::number(shown)));
    }
};

QTEST_MAIN(TestMessagesGo)
#include "tst_messagesgo.moc"
