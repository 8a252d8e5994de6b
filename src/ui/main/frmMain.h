// The main window: the frame with its status bar and remembered position (the group editor comes inside it).
#pragma once

#include "app/StatusPanels.h"

#include <QWidget>
#include <array>

class QLabel;
class SettingsStore;

class frmMain : public QWidget, public StatusPanels
{
    Q_OBJECT

public:
    explicit frmMain(SettingsStore& settings, QWidget* parent = nullptr);

    // Loads the window without showing it: size, status bar, placement.
    void Form_Load();
    void SaveWindowSettings();

    void setPanelText(int panel, const QString& text) override;
    QString panelText(int panel) const override;

    QWidget* sbStatusBar = nullptr;

signals:
    // The window has closed the other windows and saved its settings; the program ends now.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Unload();

    SettingsStore& m_settings;
    std::array<QLabel*, 4> m_panels{};
    bool m_unloaded = false;
};
