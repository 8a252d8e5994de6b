// The parts the service is made of: the kernel's clock state, lock names and the settings follower.
#include "app/ClockSyncWatch.h"
#include "app/LinkLock.h"
#include "app/SettingsFollower.h"
#include "model/SettingsStore.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/timex.h>

class tst_ServiceMode : public QObject
{
    Q_OBJECT

private slots:
    void clockSyncFromKernel_data();
    void clockSyncFromKernel();
    void watchTellsOfChanges();
    void lockFileNames_data();
    void lockFileNames();
    void followerHandsChangedGroupsOverOneAtATime();
};

void tst_ServiceMode::clockSyncFromKernel_data()
{
    QTest::addColumn<KernelClockReading>("reading");
    QTest::addColumn<bool>("synchronised");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("small error") << KernelClockReading{TIME_OK, 0, 35000, 1200, {}} << true
                                 << "Estimated error 1.2 ms, at most 35.0 ms (kernel)";
    QTest::newRow("just below 16 s") << KernelClockReading{TIME_OK, 0, 15'999'999, 0, {}} << true
                                     << "Estimated error 0.0 ms, at most 16000.0 ms (kernel)";
    QTest::newRow("16 s") << KernelClockReading{TIME_OK, 0, 16'000'000, 0, {}} << false
                          << "Estimated error 0.0 ms, at most 16000.0 ms (kernel)";
    QTest::newRow("unsync flag with a small error") << KernelClockReading{TIME_ERROR, STA_UNSYNC, 20000, 500, {}}
                                                    << true << "Estimated error 0.5 ms, at most 20.0 ms (kernel)";
    QTest::newRow("large error without the flag") << KernelClockReading{TIME_OK, 0, 90'000'000, 500, {}} << false
                                                  << "Estimated error 0.5 ms, at most 90000.0 ms (kernel)";
    QTest::newRow("adjtimex failed") << KernelClockReading{-1, 0, 0, 0, "adjtimex: Operation not permitted"} << false
                                     << "The kernel's clock state cannot be read: adjtimex: Operation not permitted";
}

void tst_ServiceMode::clockSyncFromKernel()
{
    QFETCH(KernelClockReading, reading);
    QFETCH(bool, synchronised);
    QFETCH(QString, toolTip);
    const ClockSyncState state = ClockSyncFromKernel(reading);
    QCOMPARE(state.synchronized, synchronised);
    QCOMPARE(ClockSyncPanelText(state),
             synchronised ? QStringLiteral("PC Clock Synchronised") : QStringLiteral("PC Clock NOT Synchronised"));
    QCOMPARE(ClockSyncToolTip(state), toolTip);
}

void tst_ServiceMode::watchTellsOfChanges()
{
    QList<KernelClockReading> readings = {{TIME_OK, 0, 16'000'000, 0, {}},
                                          {TIME_OK, 0, 16'000'000, 0, {}},
                                          {TIME_OK, 0, 30000, 100, {}},
                                          {TIME_OK, 0, 40000, 100, {}},
                                          {TIME_OK, 0, 16'000'001, 100, {}}};
    ClockSyncWatch watch([&readings] { return readings.takeFirst(); });
    QSignalSpy checked(&watch, &ClockSyncWatch::checked);
    watch.start();
    for (int i = 0; i < 4; ++i)
        watch.check();
    QList<bool> changed;
    for (const QList<QVariant>& call : checked)
        changed << call.at(1).toBool();
    QCOMPARE(changed, (QList<bool>{true, false, true, false, true}));
    QVERIFY(!watch.state().synchronized);
}

void tst_ServiceMode::lockFileNames_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("device") << "/dev/ttyS0"
                            << "quillmarch-dev-ttyS0.lock";
    QTest::newRow("dashes are escaped, so a-b and a/b differ")
        << "/dev/serial/by-id/usb-FTDI-if00"
        << "quillmarch-dev-serial-by\\x2did-usb\\x2dFTDI\\x2dif00.lock";
    QTest::newRow("udp") << LinkLock::UdpKey(5000) << "quillmarch-udp-5000.lock";
    QTest::newRow("no hidden files, no escapes from the folder") << "/dev/../.x"
                                                                << "quillmarch-dev-\\x2e.-\\x2ex.lock";
}

void tst_ServiceMode::lockFileNames()
{
    QFETCH(QString, key);
    QFETCH(QString, fileName);
    QCOMPARE(LinkLock::FileName(key), fileName);
}

void tst_ServiceMode::followerHandsChangedGroupsOverOneAtATime()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Quillmarch.ini"));
    SettingsStore window(path);
    window.SaveSetting(QStringLiteral("Group-A"), QStringLiteral("1-3\t8\t30\tLOBBY\t0"));
    GroupTables tables;
    LoadAllGroups(tables, SettingsStore(path));
    SettingsFollower follower(tables, path);

    // The window moves clock 3 from A to D and changes B's text; a clock listed twice stays in the lower group.
    window.SaveSetting(QStringLiteral("Group-A"), QStringLiteral("1-2\t8\t30\tLOBBY\t0"));
    window.SaveSetting(QStringLiteral("Group-B"), QStringLiteral("9\t8\t30\tHALL\t0"));
    window.SaveSetting(QStringLiteral("Group-D"), QStringLiteral("3,9\t0\t0\tDOCK\t0"));
    follower.reread();
    QCOMPARE(follower.queued(), (QList<int>{0, 1, 3}));

    QSignalSpy handed(&follower, &SettingsFollower::groupHandedOver);
    QList<int> order;
    for (int tick = 0; tick < 8; ++tick) {
        const int taken = TakeOverPendingGroup(tables); // what the refresh cycle does first on each tick
        if (taken >= 0)
            order << taken;
        follower.handOver();
        follower.handOver(); // a second call before the take-over changes nothing
    }
    QCOMPARE(order, (QList<int>{0, 1, 3}));
    QCOMPARE(handed.size(), 3);
    QCOMPARE(FormatClockList(tables.ActiveGroups[0].Clocks), QStringLiteral("1-2"));
    QCOMPARE(tables.ActiveGroups[1].DisplayText, QStringLiteral("HALL"));
    QCOMPARE(FormatClockList(tables.ActiveGroups[3].Clocks), QStringLiteral("3"));
    QCOMPARE(tables.ActiveGroups[3].FirstClock, 3);
    QCOMPARE(tables.EditGroups, tables.ActiveGroups);

    // Nothing changed: nothing queued.
    follower.reread();
    QVERIFY(follower.queued().isEmpty());
}

QTEST_GUILESS_MAIN(tst_ServiceMode)
#include "tst_servicemode.moc"
