// The text panels of the main window's status bar, as the link object sees them.
#pragma once

#include <QString>

// The status bar's panels, left to right; the values are the panels' numbers.
enum class Panel { Sending = 1, Link, Date, Time, ClockSync };

class StatusPanels
{
public:
    virtual ~StatusPanels() = default;
    // The link object writes Sending, Link, Date and Time; the PC clock's panel is the window's own.
    virtual void setPanelText(Panel panel, const QString& text) = 0;
};
