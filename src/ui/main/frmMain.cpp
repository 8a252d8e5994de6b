// The main window as the view of the group editor: it mirrors the editor into its controls, hands their events to
// it, and asks its questions through the dialogs.
#include "ui/main/frmMain.h"

#include "app/TimeReports.h"
#include "model/SettingsStore.h"
#include "platform/ClockSync.h"
#include "platform/Dialogs.h"
#include "ui/FocusValidation.h"
#include "ui/MenuPlace.h"
#include "ui/Twips.h"
#include "ui/TypedText.h"
#include "ui/auxiliary/frmPlace.h"
#include "ui/main/ApplyGroup.h"
#include "ui/main/MainPlacement.h"
#include "ui/main/OpenedWindows.h"
#include "ui/main/StatusPanel.h"
#include "ui/main/frmMfgMode.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QToolTip>

namespace {
const QChar kTab(9);
const QString kCaption = QStringLiteral(" Quillmarch from Orvale Instruments");

} // namespace

frmMain::frmMain(SettingsStore& settings, GroupTables& tables, Dialogs& dialogs, Sounds& sounds, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_settings(settings), m_tables(tables), m_dialogs(dialogs), m_sounds(sounds), m_editor(tables, settings)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kCaption);
    // Key preview: this filter sees keys before the controls do. Installed before the validation's, so the
    // validation (installed later, hence asked first) can veto Enter before Apply is pressed here.
    qApp->installEventFilter(this);
    m_openedWindows = new OpenedWindows(this);
    buildControls();
    wireControls();
}

void frmMain::wireControls()
{
    connect(&m_editor, &GroupEditor::showing, this, &frmMain::showFields);
    connect(&m_editor, &GroupEditor::editStateChanged, this, &frmMain::showEditState);
    connect(&m_editor, &GroupEditor::historiesChanged, this, &frmMain::showHistories);

    connect(GroupLetter, &QComboBox::currentIndexChanged, this, &frmMain::GroupLetter_Click);
    connect(GroupClockNumbers, &QComboBox::activated, this, &frmMain::GroupClockNumbers_Click);
    connect(GroupClockNumbers, &QComboBox::editTextChanged, this, &frmMain::GroupClockNumbers_Change);
    connect(TimeZone, &QComboBox::currentIndexChanged, this, &frmMain::TimeZone_Click);
    connect(Daylight, &QComboBox::currentIndexChanged, this, &frmMain::Daylight_Click);
    connect(TextDisplay, &QComboBox::activated, this, &frmMain::TextDisplay_Click);
    connect(TextDisplay, &QComboBox::editTextChanged, this, &frmMain::TextDisplay_Change);
    connect(ApplyButton, &QPushButton::clicked, this, &frmMain::ApplyButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &frmMain::CancelButton_Click);
    connect(ExitButton, &QPushButton::clicked, this, &frmMain::ExitButton_Click);
    connect(PresetsButton, &QPushButton::clicked, this, &frmMain::PresetsButton_Click);
    m_helpPlace = new MenuPlace(HelpButton);
    connect(HelpButton, &QPushButton::clicked, this, &frmMain::HelpButton_Click);
    connect(PlaceButton, &QToolButton::clicked, this, &frmMain::PlaceButton_Click);

    m_validation = new FocusValidation(this);
    m_validation->setValidator(GroupClockNumbers, [this] { return GroupClockNumbers_Validate(); });
    m_validation->setValidator(TextDisplay, [this] { return TextDisplay_Validate(); });
    for (QWidget* w :
         {static_cast<QWidget*>(CancelButton), static_cast<QWidget*>(ExitButton), static_cast<QWidget*>(PresetsButton),
          static_cast<QWidget*>(HelpButton), static_cast<QWidget*>(PlaceButton)})
        m_validation->setCausesValidation(w, false);
    m_validation->setDefaultButton(ApplyButton);
}

frmMain::~frmMain()
{
    // Destroying a window still on screen moves the focus out of its fields, whose signals would then run this
    // window's slots after its own members are gone: cut them off while it is whole.
    delete m_validation;
    m_validation = nullptr;
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
    disconnect(&m_editor, nullptr, this, nullptr);
}

void frmMain::Form_Load()
{
    // Pixels from the twips of the design.
    const double dpi = LogicalDpi(this);
    setFixedSize(TwipsToPixels(kClientWidth, dpi), TwipsToPixels(kClientHeight, dpi));
    for (const auto& [widget, twips] : m_layout)
        PlaceInTwips(widget, twips, dpi);
    sbStatusBar->fitPanels(dpi);
    RestoreMainPlace(*this, m_settings);

    ShowGroup(m_editor.load());
    GroupLetter->setFocus();
}

void frmMain::ShowGroup(int index)
{
    m_editor.show(index);
}

void frmMain::showFields(int index)
{
    // Selecting the letter here must not count as the operator changing the group.
    m_inShowGroup = true;
    const GroupRecord& group = m_tables.EditGroups[size_t(index)];
    GroupLetter->setCurrentIndex(index);
    GroupClockNumbers->setEditText(FormatClockList(group.Clocks));
    TimeZone->setCurrentIndex(group.ZoneIndex < TimeZone->count() ? group.ZoneIndex : 0);
    Daylight->setCurrentIndex(group.DaylightIndex < Daylight->count() ? group.DaylightIndex : 0);
    TextDisplay->setEditText(group.DisplayText.left(GroupEditor::kTextShown));
    m_inShowGroup = false;
}

void frmMain::SetEditState(bool flag)
{
    m_editor.setModified(flag);
}

void frmMain::showEditState(bool modified)
{
    CancelButton->setEnabled(modified);
    ApplyButton->setEnabled(modified);
    for (QPushButton* b : {CancelButton, PresetsButton, HelpButton, ExitButton})
        b->setDefault(false);
    ApplyButton->setDefault(true);
}

void frmMain::showHistories()
{
    ShowHistory(GroupClockNumbers, m_editor.clockHistory());
    ShowHistory(TextDisplay, m_editor.textHistory());
}

void frmMain::TakePreset(int zoneIndex, int daylightIndex, const QString& text)
{
    // Through the controls, so their change handling treats the preset as the operator's edits.
    TimeZone->setCurrentIndex(zoneIndex);
    Daylight->setCurrentIndex(daylightIndex);
    TextDisplay->setEditText(text);
    repaint();
}

void frmMain::GroupLetter_Click(int index)
{
    if (m_inGroupRevert || m_inShowGroup || index < 0)
        return;
    const QString refusal = m_editor.changeGroup(index);
    if (refusal.isEmpty())
        return;
    m_dialogs.MsgBox(refusal, MsgButtons::Ok, MsgIcon::None, MsgResult::Ok);
    m_inGroupRevert = true;
    GroupLetter->setCurrentIndex(m_editor.ShownGroupIndex());
    m_inGroupRevert = false;
}

bool frmMain::GroupClockNumbers_Validate()
{
    const GroupEditor::ListCheck check = m_editor.checkClockList(GroupClockNumbers->currentText());
    if (!check.error.isEmpty()) {
        m_dialogs.MsgBox(check.error, MsgButtons::Ok, MsgIcon::None, MsgResult::Ok);
        return false;
    }
    if (check.rewrite)
        GroupClockNumbers->setEditText(check.canonical);
    return true;
}

void frmMain::GroupClockNumbers_Click(int index)
{
    m_editor.clockListPicked(GroupClockNumbers->itemText(index));
}

void frmMain::GroupClockNumbers_Change(const QString&)
{
    m_editor.clockListEdited();
}

void frmMain::TimeZone_Click()
{
    SetEditState(true);
}

void frmMain::Daylight_Click()
{
    SetEditState(true);
}

bool frmMain::TextDisplay_KeyPress(const QKeyEvent* key)
{
    return m_editor.textKey(key->text(), TextDisplay->currentText(), TextDisplay->lineEdit()->hasSelectedText());
}

void frmMain::TextDisplay_Change(const QString& text)
{
    // A TAB would split the stored group: it becomes a blank, and the change is handled as that text.
    if (text.contains(kTab)) {
        QString cleaned = text;
        cleaned.replace(kTab, QLatin1Char(' '));
        const int cursor = TextDisplay->lineEdit()->cursorPosition();
        TextDisplay->setEditText(cleaned);
        TextDisplay->lineEdit()->setCursorPosition(cursor);
        return;
    }
    m_editor.textChanged(text);
}

void frmMain::TextDisplay_Click(int index)
{
    m_editor.textPicked(TextDisplay->itemText(index));
}

bool frmMain::TextDisplay_Validate()
{
    const QString shown = m_editor.checkText(TextDisplay->currentText());
    if (shown != TextDisplay->currentText())
        TextDisplay->setEditText(shown);
    return true;
}

void frmMain::ApplyButton_Click()
{
    const EditedFields fields{GroupClockNumbers->currentText(), TimeZone->currentIndex(), Daylight->currentIndex(),
                              TextDisplay->currentText()};
    const ApplyResult result = m_editor.apply(
        fields,
        [this](const MoveQuestion& question) {
            return m_dialogs.MsgBox(question.text, MsgButtons::YesNoCancel, MsgIcon::Question, MsgResult::Cancel);
        },
        [this](int group) { ApplyGroup(m_tables, group); });
    switch (result.end) {
    case ApplyResult::End::Refused:
        m_dialogs.MsgBox(result.message, MsgButtons::Ok, MsgIcon::None, MsgResult::Ok);
        GroupClockNumbers->setFocus();
        break;
    case ApplyResult::End::Cancelled:
        break;
    case ApplyResult::End::Applied:
        SaveWindowSettings();
        ApplyGroup(m_tables, result.handOver);
        GroupLetter->setFocus();
        break;
    }
}

void frmMain::CancelButton_Click()
{
    m_editor.cancel();
}

void frmMain::ExitButton_Click()
{
    close();
}

void frmMain::PresetsButton_Click()
{
    if (showPresets)
        showPresets();
    GroupLetter->setFocus();
}

void frmMain::HelpButton_Click()
{
    if (showHelpMenu)
        showHelpMenu(m_helpPlace->take());
    SetEditState(m_editor.modified());
    GroupLetter->setFocus();
}

void frmMain::PlaceButton_Click()
{
    // Through the two lists, so the change counts as the operator's edit, as a chosen preset does.
    const QString place = ChooseCodesByPlace(TimeZone, Daylight, m_editor.place(), utcNow, this);
    if (!place.isEmpty())
        m_editor.placeChosen(place, TimeZone->currentIndex(), Daylight->currentIndex());
}

bool frmMain::Form_KeyDown(const QKeyEvent* key)
{
    const int code = CommandCodeForKey(key->key(), key->modifiers());
    if (code == 0)
        return false;
    if (m_inKeyCommand)
        return true;
    m_inKeyCommand = true;
    if (!ManufacturingMode) {
        frmMfgMode password(m_dialogs, m_sounds, this);
        password.exec();
        if (password.unlocked()) {
            ManufacturingMode = true;
            setWindowTitle(windowTitle() + QStringLiteral("  [ MANUFACTURING MODE ]"));
        }
    } else if (code != kFactoryResetCode ||
               m_dialogs.MsgBox(GroupEditor::factoryResetQuestion(), MsgButtons::YesNo, MsgIcon::None, MsgResult::Yes,
                                QStringLiteral("Quillmarch Factory Reset")) == MsgResult::Yes) {
        if (commandElsewhere)
            commandElsewhere(m_editor.ShownGroupIndex(), code);
        else
            m_editor.giveCommand(code, [this](int group) { ApplyGroup(m_tables, group); });
    }
    m_inKeyCommand = false;
    return true;
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ToolTip && (watched == TimeZone || watched == Daylight)) {
        const QString tip = ShownTimeTip(TimeZone->currentIndex(), Daylight->currentIndex(), utcNow());
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, static_cast<QWidget*>(watched));
        return true;
    }
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    // Keys go to the focused widget (an editable combo box passes them on to its line edit itself); the
    // event on its way up to the parents is not looked at again.
    if (widget->window() != this || widget != QApplication::focusWidget())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (Form_KeyDown(key))
        return true;
    // The default and cancel buttons: this window is no dialog, so Qt would not press them.
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if (auto* focused = qobject_cast<QPushButton*>(widget)) // Enter presses the button that has the focus
            focused->click();
        else if (ApplyButton->isEnabled())
            ApplyButton->click();
        return true;
    }
    if (key->key() == Qt::Key_Escape) {
        if (CancelButton->isEnabled())
            CancelButton->click();
        return true;
    }
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
        return false;
    if (widget == TextDisplay)
        return TextDisplay_KeyPress(key);
    if (widget == GroupClockNumbers && !key->text().isEmpty())
        m_editor.clockListEdited();
    return false;
}

void frmMain::SaveWindowSettings()
{
    SaveMainPlace(*this, m_settings);
    m_editor.saveHistories();
}

void frmMain::setPanelText(Panel which, const QString& text)
{
    sbStatusBar->setText(which, text);
}

QString frmMain::panelText(Panel which) const
{
    return sbStatusBar->text(which);
}

void frmMain::showClockSync(const ClockSyncState& state)
{
    showClockSync(ClockSyncPanelText(state), ClockSyncToolTip(state), state.synchronized);
}

void frmMain::showClockSync(const QString& text, const QString& detail, bool synchronized)
{
    sbStatusBar->showClockSync(text, detail, synchronized);
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
    // The other windows first; then the link, which stops the ticks; then save.
    m_openedWindows->closeAll();
    if (closeLink)
        closeLink();
    SaveWindowSettings();
    emit unloaded();
}
