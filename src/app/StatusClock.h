// The local time and date in the status bar: the time once a second, the date at most once a minute.
#pragma once

#include <QDate>
#include <QDateTime>

class StatusPanels;

class StatusClock
{
public:
    void UpdateStatusClock(const QDateTime& localNow, StatusPanels& panels);

private:
    int m_lastSecond = 0;
    QDate m_lastDate;
    bool m_dateShown = false;
};
