// The main window's status bar and its text panels: a text that does not fit is cut visibly ("…") and shown whole
// in the tooltip, never cut without a sign.
#pragma once

#include "app/StatusPanels.h"

#include <QLabel>
#include <array>

class StatusPanel : public QLabel
{
public:
    explicit StatusPanel(QWidget* parent);

    // `detail` is a tooltip of the panel's own; the whole text goes before it when the text is cut.
    void setFullText(const QString& text, const QString& detail = QString());
    const QString& fullText() const { return m_full; }
    // A fixed-width panel grows to its whole text up to `widest` pixels (0: never). It only grows, so a ticking
    // text cannot make the bar jump.
    void setGrowth(int widest) { m_widest = widest; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void refit();

    QString m_full;
    QString m_detail;
    int m_widest = 0;
};

// A row of sunken text panels (QStatusBar would add separators and a size grip and clip the frames): sending
// status, link, date, time; and below them the PC clock's synchronisation, which the first row has no room for.
class MainStatusBar : public QWidget
{
public:
    static constexpr int kPanelCount = 5;

    explicit MainStatusBar(QWidget* parent);
    // Panels 2 to 4 get their designed widths in twips; panel 1 takes the rest.
    void fitPanels(double dpi);
    // `detail` is the panel's own tooltip.
    void setText(Panel panel, const QString& text, const QString& detail = QString());
    QString text(Panel panel) const;
    // The clocks copy a wrong PC clock faithfully: that case must stand out.
    void showClockSync(const QString& text, const QString& detail, bool synchronized);

private:
    std::array<StatusPanel*, kPanelCount> m_panels{};
};
