#include "ui/main/StatusPanel.h"

#include "ui/Twips.h"

#include <QBoxLayout>
#include <QEvent>

#include <algorithm>

StatusPanel::StatusPanel(QWidget* parent) : QLabel(parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setTextFormat(Qt::PlainText);
    setContentsMargins(2, 0, 2, 0);
}

void StatusPanel::setFullText(const QString& text, const QString& detail)
{
    if (text == m_full && detail == m_detail)
        return;
    m_full = text;
    m_detail = detail;
    refit();
}

void StatusPanel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    refit();
}

void StatusPanel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    // A style sheet (the red, bold clock-sync warning) changes the font and with it what fits.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        refit();
}

void StatusPanel::refit()
{
    ensurePolished();
    const QFontMetrics metrics = fontMetrics();
    if (m_widest > 0) {
        const int needed = metrics.horizontalAdvance(m_full) + width() - contentsRect().width() + 2 * margin() + 2;
        if (needed > width())
            setFixedWidth(std::min(needed, m_widest));
    }
    const int room = contentsRect().width() - 2 * margin();
    const QString shown = metrics.elidedText(m_full, Qt::ElideRight, room);
    if (shown != text())
        setText(shown);
    QString tip = m_detail;
    if (shown != m_full)
        tip = m_detail.isEmpty() ? m_full : m_full + QLatin1Char('\n') + m_detail;
    if (tip != toolTip())
        setToolTip(tip);
}

namespace {
// Widths of panels 2 to 4, in twips.
constexpr double kPanelWidths[4] = {0, 1600, 1900, 1000};
} // namespace

MainStatusBar::MainStatusBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("sbStatusBar"));
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(1, 1, 1, 1);
    rows->setSpacing(2);
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    rows->addLayout(row);
    for (int i = 0; i < kPanelCount; ++i) {
        auto* panel = new StatusPanel(this);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        // Panel 1 takes what the others leave and shows what fits; the link, date and time panels fit their texts.
        panel->setSizePolicy(i == 0 || i == 4 ? QSizePolicy::Ignored : QSizePolicy::Fixed, QSizePolicy::Ignored);
        if (i < 4)
            row->addWidget(panel, i == 0 ? 1 : 0);
        else
            rows->addWidget(panel);
        m_panels[size_t(i)] = panel;
    }
}

void MainStatusBar::fitPanels(double dpi)
{
    for (int i = 1; i < 4; ++i) {
        m_panels[size_t(i)]->setFixedWidth(TwipsToPixels(kPanelWidths[i], dpi));
        // Room for a longer link name or date; panel 1 keeps at least a fifth of the bar.
        m_panels[size_t(i)]->setGrowth(TwipsToPixels(kPanelWidths[i] + (i == 1 ? 1000 : 300), dpi));
    }
}

void MainStatusBar::setText(Panel which, const QString& text, const QString& detail)
{
    if (const int panel = int(which); panel >= 1 && panel <= kPanelCount)
        m_panels[size_t(panel - 1)]->setFullText(text, detail);
}

QString MainStatusBar::text(Panel which) const
{
    const int panel = int(which);
    return panel >= 1 && panel <= kPanelCount ? m_panels[size_t(panel - 1)]->fullText() : QString();
}

void MainStatusBar::showClockSync(const QString& text, const QString& detail, bool synchronized)
{
    setText(Panel::ClockSync, text, detail);
    m_panels[4]->setStyleSheet(synchronized ? QString()
                                            : QStringLiteral("QLabel { color: #c00000; font-weight: bold; }"));
}
