#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// The simulated aircraft's time. It ticks every `tickMs` of its own time; the real-time clock
// follows the wall clock, the manual one moves only when a test or a tool advances it, so a
// ten-minute flight runs in milliseconds.
class SimClock : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTickMs = 100; // the telemetry's 10 Hz

    using QObject::QObject;
    virtual qint64 nowMs() const = 0;
    virtual void start() {}

Q_SIGNALS:
    void ticked(qint64 nowMs);
};

class RealTimeClock final : public SimClock
{
    Q_OBJECT
public:
    explicit RealTimeClock(QObject *parent = nullptr);
    qint64 nowMs() const override { return m_ticks * kTickMs; }
    void start() override;

private:
    QTimer m_timer;
    qint64 m_ticks = 0;
};

class ManualClock final : public SimClock
{
    Q_OBJECT
public:
    using SimClock::SimClock;
    qint64 nowMs() const override { return m_now; }
    // Moves time on by `ms`, ticking at every tick boundary on the way.
    void advance(qint64 ms);

private:
    qint64 m_now = 0;
};
