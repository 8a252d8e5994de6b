#include "support/XSession.h"

#include "support/RealProgram.h"
#include "ui/Twips.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The program is told this resolution, so that twips map to the same pixels here and there.
constexpr double kDpi = 96;
// X input is handled by the program after the tool has returned: time for it before the next look.
constexpr int kSettleMs = 150;

QStringList words(const QString& text)
{
    return text.split(u' ', Qt::SkipEmptyParts);
}

// Starts a process on `display` that ends with the test, also when the test is killed on its timeout and runs
// no destructor.
void startOn(QProcess& process, const QString& display, const QStringList& command,
             QProcessEnvironment env = QProcessEnvironment::systemEnvironment())
{
    env.insert(QStringLiteral("DISPLAY"), display);
    process.setProcessEnvironment(env);
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process.start(command.first(), command.mid(1));
}

void stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

// Standard output of a short-lived tool; empty when it does not finish in time.
QByteArray run(const QString& display, const QStringList& command, int timeoutMs = 10000)
{
    QProcess process;
    startOn(process, display, command);
    if (process.waitForFinished(timeoutMs))
        return process.readAllStandardOutput();
    stop(process);
    return {};
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > timeoutMs)
            return false;
        QThread::msleep(50);
    }
    return true;
}

} // namespace

QString XDisplay::missingTools()
{
    QStringList missing;
    for (const QString& tool : words(QStringLiteral("Xvfb openbox xdotool")))
        if (QStandardPaths::findExecutable(tool).isEmpty())
            missing << tool;
    return missing.join(u' ');
}

QString XDisplay::start()
{
    // The server picks a free display itself and writes its number on standard output once it accepts clients.
    startOn(m_server, {}, words(QStringLiteral("Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp")));
    QByteArray number;
    while (!number.contains('\n') && m_server.waitForReadyRead(10000))
        number += m_server.readAllStandardOutput();
    if (!number.contains('\n'))
        return QStringLiteral("Xvfb did not start: ") + QString::fromLocal8Bit(m_server.readAllStandardError());
    m_name = u':' + QString::fromLatin1(number.trimmed());
    m_windowManager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    startOn(m_windowManager, m_name, words(QStringLiteral("openbox --sm-disable")));
    // The window manager is in charge once it has made its own windows.
    if (run(m_name, words(QStringLiteral("xdotool search --sync --class openbox"))).isEmpty())
        return QStringLiteral("openbox did not start");
    return {};
}

XDisplay::~XDisplay()
{
    stop(m_windowManager);
    stop(m_server);
}

OperatorSession::OperatorSession(const XDisplay& display, const QByteArray& settings, const QByteArray& presets)
    : m_display(display.name())
{
    WriteSettings(m_home, "[Settings]\nTimeWarn=False\n" + settings);
    if (!presets.isNull()) {
        QDir().mkpath(QFileInfo(presetsPath()).absolutePath());
        QFile file(presetsPath());
        if (file.open(QIODevice::WriteOnly))
            file.write(presets);
    }
    ::fcntl(m_pty.master, F_SETFL, O_NONBLOCK);
}

OperatorSession::~OperatorSession()
{
    stop(m_program);
}

QString OperatorSession::start()
{
    QProcessEnvironment env = ProgramEnvironment(m_home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("QT_FONT_DPI"), QString::number(kDpi));
    // Off the desktop's session bus: nothing of ours uses it, and the toolkit's use of it would reach outside the test.
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("disabled:"));
    // A sanitized program: libxkbcommon-x11 hands strndup a keymap name that is not NUL-terminated, which the strict
    // string check reports as it connects to the X server; the bytes it really reads are still checked.
    QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    if (!asan.isEmpty())
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   asan.replace(QStringLiteral("strict_string_checks=1"), QStringLiteral("strict_string_checks=0")));
    m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    startOn(m_program, m_display, {qEnvironmentVariable("QUILLMARCH_BINARY"), m_pty.slavePath}, env);
    if (!m_program.waitForStarted())
        return QStringLiteral("the program did not start: ") + m_program.errorString();
    m_mainWindow = waitForWindow(QStringLiteral("Quillmarch from"), 30000);
    if (m_mainWindow.isEmpty())
        return QStringLiteral("no main window");
    // The program has opened the line when the terminal's speed turns to 9600 baud.
    termios tio{};
    if (!waitUntil([&] { return tcgetattr(m_pty.master, &tio) == 0 && cfgetospeed(&tio) == B9600; }, 20000))
        return QStringLiteral("the line was not opened");
    return {};
}

QString OperatorSession::waitForWindow(const QString& title, int timeoutMs)
{
    const QByteArray ids =
        run(m_display, words(QStringLiteral("xdotool search --sync --onlyvisible --name")) << title, timeoutMs);
    return QString::fromLatin1(ids).split(u'\n', Qt::SkipEmptyParts).value(0);
}

bool OperatorSession::waitForWindowGone(const QString& title, int timeoutMs)
{
    return waitUntil([&] { return visibleWindows(title).isEmpty(); }, timeoutMs);
}

QStringList OperatorSession::visibleWindows(const QString& title)
{
    const QByteArray ids = run(m_display, words(QStringLiteral("xdotool search --onlyvisible --name")) << title);
    return QString::fromLatin1(ids).split(u'\n', Qt::SkipEmptyParts);
}

void OperatorSession::click(const QString& window, const QRectF& twips)
{
    const QPoint at = TwipsRect(twips.left(), twips.top(), twips.width(), twips.height(), kDpi).center();
    // Away first: a pointer already in place would never report the move that --sync waits for.
    run(m_display, words(QStringLiteral("xdotool mousemove 0 0 mousemove --sync --window %1 %2 %3 click 1")
                             .arg(window)
                             .arg(at.x())
                             .arg(at.y())));
    QThread::msleep(kSettleMs);
}

void OperatorSession::key(const QString& keys)
{
    run(m_display, words(QStringLiteral("xdotool key --delay 40 ") + keys));
    QThread::msleep(kSettleMs);
}

void OperatorSession::type(const QString& text)
{
    run(m_display, words(QStringLiteral("xdotool type --delay 40")) << text);
    QThread::msleep(kSettleMs);
}

QString OperatorSession::setting(const QString& key) const
{
    QSettings settings(m_home.filePath(QStringLiteral("config/Quillmarch/Quillmarch.ini")), QSettings::IniFormat);
    return settings.value(QStringLiteral("Settings/") + key).toString();
}

QString OperatorSession::waitForSetting(const QString& key, const QString& expected, int timeoutMs) const
{
    QString value;
    waitUntil([&] { return (value = setting(key)) == expected; }, timeoutMs);
    return value;
}

QString OperatorSession::presetsPath() const
{
    return m_home.filePath(QStringLiteral("data/Quillmarch/Quillmarch-Presets.txt"));
}

QByteArray OperatorSession::presetsFile() const
{
    QFile file(presetsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<SentPacket> OperatorSession::packetsUntil(const std::function<bool(const SentPacket&)>& wanted, int timeoutMs)
{
    QList<SentPacket> seen;
    m_pty.readPackets(timeoutMs, [&](const QByteArray& packet) {
        const auto byte = [&packet](int i) { return int(quint8(packet.at(i))); };
        seen << SentPacket{byte(8), byte(9), byte(10), byte(11), QString::fromLatin1(packet.mid(12, 20)).trimmed()};
        return wanted(seen.last());
    });
    return seen;
}
