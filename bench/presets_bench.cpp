// Times the presets window on a full table (32,767 presets), in-process on the offscreen platform: opening it (made,
// loaded, shown and painted once), selecting, adding, editing and removing a preset, and the process's resident
// memory with the window open. The file lives in /dev/shm when there is one, so that the saves' disk waits count
// little; the time of a save alone is printed too. Prints a table; asserts nothing.
//   presets_bench [RUNS]
#include "model/GroupTable.h"
#include "model/SettingsStore.h"
#include "platform/Dialogs.h"
#include "platform/Sounds.h"
#include "presets/frmPresets.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <vector>

namespace {

class YesDialogs : public Dialogs
{
public:
    MsgResult MsgBox(const QString&, MsgButtons buttons, MsgIcon, MsgResult defaultButton, const QString&) override
    {
        return buttons == MsgButtons::YesNo ? MsgResult::Yes : defaultButton;
    }
};

class PaintSeen : public QObject
{
public:
    bool seen = false;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            seen = true;
        return false;
    }
};

long rssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

QByteArray fullFile()
{
    QByteArray bytes;
    // Mixed case and digits, in no sorted order, so that sorting and the list have work to do.
    for (int i = 0; i < PresetTable::kMaxPresets; ++i) {
        const int k = int((qint64(i) * 7919) % PresetTable::kMaxPresets);
        bytes += QStringLiteral("\"%1 Site %2\",%3,%4,\"T%2\"\r\n")
                     .arg(k % 3 == 0 ? QStringLiteral("north") : QStringLiteral("South"))
                     .arg(k, 5, 10, QLatin1Char('0'))
                     .arg(i % 29)
                     .arg(i % 39)
                     .toLatin1();
    }
    return bytes;
}

// Wall-clock and CPU time of this thread: the other builds and tests on a shared machine stretch the first only.
struct Stopwatch
{
    QElapsedTimer wall;
    double cpuStart = 0;
    static double cpuMs()
    {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
    }
    Stopwatch() { restart(); }
    void restart()
    {
        wall.start();
        cpuStart = cpuMs();
    }
    double wallMs() const { return double(wall.nsecsElapsed()) / 1e6; }
    double cpuSpent() const { return cpuMs() - cpuStart; }
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    QTemporaryDir dir(base + QStringLiteral("/presets_bench-XXXXXX"));
    const QString file = dir.filePath(QStringLiteral("Quillmarch-Presets.txt"));
    const QByteArray full = fullFile();

    SettingsStore settings(dir.filePath(QStringLiteral("q.ini")));
    GroupTables tables;
    YesDialogs dialogs;
    FunctionSounds sounds{{}};
    frmMain main(settings, tables, dialogs, sounds);
    main.Form_Load();
    main.show();
    QCoreApplication::processEvents();
    const long idleKb = rssKb();

    std::map<std::string, std::vector<double>> figures;
    std::map<std::string, std::vector<double>> cpu;
    const auto record = [&](const char* name, const Stopwatch& t) {
        figures[name].push_back(t.wallMs());
        cpu[name].push_back(t.cpuSpent());
    };
    const char* order[] = {"load table alone",
                           "save alone",
                           "open (to first paint)",
                           "select",
                           "type a letter",
                           "remove (with save)",
                           "add (with save)",
                           "edit (with save)",
                           "open the list",
                           "close the list",
                           "close",
                           "VmRSS before open (MB)",
                           "VmRSS open (MB)",
                           "VmRSS closed (MB)"};
    for (int run = 0; run < runs; ++run) {
        {
            QFile f(file);
            f.open(QIODevice::WriteOnly);
            f.write(full);
        }
        figures["VmRSS before open (MB)"].push_back(double(rssKb()) / 1024);
        Stopwatch t;
        auto window = std::make_unique<frmPresets>(&main, settings, dialogs, PresetEditorContext{}, file);
        PaintSeen paint;
        window->installEventFilter(&paint);
        window->show();
        while (!paint.seen)
            QCoreApplication::processEvents();
        record("open (to first paint)", t);
        figures["VmRSS open (MB)"].push_back(double(rssKb()) / 1024);

        QComboBox* list = window->PresetName;
        const auto timed = [&](const char* name, const std::function<void()>& action) {
            QCoreApplication::processEvents();
            Stopwatch op;
            action();
            QCoreApplication::processEvents();
            record(name, op);
        };
        timed("select", [&] { list->setCurrentIndex(list->count() / 2 + run); });
        list->setFocus();
        // No name starts with Q: the search goes through the whole list.
        timed("type a letter", [&] { QTest::keyClick(list, Qt::Key_Q); });
        // Removed first: a full table has no room for the new one.
        timed("remove (with save)", [&] { window->RemoveButton->click(); });
        window->runEditor = [run](PresetEditRecord& edit) {
            edit.Name = QStringLiteral("Middle %1").arg(run);
            edit.DisplayText = QStringLiteral("NEW");
        };
        timed("add (with save)", [&] { window->NewButton->click(); });
        window->runEditor = [](PresetEditRecord& edit) { edit.DisplayText = QStringLiteral("EDITED"); };
        timed("edit (with save)", [&] { window->EditButton->click(); });
        timed("open the list", [&] { list->showPopup(); });
        timed("close the list", [&] { list->hidePopup(); });
        timed("close", [&] { window.reset(); });
        figures["VmRSS closed (MB)"].push_back(double(rssKb()) / 1024);
        // After the window, so that the resident memory above is the window's and not left over from these.
        PresetTable table(settings, dialogs, file);
        Stopwatch t2;
        table.LoadPresets();
        record("load table alone", t2);
        t2.restart();
        table.SavePresets();
        record("save alone", t2);
    }

    std::printf("presets window, %d presets, %d runs: wall-clock median, min, max; CPU median (ms)\n",
                int(PresetTable::kMaxPresets), runs);
    std::printf("  %-24s %9.2f\n", "VmRSS main window (MB)", double(idleKb) / 1024);
    for (const char* name : order) {
        std::vector<double> v = figures[name];
        std::sort(v.begin(), v.end());
        std::printf("  %-24s %9.2f %9.2f %9.2f", name, v[v.size() / 2], v.front(), v.back());
        if (std::vector<double> c = cpu[name]; !c.empty()) {
            std::sort(c.begin(), c.end());
            std::printf(" %9.2f", c[c.size() / 2]);
        }
        std::printf("\n");
    }
    return 0;
}
