// Where the main window opens, from its stored position, and how a position is stored (all in twips).
#pragma once

#include <QPointF>
#include <QString>

class QWidget;
class SettingsStore;

// A stored position more than 400 twips off the screen, or none (-401), centres the window.
QPointF PlaceMainWindow(float storedLeft, float storedTop, double screenWidth, double screenHeight, double windowWidth,
                        double windowHeight);

// A stored coordinate as a single-precision number; text that is not a number reads as `fallback`.
float ReadStoredCoordinate(const QString& text, float fallback);

// The text a coordinate is stored as: plain decimal, no exponent for any on-screen value.
QString StoredCoordinateText(float value);

// Moves the window to its stored place ("MainLeft", "MainTop"), or centres it.
void RestoreMainPlace(QWidget& window, const SettingsStore& settings);
// Stores the window's place where it changed; a minimised window has none worth keeping.
void SaveMainPlace(const QWidget& window, SettingsStore& settings);
