#include "presets/frmPresets.h"

#include "model/Blanks.h"
#include "model/CodeTables.h"
#include "platform/Dialogs.h"
#include "presets/PresetList.h"
#include "ui/MenuPlace.h"
#include "ui/Twips.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {
const QChar kCR(13);

// Reading, sorting and dropping a full table leave megabytes of freed small blocks among the live ones, which the
// allocator keeps for itself; this gives their pages back to the system, in under a millisecond.
void releaseFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace

frmPresets::frmPresets(QWidget* owner, SettingsStore& settings, Dialogs& dialogs, PresetEditorContext context,
                       const QString& presetFile)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      m_owner(owner), m_context(std::move(context)), m_dialogs(dialogs), m_table(settings, dialogs, presetFile)
{
    // Over the main window only: a summary or map window opened from the Help menu stays usable.
    setWindowModality(Qt::WindowModal);
    setObjectName(QStringLiteral("frmPresets"));
    setWindowTitle(QStringLiteral("Quillmarch -- Presets Selection"));
    const double dpi = LogicalDpi(owner);
    setFixedSize(TwipsToPixels(8040, dpi), TwipsToPixels(3120, dpi));
    const auto place = [dpi](QWidget* w, const char* name, QRectF twips) {
        w->setObjectName(QString::fromLatin1(name));
        PlaceInTwips(w, twips, dpi);
    };
    const auto button = [&](const char* name, const QString& text, QRectF twips) {
        auto* b = new QPushButton(text, this);
        // Auto-default: Enter on a focused button presses that button, elsewhere the default button.
        place(b, name, twips);
        return b;
    };
    const auto box = [&](const char* name, QRectF twips) {
        auto* b = new QLineEdit(this);
        b->setReadOnly(true);
        place(b, name, twips);
        return b;
    };
    place(new QLabel(QStringLiteral("Preset Name"), this), "Label1", {240, 120, 975, 255});
    auto* list = new PresetList(m_table, this);
    m_list = &list->entries();
    PresetName = list;
    place(PresetName, "PresetName", {240, 360, 2895, 315});
    EditButton = button("EditButton", QStringLiteral("&Edit..."), {3480, 360, 1215, 375});
    NewButton = button("NewButton", QStringLiteral("&New..."), {5040, 360, 1215, 375});
    RemoveButton = button("RemoveButton", QStringLiteral("&Remove"), {6600, 360, 1215, 375});
    place(new QLabel(QStringLiteral("Time Zone"), this), "Label4", {240, 840, 855, 255});
    TimeZone = box("TimeZone", {240, 1080, 7575, 285});
    place(new QLabel(QStringLiteral("Daylight Savings"), this), "Label5", {240, 1560, 1215, 255});
    Daylight = box("Daylight", {240, 1800, 7575, 285});
    place(new QLabel(QStringLiteral("Text Display"), this), "Label3", {240, 2280, 975, 255});
    TextDisplay = box("TextDisplay", {240, 2520, 3000, 285});
    HelpButton = button("HelpButton", QStringLiteral("&Help..."), {3480, 2520, 1215, 375});
    CancelButton = button("CancelButton", QStringLiteral("&Cancel"), {5040, 2520, 1215, 375});
    SelectButton = button("SelectButton", QStringLiteral("&Select"), {6600, 2520, 1215, 375});
    const QList<QWidget*> order = {PresetName, EditButton,  NewButton,  RemoveButton, TimeZone,
                                   Daylight,   TextDisplay, HelpButton, CancelButton, SelectButton};
    for (int i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(PresetName, &QComboBox::currentIndexChanged, this, &frmPresets::PresetName_Click);
    connect(NewButton, &QPushButton::clicked, this, &frmPresets::NewButton_Click);
    connect(EditButton, &QPushButton::clicked, this, &frmPresets::EditButton_Click);
    connect(RemoveButton, &QPushButton::clicked, this, &frmPresets::RemoveButton_Click);
    connect(SelectButton, &QPushButton::clicked, this, &frmPresets::SelectButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &frmPresets::CancelButton_Click);
    m_helpPlace = new MenuPlace(HelpButton);
    connect(HelpButton, &QPushButton::clicked, this, &frmPresets::HelpButton_Click);
    connect(&m_table, &PresetTable::presetAdded, this, &frmPresets::listAdd);
    connect(&m_table, &PresetTable::presetRemoved, this, &frmPresets::listRemove);
    runEditor = [this](PresetEditRecord& edit) {
        frmEditPreset editor(edit, m_context, m_dialogs, this);
        editor.exec();
    };
    Form_Load();
}

frmPresets::~frmPresets()
{
    // The list reads its names from the table, which goes first.
    {
        const QSignalBlocker blocker(PresetName);
        m_list->reset({});
    }
    // Once the table and the list are gone.
    QTimer::singleShot(0, &releaseFreedMemory);
}

void frmPresets::Form_Load()
{
    if (m_owner) {
        const double dpi = LogicalDpi(m_owner);
        move(m_owner->pos() + QPoint(TwipsToPixels(400, dpi), TwipsToPixels(400, dpi)));
    }
    const bool loaded = m_table.LoadPresets();
    {
        // The whole list in one pass: entered one by one, a full table took most of a minute.
        const QSignalBlocker blocker(PresetName);
        m_list->reset(
            m_order.sortedPositions(m_table.PresetCount(), [this](qint16 p) { return m_table.presetName(p); }));
    }
    if (!loaded) {
        select(-1);
        UpdatePresetButtons();
        return;
    }
    const int position = m_table.storedListPosition();
    select(position);
    PresetName_Click(); // also when the position did not change
    UpdatePresetButtons();
    releaseFreedMemory();
}

int frmPresets::sortedPosition(const QString& name) const
{
    int at = 0;
    int end = PresetName->count();
    while (at < end) {
        const int middle = at + (end - at) / 2;
        if (m_order.lessThan(PresetName->itemText(middle), name))
            at = middle + 1;
        else
            end = middle;
    }
    return at;
}

// The list keeps its names sorted; the selected entry stays selected.
void frmPresets::listAdd(const QString& name)
{
    const int at = sortedPosition(name);
    const QSignalBlocker blocker(PresetName);
    m_list->insert(at, qint16(m_table.PresetCount() - 1));
}

void frmPresets::listRemove(qint16 position)
{
    const int selected = PresetName->currentIndex();
    int pos = -1;
    {
        const QSignalBlocker blocker(PresetName);
        pos = m_list->remove(position);
    }
    if (pos < 0)
        return;
    // The selected entry moves up when one above it goes; when it goes itself, the one after it (or the new last one)
    // takes its place.
    if (selected >= 0 && selected != pos)
        select(selected > pos ? selected - 1 : selected);
    else
        select(pos < PresetName->count() ? pos : PresetName->count() - 1);
}

void frmPresets::select(int listPosition)
{
    if (PresetName->currentIndex() == listPosition)
        PresetName_Click();
    else
        PresetName->setCurrentIndex(listPosition);
}

// A binary search: the list is sorted. A name that differs from its entry only in case sorts right before or right
// after it, since the order ignores case before it looks at the codes.
int frmPresets::FindListPosition(const QString& name) const
{
    const int at = sortedPosition(name);
    const QString key = name.toUpper();
    for (const int j : {at, at - 1}) {
        if (j >= 0 && j < PresetName->count() && PresetName->itemText(j).toUpper() == key)
            return j;
    }
    return -1;
}

void frmPresets::PresetName_Click()
{
    const int i = m_table.FindPreset(PresetName->currentIndex() >= 0 ? PresetName->currentText() : QString());
    if (i < 0) {
        TimeZone->clear();
        Daylight->clear();
        TextDisplay->clear();
        return;
    }
    const PresetRecord preset = m_table.preset(qint16(i));
    TimeZone->setText(QString(TimeZoneList[size_t(preset.ZoneIndex)].text));
    Daylight->setText(QString(DaylightList[size_t(preset.DaylightIndex)].text));
    TextDisplay->setText(preset.DisplayText);
    m_table.SavePresetIndex(PresetName->currentIndex());
}

void frmPresets::UpdatePresetButtons()
{
    const bool any = m_table.PresetCount() > 0;
    RemoveButton->setEnabled(any);
    EditButton->setEnabled(any);
    SelectButton->setEnabled(any);
    SelectButton->setDefault(any);
    CancelButton->setDefault(!any);
}

void frmPresets::EditPreset(bool editMode)
{
    const int i = m_table.FindPreset(PresetName->currentIndex() >= 0 ? PresetName->currentText() : QString());
    // Without a preset to edit the editor would open as for a new one and replace whatever name was typed.
    if (editMode && i < 0)
        return;
    // Said before the editor opens, so that nobody types a new preset in vain; replacing one by its name still works.
    if (!editMode && m_table.PresetCount() >= PresetTable::kMaxPresets)
        tellListFull();
    const PresetRecord from = i >= 0 ? m_table.preset(qint16(i)) : PresetRecord{};
    m_presetEdit = {editMode ? from.Name : QString(), from.ZoneIndex, from.DaylightIndex, from.DisplayText,
                    qint16(PresetTable::kNameLimit),  false};
    for (;;) {
        m_presetEdit.Cancelled = false;
        runEditor(m_presetEdit);
        if (m_presetEdit.Cancelled)
            return;
        m_presetEdit.Name = TrimBlanks(m_presetEdit.Name).toString();
        if (m_presetEdit.Name.isEmpty() || m_presetEdit.Name.size() > PresetTable::kNameLimit)
            return;
        const qint16 dup = m_table.FindPreset(m_presetEdit.Name);
        if (editMode) {
            m_table.RemovePreset(dup);
            break;
        }
        if (dup < 0 && m_table.PresetCount() < PresetTable::kMaxPresets)
            break;
        if (dup < 0) {
            tellListFull();
        } else {
            const MsgResult answer = m_dialogs.MsgBox(
                QStringLiteral("NEW PRESET NAME DUPLICATES AN EXISTING PRESET NAME") + kCR +
                    QStringLiteral("Do you want to REPLACE the existing preset?"),
                MsgButtons::YesNo, MsgIcon::Question, MsgResult::No, QStringLiteral("Quillmarch -- Create New Preset"));
            if (answer == MsgResult::Yes) {
                m_table.RemovePreset(dup);
                break;
            }
        }
        m_presetEdit.Name.clear();
    }
    if (m_table.AddPreset(m_presetEdit.Name, m_presetEdit.ZoneIndex, m_presetEdit.DaylightIndex,
                          m_presetEdit.DisplayText) < 0)
        return;
    m_table.SavePresets();
    select(FindListPosition(m_presetEdit.Name));
    m_table.SavePresetIndex(PresetName->currentIndex());
    UpdatePresetButtons();
}

void frmPresets::tellListFull()
{
    m_dialogs.MsgBox(QStringLiteral("THE PRESET LIST IS FULL") + kCR +
                         QStringLiteral("It holds %1 presets, the most it can. Remove a preset first, or enter the "
                                        "name of an existing preset to replace it.")
                             .arg(PresetTable::kMaxPresets),
                     MsgButtons::Ok, MsgIcon::Exclamation, MsgResult::Ok,
                     QStringLiteral("Quillmarch -- Create New Preset"));
}

void frmPresets::RemoveButton_Click()
{
    const QChar quote(34);
    const MsgResult answer = m_dialogs.MsgBox(
        QStringLiteral("ARE YOU SURE YOU WANT TO REMOVE THE PRESET NAMED") + kCR + quote + PresetName->currentText() +
            quote + kCR + QStringLiteral("THIS OPERATION IS NOT REVERSABLE") + kCR +
            QStringLiteral("Click YES to Proceed with Removal"),
        MsgButtons::YesNo, MsgIcon::Question, MsgResult::No, QStringLiteral("Quillmarch -- Remove Preset from List"));
    if (answer != MsgResult::Yes)
        return;
    m_table.RemovePreset(m_table.FindPreset(PresetName->currentText()));
    m_table.SavePresets();
    m_table.SavePresetIndex(PresetName->currentIndex());
    UpdatePresetButtons();
}

void frmPresets::SelectButton_Click()
{
    const int i = m_table.FindPreset(PresetName->currentText());
    if (i < 0)
        return;
    m_chosen = m_table.preset(qint16(i));
    accept();
}

void frmPresets::HelpButton_Click()
{
    if (showHelpMenu)
        showHelpMenu(m_helpPlace->take());
}
