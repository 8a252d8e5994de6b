#include "ui/main/MainPlacement.h"

#include <cmath>

namespace {
// Round half to even, then halve truncating toward zero, as the original's integer division does.
double halfOfRounded(double value)
{
    return std::trunc(std::nearbyint(value) / 2.0);
}
} // namespace

QPointF PlaceMainWindow(float storedLeft, float storedTop, double screenWidth, double screenHeight, double windowWidth,
                        double windowHeight)
{
    if (storedLeft < -400 || storedLeft > screenWidth - 400 || storedTop < -400 || storedTop > screenHeight - 400)
        return {halfOfRounded(screenWidth - windowWidth), halfOfRounded(screenHeight - windowHeight)};
    return {storedLeft, storedTop};
}

float ReadStoredCoordinate(const QString& text, float fallback)
{
    bool ok = false;
    const float value = text.trimmed().toFloat(&ok);
    return ok && std::isfinite(value) ? value : fallback;
}

QString StoredCoordinateText(float value)
{
    return QString::number(double(value), 'g', 9);
}
