// The presets window: pick a preset for the group on show, and create, edit and remove presets.
#pragma once

#include "presets/PresetTable.h"
#include "presets/frmEditPreset.h"

#include <QDialog>
#include <optional>

class Dialogs;
class MenuPlace;
class QComboBox;
class QLineEdit;
class QPushButton;
class PresetListModel;
class SettingsStore;

class frmPresets : public QDialog
{
    Q_OBJECT

public:
    // Loads the table from `presetFile` (the default path in the program) each time the window is made; shown over
    // `owner`, the window the chosen preset is for.
    frmPresets(QWidget* owner, SettingsStore& settings, Dialogs& dialogs, PresetEditorContext context,
               const QString& presetFile = PresetTable::DefaultFilePath());
    ~frmPresets() override;

    int FindListPosition(const QString& name) const;
    // Shows the editor; tests replace it to play the operator's part.
    std::function<void(PresetEditRecord&)> runEditor;
    std::function<void(const QPoint& globalPos)> showHelpMenu;
    // The preset Select took, for the owner to put into its fields; none when the window was left otherwise.
    const std::optional<PresetRecord>& chosen() const { return m_chosen; }

    QComboBox* PresetName = nullptr;
    QPushButton* EditButton = nullptr;
    QPushButton* NewButton = nullptr;
    QPushButton* RemoveButton = nullptr;
    QLineEdit* TimeZone = nullptr;
    QLineEdit* Daylight = nullptr;
    QLineEdit* TextDisplay = nullptr;
    QPushButton* HelpButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* SelectButton = nullptr;

private slots:
    void PresetName_Click();
    void NewButton_Click() { EditPreset(false); }
    void EditButton_Click() { EditPreset(true); }
    void RemoveButton_Click();
    void SelectButton_Click();
    void CancelButton_Click() { reject(); }
    void HelpButton_Click();

private:
    void Form_Load();
    void UpdatePresetButtons();
    void EditPreset(bool editMode);
    void tellListFull();
    int sortedPosition(const QString& name) const; // where the name stands, or would stand, in the list
    void listAdd(const QString& name);
    void listRemove(qint16 position);
    void select(int listPosition);

    QWidget* m_owner;
    PresetEditorContext m_context;
    Dialogs& m_dialogs;
    PresetTable m_table;
    PresetNameOrder m_order;
    PresetListModel* m_list = nullptr; // the list's entries
    PresetEditRecord m_presetEdit;
    std::optional<PresetRecord> m_chosen;
    MenuPlace* m_helpPlace = nullptr;
};
