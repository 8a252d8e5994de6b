// SIGKILL at random moments while the presets are being saved: the file is always one whole table, never a mix or a
// part, no temporary files pile up, and what the saves create is readable by its owner only.
#include "model/SettingsStore.h"
#include "presets/PresetTable.h"
#include "support/RealProgram.h"
#include "support/ScriptedDialogs.h"

#include <QRandomGenerator>
#include <QTest>

#include <sys/stat.h>

namespace {
// Two tables large enough that saving one takes a while.
void fill(PresetTable& table, int which)
{
    while (table.PresetCount() > 0)
        table.RemovePreset(0);
    for (int n = 0; n < (which == 0 ? 6000 : 4500); ++n)
        table.AddPreset(QStringLiteral("Table %1 preset %2").arg(which).arg(n), qint16((n + which) % 29),
                        qint16((n * 7 + which) % 39), QStringLiteral("TEXT %1 %2").arg(which).arg(n));
}

// This program again, as the saver: loads the presets as the program does, then saves the two tables in turn until
// it is killed, with a line after each save that reported success.
int saveUntilKilled(const QString& presets, const QString& ini)
{
    SettingsStore settings(ini);
    settings.SaveSetting(QStringLiteral("MainLeft"), QStringLiteral("1"));
    ScriptedDialogs dialogs;
    PresetTable tables[2] = {{settings, dialogs, presets}, {settings, dialogs, presets}};
    tables[0].LoadPresets();
    fill(tables[0], 0);
    fill(tables[1], 1);
    for (int which = 0;; which = 1 - which) {
        if (!tables[which].SavePresets())
            return 1;
        std::printf("saved\n");
        std::fflush(stdout);
    }
}

QString modeOf(const QString& path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? QString::number(info.st_mode & 07777, 8)
                                                                   : QStringLiteral("missing");
}
} // namespace

class tst_SaveKills : public QObject
{
    Q_OBJECT

private slots:
    void killedWhileSaving();
};

void tst_SaveKills::killedWhileSaving()
{
    ::umask(022); // the usual umask: without care, files come out 0644
    QTemporaryDir dir;
    const QString presets = dir.filePath(QStringLiteral("data/Quillmarch/Quillmarch-Presets.txt"));
    const QString ini = dir.filePath(QStringLiteral("config/Quillmarch/Quillmarch.ini"));
    const QStringList arguments{QStringLiteral("--save"), presets, ini};
    const QString self = QCoreApplication::applicationFilePath();
    QByteArray expected[2];
    {
        SettingsStore settings(dir.filePath(QStringLiteral("unused.ini")));
        ScriptedDialogs dialogs;
        PresetTable table(settings, dialogs, presets);
        for (int which : {0, 1}) {
            fill(table, which);
            expected[which] = table.presetFileBytes();
        }
    }

    // How long one save takes on this build and machine (a sanitizer build is several times slower): the kills are
    // spread over about two saves, so they land in writing, syncing and renaming alike.
    QElapsedTimer timer;
    {
        RealProgram saver;
        QVERIFY(saver.start(arguments, {}, self));
        QVERIFY(saver.waitFor([&] { return saver.out.count('\n') == 1; }));
        timer.start();
        QVERIFY(saver.waitFor([&] { return saver.out.count('\n') == 3; }));
    }
    const int spreadMs = std::max<int>(40, int(timer.elapsed()));
    for (const QString& path : {presets, ini}) {
        QCOMPARE(modeOf(path), QStringLiteral("600"));
        QCOMPARE(modeOf(QFileInfo(path).absolutePath()), QStringLiteral("700"));
        QCOMPARE(modeOf(dir.path()), QStringLiteral("700")); // only the folder named by the program is its own
    }

    QRandomGenerator random(20261206);
    const int kills = 120;
    int found[3] = {0, 0, 0}; // the first table, the second, neither
    int maxLeftovers = 0;
    for (int kill = 0; kill < kills; ++kill) {
        RealProgram saver;
        QVERIFY(saver.start(arguments, {}, self));
        QVERIFY(saver.waitFor([&] { return !saver.out.isEmpty(); })); // once it is saving, anywhere in the next saves
        QTest::qSleep(int(random.bounded(spreadMs)));
        QCOMPARE(saver.end(SIGKILL), -1);
        const QByteArray bytes = contentOf(presets);
        ++found[bytes == expected[0] ? 0 : bytes == expected[1] ? 1 : 2];
        const int leftovers = int(QDir(QFileInfo(presets).path()).entryList(QDir::Files | QDir::Hidden).size()) - 1;
        maxLeftovers = std::max(maxLeftovers, leftovers);
    }
    qInfo("%d kills: first table %d, second %d, neither %d; at most %d temporary files left", kills, found[0], found[1],
          found[2], maxLeftovers);
    QCOMPARE(found[2], 0);
    // Kills that always hit the same point of the loop would prove little.
    QVERIFY(found[0] > kills / 10 && found[1] > kills / 10);
    // The temporary file has no name until it is complete; a kill between naming it and the rename leaves it, and
    // the next start removes it.
    QVERIFY(maxLeftovers <= 1);
    SettingsStore settings(ini);
    ScriptedDialogs dialogs;
    QVERIFY(PresetTable(settings, dialogs, presets).LoadPresets());
    QCOMPARE(QDir(QFileInfo(presets).path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"Quillmarch-Presets.txt"});
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--save")
        return saveUntilKilled(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    tst_SaveKills test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_savekills.moc"
