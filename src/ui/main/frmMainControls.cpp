// The main window's controls, placed in twips as designed, with their lists and their tab order.
#include "ui/main/frmMain.h"

#include "model/CodeTables.h"
#include "ui/TypedText.h"
#include "ui/auxiliary/frmPlace.h"
#include "ui/main/StatusPanel.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

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
    sbStatusBar = new MainStatusBar(this);
    m_layout.append({sbStatusBar, QRectF(0, 2925, kClientWidth, 2 * kStatusRowHeight)});

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
}
