#include "ui/main/MainPlacement.h"

#include "model/SettingsStore.h"
#include "ui/Twips.h"

#include <cmath>

namespace {
// Round half to even, then halve truncating toward zero: the place an integer division gives.
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

void RestoreMainPlace(QWidget& window, const SettingsStore& settings)
{
    const double dpi = LogicalDpi(&window);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const float left =
        ReadStoredCoordinate(settings.GetSetting(QStringLiteral("MainLeft"), QStringLiteral("-401")), -401);
    const float top =
        ReadStoredCoordinate(settings.GetSetting(QStringLiteral("MainTop"), QStringLiteral("-401")), -401);
    const QPointF place =
        PlaceMainWindow(left, top, PixelsToTwips(screen.width(), dpi), PixelsToTwips(screen.height(), dpi),
                        PixelsToTwips(window.width(), dpi), PixelsToTwips(window.height(), dpi));
    window.move(TwipsToPixels(place.x(), dpi), TwipsToPixels(place.y(), dpi));
}

void SaveMainPlace(const QWidget& window, SettingsStore& settings)
{
    if (window.isMinimized())
        return;
    const double dpi = LogicalDpi(&window);
    // Whole twips: a pixel is several twips, so nothing is lost and the stored text stays plain.
    const float current[2] = {float(std::round(PixelsToTwips(window.x(), dpi))),
                              float(std::round(PixelsToTwips(window.y(), dpi)))};
    const QString keys[2] = {QStringLiteral("MainLeft"), QStringLiteral("MainTop")};
    for (int i = 0; i < 2; ++i) {
        const float stored = ReadStoredCoordinate(settings.GetSetting(keys[i], QStringLiteral("-500")), -500);
        if (stored != current[i])
            settings.SaveSetting(keys[i], StoredCoordinateText(current[i]));
    }
}
