// The PC's clock behind a seam, so tests can set the time.
#pragma once

#include <QDateTime>
#include <QElapsedTimer>

class SystemClock
{
public:
    virtual ~SystemClock() = default;
    virtual QDateTime utcNow() const = 0;
    virtual QDateTime localNow() const = 0;
    // A steadily increasing count of seconds, unaffected by changes of the wall clock.
    virtual double elapsedSeconds() const = 0;
};

class RealSystemClock : public SystemClock
{
public:
    RealSystemClock() { m_started.start(); }
    QDateTime utcNow() const override { return QDateTime::currentDateTimeUtc(); }
    QDateTime localNow() const override { return QDateTime::currentDateTime(); }
    double elapsedSeconds() const override { return m_started.nsecsElapsed() / 1e9; }

private:
    QElapsedTimer m_started;
};
