// Test helper: loads the presets file as the program does, then saves the two tables of PresetContents.h in turn
// until it is killed. Prints "saved" after each save that reported success.
#include "PresetContents.h"
#include "model/SettingsStore.h"
#include "support/ScriptedDialogs.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    SettingsStore settings(QString::fromLocal8Bit(argv[2]));
    ScriptedDialogs dialogs;
    PresetTable tables[2] = {{settings, dialogs, QString::fromLocal8Bit(argv[1])},
                             {settings, dialogs, QString::fromLocal8Bit(argv[1])}};
    tables[0].LoadPresets();
    fillPresetTable(tables[0], 0);
    fillPresetTable(tables[1], 1);
    for (int which = 0;; which = 1 - which) {
        if (!tables[which].SavePresets())
            return 1;
        std::printf("saved\n");
        std::fflush(stdout);
    }
}
