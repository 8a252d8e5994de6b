// Window positions and sizes are kept in twips (1440 to the inch); the screen works in pixels.
#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

inline double LogicalDpi(const QWidget* widget = nullptr)
{
    const QScreen* screen = widget && widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}

inline int TwipsToPixels(double twips, double dpi)
{
    return int(std::lround(twips * dpi / 1440.0));
}

inline double PixelsToTwips(int pixels, double dpi)
{
    return pixels * 1440.0 / dpi;
}

// A rectangle given in twips, in pixels.
inline QRect TwipsRect(double left, double top, double width, double height, double dpi)
{
    return QRect(TwipsToPixels(left, dpi), TwipsToPixels(top, dpi), TwipsToPixels(width, dpi),
                 TwipsToPixels(height, dpi));
}

// Puts a control where the design has it. Our fonts are wider than the design's: a label keeps its place but
// grows to its text rather than cut it. A flat tool button keeps its right edge and is as wide as its text.
inline void PlaceInTwips(QWidget* control, const QRectF& twips, double dpi)
{
    QRect r = TwipsRect(twips.left(), twips.top(), twips.width(), twips.height(), dpi);
    if (control->inherits("QLabel"))
        r.setWidth(std::max(r.width(), control->sizeHint().width()));
    if (control->inherits("QToolButton"))
        r.setLeft(r.right() + 1 - control->sizeHint().width());
    control->setGeometry(r);
}
