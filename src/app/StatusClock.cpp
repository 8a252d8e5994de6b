#include "app/StatusClock.h"

#include "app/StatusPanels.h"

#include <QLocale>

void StatusClock::UpdateStatusClock(const QDateTime& localNow, StatusPanels& panels)
{
    const QTime t = localNow.time();
    if (t.second() == m_LastSecond)
        return;
    // A literal colon and 00..23 whatever the locale's own time format.
    panels.setPanelText(4, t.toString(QStringLiteral("HH:mm:ss")));
    m_LastSecond = t.second();
    if (m_LastSecond != 0 && m_DateShown)
        return;
    const QDate d = localNow.date();
    if (d != m_LastDate) {
        // Day and month abbreviations in the user's language.
        panels.setPanelText(3, QLocale().toString(d, QStringLiteral("ddd, MMM dd, yyyy")));
        m_LastDate = d;
        m_DateShown = true;
    }
}
