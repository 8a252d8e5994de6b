#include "ui/main/frmMain.h"

#include "model/SettingsStore.h"
#include "ui/Twips.h"
#include "ui/main/MainPlacement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QHBoxLayout>

namespace {
constexpr double kClientWidth = 7815, kClientHeight = 3240;
constexpr double kStatusTop = 2925, kStatusHeight = 315;
// Widths of panels 2 to 4; panel 1 takes the rest.
constexpr double kPanelWidths[4] = {0, 1600, 1900, 1000};
} // namespace

frmMain::frmMain(SettingsStore& settings, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_settings(settings)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral(" Quillmarch from Orvale Instruments"));
    // A row of sunken text panels; QStatusBar would add separators and a size grip and clip the frames.
    sbStatusBar = new QWidget(this);
    sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    auto* row = new QHBoxLayout(sbStatusBar);
    row->setContentsMargins(1, 1, 1, 1);
    row->setSpacing(2);
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(sbStatusBar);
        label->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        label->setContentsMargins(2, 0, 2, 0);
        // Panel 1 takes what the others leave; no text may widen a panel.
        label->setSizePolicy(i == 0 ? QSizePolicy::Ignored : QSizePolicy::Fixed, QSizePolicy::Ignored);
        row->addWidget(label, i == 0 ? 1 : 0);
        m_panels[size_t(i)] = label;
    }
}

void frmMain::Form_Load()
{
    const double dpi = LogicalDpi(this);
    setFixedSize(TwipsToPixels(kClientWidth, dpi), TwipsToPixels(kClientHeight, dpi));
    sbStatusBar->setGeometry(TwipsRect(0, kStatusTop, kClientWidth, kStatusHeight, dpi));
    for (int i = 1; i < 4; ++i)
        m_panels[size_t(i)]->setFixedWidth(TwipsToPixels(kPanelWidths[i], dpi));

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const float left = ReadStoredCoordinate(m_settings.GetSetting(QStringLiteral("MainLeft"), QStringLiteral("-401")), -401);
    const float top = ReadStoredCoordinate(m_settings.GetSetting(QStringLiteral("MainTop"), QStringLiteral("-401")), -401);
    const QPointF place = PlaceMainWindow(left, top, PixelsToTwips(screen.width(), dpi),
                                          PixelsToTwips(screen.height(), dpi), PixelsToTwips(width(), dpi),
                                          PixelsToTwips(height(), dpi));
    move(TwipsToPixels(place.x(), dpi), TwipsToPixels(place.y(), dpi));
}

void frmMain::SaveWindowSettings()
{
    // A minimised window has no position worth keeping.
    if (isMinimized())
        return;
    const double dpi = LogicalDpi(this);
    // Whole twips: a pixel is several twips, so nothing is lost and the stored text stays plain.
    const float current[2] = {float(std::round(PixelsToTwips(x(), dpi))),
                              float(std::round(PixelsToTwips(y(), dpi)))};
    const QString keys[2] = {QStringLiteral("MainLeft"), QStringLiteral("MainTop")};
    for (int i = 0; i < 2; ++i) {
        const float stored = ReadStoredCoordinate(m_settings.GetSetting(keys[i], QStringLiteral("-500")), -500);
        if (stored != current[i])
            m_settings.SaveSetting(keys[i], StoredCoordinateText(current[i]));
    }
}

void frmMain::setPanelText(int panel, const QString& text)
{
    if (panel >= 1 && panel <= 4)
        m_panels[size_t(panel - 1)]->setText(text);
}

QString frmMain::panelText(int panel) const
{
    return panel >= 1 && panel <= 4 ? m_panels[size_t(panel - 1)]->text() : QString();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded)
        Form_Unload();
    event->accept();
}

void frmMain::Form_Unload()
{
    m_unloaded = true;
    // Close the other windows, the most recently opened first.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        if (*it != this && (*it)->isVisible())
            (*it)->close();
    }
    SaveWindowSettings();
    emit unloaded();
}
