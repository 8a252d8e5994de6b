#include "ui/main/frmMain.h"

#include "app/TimeReports.h"
#include "model/Blanks.h"
#include "model/ClockList.h"
#include "model/CodeTables.h"
#include "model/SettingsStore.h"
#include "platform/ClockSync.h"
#include "platform/Dialogs.h"
#include "ui/FocusValidation.h"
#include "ui/Twips.h"
#include "ui/TypedText.h"
#include "ui/auxiliary/frmPlace.h"
#include "ui/main/ApplyGroup.h"
#include "ui/main/MainPlacement.h"
#include "ui/main/StatusPanel.h"
#include "ui/main/frmMfgMode.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

namespace {
// One status row more than the design: the fifth panel (the PC clock's synchronisation) gets a row of its own,
// since the first row has no room left for it.
constexpr double kStatusRowHeight = 315;
constexpr double kClientWidth = 7815, kClientHeight = 3240 + kStatusRowHeight;
// Widths of status panels 2 to 4; panel 1 takes the rest.
constexpr double kPanelWidths[4] = {0, 1600, 1900, 1000};
constexpr int kTextLimit = 20;
constexpr int kHistorySaved = 10;
const QChar kTab(9);
const QChar kCR(13);
const QString kCaption = QStringLiteral(" Quillmarch from Orvale Instruments");
} // namespace

frmMain::frmMain(SettingsStore& settings, GroupTables& tables, Dialogs& dialogs, Sounds& sounds, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_settings(settings), m_tables(tables), m_dialogs(dialogs), m_sounds(sounds)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kCaption);
    // Key preview: this filter sees keys before the controls do. Installed before the validation's, so the
    // validation (installed later, hence asked first) can veto Enter before Apply is pressed here.
    qApp->installEventFilter(this);
    buildControls();
}

void frmMain::buildControls()
{
    const auto label = [this](const char* name, const QString& text, QRectF twips) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        m_layout.append({l, twips});
        return l;
    };
    const auto combo = [this](const char* name, bool editable, QRectF twips) {
        auto* c = new QComboBox(this);
        c->setObjectName(QString::fromLatin1(name));
        c->setEditable(editable);
        c->setInsertPolicy(QComboBox::NoInsert);
        if (editable)
            KeepTypedText(c);
        c->setMaxVisibleItems(15);
        m_layout.append({c, twips});
        return c;
    };
    const auto button = [this](const char* name, const QString& text, QRectF twips) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        m_layout.append({b, twips});
        return b;
    };

    Label1 = label("Label1", QStringLiteral("Group Letter"), {165, 135, 885, 195});
    GroupLetter = combo("GroupLetter", false, {165, 345, 915, 315});
    Label2 = label("Label2", QStringLiteral("Group Clock Numbers"), {1410, 135, 1560, 195});
    GroupClockNumbers = combo("GroupClockNumbers", true, {1410, 345, 3195, 315});
    PresetsButton = button("PresetsButton", QStringLiteral("&Presets..."), {4935, 330, 1185, 330});
    Label4 = label("Label4", QStringLiteral("Time Zone"), {165, 840, 765, 195});
    // Over the right end of the zone list, in the space between the rows.
    PlaceButton = MakePlaceButton(this);
    m_layout.append({PlaceButton, QRectF(5550, 705, 2100, 345)});
    TimeZone = combo("TimeZone", false, {165, 1065, 7485, 315});
    Label5 = label("Label5", QStringLiteral("Daylight Savings"), {165, 1530, 1185, 195});
    Daylight = combo("Daylight", false, {195, 1740, 7440, 315});
    Label3 = label("Label3", QStringLiteral("Text Display"), {165, 2205, 870, 195});
    TextDisplay = combo("TextDisplay", true, {165, 2460, 2385, 315});
    CancelButton = button("CancelButton", QStringLiteral("Cancel"), {3810, 2415, 1185, 330});
    ApplyButton = button("ApplyButton", QStringLiteral("&Apply"), {5130, 2415, 1185, 330});
    ExitButton = button("ExitButton", QStringLiteral("Exit"), {6450, 2415, 1185, 330});
    HelpButton = button("HelpButton", QStringLiteral("Help..."), {6450, 330, 1185, 330});

    for (int i = 0; i < kGroupCount; ++i)
        GroupLetter->addItem(IndexToLetter(i));
    for (const CodeEntry& entry : TimeZoneList)
        TimeZone->addItem(QString(entry.text), entry.code);
    for (const CodeEntry& entry : DaylightList)
        Daylight->addItem(QString(entry.text), entry.code);

    const QList<QWidget*> tabOrder = {GroupLetter, GroupClockNumbers, PresetsButton, TimeZone,   Daylight,
                                      TextDisplay, CancelButton,      ApplyButton,   ExitButton, HelpButton};
    for (int i = 0; i + 1 < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i], tabOrder[i + 1]);
    for (QWidget* w : tabOrder)
        w->setFocusPolicy(Qt::StrongFocus);

    // A row of sunken text panels; QStatusBar would add separators and a size grip and clip the frames.
    sbStatusBar = new QWidget(this);
    sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    m_layout.append({sbStatusBar, QRectF(0, 2925, kClientWidth, 2 * kStatusRowHeight)});
    auto* rows = new QVBoxLayout(sbStatusBar);
    rows->setContentsMargins(1, 1, 1, 1);
    rows->setSpacing(2);
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    rows->addLayout(row);
    for (int i = 0; i < 4; ++i) {
        auto* panel = new StatusPanel(sbStatusBar);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        // Panel 1 takes what the others leave and shows what fits; the link, date and time panels fit their texts.
        panel->setSizePolicy(i == 0 ? QSizePolicy::Ignored : QSizePolicy::Fixed, QSizePolicy::Ignored);
        row->addWidget(panel, i == 0 ? 1 : 0);
        m_panels[size_t(i)] = panel;
    }
    auto* clockPanel = new StatusPanel(sbStatusBar);
    clockPanel->setObjectName(QStringLiteral("Panel5"));
    clockPanel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    rows->addWidget(clockPanel);
    m_panels[4] = clockPanel;

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
    connect(HelpButton, &QPushButton::clicked, this, &frmMain::HelpButton_Click);
    connect(PlaceButton, &QToolButton::clicked, this, &frmMain::PlaceButton_Click);

    m_validation = new FocusValidation(this);
    m_validation->setValidator(GroupClockNumbers, [this] { return GroupClockNumbers_Validate(); });
    m_validation->setValidator(TextDisplay, [this] { return TextDisplay_Validate(); });
    for (QWidget* w : {static_cast<QWidget*>(CancelButton), static_cast<QWidget*>(ExitButton),
                       static_cast<QWidget*>(PresetsButton), static_cast<QWidget*>(HelpButton),
                       static_cast<QWidget*>(PlaceButton)})
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
}

void frmMain::Form_Load()
{
    // 1: size, control positions and placement, in pixels from the twips of the design.
    const double dpi = LogicalDpi(this);
    setFixedSize(TwipsToPixels(kClientWidth, dpi), TwipsToPixels(kClientHeight, dpi));
    for (const auto& [widget, twips] : m_layout)
        PlaceInTwips(widget, twips, dpi);
    for (int i = 1; i < 4; ++i) {
        m_panels[size_t(i)]->setFixedWidth(TwipsToPixels(kPanelWidths[i], dpi));
        // Room for a longer link name or date; panel 1 keeps at least a fifth of the bar.
        m_panels[size_t(i)]->setGrowth(TwipsToPixels(kPanelWidths[i] + (i == 1 ? 1000 : 300), dpi));
    }

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const float left =
        ReadStoredCoordinate(m_settings.GetSetting(QStringLiteral("MainLeft"), QStringLiteral("-401")), -401);
    const float top =
        ReadStoredCoordinate(m_settings.GetSetting(QStringLiteral("MainTop"), QStringLiteral("-401")), -401);
    const QPointF place =
        PlaceMainWindow(left, top, PixelsToTwips(screen.width(), dpi), PixelsToTwips(screen.height(), dpi),
                        PixelsToTwips(width(), dpi), PixelsToTwips(height(), dpi));
    move(TwipsToPixels(place.x(), dpi), TwipsToPixels(place.y(), dpi));

    // 2 to 4: the history lists, at most ten entries each (a tenth keeps the rest of the text).
    const auto loadHistory = [this](QComboBox* list, const QString& key) {
        const QStringList pieces = m_settings.GetSetting(key, QString()).split(kTab);
        QStringList kept;
        for (int i = 0; i < pieces.size() && i < kHistorySaved; ++i)
            kept << (i == kHistorySaved - 1 ? pieces.mid(i).join(kTab) : pieces[i]);
        const QSignalBlocker blocker(list);
        for (const QString& piece : kept) {
            const QString entry = TrimBlanks(piece).toString();
            if (!entry.isEmpty())
                list->addItem(entry);
        }
        list->setCurrentIndex(-1);
        list->setEditText(QString());
    };
    loadHistory(GroupClockNumbers, QStringLiteral("ClockNumberHistory"));
    TextKeyPending = false;
    loadHistory(TextDisplay, QStringLiteral("TextDisplayHistory"));

    // 5, 6: the group shown last.
    const QString stored = m_settings.GetSetting(QStringLiteral("Group"), QStringLiteral("A"));
    int index = stored.isEmpty() ? -1 : LetterToIndex(stored);
    if (index < 0 || index >= kGroupCount)
        index = 0;
    ShowGroup(index);
    GroupLetter->setFocus();
}

void frmMain::ShowGroup(int index)
{
    // Selecting the letter here must not count as the operator changing the group.
    m_inShowGroup = true;
    const GroupRecord& group = m_tables.EditGroups[size_t(index)];
    GroupLetter->setCurrentIndex(index);
    GroupClockNumbers->setEditText(FormatClockList(group.Clocks));
    TimeZone->setCurrentIndex(group.ZoneIndex < TimeZone->count() ? group.ZoneIndex : 0);
    Daylight->setCurrentIndex(group.DaylightIndex < Daylight->count() ? group.DaylightIndex : 0);
    TextDisplay->setEditText(group.DisplayText.left(kTextLimit));
    ShownGroupIndex = index;
    ShownGroup = group;
    m_inShowGroup = false;
    SetEditState(false);
}

void frmMain::SetEditState(bool flag)
{
    CancelButton->setEnabled(flag);
    ApplyButton->setEnabled(flag);
    for (QPushButton* b : {CancelButton, PresetsButton, HelpButton, ExitButton})
        b->setDefault(false);
    ApplyButton->setDefault(true);
}

void frmMain::putOnTop(QComboBox* list, const QString& entry)
{
    // The list changes under the field; its text, and the signals that would report it, must not.
    const QSignalBlocker blocker(list);
    const QString text = list->currentText();
    const int cursor = list->lineEdit()->cursorPosition();
    list->insertItem(0, entry);
    for (int i = list->count() - 1; i >= 1; --i) {
        if (list->itemText(i) == entry)
            list->removeItem(i);
    }
    list->setCurrentIndex(-1);
    list->setEditText(text);
    list->lineEdit()->setCursorPosition(cursor);
}

void frmMain::AddTextHistory(const QString& text)
{
    const QString t = TrimBlanks(text).toString();
    if (!t.isEmpty())
        putOnTop(TextDisplay, t);
}

void frmMain::GroupLetter_Click(int index)
{
    if (InGroupRevert || m_inShowGroup || index == ShownGroupIndex || index < 0)
        return;
    if (CancelButton->isEnabled()) {
        m_dialogs.MsgBox(QStringLiteral("Please CANCEL or APPLY your changes") + kCR +
                             QStringLiteral("before changing the Group Letter Selection"),
                         MsgButtons::Ok, MsgIcon::None, MsgResult::Ok);
        InGroupRevert = true;
        GroupLetter->setCurrentIndex(ShownGroupIndex);
        InGroupRevert = false;
        return;
    }
    ShowGroup(index);
    m_settings.SaveSetting(QStringLiteral("Group"), IndexToLetter(index));
}

bool frmMain::checkClockList(ClockFlags& flags)
{
    const QString error = ParseClockList(flags, GroupClockNumbers->currentText());
    if (!error.isEmpty())
        m_dialogs.MsgBox(QStringLiteral("INPUT ERROR IN CLOCK NUMBER LIST") + kCR + error, MsgButtons::Ok,
                         MsgIcon::None, MsgResult::Ok);
    return error.isEmpty();
}

bool frmMain::GroupClockNumbers_Validate()
{
    ClockFlags flags{};
    if (!checkClockList(flags))
        return false;
    const QString canonical = FormatClockList(flags);
    if (!canonical.isEmpty())
        putOnTop(GroupClockNumbers, canonical);
    if (FormatClockList(ShownGroup.Clocks) != canonical) {
        GroupClockNumbers->setEditText(canonical);
        SetEditState(true);
    }
    return true;
}

void frmMain::GroupClockNumbers_Click(int index)
{
    if (GroupClockNumbers->itemText(index) != FormatClockList(ShownGroup.Clocks))
        SetEditState(true);
}

void frmMain::GroupClockNumbers_Change(const QString&)
{
    SetEditState(true);
}

void frmMain::GroupClockNumbers_KeyPress(const QKeyEvent*)
{
    SetEditState(true);
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
    const QString typed = key->text();
    if (typed.isEmpty()) // arrows, Home, Shift...: no character, no key press
        return false;
    const char16_t first = typed.at(0).unicode();
    const bool printable = first >= 32 && first != 127;
    if (printable && TextDisplay->currentText().size() == kTextLimit && !TextDisplay->lineEdit()->hasSelectedText())
        return true;
    SetEditState(true);
    TextKeyPending = true;
    return false;
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
    if (TextKeyPending) {
        TextKeyPending = false;
        return;
    }
    if (text != shownText())
        SetEditState(true);
    AddTextHistory(text);
}

void frmMain::TextDisplay_Click(int index)
{
    if (TextDisplay->itemText(index) != shownText())
        SetEditState(true);
}

bool frmMain::TextDisplay_Validate()
{
    const QString t = TrimBlanks(TextDisplay->currentText()).toString();
    AddTextHistory(t);
    if (t != shownText()) {
        SetEditState(true);
        if (t != TextDisplay->currentText())
            TextDisplay->setEditText(t);
    }
    return true;
}

void frmMain::ApplyButton_Click()
{
    // Enter or Alt+A can press Apply while the focus is elsewhere: a bad list must never reach the group. Only
    // leaving the field puts a list into its history, so this check leaves the history alone.
    ClockFlags wanted{};
    if (!checkClockList(wanted)) {
        GroupClockNumbers->setFocus();
        return;
    }
    const int sel = GroupLetter->currentIndex();
    bool listChanged = false;
    for (int g = 0; g < kGroupCount; ++g) {
        if (g == sel)
            continue;
        ClockFlags shared{};
        int n = 0;
        for (size_t c = 0; c < shared.size(); ++c) {
            shared[c] = m_tables.EditGroups[size_t(g)].Clocks[c] && wanted[c];
            n += shared[c];
        }
        if (n == 0)
            continue;
        const QString question =
            n == 1 ? QStringLiteral("Clock Number ") + FormatClockList(shared) +
                         QStringLiteral(" is currently in Group ") + IndexToLetter(g) + kCR +
                         QStringLiteral("Do you want to MOVE it to Group ") + IndexToLetter(sel) + QLatin1Char('?')
                   : QStringLiteral("Clock Numbers ") + FormatClockList(shared) +
                         QStringLiteral(" are currently in Group ") + IndexToLetter(g) + kCR +
                         QStringLiteral("Do you want to MOVE them to Group ") + IndexToLetter(sel) + QLatin1Char('?');
        const MsgResult answer =
            m_dialogs.MsgBox(question, MsgButtons::YesNoCancel, MsgIcon::Question, MsgResult::Cancel);
        if (answer == MsgResult::Yes) {
            for (size_t c = 0; c < shared.size(); ++c)
                if (shared[c])
                    m_tables.EditGroups[size_t(g)].Clocks[c] = false;
            ApplyGroup(m_tables, g);
            SaveGroup(m_tables, m_settings, g);
        } else if (answer == MsgResult::No) {
            for (size_t c = 0; c < shared.size(); ++c)
                if (shared[c])
                    wanted[c] = false;
            listChanged = true;
        } else {
            CancelButton_Click();
            return;
        }
    }
    if (listChanged)
        GroupClockNumbers->setEditText(FormatClockList(wanted));
    GroupRecord& group = m_tables.EditGroups[size_t(sel)];
    ParseClockList(group.Clocks, GroupClockNumbers->currentText());
    group.ZoneIndex = qint16(TimeZone->currentIndex());
    group.DaylightIndex = qint16(Daylight->currentIndex());
    // A longer stored text is shown cut to 20; untouched, it stays whole.
    if (TextDisplay->currentText() != shownText())
        group.DisplayText = TextDisplay->currentText();
    ShowGroup(sel);
    if (m_settings.GetSetting(QStringLiteral("Group"), QStringLiteral("A")) != IndexToLetter(sel))
        m_settings.SaveSetting(QStringLiteral("Group"), IndexToLetter(sel));
    SaveGroup(m_tables, m_settings, sel);
    SaveWindowSettings();
    ApplyGroup(m_tables, sel);
    GroupLetter->setFocus();
}

void frmMain::CancelButton_Click()
{
    const int index = GroupLetter->currentIndex();
    m_tables.EditGroups[size_t(index)] = ShownGroup;
    ShowGroup(index);
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
        showHelpMenu(QCursor::pos());
    SetEditState(ApplyButton->isEnabled());
    GroupLetter->setFocus();
}

void frmMain::PlaceButton_Click()
{
    // Through the two lists, so the change counts as the operator's edit, as a chosen preset does.
    ChooseCodesByPlace(TimeZone, Daylight, utcNow(), this);
}

QString frmMain::shownTimeTip() const
{
    const ShownTimeText time = DescribeShownTime(TimeZone->currentIndex(), Daylight->currentIndex(), utcNow());
    if (time.shows == QStringLiteral("off"))
        return QStringLiteral("Clocks with these codes are off.");
    return QStringLiteral("Clocks with these codes show %1 now; %2.%3")
        .arg(time.shows, time.change.isEmpty() ? QStringLiteral("no change ahead") : "next change " + time.change,
             time.reading.isEmpty() ? QString() : "\nThe rule's text is unclear; read as: " + time.reading + '.');
}

bool frmMain::Form_KeyDown(const QKeyEvent* key)
{
    const Qt::KeyboardModifiers shift =
        key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    int code = 0;
    if (shift == Qt::NoModifier && key->key() == Qt::Key_F5)
        code = 236;
    else if (shift == Qt::NoModifier && key->key() == Qt::Key_F6)
        code = 172;
    else if (shift == Qt::NoModifier && key->key() == Qt::Key_F7)
        code = 156;
    else if (shift == Qt::ShiftModifier && key->key() == Qt::Key_F8)
        code = 220;
    if (code == 0)
        return false;
    // A command still waiting for its take-over: this key is ignored, not queued.
    if (InKeyCommand)
        return true;
    InKeyCommand = true;
    if (!ManufacturingMode) {
        frmMfgMode password(m_dialogs, m_sounds, this);
        password.exec();
        if (password.unlocked()) {
            ManufacturingMode = true;
            setWindowTitle(windowTitle() + QStringLiteral("  [ MANUFACTURING MODE ]"));
        }
    } else if (code != 220 || m_dialogs.MsgBox(QStringLiteral("Reset Clock(s) to Factory Defaults") + kCR +
                                                   QStringLiteral("ARE YOU SURE?"),
                                               MsgButtons::YesNo, MsgIcon::None, MsgResult::Yes,
                                               QStringLiteral("Quillmarch Factory Reset")) == MsgResult::Yes) {
        const int idx = GroupLetter->currentIndex();
        if (commandElsewhere) {
            commandElsewhere(idx, code);
        } else {
            m_tables.EditGroups[size_t(idx)].CommandCode = qint16(code);
            ApplyGroup(m_tables, idx);
            m_tables.EditGroups[size_t(idx)].CommandCode = 0;
        }
    }
    InKeyCommand = false;
    return true;
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    // The program's windows in the order they were opened, for closing them newest first.
    if (event->type() == QEvent::Show && watched->isWidgetType() && watched != this &&
        static_cast<QWidget*>(watched)->isWindow() && !m_openedWindows.contains(watched)) {
        m_openedWindows.removeIf([](const QPointer<QWidget>& window) { return window.isNull(); }); // months of dialogs
        m_openedWindows.append(static_cast<QWidget*>(watched));
    }
    if (event->type() == QEvent::ToolTip && (watched == TimeZone || watched == Daylight)) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), shownTimeTip(), static_cast<QWidget*>(watched));
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
        GroupClockNumbers_KeyPress(key);
    return false;
}

void frmMain::SaveWindowSettings()
{
    // A minimised window has no position worth keeping.
    if (!isMinimized()) {
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
    const auto saveHistory = [this](QComboBox* list, const QString& key) {
        QStringList entries;
        for (int i = 0; i < list->count() && i < kHistorySaved; ++i)
            entries << list->itemText(i);
        const QString text = entries.join(kTab);
        if (text != m_settings.GetSetting(key, QString()))
            m_settings.SaveSetting(key, text);
    };
    saveHistory(GroupClockNumbers, QStringLiteral("ClockNumberHistory"));
    saveHistory(TextDisplay, QStringLiteral("TextDisplayHistory"));
}

void frmMain::setPanelText(Panel which, const QString& text)
{
    const int panel = int(which);
    if (panel >= 1 && panel <= kPanelCount)
        m_panels[size_t(panel - 1)]->setFullText(text);
}

QString frmMain::panelText(Panel which) const
{
    const int panel = int(which);
    return panel >= 1 && panel <= kPanelCount ? m_panels[size_t(panel - 1)]->fullText() : QString();
}

void frmMain::showClockSync(const ClockSyncState& state)
{
    showClockSync(ClockSyncPanelText(state), ClockSyncToolTip(state), state.synchronized);
}

void frmMain::showClockSync(const QString& text, const QString& detail, bool synchronized)
{
    StatusPanel* panel = m_panels[4];
    panel->setFullText(text, detail);
    // The clocks copy a wrong PC clock faithfully: that case must stand out.
    panel->setStyleSheet(synchronized ? QString() : QStringLiteral("QLabel { color: #c00000; font-weight: bold; }"));
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
    // Close the other windows, the most recently opened first; then the link, which stops the ticks; then save.
    for (qsizetype i = m_openedWindows.size() - 1; i >= 0; --i) {
        if (QWidget* window = m_openedWindows.value(i); window && window->isVisible())
            window->close();
    }
    for (QWidget* window : QApplication::topLevelWidgets()) { // any shown before this window watched
        if (window != this && window->isVisible())
            window->close();
    }
    if (closeLink)
        closeLink();
    SaveWindowSettings();
    emit unloaded();
}
