// The group table: stored form both ways, the start-up load, and the take-over.
#include "model/GroupTable.h"
#include "model/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString T = QStringLiteral("\t");

ClockFlags clocksOf(std::initializer_list<int> numbers)
{
    ClockFlags flags{};
    for (int n : numbers)
        flags[size_t(n)] = true;
    return flags;
}
} // namespace

Q_DECLARE_METATYPE(ClockFlags)

class tst_GroupTable : public QObject
{
    Q_OBJECT

private slots:
    void storedForm_data();
    void storedForm();
    void loading_data();
    void loading();
    void startUpKeepsAClockInTheLowestGroup();
    void saveWritesOnlyWhatDiffers();
};

void tst_GroupTable::storedForm_data()
{
    QTest::addColumn<ClockFlags>("clocks");
    QTest::addColumn<int>("zone");
    QTest::addColumn<int>("daylight");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored");
    QTest::newRow("LOBBY") << clocksOf({1, 2, 3, 4, 5, 7}) << 8 << 30 << "LOBBY"
                           << "1-5,7\t8\t30\tLOBBY\t0";
    QTest::newRow("empty group") << clocksOf({}) << 0 << 0 << ""
                                 << "\t0\t0\t\t0";
    QTest::newRow("blanks kept") << clocksOf({127}) << 28 << 38 << "  two  "
                                 << "127\t28\t38\t  two  \t0";
    QTest::newRow("TAB in the text becomes a blank") << clocksOf({0}) << 1 << 2 << "A\tB"
                                                     << "0\t1\t2\tA B\t0";
}

void tst_GroupTable::storedForm()
{
    QFETCH(ClockFlags, clocks);
    QFETCH(int, zone);
    QFETCH(int, daylight);
    QFETCH(QString, text);
    QFETCH(QString, stored);
    GroupRecord group;
    group.Clocks = clocks;
    group.ZoneIndex = qint16(zone);
    group.DaylightIndex = qint16(daylight);
    group.DisplayText = text;
    group.CommandCode = 236; // never stored
    QCOMPARE(StoredGroupText(group), stored);
    // And back: what was written loads as written (TABs aside, which cannot be stored).
    GroupRecord back;
    QVERIFY(ParseStoredGroup(stored, back));
    QCOMPARE(back.Clocks, clocks);
    QCOMPARE(back.ZoneIndex, qint16(zone));
    QCOMPARE(back.DaylightIndex, qint16(daylight));
    QCOMPARE(back.DisplayText, QString(text).replace(T, QStringLiteral(" ")));
}

void tst_GroupTable::loading_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("text");
    QTest::newRow("five fields") << "3-6\t2\t1\tHALL\t0" << true << "HALL";
    QTest::newRow("four fields") << "3-6\t2\t1\tHALL" << true << "HALL";
    QTest::newRow("fifth field not read") << "3-6\t2\t1\tHALL\tanything" << true << "HALL";
    QTest::newRow("absent key") << "" << false << "";
    QTest::newRow("three fields") << "3-6\t2\t1" << false << "";
    QTest::newRow("six fields") << "3-6\t2\t1\tHALL\t0\t0" << false << "";
    QTest::newRow("duplicate clock") << "5,5\t3\t4\tX\t0" << false << "";
    QTest::newRow("zone not a number") << "1\tabc\t4\tX\t0" << false << "";
    QTest::newRow("daylight not a number") << "1\t3\t4.5\tX\t0" << false << "";
    QTest::newRow("beyond 16 bits") << "1\t32768\t4\tX\t0" << false << "";
    QTest::newRow("empty zone field") << "1\t\t4\tX\t0" << false << "";
    QTest::newRow("zone past the list") << "1\t29\t4\tX\t0" << false << "";
    QTest::newRow("daylight past the list") << "1\t3\t39\tX\t0" << false << "";
    QTest::newRow("negative position") << "1\t-1\t4\tX\t0" << false << "";
    QTest::newRow("last valid positions") << "1\t28\t38\tX\t0" << true << "X";
    QTest::newRow("no clocks, valid") << "\t0\t0\t\t0" << true << "";
}

void tst_GroupTable::loading()
{
    QFETCH(QString, stored);
    QFETCH(bool, accepted);
    QFETCH(QString, text);
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("q.ini")));
    if (!stored.isEmpty())
        settings.SaveSetting(QStringLiteral("Group-D"), stored);
    GroupTables tables;
    // A half-filled record must not survive a malformed load.
    tables.EditGroups[3].Clocks = clocksOf({99});
    tables.EditGroups[3].ZoneIndex = 7;
    tables.EditGroups[3].DisplayText = QStringLiteral("old");
    tables.EditGroups[3].CommandCode = 5;
    LoadGroup(tables, settings, 3);
    const GroupRecord& group = tables.EditGroups[3];
    QCOMPARE(group.DisplayText, text);
    QCOMPARE(group.CommandCode, qint16(5)); // not the loader's
    if (accepted) {
        QCOMPARE(FormatClockList(group.Clocks), stored.section(T, 0, 0));
        QCOMPARE(group.ZoneIndex, qint16(stored.section(T, 1, 1).toShort()));
        QCOMPARE(group.DaylightIndex, qint16(stored.section(T, 2, 2).toShort()));
    } else {
        QCOMPARE(group.Clocks, ClockFlags{});
        QCOMPARE(group.ZoneIndex, qint16(0));
        QCOMPARE(group.DaylightIndex, qint16(0));
    }
}

void tst_GroupTable::startUpKeepsAClockInTheLowestGroup()
{
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("q.ini")));
    settings.SaveSetting(QStringLiteral("Group-A"), "7\t1\t1\tA\t0");
    settings.SaveSetting(QStringLiteral("Group-C"), "5-7\t2\t2\tC\t0");
    settings.SaveSetting(QStringLiteral("Group-E"), "7\t3\t3\tE\t0");
    GroupTables tables;
    tables.PendingGroup = 4;
    LoadAllGroups(tables, settings);
    QCOMPARE(tables.PendingGroup, qint16(-1));
    QCOMPARE(FormatClockList(tables.EditGroups[0].Clocks), QStringLiteral("7"));
    QCOMPARE(FormatClockList(tables.EditGroups[2].Clocks), QStringLiteral("5-6"));
    QCOMPARE(tables.EditGroups[2].FirstClock, qint16(5));
    // Group E lost its only clock: it stays, empty, with its text.
    QCOMPARE(tables.EditGroups[4].FirstClock, qint16(-1));
    QCOMPARE(tables.EditGroups[4].DisplayText, QStringLiteral("E"));
    QCOMPARE(tables.ActiveGroups, tables.EditGroups);
    // Nothing is written back.
    QCOMPARE(settings.GetSetting(QStringLiteral("Group-C"), {}), QStringLiteral("5-7\t2\t2\tC\t0"));
    QCOMPARE(settings.GetSetting(QStringLiteral("Group-B"), QStringLiteral("<absent>")), QStringLiteral("<absent>"));
}

void tst_GroupTable::saveWritesOnlyWhatDiffers()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("q.ini"));
    SettingsStore settings(path);
    GroupTables tables;
    SaveGroup(tables, settings, 1);
    QCOMPARE(SettingsStore(path).GetSetting(QStringLiteral("Group-B"), QStringLiteral("<absent>")), "\t0\t0\t\t0");

    // An identical stored text is not written again: a store that fails on write shows it.
    tables.EditGroups[2].Clocks = clocksOf({4});
    tables.EditGroups[2].DisplayText = QStringLiteral("x");
    settings.SaveSetting(QStringLiteral("Group-C"), StoredGroupText(tables.EditGroups[2]));
    QFile::remove(path);
    QVERIFY(QDir().mkdir(path)); // a folder where the file was: any write now fails
    int failures = 0;
    settings.setWriteFailureHandler([&](const QString&) { ++failures; });
    SaveGroup(tables, settings, 2);
    QCOMPARE(failures, 0);
    tables.EditGroups[2].DisplayText = QStringLiteral("y");
    SaveGroup(tables, settings, 2);
    QCOMPARE(failures, 1);
}

QTEST_GUILESS_MAIN(tst_GroupTable)
#include "tst_grouptable.moc"
