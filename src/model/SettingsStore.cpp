#include "model/SettingsStore.h"

#include "model/PrivateFiles.h"
#include "model/SaveQueue.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kSection = QStringLiteral("Settings");

// Qt writes INI files as UTF-8 text; a NUL byte or a broken UTF-8 sequence means the file is not one any more, even
// where QSettings would read keys out of it without complaint.
bool looksDamaged(const QByteArray& bytes)
{
    if (bytes.contains('\0'))
        return true;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    Q_UNUSED(text)
    return utf8.hasError();
}

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}
} // namespace

SettingsStore::SettingsStore(const QString& filePath) : m_filePath(filePath)
{
    load();
}

QString SettingsStore::DefaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quillmarch/Quillmarch.ini");
}

void SettingsStore::load()
{
    QFile file(m_filePath);
    if (!file.exists())
        return;
    const QString defaults = QStringLiteral("The groups and other settings start from their defaults.");
    if (!file.open(QIODevice::ReadOnly)) {
        m_keepFile = true; // replacing a file nobody has read would lose it
        m_loadProblem = QStringLiteral("The settings file ") + m_filePath + QStringLiteral(" cannot be read: ") +
                        file.errorString() + QStringLiteral(".") + QChar(13) + defaults +
                        QStringLiteral(" Settings will not be saved, so that the file stays as it is.");
        return;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    QSettings settings(m_filePath, QSettings::IniFormat);
    if (settings.status() == QSettings::NoError && !looksDamaged(bytes)) {
        for (const QString& key : settings.allKeys())
            m_values.insert(key, settings.value(key));
        return;
    }
    // The next save would write over the damaged file: keep what it held beside it first.
    const QString copyPath = m_filePath + QStringLiteral(".damaged");
    QFile::remove(copyPath);
    QFile copy(copyPath);
    const bool copied = EnsurePrivateFile(copyPath) && copy.open(QIODevice::WriteOnly) &&
                        copy.write(bytes) == bytes.size() && copy.flush();
    copy.close();
    m_loadProblem = QStringLiteral("The settings file ") + m_filePath +
                    QStringLiteral(" is damaged and was not read.") + QChar(13) + defaults;
    if (copied) {
        m_loadProblem += QStringLiteral(" The damaged file was kept as ") + copyPath + QStringLiteral(".");
    } else {
        QFile::remove(copyPath);
        m_keepFile = true;
        m_loadProblem += QStringLiteral(" No copy of it could be kept, so settings will not be saved.");
    }
}

QString SettingsStore::GetSetting(const QString& key, const QString& defaultValue) const
{
    const auto found = m_values.constFind(kSection + QLatin1Char('/') + key);
    if (found == m_values.cend())
        return defaultValue;
    // A hand-edited value with bare commas reads as a list; Qt itself always quotes such text.
    if (found->typeId() == QMetaType::QStringList)
        return found->toStringList().join(QLatin1Char(','));
    return found->toString();
}

void SettingsStore::SaveSetting(const QString& key, const QString& value)
{
    m_values.insert(kSection + QLatin1Char('/') + key, value);
    m_saved.insert(kSection + QLatin1Char('/') + key, value);
    if (m_keepFile) { // said at start already
        m_writeFailed = true;
        return;
    }
    // Names never used before in this run: QSettings caches files by name and would not read this one from disk.
    const Write write{m_filePath,
                      m_filePath + QStringLiteral(".%1-%2").arg(QCoreApplication::applicationPid()).arg(++m_saveCount),
                      m_values, m_saved};
    if (!m_queue) {
        QMap<QString, QVariant> merged;
        const bool ok = writeFile(write, merged);
        written(ok, merged);
        return;
    }
    auto merged = std::make_shared<QMap<QString, QVariant>>();
    m_queue->queue(
        m_filePath, QByteArray(), [write, merged] { return writeFile(write, *merged); },
        [this, merged](bool ok) { written(ok, *merged); });
}

// Back on the GUI thread. Keys another program saved meanwhile become visible; the ones saved here since the write
// began keep their newer values.
void SettingsStore::written(bool ok, const QMap<QString, QVariant>& merged)
{
    if (ok) {
        for (auto it = merged.cbegin(); it != merged.cend(); ++it) {
            if (!m_saved.contains(it.key()))
                m_values.insert(it.key(), it.value());
        }
        return;
    }
    if (m_writeFailed)
        return;
    m_writeFailed = true;
    if (m_onWriteFailure)
        m_onWriteFailure(QStringLiteral("Settings are not being saved.") + QChar(13) + QStringLiteral("The file ") +
                         m_filePath + QStringLiteral(" cannot be written: ") + describeWriteProblem());
}

// QSettings writes through a temporary file, but when the disk fills up while it flushes, Qt 6.4 still renames the
// shortened file over the old one and reports no error. So QSettings writes a file of its own, which is read back and
// compared before it replaces the settings file.
bool SettingsStore::writeFile(const Write& write, QMap<QString, QVariant>& merged)
{
    const QString& path = write.filePath;
    if (!MakePrivateFolder(QFileInfo(path).absolutePath()))
        return false;
    struct stat existing = {};
    const bool exists = ::stat(nativePath(path).constData(), &existing) == 0;
    // As QSaveFile does: a file made read-only stays as it is.
    if (exists && ::access(nativePath(path).constData(), W_OK) != 0)
        return false;
    const QString& stem = write.stem;
    const QString written = stem + QStringLiteral(".new");
    const QString checked = stem + QStringLiteral(".checked");
    const auto removeLeftovers = qScopeGuard([&] {
        QFile::remove(written);
        QFile::remove(checked);
    });
    // Created before QSettings writes into it, which keeps the mode: the settings are never readable by others.
    if (!EnsurePrivateFile(written) ||
        (exists && ::chmod(nativePath(written).constData(), existing.st_mode & 07777) != 0))
        return false;
    // Another program of the same user (a second window, on another link) may have saved since this one read the
    // file: its keys are kept, and only the ones saved here are put over them, key by key.
    QMap<QString, QVariant> values = write.values;
    if (exists) {
        const QString current = stem + QStringLiteral(".current");
        const auto removeCurrent = qScopeGuard([&] { QFile::remove(current); });
        QFile now(path);
        QByteArray bytes;
        if (now.open(QIODevice::ReadOnly))
            bytes = now.readAll();
        QFile copy(current);
        if (!bytes.isEmpty() && !looksDamaged(bytes) && EnsurePrivateFile(current) && copy.open(QIODevice::WriteOnly) &&
            copy.write(bytes) == bytes.size() && copy.flush()) {
            copy.close();
            const QSettings disk(current, QSettings::IniFormat);
            if (disk.status() == QSettings::NoError) {
                values.clear();
                for (const QString& key : disk.allKeys())
                    values.insert(key, disk.value(key));
                for (auto it = write.saved.cbegin(); it != write.saved.cend(); ++it)
                    values.insert(it.key(), it.value());
            }
        }
    }
    {
        QSettings out(written, QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            out.setValue(it.key(), it.value());
        out.sync();
        if (out.status() != QSettings::NoError)
            return false;
    }
    if (::rename(nativePath(written).constData(), nativePath(checked).constData()) != 0)
        return false;
    {
        const QSettings back(checked, QSettings::IniFormat);
        const QStringList keys = back.allKeys();
        if (back.status() != QSettings::NoError || keys.size() != values.size())
            return false;
        for (const QString& key : keys) {
            if (back.value(key) != values.value(key))
                return false;
        }
    }
    if (::rename(nativePath(checked).constData(), nativePath(path).constData()) != 0)
        return false;
    merged = values;
    return true;
}

void SettingsStore::setWriteFailureHandler(std::function<void(const QString&)> handler)
{
    m_onWriteFailure = std::move(handler);
}

// The save reports only that it failed; a small trial write in the same folder tells why.
QString SettingsStore::describeWriteProblem() const
{
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!MakePrivateFolder(folder))
        return QStringLiteral("the folder ") + folder + QStringLiteral(" cannot be created.");
    QTemporaryFile probe(folder + QStringLiteral("/.quillmarch-probe-XXXXXX"));
    if (!probe.open())
        return probe.errorString() + QLatin1Char('.');
    // Larger than the settings file and the temporary files of a save together: a disk with a few pages left fails.
    const QByteArray page(4096, '\0');
    for (int written = 0; written < 64 * 1024;) {
        const ssize_t n = ::write(probe.handle(), page.constData(), size_t(page.size()));
        if (n < 0)
            return QString::fromLocal8Bit(std::strerror(errno)) + QLatin1Char('.');
        written += int(n);
    }
    return QStringLiteral("the file or its folder is not writable.");
}
