// The four text panels of the main window's status bar, as the link object sees them.
#pragma once

#include <QString>

class StatusPanels
{
public:
    virtual ~StatusPanels() = default;
    // `panel` is 1 (sending status), 2 (link in use), 3 (local date) or 4 (local time).
    virtual void setPanelText(int panel, const QString& text) = 0;
    virtual QString panelText(int panel) const = 0;
};
