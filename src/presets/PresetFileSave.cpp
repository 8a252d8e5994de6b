// Saving the presets file: the table's bytes, written beside the old file and renamed over it, and the leftovers of
// saves that never finished.
#include "presets/PresetTable.h"

#include "model/PrivateFiles.h"
#include "model/SaveQueue.h"
#include "model/SettingsStore.h"
#include "model/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <charconv>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kTemporaryInfix = QStringLiteral(".saving-");

// A double quote would end the field early when read back, a line end the record. Writes at `out` and returns the end.
char* writeQuoted(char* out, QStringView text)
{
    *out++ = '"';
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        *out++ = u == u'"' ? '\'' : u == 13 || u == 10 ? ' ' : u < 0x80 ? char(u) : ToWindows1252(c);
    }
    *out++ = '"';
    return out;
}

// Writes the presets file; the failure's headline for the operator, empty when the file is safely on disk. Runs on
// the save thread when there is one, so it touches nothing but its arguments.
QString writePresetFile(const QString& filePath, const QByteArray& bytes)
{
    // A symbolic link stays one: its target is what gets replaced.
    const QFileInfo link(filePath);
    const QString target = link.isSymLink() ? link.symLinkTarget() : filePath;
    const QByteArray nativeTarget = QFile::encodeName(target);
    // The first save on this account finds no folder yet.
    MakePrivateFolder(QFileInfo(target).absolutePath());
    // A temporary file renamed over the old one: a failed write leaves the old file whole, not shortened. It is
    // created with mode 0600, so the presets are never readable by others, not even while being written.
    QTemporaryFile file(target + kTemporaryInfix + QStringLiteral("XXXXXX"));
    struct stat existing = {};
    const bool exists = ::stat(nativeTarget.constData(), &existing) == 0;
    // A file made read-only is left as it is; an existing file keeps its mode.
    if ((exists && ::access(nativeTarget.constData(), W_OK) != 0) || !file.open() ||
        (exists && ::fchmod(file.handle(), existing.st_mode & 07777) != 0))
        return QStringLiteral("Unable to Create or Overwrite Presets File");
    // On disk in full before the rename, so that neither a full disk nor a power cut can leave a shortened file.
    if (file.write(bytes) != bytes.size() || !file.flush() || ::fsync(file.handle()) != 0 ||
        ::rename(QFile::encodeName(file.fileName()).constData(), nativeTarget.constData()) != 0)
        return QStringLiteral("Disk Error Writing to Presets File");
    file.setAutoRemove(false); // it is the presets file now
    return {};
}

} // namespace

bool PresetTable::SavePresets()
{
    const QByteArray bytes = presetFileBytes();
    SaveQueue* queue = m_settings.saveQueue();
    if (!queue) {
        const QString failure = writePresetFile(m_filePath, bytes);
        if (!failure.isEmpty())
            showFileMessage(m_dialogs, m_filePath, failure);
        return failure.isEmpty();
    }
    // The window may be closed before the save ends: the message needs only what outlives it.
    auto failure = std::make_shared<QString>();
    queue->queue(
        m_filePath, bytes,
        [path = m_filePath, bytes, failure] { return (*failure = writePresetFile(path, bytes)).isEmpty(); },
        [dialogs = &m_dialogs, path = m_filePath, failure](bool ok) {
            if (!ok)
                showFileMessage(*dialogs, path, *failure);
        });
    return true;
}

// Written straight into one buffer: a full table is a megabyte, and this runs on the GUI thread at every save.
QByteArray PresetTable::presetFileBytes() const
{
    // Two quoted fields, two numbers of at most six characters, three commas and CR LF.
    constexpr qsizetype kFixed = 2 * 2 + 2 * 6 + 3 + 2;
    qsizetype most = 0;
    for (const Entry& entry : m_entries)
        most += entry.nameSize + entry.textSize + kFixed;
    QByteArray bytes(most, Qt::Uninitialized);
    char* out = bytes.data();
    char* const end = out + most;
    for (const Entry& entry : m_entries) {
        out = writeQuoted(out, nameOf(entry));
        *out++ = ',';
        out = std::to_chars(out, end, entry.zoneIndex).ptr;
        *out++ = ',';
        out = std::to_chars(out, end, entry.daylightIndex).ptr;
        *out++ = ',';
        out = writeQuoted(out, textOf(entry));
        *out++ = '\r';
        *out++ = '\n';
    }
    bytes.truncate(out - bytes.constData());
    return bytes;
}

// A save cut short by a crash or SIGKILL leaves its temporary file behind. Another instance saving at this very
// moment would lose its temporary file too, and report that its save failed: nothing is lost.
void PresetTable::removeStaleTemporaryFiles()
{
    const QFileInfo info(m_filePath);
    const QString prefix = info.fileName() + kTemporaryInfix;
    // The prefix and QTemporaryFile's six letters and digits, compared by hand: a name filter or a regular expression
    // would load the regular-expression library, half a megabyte of memory, for this alone.
    const auto temporary = [&prefix](const QString& name) {
        const QStringView suffix = QStringView(name).sliced(std::min(prefix.size(), name.size()));
        return name.startsWith(prefix) && suffix.size() == 6 && std::all_of(suffix.begin(), suffix.end(), [](QChar c) {
                   return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
               });
    };
    QDir folder = info.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden)) {
        if (temporary(name))
            folder.remove(name);
    }
}
