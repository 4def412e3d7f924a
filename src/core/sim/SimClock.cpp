#include "SimClock.h"

RealTimeClock::RealTimeClock(QObject *parent) : SimClock(parent)
{
    m_timer.setInterval(kTickMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { Q_EMIT ticked(++m_ticks * kTickMs); });
}

void RealTimeClock::start()
{
    if (!m_timer.isActive())
        m_timer.start();
}

void ManualClock::advance(qint64 ms)
{
    const qint64 end = m_now + std::max<qint64>(0, ms);
    while ((m_now / kTickMs + 1) * kTickMs <= end) {
        m_now = (m_now / kTickMs + 1) * kTickMs;
        Q_EMIT ticked(m_now);
    }
    m_now = end;
}
