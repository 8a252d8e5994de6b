#include "presets/frmEditPreset.h"

#include "app/GroupEditor.h"
#include "model/Blanks.h"
#include "model/CodeTables.h"
#include "model/Windows1252.h"
#include "platform/Dialogs.h"
#include "ui/FocusValidation.h"
#include "ui/Twips.h"
#include "ui/TypedText.h"
#include "ui/auxiliary/frmPlace.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QValidator>

namespace {
// Refuses, typed or pasted, what the presets file cannot hold as shown: a character outside Windows-1252 would be
// stored as "?", a double quote would end the field, a line end the record.
class StorableTextValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        for (const QChar c : input) {
            if (c == u'"' || c == QChar(13) || c == QChar(10) || !InWindows1252(c))
                return Invalid;
        }
        return Acceptable;
    }
};
} // namespace

frmEditPreset::frmEditPreset(PresetEditRecord& PresetEdit, const PresetEditorContext& context, Dialogs& dialogs,
                             QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      m_edit(PresetEdit), m_dialogs(dialogs)
{
    // Over the presets window and the main window only: a summary or map window stays usable.
    setWindowModality(Qt::WindowModal);
    setObjectName(QStringLiteral("frmEditPreset"));
    setWindowTitle(QStringLiteral("Quillmarch -- Editing Preset"));
    const double dpi = LogicalDpi(owner);
    setFixedSize(TwipsToPixels(8040, dpi), TwipsToPixels(3120, dpi));
    const auto place = [dpi](QWidget* w, const char* name, QRectF twips) {
        w->setObjectName(QString::fromLatin1(name));
        PlaceInTwips(w, twips, dpi);
    };
    PresetName = new QLineEdit(this);
    place(PresetName, "PresetName", {240, 360, 2805, 315});
    place(new QLabel(QStringLiteral("Preset Name"), this), "Label1", {240, 120, 975, 255});
    place(new QLabel(QStringLiteral("Time Zone"), this), "Label4", {240, 840, 855, 255});
    TimeZone = new QComboBox(this);
    place(TimeZone, "TimeZone", {240, 1080, 7575, 315});
    // Over the right end of the zone list, as in the main window.
    PlaceButton = MakePlaceButton(this);
    place(PlaceButton, "PlaceButton", {5715, 720, 2100, 345});
    place(new QLabel(QStringLiteral("Daylight Savings"), this), "Label5", {240, 1560, 1215, 255});
    Daylight = new QComboBox(this);
    place(Daylight, "Daylight", {240, 1800, 7575, 315});
    place(new QLabel(QStringLiteral("Text Display"), this), "Label3", {240, 2280, 975, 255});
    TextDisplay = new QComboBox(this);
    TextDisplay->setEditable(true);
    TextDisplay->setInsertPolicy(QComboBox::NoInsert);
    KeepTypedText(TextDisplay);
    place(TextDisplay, "TextDisplay", {240, 2520, 2415, 315});
    CancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    place(CancelButton, "CancelButton", {5040, 2520, 1215, 375});
    // Auto-default, as OK: Enter on the focused Cancel presses Cancel.
    OKButton = new QPushButton(QStringLiteral("&OK"), this);
    place(OKButton, "OKButton", {6600, 2520, 1215, 375});
    OKButton->setDefault(true);
    setTabOrder(PresetName, TimeZone);
    setTabOrder(TimeZone, Daylight);
    setTabOrder(Daylight, TextDisplay);
    setTabOrder(TextDisplay, CancelButton);
    setTabOrder(CancelButton, OKButton);
    connect(OKButton, &QPushButton::clicked, this, &frmEditPreset::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &frmEditPreset::CancelButton_Click);
    connect(PlaceButton, &QToolButton::clicked, this,
            [this, now = context.utcNow] { ChooseCodesByPlace(TimeZone, Daylight, {}, now, this); });
    PresetName->installEventFilter(this);
    TextDisplay->installEventFilter(this);
    PresetName->setValidator(new StorableTextValidator(PresetName));
    TextDisplay->setValidator(new StorableTextValidator(TextDisplay));

    auto* validation = new FocusValidation(this);
    validation->setValidator(PresetName, [this] { return PresetName_Validate(); });
    validation->setCausesValidation(CancelButton, false);
    validation->setCausesValidation(PlaceButton, false); // as its Alt+L: a new preset has no name yet
    validation->setDefaultButton(OKButton);

    // Load: 400 twips right of and below the presets window, the lists and the text history, then the values.
    if (owner)
        move(owner->pos() + QPoint(TwipsToPixels(400, dpi), TwipsToPixels(400, dpi)));
    for (const CodeEntry& entry : TimeZoneList)
        TimeZone->addItem(QString(entry.text));
    for (const CodeEntry& entry : DaylightList)
        Daylight->addItem(QString(entry.text));
    TextDisplay->addItems(context.textHistory);
    PresetName->setText(m_edit.Name);
    TimeZone->setCurrentIndex(m_edit.ZoneIndex);
    Daylight->setCurrentIndex(m_edit.DaylightIndex);
    TextDisplay->setCurrentIndex(-1);
    TextDisplay->setEditText(m_edit.DisplayText);
    // An existing preset keeps its name.
    PresetName->setEnabled(PresetName->text().isEmpty());
    (PresetName->isEnabled() ? static_cast<QWidget*>(PresetName) : TimeZone)->setFocus();
}

bool frmEditPreset::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const QString typed = static_cast<QKeyEvent*>(event)->text();
    if (watched == PresetName)
        return RefuseKeyAtLimit(typed, PresetName->text(), m_edit.NameLimit, PresetName->hasSelectedText());
    if (watched == TextDisplay)
        return RefuseKeyAtLimit(typed, TextDisplay->currentText(), GroupEditor::kTextShown,
                                TextDisplay->lineEdit()->hasSelectedText());
    return false;
}

bool frmEditPreset::PresetName_Validate()
{
    if (!TrimBlanks(PresetName->text()).isEmpty())
        return true;
    m_dialogs.MsgBox(QStringLiteral("Please Enter a Name for the Preset"), MsgButtons::Ok, MsgIcon::Exclamation,
                     MsgResult::Ok);
    return false;
}

void frmEditPreset::OKButton_Click()
{
    // Alt+O presses OK with the focus still in the name box, so the check on leaving it has not run.
    if (!PresetName_Validate()) {
        PresetName->setFocus();
        return;
    }
    accept();
}

void frmEditPreset::CancelButton_Click()
{
    m_edit.Cancelled = true;
    QDialog::reject();
}

void frmEditPreset::reject()
{
    CancelButton_Click();
}

void frmEditPreset::closeEvent(QCloseEvent* event)
{
    // The close box runs no name check and counts as OK.
    if (isVisible())
        accept();
    event->accept();
}

void frmEditPreset::done(int result)
{
    m_edit.Name = PresetName->text();
    m_edit.ZoneIndex = qint16(TimeZone->currentIndex());
    m_edit.DaylightIndex = qint16(Daylight->currentIndex());
    m_edit.DisplayText = TextDisplay->currentText();
    QDialog::done(result);
}
