// The per-user settings: text values under "Quillmarch" / "Settings", kept in an INI file.
#pragma once

#include <QString>
#include <functional>
#include <memory>

class QSettings;

class SettingsStore
{
public:
    // `filePath` is the INI file; the program passes DefaultFilePath(), tests a temporary one.
    explicit SettingsStore(const QString& filePath = DefaultFilePath());
    ~SettingsStore();

    // $XDG_CONFIG_HOME/Quillmarch/Quillmarch.ini, the file QSettings uses for Quillmarch/Quillmarch.
    static QString DefaultFilePath();

    QString GetSetting(const QString& key, const QString& defaultValue) const;
    void SaveSetting(const QString& key, const QString& value);

    QString filePath() const { return m_filePath; }

    // Called once, with a text for the operator, the first time a value does not reach the disk.
    void setWriteFailureHandler(std::function<void(const QString&)> handler);
    bool writeFailed() const { return m_writeFailed; }

private:
    QString describeWriteProblem() const;

    QString m_filePath;
    std::unique_ptr<QSettings> m_settings;
    std::function<void(const QString&)> m_onWriteFailure;
    bool m_writeFailed = false;
};
