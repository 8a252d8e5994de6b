// The group editor's rules without widgets: the group on show and whether it is modified, the checks of the clock
// list and the text, the two history lists, and Apply with its move questions. The main window mirrors it.
#pragma once

#include "model/GroupTable.h"
#include "model/WireFormat.h"
#include "platform/Dialogs.h"

#include <QObject>
#include <QStringList>
#include <functional>

class SettingsStore;

// Apply's question before it takes clocks that another group holds.
struct MoveQuestion
{
    int fromGroup = -1;
    ClockFlags clocks{}; // the clocks both groups would hold
    QString text;
};

// What the editor's fields hold when Apply is pressed.
struct EditedFields
{
    QString clockList;
    int zoneIndex = 0;
    int daylightIndex = 0;
    QString text; // as typed: neither trimmed nor cut
};

struct ApplyResult
{
    enum class End { Applied, Cancelled, Refused };
    End end = End::Refused;
    QString message;   // Refused: the clock list's error, to show
    int handOver = -1; // Applied: the group to hand to the cycle once the window's settings are saved
};

// Whether a key typed into a field holding `text` is thrown away: a character at the limit with nothing selected.
// What a field may hold at all is its own check's business, so pasting past the limit is not stopped here.
bool RefuseKeyAtLimit(const QString& typed, const QString& text, int limit, bool hasSelection);

// The one-shot command a key sends in manufacturing mode (F5, F6, F7, Shift+F8), or 0 for any other key.
int CommandCodeForKey(int key, Qt::KeyboardModifiers modifiers);

class GroupEditor : public QObject
{
    Q_OBJECT

public:
    static constexpr int kHistorySaved = 10;
    static constexpr int kTextShown = kDisplayTextLength;

    GroupEditor(GroupTables& tables, SettingsStore& settings, QObject* parent = nullptr);

    // Reads both history lists; returns the group shown last, to show.
    int load();
    // Makes EditGroups[index] the group on show; it is clean afterwards, whatever showing it in the fields did.
    void show(int index);
    int ShownGroupIndex() const { return m_shownGroupIndex; }
    const GroupRecord& ShownGroup() const { return m_shownGroup; }
    QString shownClockList() const { return FormatClockList(m_shownGroup.Clocks); }
    // What the text field shows of the group: a longer text is cut, and stays whole while untouched.
    QString shownText() const { return m_shownGroup.DisplayText.left(kTextShown); }

    bool modified() const { return m_modified; }
    void setModified(bool modified);

    // The group letter chosen: empty when the group changes (it is shown and remembered), else the message.
    QString changeGroup(int index);

    static QString clockListError(const QString& text, ClockFlags& flags);
    struct ListCheck
    {
        QString error;        // refused: the message; the focus stays
        bool rewrite = false; // accepted: the field must show the canonical text, else it keeps the text as typed
        QString canonical;
    };
    // The clock list field is left: a good list's canonical form enters the history.
    ListCheck checkClockList(const QString& text);
    void clockListPicked(const QString& text);
    void clockListEdited() { setModified(true); }

    // A key typed into the text field: true when it is thrown away.
    bool textKey(const QString& typed, const QString& text, bool hasSelection);
    void textChanged(const QString& text);
    void textPicked(const QString& text);
    // The text field is left (never refused): the text the field must show.
    QString checkText(const QString& text);
    void addTextHistory(const QString& text);

    const QStringList& clockHistory() const { return m_clockHistory; }
    const QStringList& textHistory() const { return m_textHistory; }
    void saveHistories();

    static QString moveQuestionText(int fromGroup, int toGroup, const ClockFlags& clocks);
    // Apply: `ask` answers each move question, `handOver` sends a group that gave clocks up at once.
    ApplyResult apply(const EditedFields& fields, const std::function<MsgResult(const MoveQuestion&)>& ask,
                      const std::function<void(int group)>& handOver);
    // The place whose codes the fields were last given (by "Choose by place..."), or the stored group's place.
    // Apply keeps it only while the fields still hold those codes: an edit by hand or a preset with other codes
    // drops it.
    const QString& place() const { return m_place; }
    void placeChosen(const QString& place, int zoneIndex, int daylightIndex);
    // Cancel: the group on show as it was shown.
    void cancel();
    // A command key: the group on show as last applied, with the one-shot command.
    void giveCommand(int code, const std::function<void(int group)>& handOver);

    static QString groupChangeRefusal();
    static QString factoryResetQuestion();

signals:
    void editStateChanged(bool modified);
    void historiesChanged();
    // The fields must show EditGroups[index]; the group becomes clean right after.
    void showing(int index);

private:
    void putOnTop(QStringList& list, const QString& entry);

    GroupTables& m_tables;
    SettingsStore& m_settings;
    int m_shownGroupIndex = 0;
    GroupRecord m_shownGroup;
    bool m_modified = false;
    bool m_textKeyPending = false; // between an accepted key in the text field and the change it makes
    QStringList m_clockHistory;
    QString m_place;
    int m_placeZone = -1, m_placeDaylight = -1; // the codes the place gave
    QStringList m_textHistory;
};
