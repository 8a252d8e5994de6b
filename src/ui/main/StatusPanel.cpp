#include "ui/main/StatusPanel.h"

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
