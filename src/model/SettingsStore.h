// The per-user settings: text values under "Quillmarch" / "Settings", kept in an INI file.
#pragma once

#include <QMap>
#include <QString>
#include <QVariant>
#include <functional>

class SaveQueue;

class SettingsStore
{
public:
    // `filePath` is the INI file; the program passes DefaultFilePath(), tests a temporary one. The file is read here,
    // once; what it says at start is in loadProblem().
    explicit SettingsStore(const QString& filePath = DefaultFilePath());

    // $XDG_CONFIG_HOME/Quillmarch/Quillmarch.ini, the file QSettings uses for Quillmarch/Quillmarch.
    static QString DefaultFilePath();

    QString GetSetting(const QString& key, const QString& defaultValue) const;
    void SaveSetting(const QString& key, const QString& value);

    QString filePath() const { return m_filePath; }

    // For the operator, once at start: the file could not be read or is damaged, so every setting starts from its
    // default. Empty when the file was fine or absent.
    QString loadProblem() const { return m_loadProblem; }

    // With a queue, saves run on its thread and the GUI thread never waits for the disk; without one (tests, tools)
    // SaveSetting returns when the file is written. The presets are saved through the same queue.
    void setSaveQueue(SaveQueue* queue) { m_queue = queue; }
    SaveQueue* saveQueue() const { return m_queue; }

    // Called once, with a text for the operator, the first time a value does not reach the disk.
    void setWriteFailureHandler(std::function<void(const QString&)> handler);

private:
    // What one save writes; copied, so that the save can run on another thread.
    struct Write
    {
        QString filePath;
        QString stem; // of the temporary files, unique in this run
        QMap<QString, QVariant> values;
        QMap<QString, QVariant> saved;
    };
    void load();
    static bool writeFile(const Write& write, QMap<QString, QVariant>& merged);
    void written(bool ok, const QMap<QString, QVariant>& merged);
    QString describeWriteProblem() const;

    QString m_filePath;
    QMap<QString, QVariant> m_values; // every key of the file, sections included, as QSettings reads it
    QMap<QString, QVariant> m_saved;  // the keys this program has saved, put over the file's as it is then
    QString m_loadProblem;
    bool m_keepFile = false; // a file that could not be read and not be copied is never replaced
    int m_saveCount = 0;
    std::function<void(const QString&)> m_onWriteFailure;
    bool m_writeFailed = false;
    SaveQueue* m_queue = nullptr;
};
