// The clock's synchronisation: what timedatectl and the kernel report, and what the operator is told to do.
#include "platform/ClockSync.h"

#include <QTest>

#include <sys/timex.h>

Q_DECLARE_METATYPE(ClockSyncState)

class tst_ClockSync : public QObject
{
    Q_OBJECT

private slots:
    void report_data();
    void report();
};

void tst_ClockSync::report_data()
{
    QTest::addColumn<ClockSyncState>("state");
    QTest::addColumn<bool>("problem");
    QTest::addColumn<QString>("says");
    const auto timedatectl = [](const char* output) {
        ClockSyncState state;
        return ParseTimedatectlShow(output, state) ? state : ClockSyncState{};
    };
    QTest::newRow("timedatectl: synchronised")
        << timedatectl("Timezone=Europe/Paris\nCanNTP=yes\nNTP=yes\nNTPSynchronized=yes\n") << false
        << "The PC clock is synchronised with network time.\r(as reported by timedatectl)";
    QTest::newRow("timedatectl: service off")
        << timedatectl("CanNTP=yes\nNTP=no\nNTPSynchronized=no\n") << true << "\r    sudo timedatectl set-ntp true";
    QTest::newRow("timedatectl: no service installed") << timedatectl("CanNTP=no\nNTP=no\nNTPSynchronized=no\n") << true
                                                       << "\r    sudo apt-get install systemd-timesyncd\r";
    QTest::newRow("timedatectl: on, no server reached")
        << timedatectl("CanNTP=yes\nNTP=yes\nNTPSynchronized=no\n") << true << "\r    timedatectl timesync-status\r";
    QTest::newRow("other output is not taken for an answer")
        << timedatectl("System has not been booted with systemd") << true << "cannot be read";
    QTest::newRow("kernel: synchronised, with its error")
        << ClockSyncFromKernel(TIME_OK, 0, 2500) << false << "\rEstimated error: 2.5 ms.\r";
    QTest::newRow("kernel: unsynchronised bit")
        << ClockSyncFromKernel(TIME_OK, STA_UNSYNC, 0) << true << "\r    sudo apt-get install chrony\r";
    QTest::newRow("kernel: clock state error") << ClockSyncFromKernel(TIME_ERROR, 0, 0) << true << "NOT synchronised";
}

void tst_ClockSync::report()
{
    QFETCH(ClockSyncState, state);
    QFETCH(bool, problem);
    QFETCH(QString, says);
    const ClockSyncReport report = DescribeClockSync(state);
    QCOMPARE(report.problem, problem);
    QVERIFY2(report.text.contains(says), qPrintable(report.text));
    QVERIFY(!report.text.contains(QLatin1Char('\n')));
}

QTEST_APPLESS_MAIN(tst_ClockSync)
#include "tst_clocksync.moc"
