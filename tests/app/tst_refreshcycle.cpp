// The refresh cycle's walk, its take-over and its one-shot command, and the status clock.
#include "app/RefreshCycle.h"
#include "app/StatusClock.h"
#include "model/GroupTable.h"
#include "support/Fakes.h"

#include <QRandomGenerator>
#include <QTest>

namespace {
void define(GroupTables& t, int group, std::initializer_list<int> clocks, bool alsoActive = true)
{
    t.EditGroups[size_t(group)].Clocks = {};
    for (int n : clocks)
        t.EditGroups[size_t(group)].Clocks[size_t(n)] = true;
    UpdateFirstClock(t, group);
    if (alsoActive)
        t.ActiveGroups[size_t(group)] = t.EditGroups[size_t(group)];
}

// "A1 A2 C5": the clocks the next ticks visit; "-" for a tick that found none.
QString walk(RefreshCycle& cycle, int ticks, GroupTables* t = nullptr, QList<int>* commands = nullptr)
{
    QStringList visited;
    for (int i = 0; i < ticks; ++i) {
        if (!cycle.RefreshNextClock()) {
            visited << QStringLiteral("-");
            continue;
        }
        visited << IndexToLetter(cycle.CurrentGroup) + QString::number(cycle.CurrentClock);
        if (commands)
            commands->append(t->ActiveGroups[size_t(cycle.CurrentGroup)].CommandCode);
    }
    return visited.join(u' ');
}

// The clock after (group, clock) in the order of all defined clocks, found independently of the cycle.
QPair<int, int> successor(const GroupTables& t, int group, int clock)
{
    for (int step = 1; step <= 26 * 128 + 1; ++step) {
        const int flat = ((group * 128 + clock + step) % (26 * 128) + 26 * 128) % (26 * 128);
        if (t.ActiveGroups[size_t(flat / 128)].Clocks[size_t(flat % 128)])
            return {flat / 128, flat % 128};
    }
    return {-1, -1};
}
} // namespace

class tst_RefreshCycle : public QObject
{
    Q_OBJECT

private slots:
    void takeOverJumpsToTheAppliedGroup();
    void emptyGroupAppliedKeepsThePosition();
    void commandReachesEachClockOnce();
    void noClockAtAll();
    void randomRunKeepsItsPromises();
    void statusClock();
};



void tst_RefreshCycle::takeOverJumpsToTheAppliedGroup()
{
    GroupTables t;
    define(t, 0, {1, 2});
    define(t, 5, {3});
    RefreshCycle cycle(t);
    QCOMPARE(walk(cycle, 1), QStringLiteral("A1"));
    define(t, 2, {8, 9}, false);
    t.PendingGroup = 2;
    QCOMPARE(walk(cycle, 5), QStringLiteral("C8 C9 F3 A1 A2"));
    QCOMPARE(t.PendingGroup, qint16(-1));
    // Applying the group being walked restarts it at its first clock.
    t.PendingGroup = 0;
    QCOMPARE(walk(cycle, 2), QStringLiteral("A1 A2"));
}

void tst_RefreshCycle::emptyGroupAppliedKeepsThePosition()
{
    GroupTables t;
    define(t, 0, {1, 2});
    define(t, 3, {4});
    RefreshCycle cycle(t);
    QCOMPARE(walk(cycle, 1), QStringLiteral("A1"));
    define(t, 3, {}, false);
    t.EditGroups[3].DisplayText = QStringLiteral("gone");
    t.PendingGroup = 3;
    QCOMPARE(walk(cycle, 3), QStringLiteral("A2 A1 A2"));
    QCOMPARE(t.ActiveGroups[3].DisplayText, QStringLiteral("gone"));
}

void tst_RefreshCycle::commandReachesEachClockOnce()
{
    GroupTables t;
    define(t, 0, {1, 2});
    define(t, 1, {7});
    RefreshCycle cycle(t);
    QCOMPARE(walk(cycle, 1), QStringLiteral("A1"));
    t.EditGroups[0].CommandCode = 236;
    t.PendingGroup = 0;
    QList<int> commands;
    QCOMPARE(walk(cycle, 6, &t, &commands), QStringLiteral("A1 A2 B7 A1 A2 B7"));
    QCOMPARE(commands, (QList<int>{236, 236, 0, 0, 0, 0}));
    QCOMPARE(t.EditGroups[0].CommandCode, qint16(236)); // the sent table only
}

void tst_RefreshCycle::noClockAtAll()
{
    GroupTables t;
    t.ActiveGroups[4].CommandCode = 9;
    RefreshCycle cycle(t);
    QCOMPARE(walk(cycle, 2), QStringLiteral("- -"));
    QCOMPARE(cycle.CurrentGroup, qint16(25));
    QCOMPARE(cycle.CurrentClock, qint16(-1));
    QCOMPARE(t.ActiveGroups[4].CommandCode, qint16(0));
    define(t, 4, {0});
    QCOMPARE(walk(cycle, 2), QStringLiteral("E0 E0"));
}

void tst_RefreshCycle::randomRunKeepsItsPromises()
{
    QRandomGenerator random(20261206);
    GroupTables t;
    RefreshCycle cycle(t);
    int lastGroup = -1, lastClock = -1;
    for (int tick = 0; tick < 100000; ++tick) {
        int applied = -1;
        if (random.bounded(20) == 0) {
            applied = random.bounded(26);
            GroupRecord& g = t.EditGroups[size_t(applied)];
            g.Clocks = {};
            const int count = random.bounded(4) == 0 ? 0 : random.bounded(1, 12);
            for (int i = 0; i < count; ++i)
                g.Clocks[size_t(random.bounded(128))] = true;
            g.CommandCode = random.bounded(3) == 0 ? qint16(random.bounded(1, 256)) : qint16(0);
            UpdateFirstClock(t, applied);
            t.PendingGroup = qint16(applied);
        }
        const bool found = cycle.RefreshNextClock();
        QCOMPARE(t.PendingGroup, qint16(-1));
        bool anyClock = false;
        for (const GroupRecord& g : t.ActiveGroups)
            anyClock = anyClock || g.FirstClock != -1;
        QCOMPARE(found, anyClock);
        if (!found) {
            lastGroup = -1;
            continue;
        }
        const int g = cycle.CurrentGroup, c = cycle.CurrentClock;
        QVERIFY(t.ActiveGroups[size_t(g)].Clocks[size_t(c)]);
        const bool jumped = applied >= 0 && t.ActiveGroups[size_t(applied)].FirstClock != -1;
        if (jumped) {
            QCOMPARE(g, applied);
            QCOMPARE(c, int(t.ActiveGroups[size_t(applied)].FirstClock));
        } else if (lastGroup >= 0) {
            const QPair<int, int> next = successor(t, lastGroup, lastClock);
            QVERIFY2(next == qMakePair(g, c), qPrintable(QStringLiteral("tick %1").arg(tick)));
        }
        // A group the walk has left has no command pending any more (a jump away leaves it pending).
        if (!jumped && lastGroup >= 0 && lastGroup != g)
            QCOMPARE(t.ActiveGroups[size_t(lastGroup)].CommandCode, qint16(0));
        lastGroup = g;
        lastClock = c;
    }
}

void tst_RefreshCycle::statusClock()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    RecordingPanels panels;
    StatusClock status;
    const auto at = [&](QDate d, QTime t) { status.UpdateStatusClock(QDateTime(d, t), panels); };
    const QDate sat(2026, 12, 5), sun(2026, 12, 6);
    at(sat, QTime(13, 7, 9));
    QCOMPARE(panels.texts[3], QStringLiteral("13:07:09"));
    QCOMPARE(panels.texts[2], QStringLiteral("Sat, Dec 05, 2026"));
    const int writes = int(panels.writes.size());
    at(sat, QTime(13, 7, 9)); // same second: nothing written
    QCOMPARE(panels.writes.size(), writes);
    at(sat, QTime(13, 7, 10));
    QCOMPARE(panels.texts[3], QStringLiteral("13:07:10"));
    // Past midnight the date waits for the first tick whose second is 0.
    at(sun, QTime(0, 0, 59));
    QCOMPARE(panels.texts[2], QStringLiteral("Sat, Dec 05, 2026"));
    at(sun, QTime(0, 1, 0));
    QCOMPARE(panels.texts[3], QStringLiteral("00:01:00"));
    QCOMPARE(panels.texts[2], QStringLiteral("Sun, Dec 06, 2026"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    StatusClock german;
    german.UpdateStatusClock(QDateTime(QDate(2026, 3, 2), QTime(9, 5, 3)), panels);
    QCOMPARE(panels.texts[2], QStringLiteral("Mo., März 02, 2026"));
    QCOMPARE(panels.texts[3], QStringLiteral("09:05:03"));
}

QTEST_GUILESS_MAIN(tst_RefreshCycle)
#include "tst_refreshcycle.moc"
