#include "platform/ClockSync.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <sys/timex.h>

namespace {
const QChar kCR(13);

QString lines(std::initializer_list<QString> parts)
{
    QStringList list(parts);
    list.removeAll(QString());
    return list.join(kCR);
}
} // namespace

bool ParseTimedatectlShow(const QByteArray& output, ClockSyncState& state)
{
    bool sawSynchronized = false;
    ClockSyncState parsed;
    parsed.source = ClockSyncState::Source::Timedatectl;
    for (const QByteArray& line : output.split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = line.left(eq).trimmed();
        const bool yes = line.mid(eq + 1).trimmed() == "yes";
        if (key == "NTPSynchronized") {
            parsed.synchronized = yes;
            sawSynchronized = true;
        } else if (key == "NTP") {
            parsed.ntpEnabled = yes;
        } else if (key == "CanNTP") {
            parsed.canNtp = yes;
        }
    }
    if (sawSynchronized)
        state = parsed;
    return sawSynchronized;
}

KernelClockReading ReadKernelClock()
{
    timex tx{}; // modes 0: read only
    KernelClockReading reading;
    reading.clockState = adjtimex(&tx);
    if (reading.clockState < 0) {
        reading.failure = QStringLiteral("adjtimex: ") + QString::fromLocal8Bit(strerror(errno));
        return reading;
    }
    reading.status = tx.status;
    reading.maxErrorUs = tx.maxerror;
    reading.estimatedErrorUs = tx.esterror;
    return reading;
}

ClockSyncState ClockSyncFromKernel(const KernelClockReading& reading)
{
    ClockSyncState state;
    if (reading.clockState < 0) {
        state.failure = reading.failure;
        return state;
    }
    state.source = ClockSyncState::Source::Kernel;
    state.synchronized = reading.maxErrorUs >= 0 && reading.maxErrorUs < kMaxSynchronisedErrorUs;
    state.estimatedErrorUs = reading.estimatedErrorUs;
    state.maxErrorUs = reading.maxErrorUs;
    return state;
}

namespace {
QString milliseconds(qint64 us)
{
    return QStringLiteral("%1 ms").arg(us / 1000.0, 0, 'f', 1);
}
} // namespace

QString ClockSyncPanelText(const ClockSyncState& state)
{
    return state.synchronized ? QStringLiteral("PC Clock Synchronised") : QStringLiteral("PC Clock NOT Synchronised");
}

QString ClockSyncToolTip(const ClockSyncState& state)
{
    if (state.source == ClockSyncState::Source::None)
        return QStringLiteral("The kernel's clock state cannot be read: ") + state.failure;
    return QStringLiteral("Estimated error %1, at most %2 (kernel)")
        .arg(milliseconds(state.estimatedErrorUs), milliseconds(state.maxErrorUs));
}

QString ClockSyncWarningLine(const ClockSyncState& state)
{
    if (state.synchronized)
        return QStringLiteral("Right now this PC's clock is synchronised (estimated error %1).")
            .arg(milliseconds(state.estimatedErrorUs));
    if (state.source == ClockSyncState::Source::None)
        return QStringLiteral("Right now it cannot be told whether this PC's clock is synchronised.");
    return QStringLiteral("Right now this PC's clock is NOT synchronised with network time.");
}

namespace {
// Waits for the process with the event loop running, so the refresh cycle keeps sending meanwhile; input to the
// windows waits. False when it has not finished within `ms`.
bool waitKeepingTicks(QProcess& process, int ms)
{
    if (process.state() != QProcess::NotRunning) {
        QEventLoop loop;
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        limit.start(ms);
        if (process.state() != QProcess::NotRunning)
            loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return process.state() == QProcess::NotRunning;
}
} // namespace

ClockSyncState ReadClockSync()
{
    ClockSyncState state;
    QString timedatectlFailure;
    QProcess process;
    process.start(QStringLiteral("timedatectl"), {QStringLiteral("show")}, QIODevice::ReadOnly);
    const bool finished = waitKeepingTicks(process, 3000);
    if (process.error() == QProcess::FailedToStart) {
        timedatectlFailure = QStringLiteral("timedatectl: ") + process.errorString();
    } else if (!finished) {
        process.kill();
        process.waitForFinished(1000);
        timedatectlFailure = QStringLiteral("timedatectl did not answer within 3 seconds");
    } else if (process.exitCode() == 0 && ParseTimedatectlShow(process.readAllStandardOutput(), state)) {
        return state;
    } else {
        timedatectlFailure =
            QStringLiteral("timedatectl: ") +
            QString::fromLocal8Bit(process.readAllStandardError()).trimmed().section(QLatin1Char('\n'), 0, 0);
    }

    const KernelClockReading kernel = ReadKernelClock();
    if (kernel.clockState >= 0)
        return ClockSyncFromKernel(kernel);
    state.failure = timedatectlFailure + QStringLiteral("; the kernel's clock state cannot be read either");
    return state;
}

ClockSyncReport DescribeClockSync(const ClockSyncState& state)
{
    const QString why = QStringLiteral("The clocks follow this PC's time: keep it synchronised.");
    const QString notSynchronised = QStringLiteral("The PC clock is NOT synchronised:");
    switch (state.source) {
    case ClockSyncState::Source::Timedatectl:
        if (state.synchronized)
            return {lines({QStringLiteral("The PC clock is synchronised with network time."),
                           QStringLiteral("(as reported by timedatectl)")}),
                    false};
        if (!state.canNtp)
            return {lines({notSynchronised, QStringLiteral("no time service is installed."), why,
                           QStringLiteral("To fix it, install one and switch it on:"),
                           QStringLiteral("    sudo apt-get install systemd-timesyncd"),
                           QStringLiteral("    sudo timedatectl set-ntp true")}),
                    true};
        if (!state.ntpEnabled)
            return {lines({notSynchronised, QStringLiteral("network time is switched off."), why,
                           QStringLiteral("To fix it, switch it on:"),
                           QStringLiteral("    sudo timedatectl set-ntp true")}),
                    true};
        return {lines({QStringLiteral("The PC clock is NOT synchronised yet,"),
                       QStringLiteral("although network time is switched on."), why,
                       QStringLiteral("The time service has not reached a time server."),
                       QStringLiteral("Check the network connection and the servers it uses:"),
                       QStringLiteral("    timedatectl timesync-status"),
                       QStringLiteral("(or \"chronyc sources\" where chrony keeps the time)")}),
                true};
    case ClockSyncState::Source::Kernel:
        if (state.synchronized) {
            const QString error =
                state.estimatedErrorUs >= 0
                    ? QStringLiteral("Estimated error: %1 ms.").arg(state.estimatedErrorUs / 1000.0, 0, 'f', 1)
                    : QString();
            return {lines({QStringLiteral("The PC clock is synchronised with network time."), error,
                           QStringLiteral("(as reported by the kernel)")}),
                    false};
        }
        return {lines({notSynchronised, QStringLiteral("the kernel reports that no time service keeps it right."), why,
                       QStringLiteral("To fix it, install a time service, for example:"),
                       QStringLiteral("    sudo apt-get install chrony"),
                       QStringLiteral("or, on a machine run by systemd:"),
                       QStringLiteral("    sudo apt-get install systemd-timesyncd"),
                       QStringLiteral("    sudo timedatectl set-ntp true")}),
                true};
    case ClockSyncState::Source::None:
        break;
    }
    return {lines({QStringLiteral("The PC clock's synchronisation cannot be read:"), state.failure, why,
                   QStringLiteral("Make sure a time service (chrony or systemd-timesyncd) runs.")}),
            true};
}
