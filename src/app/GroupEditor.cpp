#include "app/GroupEditor.h"

#include "model/Blanks.h"
#include "model/PlaceCheck.h"
#include "model/SettingsStore.h"

#include <algorithm>

namespace {
const QChar kTab(9);
const QChar kCR(13);
const QString kGroupKey = QStringLiteral("Group");
const QString kClockHistoryKey = QStringLiteral("ClockNumberHistory");
const QString kTextHistoryKey = QStringLiteral("TextDisplayHistory");
} // namespace

bool RefuseKeyAtLimit(const QString& typed, const QString& text, int limit, bool hasSelection)
{
    if (typed.isEmpty()) // arrows, Home, Shift...: no character
        return false;
    const char16_t c = typed.at(0).unicode();
    return c >= 32 && c != 127 && text.size() == limit && !hasSelection;
}

int CommandCodeForKey(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers held =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (held == Qt::NoModifier && key == Qt::Key_F5)
        return 236;
    if (held == Qt::NoModifier && key == Qt::Key_F6)
        return 172;
    if (held == Qt::NoModifier && key == Qt::Key_F7)
        return 156;
    if (held == Qt::ShiftModifier && key == Qt::Key_F8)
        return kFactoryResetCode;
    return 0;
}

GroupEditor::GroupEditor(GroupTables& tables, SettingsStore& settings, QObject* parent)
    : QObject(parent), m_tables(tables), m_settings(settings)
{}

int GroupEditor::load()
{
    // At most ten entries each; a tenth keeps the rest of the stored text.
    const auto loadHistory = [this](QStringList& list, const QString& key) {
        const QStringList pieces = m_settings.GetSetting(key, QString()).split(kTab);
        list.clear();
        for (int i = 0; i < pieces.size() && i < kHistorySaved; ++i) {
            const QString piece = i == kHistorySaved - 1 ? pieces.mid(i).join(kTab) : pieces[i];
            const QString entry = TrimBlanks(piece).toString();
            if (!entry.isEmpty())
                list << entry;
        }
    };
    loadHistory(m_clockHistory, kClockHistoryKey);
    m_textKeyPending = false;
    loadHistory(m_textHistory, kTextHistoryKey);
    emit historiesChanged();

    const QString stored = m_settings.GetSetting(kGroupKey, QStringLiteral("A"));
    const int index = stored.isEmpty() ? -1 : LetterToIndex(stored);
    return index < 0 || index >= kGroupCount ? 0 : index;
}

void GroupEditor::show(int index)
{
    m_shownGroupIndex = index;
    m_shownGroup = m_tables.EditGroups[size_t(index)];
    m_place = GroupPlace(m_settings, index);
    m_placeZone = m_shownGroup.ZoneIndex;
    m_placeDaylight = m_shownGroup.DaylightIndex;
    emit showing(index);
    setModified(false);
}

void GroupEditor::setModified(bool modified)
{
    m_modified = modified;
    emit editStateChanged(modified);
}

QString GroupEditor::groupChangeRefusal()
{
    return QStringLiteral("Please CANCEL or APPLY your changes") + kCR +
           QStringLiteral("before changing the Group Letter Selection");
}

QString GroupEditor::factoryResetQuestion()
{
    return QStringLiteral("Reset Clock(s) to Factory Defaults") + kCR + QStringLiteral("ARE YOU SURE?");
}

QString GroupEditor::changeGroup(int index)
{
    if (index == m_shownGroupIndex || index < 0 || index >= kGroupCount)
        return {};
    if (m_modified)
        return groupChangeRefusal();
    show(index);
    m_settings.SaveSetting(kGroupKey, IndexToLetter(index));
    return {};
}

QString GroupEditor::clockListError(const QString& text, ClockFlags& flags)
{
    const QString error = ParseClockList(flags, text);
    return error.isEmpty() ? QString() : QStringLiteral("INPUT ERROR IN CLOCK NUMBER LIST") + kCR + error;
}

GroupEditor::ListCheck GroupEditor::checkClockList(const QString& text)
{
    ClockFlags flags{};
    ListCheck check;
    check.error = clockListError(text, flags);
    if (!check.error.isEmpty())
        return check;
    check.canonical = FormatClockList(flags);
    if (!check.canonical.isEmpty())
        putOnTop(m_clockHistory, check.canonical);
    // A list that names the clocks on show keeps its spelling.
    check.rewrite = shownClockList() != check.canonical;
    if (check.rewrite)
        setModified(true);
    return check;
}

void GroupEditor::clockListPicked(const QString& text)
{
    if (text != shownClockList())
        setModified(true);
}

bool GroupEditor::textKey(const QString& typed, const QString& text, bool hasSelection)
{
    if (typed.isEmpty())
        return false;
    if (RefuseKeyAtLimit(typed, text, kTextShown, hasSelection))
        return true;
    setModified(true);
    m_textKeyPending = true;
    return false;
}

void GroupEditor::textChanged(const QString& text)
{
    // The change a typed key makes was counted with the key; any other (a preset, a paste, showing a group) is an
    // edit of its own and enters the history.
    if (m_textKeyPending) {
        m_textKeyPending = false;
        return;
    }
    if (text != shownText())
        setModified(true);
    addTextHistory(text);
}

void GroupEditor::textPicked(const QString& text)
{
    if (text != shownText())
        setModified(true);
}

QString GroupEditor::checkText(const QString& text)
{
    const QString kept = TrimBlanks(text).toString();
    addTextHistory(kept);
    if (kept == shownText())
        return text;
    setModified(true);
    return kept;
}

void GroupEditor::addTextHistory(const QString& text)
{
    const QString trimmed = TrimBlanks(text).toString();
    if (!trimmed.isEmpty())
        putOnTop(m_textHistory, trimmed);
}

void GroupEditor::putOnTop(QStringList& list, const QString& entry)
{
    list.removeAll(entry);
    list.prepend(entry);
    emit historiesChanged();
}

void GroupEditor::saveHistories()
{
    const auto saveHistory = [this](const QStringList& list, const QString& key) {
        const QString text = list.mid(0, kHistorySaved).join(kTab);
        if (text != m_settings.GetSetting(key, QString()))
            m_settings.SaveSetting(key, text);
    };
    saveHistory(m_clockHistory, kClockHistoryKey);
    saveHistory(m_textHistory, kTextHistoryKey);
}

QString GroupEditor::moveQuestionText(int fromGroup, int toGroup, const ClockFlags& clocks)
{
    const bool one = std::count(clocks.begin(), clocks.end(), true) == 1;
    return (one ? QStringLiteral("Clock Number ") : QStringLiteral("Clock Numbers ")) + FormatClockList(clocks) +
           (one ? QStringLiteral(" is currently in Group ") : QStringLiteral(" are currently in Group ")) +
           IndexToLetter(fromGroup) + kCR +
           (one ? QStringLiteral("Do you want to MOVE it to Group ")
                : QStringLiteral("Do you want to MOVE them to Group ")) +
           IndexToLetter(toGroup) + QLatin1Char('?');
}

ApplyResult GroupEditor::apply(const EditedFields& fields, const std::function<MsgResult(const MoveQuestion&)>& ask,
                               const std::function<void(int group)>& handOver)
{
    // Apply can be pressed (Enter, Alt+A) with the focus elsewhere: a bad list never reaches the group. Only leaving
    // the field puts a list into its history, so this check leaves the history alone.
    ApplyResult result;
    ClockFlags wanted{};
    result.message = clockListError(fields.clockList, wanted);
    if (!result.message.isEmpty())
        return result;
    const int sel = m_shownGroupIndex;
    for (int g = 0; g < kGroupCount; ++g) {
        if (g == sel)
            continue;
        MoveQuestion question;
        question.fromGroup = g;
        bool shared = false;
        for (size_t c = 0; c < wanted.size(); ++c) {
            question.clocks[c] = m_tables.EditGroups[size_t(g)].Clocks[c] && wanted[c];
            shared = shared || question.clocks[c];
        }
        if (!shared)
            continue;
        question.text = moveQuestionText(g, sel, question.clocks);
        const MsgResult answer = ask(question);
        if (answer == MsgResult::Yes) {
            // The group that gives its clocks up is sent and stored at once, even if a later answer cancels.
            for (size_t c = 0; c < wanted.size(); ++c)
                if (question.clocks[c])
                    m_tables.EditGroups[size_t(g)].Clocks[c] = false;
            handOver(g);
            SaveGroup(m_tables, m_settings, g);
        } else if (answer == MsgResult::No) {
            for (size_t c = 0; c < wanted.size(); ++c)
                if (question.clocks[c])
                    wanted[c] = false;
        } else {
            cancel();
            result.end = ApplyResult::End::Cancelled;
            return result;
        }
    }
    GroupRecord& group = m_tables.EditGroups[size_t(sel)];
    group.Clocks = wanted;
    group.ZoneIndex = qint16(fields.zoneIndex);
    group.DaylightIndex = qint16(fields.daylightIndex);
    // Untouched, a longer stored text stays whole.
    if (fields.text != shownText())
        group.DisplayText = fields.text;
    const bool placeKept = fields.zoneIndex == m_placeZone && fields.daylightIndex == m_placeDaylight;
    SaveGroupPlace(m_settings, sel, placeKept ? m_place : QString());
    show(sel);
    if (m_settings.GetSetting(kGroupKey, QStringLiteral("A")) != IndexToLetter(sel))
        m_settings.SaveSetting(kGroupKey, IndexToLetter(sel));
    SaveGroup(m_tables, m_settings, sel);
    result.end = ApplyResult::End::Applied;
    result.handOver = sel;
    return result;
}

void GroupEditor::placeChosen(const QString& place, int zoneIndex, int daylightIndex)
{
    m_place = place;
    m_placeZone = zoneIndex;
    m_placeDaylight = daylightIndex;
}

void GroupEditor::cancel()
{
    m_tables.EditGroups[size_t(m_shownGroupIndex)] = m_shownGroup;
    show(m_shownGroupIndex);
}

void GroupEditor::giveCommand(int code, const std::function<void(int group)>& handOver)
{
    GroupRecord& group = m_tables.EditGroups[size_t(m_shownGroupIndex)];
    group.CommandCode = qint16(code);
    handOver(m_shownGroupIndex);
    group.CommandCode = 0;
}
