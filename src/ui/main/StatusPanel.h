// One text panel of the main window's status bar: a text that does not fit is cut visibly ("…") and shown whole
// in the tooltip, never cut without a sign.
#pragma once

#include <QLabel>

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
