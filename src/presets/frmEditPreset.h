// The preset editor: name, time zone, daylight rule and text of one preset, handed in and out through PresetEdit.
#pragma once

#include <QDateTime>
#include <QDialog>
#include <QStringList>
#include <functional>

class Dialogs;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

struct PresetEditRecord
{
    QString Name;
    qint16 ZoneIndex = 0;
    qint16 DaylightIndex = 0;
    QString DisplayText;
    qint16 NameLimit = 40;
    bool Cancelled = false;
};

// What the editor takes from the window the presets are chosen for.
struct PresetEditorContext
{
    QStringList textHistory;
    std::function<QDateTime()> utcNow; // for choosing codes by place
};

class frmEditPreset : public QDialog
{
    Q_OBJECT

public:
    // `owner` is the presets window.
    frmEditPreset(PresetEditRecord& PresetEdit, const PresetEditorContext& context, Dialogs& dialogs, QWidget* owner);

    QLineEdit* PresetName = nullptr;
    QComboBox* TimeZone = nullptr;
    QToolButton* PlaceButton = nullptr; // not in the tab order: a mouse click or Alt+L
    QComboBox* Daylight = nullptr;
    QComboBox* TextDisplay = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* OKButton = nullptr;

public slots:
    void done(int result) override; // the unload: whatever closes the editor hands its values back
    void reject() override;         // Esc: as Cancel

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void OKButton_Click();
    void CancelButton_Click();

private:
    bool PresetName_Validate();

    PresetEditRecord& m_edit;
    Dialogs& m_dialogs;
};
