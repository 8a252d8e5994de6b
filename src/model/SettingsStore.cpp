#include "model/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {
const QString kSection = QStringLiteral("Settings");
}

SettingsStore::SettingsStore(const QString& filePath)
    : m_filePath(filePath), m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::DefaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quillmarch/Quillmarch.ini");
}

QString SettingsStore::GetSetting(const QString& key, const QString& defaultValue) const
{
    const QString fullKey = kSection + QLatin1Char('/') + key;
    if (!m_settings->contains(fullKey))
        return defaultValue;
    const QVariant value = m_settings->value(fullKey);
    // A hand-edited value with bare commas reads as a list; Qt itself always quotes such text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void SettingsStore::SaveSetting(const QString& key, const QString& value)
{
    m_settings->setValue(kSection + QLatin1Char('/') + key, value);
    m_settings->sync();
    if (m_settings->status() == QSettings::NoError || m_writeFailed)
        return;
    m_writeFailed = true;
    if (m_onWriteFailure)
        m_onWriteFailure(QStringLiteral("Settings are not being saved.") + QChar(13) + QStringLiteral("The file ") +
                         m_filePath + QStringLiteral(" cannot be written: ") + describeWriteProblem());
}

void SettingsStore::setWriteFailureHandler(std::function<void(const QString&)> handler)
{
    m_onWriteFailure = std::move(handler);
}

// QSettings reports only that it failed; a small trial write in the same folder tells why.
QString SettingsStore::describeWriteProblem() const
{
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("the folder ") + folder + QStringLiteral(" cannot be created.");
    QTemporaryFile probe(folder + QStringLiteral("/.quillmarch-probe-XXXXXX"));
    if (!probe.open())
        return probe.errorString() + QLatin1Char('.');
    const QByteArray block(4096, '\0');
    if (probe.write(block) != block.size() || !probe.flush())
        return probe.errorString() + QLatin1Char('.');
    return QStringLiteral("the file or its folder is not writable.");
}
