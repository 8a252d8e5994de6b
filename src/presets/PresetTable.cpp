// The presets table: finding, adding and removing presets, the remembered selection, and reading the file.
#include "presets/PresetTable.h"

#include "model/Blanks.h"
#include "model/CodeTables.h"
#include "model/SaveQueue.h"
#include "model/SettingsStore.h"
#include "model/Windows1252.h"
#include "platform/Dialogs.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <vector>

namespace {

const QString kIndexKey = QStringLiteral("PSIdx");
constexpr QChar kQuote = u'"';
constexpr QChar kComma = u',';
constexpr QChar kBlank = u' ';

// The fields of one line, separated by commas. A field that starts with a double quote runs to the next one, commas
// included, and what follows it up to the comma is ignored; any other field runs to the comma. A comma at the end of
// the line opens no field of its own: it says that the record goes on (`endsWithComma`). False when a quote is not
// closed on its line: the field would otherwise swallow the records that follow.
bool splitFields(QStringView line, QList<QStringView>& fields, bool& endsWithComma)
{
    endsWithComma = false;
    qsizetype i = 0;
    for (;;) {
        while (i < line.size() && line[i] == kBlank)
            ++i;
        if (i < line.size() && line[i] == kQuote) {
            const qsizetype close = line.indexOf(kQuote, i + 1);
            if (close < 0)
                return false;
            fields.append(line.sliced(i + 1, close - i - 1));
            i = line.indexOf(kComma, close + 1);
        } else if (i == line.size() && !fields.isEmpty()) {
            endsWithComma = true;
            return true;
        } else {
            const qsizetype comma = line.indexOf(kComma, i);
            fields.append(line.sliced(i, (comma < 0 ? line.size() : comma) - i));
            i = comma;
        }
        if (i < 0)
            return true;
        ++i;
    }
}

// Decimal digits with an optional sign, blanks around them, fitting into 16 bits.
bool readNumber(QStringView field, qint16& value)
{
    field = TrimBlanks(field);
    const QStringView digits = field.startsWith(u'-') || field.startsWith(u'+') ? field.mid(1) : field;
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return false;
    bool ok = false;
    value = field.toShort(&ok, 10);
    return ok;
}

// Trimmed, cut, and trimmed again so that a cut cannot leave a blank at the end: the name must equal its list entry.
QStringView trimmedAndCut(QStringView field, qsizetype limit)
{
    return TrimBlanks(TrimBlanks(field).left(limit));
}

// Whether `name` in upper case is `upper`. Names in plain ASCII, the usual case, are compared as they are, without an
// upper-case copy: a lookup goes through a full table, and a table read from the file holds only the names.
bool upperEquals(QStringView name, QStringView upper)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (c >= 0x80)
            return name.toString().toUpper() == upper;
        // Up to here both are ASCII, so the upper-case form has this character at this place.
        if (i >= upper.size() || upper[i].unicode() != (c >= u'a' && c <= u'z' ? c - (u'a' - u'A') : c))
            return false;
    }
    return name.size() == upper.size();
}

} // namespace

PresetTable::PresetTable(SettingsStore& settings, Dialogs& dialogs, const QString& filePath, QObject* parent)
    : QObject(parent), m_settings(settings), m_dialogs(dialogs), m_filePath(filePath)
{}

QString PresetTable::DefaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quillmarch/Quillmarch-Presets.txt");
}

bool PresetTable::LoadPresets()
{
    m_entries.clear();
    m_chars.clear();
    m_unusedChars = 0;
    // The file as the last save will leave it: reading the disk now would bring back what was just changed.
    if (const SaveQueue* queue = m_settings.saveQueue()) {
        if (const std::optional<QByteArray> pending = queue->pending(m_filePath)) {
            readPresets(*pending);
            return true;
        }
    }
    removeStaleTemporaryFiles();
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        // Writing the empty table over a file that exists would throw its presets away.
        if (!QFileInfo::exists(m_filePath))
            SavePresets();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    readPresets(bytes);
    return true;
}

// The upper-case forms of the names read so far, as positions in the table: open addressing in one array, so that
// reading a full table makes no allocation per name beyond the names themselves.
class PresetTable::UpperNameSet
{
public:
    explicit UpperNameSet(qsizetype expected)
    {
        qsizetype size = 16;
        while (size < 2 * expected)
            size *= 2;
        m_slots.assign(size_t(size), -1);
    }
    // False when a name with the same upper-case form is in already; else `position` is where the caller puts it.
    bool insert(const PresetTable& table, QStringView name, qint16 position)
    {
        // At most half full, so that the search for a free slot stays short.
        if (2 * size_t(m_count + 1) > m_slots.size()) {
            std::vector<qint16> old(m_slots.size() * 2, -1);
            old.swap(m_slots);
            for (const qint16 p : old) {
                if (p >= 0)
                    m_slots[slotOf(table, table.nameOf(table.m_entries[size_t(p)]).toString().toUpper())] = p;
            }
        }
        const size_t slot = slotOf(table, name.toString().toUpper());
        if (m_slots[slot] >= 0)
            return false;
        m_slots[slot] = position;
        ++m_count;
        return true;
    }

private:
    // The slot holding that upper-case form, or the empty one where it belongs.
    size_t slotOf(const PresetTable& table, const QString& upper) const
    {
        const size_t mask = m_slots.size() - 1;
        for (size_t slot = qHash(upper) & mask;; slot = (slot + 1) & mask) {
            const qint16 p = m_slots[slot];
            if (p < 0 || upperEquals(table.nameOf(table.m_entries[size_t(p)]), upper))
                return slot;
        }
    }

    std::vector<qint16> m_slots;
    qsizetype m_count = 0;
};

void PresetTable::readPresets(const QByteArray& bytes)
{
    m_entries.clear();
    m_chars.clear();
    m_unusedChars = 0;
    // A byte-order mark from an editor that saved the file as UTF-8 is not part of the first name.
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    // One byte is one character, so the separators keep their places. CR LF, LF and CR all end a line.
    QString text = FromWindows1252(bom ? bytes.mid(3) : bytes);
    text.replace(QChar(13), QChar(10));
    QList<QStringView> fields;
    QList<QStringView> lineFields;
    bool endsWithComma = false;
    // Room for one preset a line, so that a full table is not copied over and over while it grows.
    const qsizetype lines = std::min<qsizetype>(bytes.count('\n') + bytes.count('\r') + 1, kMaxPresets);
    m_entries.reserve(size_t(lines));
    // Each character of a name or a text is one byte of the file; what is not used goes after reading.
    m_chars.reserve(std::min<qsizetype>(bytes.size(), kMaxPresets * (kNameLimit + kTextLimit)));
    UpperNameSet names(lines);
    const auto take = [&] {
        // A record that ends with a comma after its third field has an empty text.
        if (fields.size() == 3 && endsWithComma)
            fields.append(QStringView());
        if (fields.size() == 4)
            addRead(fields, names);
        fields.clear();
    };
    // A line end separates fields as a comma does, so a record may be spread over several lines. A malformed record
    // must not take good ones with it: a record ends with its fourth field, and one that cannot take in the next line
    // without growing beyond four fields is closed before that line.
    for (const QStringView line : QStringView(text).tokenize(QChar(10), Qt::SkipEmptyParts)) {
        if (TrimBlanks(line).isEmpty())
            continue;
        lineFields.clear();
        bool lineEndsWithComma = false;
        if (!splitFields(line, lineFields, lineEndsWithComma)) {
            fields.clear(); // an unclosed quote spoils its record, and the line holds nothing else that can be trusted
            continue;
        }
        if (fields.size() + lineFields.size() > 4)
            take();
        fields += lineFields;
        endsWithComma = lineEndsWithComma;
        if (fields.size() > 4)
            fields.clear();
        else if (fields.size() == 4)
            take();
    }
    take();
    m_chars.squeeze();
}

void PresetTable::addRead(const QList<QStringView>& fields, UpperNameSet& names)
{
    const QStringView name = trimmedAndCut(fields[0], kNameLimit);
    qint16 zone = 0, daylight = 0;
    // A position outside its list would make the windows read past it.
    if (name.isEmpty() || !readNumber(fields[1], zone) || !readNumber(fields[2], daylight) || zone < 0 ||
        zone >= qint16(TimeZoneList.size()) || daylight < 0 || daylight >= qint16(DaylightList.size()))
        return;
    // Of names that differ only in case, the first in the file wins. A hash set, not FindPreset: a full table would
    // take seconds to read.
    if (PresetCount() >= kMaxPresets || !names.insert(*this, name, PresetCount()))
        return;
    append(name, zone, daylight, trimmedAndCut(fields[3], kTextLimit));
}

void PresetTable::showFileMessage(Dialogs& dialogs, const QString& filePath, const QString& headline)
{
    dialogs.MsgBox(headline + QChar(13) + kQuote + filePath + kQuote, MsgButtons::Ok, MsgIcon::None, MsgResult::Ok);
}

qint16 PresetTable::FindPreset(const QString& name) const
{
    const QString key = name.toUpper();
    for (size_t p = 0; p < m_entries.size(); ++p) {
        if (upperEquals(nameOf(m_entries[p]), key))
            return qint16(p);
    }
    return -1;
}

qint16 PresetTable::AddPreset(const QString& name, qint16 zoneIndex, qint16 daylightIndex, const QString& text)
{
    if (PresetCount() >= kMaxPresets)
        return -1;
    append(TrimBlanks(name), zoneIndex, daylightIndex, text);
    emit presetAdded(presetName(PresetCount() - 1));
    return qint16(PresetCount() - 1);
}

void PresetTable::append(QStringView name, qint16 zoneIndex, qint16 daylightIndex, QStringView text)
{
    m_entries.push_back({qint32(m_chars.size()), qint32(name.size()), qint32(text.size()), zoneIndex, daylightIndex});
    m_chars += name;
    m_chars += text;
}

PresetRecord PresetTable::preset(qint16 position) const
{
    const Entry& entry = m_entries.at(size_t(position));
    return {nameOf(entry).toString(), entry.zoneIndex, entry.daylightIndex, textOf(entry).toString()};
}

QString PresetTable::presetName(qint16 position) const
{
    return nameOf(m_entries.at(size_t(position))).toString();
}

QList<PresetRecord> PresetTable::Presets() const
{
    QList<PresetRecord> result;
    result.reserve(PresetCount());
    for (qint16 p = 0; p < PresetCount(); ++p)
        result.append(preset(p));
    return result;
}

QStringList PresetTable::names() const
{
    QStringList result;
    result.reserve(PresetCount());
    for (const Entry& entry : m_entries)
        result.append(nameOf(entry).toString());
    return result;
}

void PresetTable::RemovePreset(qint16 position)
{
    if (position < 0 || position >= PresetCount())
        return;
    const Entry removed = m_entries[size_t(position)];
    m_entries.erase(m_entries.begin() + position);
    m_unusedChars += removed.nameSize + removed.textSize;
    // Edits append and leave their old characters behind: once these are half of the string, it is made anew.
    if (m_unusedChars > m_chars.size() / 2) {
        QString kept;
        kept.reserve(m_chars.size() - m_unusedChars);
        for (Entry& entry : m_entries) {
            const qint32 at = qint32(kept.size());
            kept += QStringView(m_chars).sliced(entry.at, entry.nameSize + entry.textSize);
            entry.at = at;
        }
        m_chars = kept;
        m_unusedChars = 0;
    }
    emit presetRemoved(position);
}

qint16 PresetTable::storedListPosition() const
{
    if (m_entries.empty())
        return -1;
    bool ok = false;
    const qint16 stored = m_settings.GetSetting(kIndexKey, QStringLiteral("0")).toShort(&ok);
    // Only positions of 0 and above are ever stored; anything else, or a shorter list, starts at the first name.
    return ok && stored >= 0 && stored < PresetCount() ? stored : 0;
}

void PresetTable::SavePresetIndex(int listPosition)
{
    if (listPosition < 0)
        return;
    bool ok = false;
    const int stored = m_settings.GetSetting(kIndexKey, QStringLiteral("0")).toInt(&ok);
    if (!ok || stored != listPosition)
        m_settings.SaveSetting(kIndexKey, QString::number(listPosition));
}
