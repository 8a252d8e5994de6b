// Whether a group's codes show the time of its place over the coming days, as the system's zone database says now,
// and the finding as one line: the same line for `--check-places`, the bus, the journal and the windows.
#pragma once

#include "model/GroupTable.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// A group whose codes were chosen by place.
struct PlacedGroup
{
    int index = 0;
    QString place; // such as "Africa/Cairo"
    int zonePosition = 0;
    int daylightPosition = 0;

    // How the running program gives a group to its check process: "C<TAB>Africa/Cairo<TAB>15<TAB>36".
    QString line() const;
    bool operator==(const PlacedGroup&) const = default;
};
// Lines as PlacedGroup::line() writes them, one a line; nothing when any line is malformed.
std::optional<QList<PlacedGroup>> ParsePlacedGroups(const QString& text);

struct PlaceFinding
{
    enum class Verdict { Exact, Differs, Unknown };
    int group = 0;
    QString place;
    Verdict verdict = Verdict::Unknown;
    QString detail; // one sentence, no TAB or line break: how long exact, or from when and how far off, and the cure

    bool exact() const { return verdict == Verdict::Exact; }
    // "C<TAB>Africa/Cairo<TAB>differs<TAB>detail".
    QString line() const;
    // A line as line() writes it; nothing for any other text.
    static std::optional<PlaceFinding> parse(const QString& line);
    bool operator==(const PlaceFinding&) const = default;
};

// The place a group's codes were chosen by (the "Place-" key and its letter), empty when none. Saved only when
// it changes; an empty place says the group has none.
QString GroupPlace(const SettingsStore& settings, int index);
void SaveGroupPlace(SettingsStore& settings, int index, const QString& place);
// Every group with a place, with the codes `groups` give it.
QList<PlacedGroup> PlacedGroups(const std::array<GroupRecord, kGroupCount>& groups, const SettingsStore& settings);

// Checks the group over [fromSecs, fromSecs + days) (UTC seconds since 1970). `zoneFolder` is where the system keeps
// its zones, only to say so when it holds none.
PlaceFinding CheckPlace(const PlacedGroup& group, qint64 fromSecs, int days, const QString& zoneFolder);

// The words for a horizon: "the next 12 months" for 365 days, else "the next N days".
QString HorizonText(int days);
