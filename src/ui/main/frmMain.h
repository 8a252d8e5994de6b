// The main window: the frame with its status bar and remembered position, and the view of the group editor.
#pragma once

#include "app/GroupEditor.h"
#include "app/StatusPanels.h"
#include "model/GroupTable.h"

struct ClockSyncState;

#include <QDateTime>
#include <QWidget>
#include <functional>

class Dialogs;
class FocusValidation;
class MainStatusBar;
class MenuPlace;
class OpenedWindows;
class QComboBox;
class QKeyEvent;
class QLabel;
class QPushButton;
class QToolButton;
class SettingsStore;
class Sounds;

class frmMain : public QWidget, public StatusPanels
{
    Q_OBJECT

public:
    frmMain(SettingsStore& settings, GroupTables& tables, Dialogs& dialogs, Sounds& sounds, QWidget* parent = nullptr);
    ~frmMain() override;

    // Loads the window without showing it: size, controls, placement, history lists, the group shown last.
    void Form_Load();
    void SaveWindowSettings();
    void ShowGroup(int index);
    void SetEditState(bool flag);
    // A preset chosen in the presets window, put into this window's fields as the operator's own edits.
    void TakePreset(int zoneIndex, int daylightIndex, const QString& text);

    // The editor's rules, which these controls show.
    const GroupEditor& editor() const { return m_editor; }

    void setPanelText(Panel panel, const QString& text) override;
    QString panelText(Panel panel) const;
    // Panel 5: whether the PC clock, which every clock copies, is synchronised; the error in its tooltip.
    void showClockSync(const ClockSyncState& state);
    void showClockSync(const QString& text, const QString& detail, bool synchronized);

    // What the Presets and Help buttons open; the windows behind them are wired in by Main.
    std::function<void()> showPresets;
    std::function<void(const QPoint& globalPos)> showHelpMenu;
    // Set while a service sends on this window's link: the command keys give their command to it instead.
    std::function<void(int group, int code)> commandElsewhere;
    // The PC's time, for what clocks with the codes on show would show (the two lists' tooltips, choosing by place).
    std::function<QDateTime()> utcNow = [] { return QDateTime::currentDateTimeUtc(); };
    // Closes the link object when the window unloads, after the other windows and before the settings are saved.
    std::function<void()> closeLink;

    QLabel* Label1 = nullptr;
    QComboBox* GroupLetter = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* GroupClockNumbers = nullptr;
    QPushButton* PresetsButton = nullptr;
    QLabel* Label4 = nullptr;
    QToolButton* PlaceButton = nullptr; // not in the tab order: a mouse click or Alt+L
    QComboBox* TimeZone = nullptr;
    QLabel* Label5 = nullptr;
    QComboBox* Daylight = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* TextDisplay = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* ApplyButton = nullptr;
    QPushButton* ExitButton = nullptr;
    QPushButton* HelpButton = nullptr;
    MainStatusBar* sbStatusBar = nullptr;

    bool ManufacturingMode = false; // unlocked by the password, for the rest of the run

signals:
    // The window has closed the other windows and saved its settings; the program ends now.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void GroupLetter_Click(int index);
    void GroupClockNumbers_Click(int index);
    void GroupClockNumbers_Change(const QString& text);
    void TimeZone_Click();
    void Daylight_Click();
    void TextDisplay_Click(int index);
    void TextDisplay_Change(const QString& text);
    void ApplyButton_Click();
    void CancelButton_Click();
    void ExitButton_Click();
    void PresetsButton_Click();
    void HelpButton_Click();
    void PlaceButton_Click();

private:
    // One status row more than the design: the fifth panel (the PC clock's synchronisation) gets a row of its own.
    static constexpr double kStatusRowHeight = 315;
    static constexpr double kClientWidth = 7815, kClientHeight = 3240 + kStatusRowHeight;

    void buildControls(); // in frmMainControls.cpp
    void wireControls();
    // Mirrors of the editor: the group's fields, the buttons' state, the two history lists.
    void showFields(int index);
    void showEditState(bool modified);
    void showHistories();
    bool GroupClockNumbers_Validate();
    bool TextDisplay_Validate();
    bool TextDisplay_KeyPress(const QKeyEvent* key); // true when the key is discarded
    bool Form_KeyDown(const QKeyEvent* key);         // true when it was a command key
    void Form_Unload();

    SettingsStore& m_settings;
    GroupTables& m_tables;
    Dialogs& m_dialogs;
    Sounds& m_sounds;
    GroupEditor m_editor;
    FocusValidation* m_validation = nullptr;
    QList<QPair<QWidget*, QRectF>> m_layout; // twips
    bool m_inGroupRevert = false;            // the letter is being put back: its change is none of the operator's
    bool m_inKeyCommand = false;             // a command key's hand-over waits: another key is ignored, not queued
    bool m_inShowGroup = false;
    bool m_unloaded = false;
    OpenedWindows* m_openedWindows = nullptr;
    MenuPlace* m_helpPlace = nullptr;
};
