// The presets: the table the presets window holds while it is open, and the file that keeps it between runs.
#pragma once

#include "model/WireFormat.h"
#include "presets/PresetNameOrder.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <vector>

class Dialogs;
class SettingsStore;

struct PresetRecord
{
    QString Name;             // no leading or trailing blanks, 1 to 40 characters
    qint16 ZoneIndex = 0;     // position in TimeZoneList, not the code
    qint16 DaylightIndex = 0; // position in DaylightList
    QString DisplayText;

    bool operator==(const PresetRecord&) const = default;
};

// Positions in the table are insertion order; the window shows the names sorted. The window keeps its list in step
// through presetAdded and presetRemoved, which arrive, with the table already changed, before the call that caused
// them returns.
class PresetTable : public QObject
{
    Q_OBJECT

public:
    static constexpr qint16 kMaxPresets = 32767;
    static constexpr qsizetype kNameLimit = 40;
    static constexpr qsizetype kTextLimit = kDisplayTextLength; // when read from the file

    // The two failure messages of SavePresets go through `dialogs`; "PSIdx" lives in `settings`.
    PresetTable(SettingsStore& settings, Dialogs& dialogs, const QString& filePath = DefaultFilePath(),
                QObject* parent = nullptr);

    // $XDG_DATA_HOME/Quillmarch/Quillmarch-Presets.txt: an installed program cannot write beside itself.
    static QString DefaultFilePath();

    // A copy of the whole table, made at each call: for checks, not for work on a full table.
    QList<PresetRecord> Presets() const;
    PresetRecord preset(qint16 position) const;
    QString presetName(qint16 position) const;
    QStringList names() const; // in table order
    qint16 PresetCount() const { return qint16(m_entries.size()); }

    // Replaces the table with the file's presets. A missing file is created empty; a file that exists but cannot be
    // read is left as it is. Temporary files of saves that never finished are removed. False, with an empty table, when
    // the file could not be read.
    bool LoadPresets();
    // The reading part of LoadPresets on the file's bytes. It neither sends presetRemoved for the old presets nor
    // presetAdded for the new ones: the window builds its table, and its whole list at once, each time it opens.
    void readPresets(const QByteArray& bytes);

    // Replaces the file with the table, atomically: on failure the operator sees why and the old file stays whole.
    // With the settings' save queue the write runs on its thread, and true means queued; the failure, if any, is
    // shown when the write ends.
    bool SavePresets();
    // What SavePresets writes: one line per preset, CR LF, Windows-1252.
    QByteArray presetFileBytes() const;

    // Position of the preset with that name in any case, -1 when there is none.
    qint16 FindPreset(const QString& name) const;
    // Appends a preset (name trimmed of blanks, text as given) and returns its position; -1, with nothing added, when
    // the table is full. Callers make sure that the name is not in the table yet.
    qint16 AddPreset(const QString& name, qint16 zoneIndex, qint16 daylightIndex, const QString& text);
    // Does nothing for a position outside the table (FindPreset's -1 among them).
    void RemovePreset(qint16 position);

    // The list position to select when the window opens: the stored "PSIdx" when it lies inside the list, else the
    // first name; -1 when there is no preset.
    qint16 storedListPosition() const;
    // Stores the selected list position as "PSIdx" when it differs from the stored one; -1 (no selection) is not
    // stored.
    void SavePresetIndex(int listPosition);

signals:
    void presetAdded(const QString& name); // at the end of the table
    void presetRemoved(qint16 position);   // the presets after it have moved up by one

private:
    // A preset's name and text lie in m_chars: a full table as 65,534 strings of their own took megabytes more.
    struct Entry
    {
        qint32 at = 0; // the name, then the text
        qint32 nameSize = 0;
        qint32 textSize = 0;
        qint16 zoneIndex = 0;
        qint16 daylightIndex = 0;
    };
    QStringView nameOf(const Entry& entry) const { return QStringView(m_chars).sliced(entry.at, entry.nameSize); }
    QStringView textOf(const Entry& entry) const
    {
        return QStringView(m_chars).sliced(entry.at + entry.nameSize, entry.textSize);
    }
    class UpperNameSet;
    void addRead(const QList<QStringView>& fields, UpperNameSet& names);
    void append(QStringView name, qint16 zoneIndex, qint16 daylightIndex, QStringView text);
    void removeStaleTemporaryFiles();
    static void showFileMessage(Dialogs& dialogs, const QString& filePath, const QString& headline);

    SettingsStore& m_settings;
    Dialogs& m_dialogs;
    QString m_filePath;
    std::vector<Entry> m_entries;
    QString m_chars;
    qsizetype m_unusedChars = 0; // of removed presets, until the next compaction
};
