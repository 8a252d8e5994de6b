#include "ui/auxiliary/Logo.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

QPixmap DrawLogo(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF face(size * 0.06, size * 0.06, size * 0.88, size * 0.88);
    p.setPen(QPen(QColor(0x1f, 0x3a, 0x68), size * 0.05));
    p.setBrush(QColor(0xf4, 0xf1, 0xe8));
    p.drawEllipse(face);
    const QPointF c = face.center();
    const double r = face.width() / 2;
    p.setPen(QPen(QColor(0x1f, 0x3a, 0x68), size * 0.025, Qt::SolidLine, Qt::RoundCap));
    for (int h = 0; h < 12; ++h) {
        const double a = h * M_PI / 6;
        const double inner = h % 3 == 0 ? 0.72 : 0.8;
        p.drawLine(QPointF(c.x() + r * inner * std::sin(a), c.y() - r * inner * std::cos(a)),
                   QPointF(c.x() + r * 0.88 * std::sin(a), c.y() - r * 0.88 * std::cos(a)));
    }
    // Hour hand at ten, and a quill for the minute hand at two.
    p.setPen(QPen(QColor(0x1f, 0x3a, 0x68), size * 0.05, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, QPointF(c.x() - r * 0.42, c.y() - r * 0.25));
    QPainterPath quill;
    quill.moveTo(c);
    quill.quadTo(QPointF(c.x() + r * 0.25, c.y() - r * 0.55), QPointF(c.x() + r * 0.62, c.y() - r * 0.5));
    quill.quadTo(QPointF(c.x() + r * 0.4, c.y() - r * 0.2), c);
    p.setPen(QPen(QColor(0x8a, 0x1c, 0x1c), size * 0.015));
    p.setBrush(QColor(0xb2, 0x2b, 0x2b));
    p.drawPath(quill);
    p.setBrush(QColor(0x1f, 0x3a, 0x68));
    p.setPen(Qt::NoPen);
    p.drawEllipse(c, size * 0.035, size * 0.035);
    return pixmap;
}
