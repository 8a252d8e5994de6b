#include "app/StatusClock.h"

#include "app/StatusPanels.h"

#include <QLocale>

void StatusClock::UpdateStatusClock(const QDateTime& localNow, StatusPanels& panels)
{
    const QTime t = localNow.time();
    if (t.second() == m_lastSecond)
        return;
    // A literal colon and 00..23 whatever the locale's own time format.
    panels.setPanelText(Panel::Time, t.toString(QStringLiteral("HH:mm:ss")));
    m_lastSecond = t.second();
    if (m_lastSecond != 0 && m_dateShown)
        return;
    const QDate d = localNow.date();
    if (d != m_lastDate) {
        // Day and month abbreviations in the user's language.
        panels.setPanelText(Panel::Date, QLocale().toString(d, QStringLiteral("ddd, MMM dd, yyyy")));
        m_lastDate = d;
        m_dateShown = true;
    }
}
