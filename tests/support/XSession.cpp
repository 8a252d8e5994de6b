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
#include <poll.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The program is told this resolution, so that twips map to the same pixels here and there.
constexpr double kDpi = 96;
// X input is handled by the program after the tool has returned: time for it before the next look.
constexpr int kSettleMs = 150;

// A test killed on its timeout runs no destructor: every process started here ends with the test all the same.
void endsWithTheTest(QProcess& process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
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

} // namespace

QString XDisplay::missingTools()
{
    QStringList missing;
    for (const char* tool : {"Xvfb", "openbox", "xdotool", "xclip"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            missing << QString::fromLatin1(tool);
    return missing.join(u' ');
}

QString XDisplay::start()
{
    endsWithTheTest(m_server);
    endsWithTheTest(m_windowManager);
    // The server picks a free display itself and writes its number on standard output once it accepts clients.
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                    QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    QByteArray number;
    while (!number.contains('\n') && m_server.waitForReadyRead(10000))
        number += m_server.readAllStandardOutput();
    if (!number.contains('\n'))
        return QStringLiteral("Xvfb did not start: ") + QString::fromLocal8Bit(m_server.readAllStandardError());
    m_name = u':' + QString::fromLatin1(number.trimmed());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_name);
    m_windowManager.setProcessEnvironment(env);
    m_windowManager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_windowManager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    // The window manager is in charge once it has made its own windows.
    QProcess check;
    endsWithTheTest(check);
    check.setProcessEnvironment(env);
    check.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--sync"),
                                            QStringLiteral("--class"), QStringLiteral("openbox")});
    if (!check.waitForFinished(10000) || check.exitCode() != 0) {
        check.kill();
        check.waitForFinished();
        return QStringLiteral("openbox did not start");
    }
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
    stop(m_clipboardOwner);
}

QString OperatorSession::start()
{
    QProcessEnvironment env = ProgramEnvironment(m_home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.insert(QStringLiteral("QT_FONT_DPI"), QString::number(kDpi));
    // Off the desktop's session bus: nothing of ours uses it, and the toolkit's use of it would reach outside the test.
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("disabled:"));
    // A sanitized program: libxkbcommon-x11 hands strndup a keymap name that is not NUL-terminated, which the strict
    // string check reports as it connects to the X server; the bytes it really reads are still checked.
    QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    if (!asan.isEmpty())
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   asan.replace(QStringLiteral("strict_string_checks=1"), QStringLiteral("strict_string_checks=0")));
    endsWithTheTest(m_program);
    m_program.setProcessEnvironment(env);
    m_program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_program.start(qEnvironmentVariable("QUILLMARCH_BINARY"), {m_pty.slavePath});
    if (!m_program.waitForStarted())
        return QStringLiteral("the program did not start: ") + m_program.errorString();
    if (waitForWindow(QStringLiteral("Quillmarch from"), 30000).isEmpty())
        return QStringLiteral("no main window");
    // The program has opened the line when the terminal's speed turns to 9600 baud.
    QElapsedTimer waited;
    waited.start();
    termios tio{};
    while (!(tcgetattr(m_pty.master, &tio) == 0 && cfgetospeed(&tio) == B9600)) {
        if (waited.elapsed() > 20000)
            return QStringLiteral("the line was not opened");
        QThread::msleep(20);
    }
    return {};
}

QByteArray OperatorSession::run(const QString& program, const QStringList& arguments, int timeoutMs) const
{
    QProcess process;
    endsWithTheTest(process);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return process.readAllStandardOutput();
}

QString OperatorSession::waitForWindow(const QString& title, int timeoutMs)
{
    const QByteArray ids = run(QStringLiteral("xdotool"),
                               {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                                QStringLiteral("--name"), title},
                               timeoutMs);
    return QString::fromLatin1(ids).split(u'\n', Qt::SkipEmptyParts).value(0);
}

bool OperatorSession::waitForWindowGone(const QString& title, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!visibleWindows(title).isEmpty()) {
        if (waited.elapsed() > timeoutMs)
            return false;
        QThread::msleep(50);
    }
    return true;
}

QStringList OperatorSession::visibleWindows(const QString& title)
{
    const QByteArray ids = run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                           QStringLiteral("--name"), title});
    return QString::fromLatin1(ids).split(u'\n', Qt::SkipEmptyParts);
}

void OperatorSession::click(const QString& window, const QRectF& twips)
{
    const QPoint at = TwipsRect(twips.left(), twips.top(), twips.width(), twips.height(), kDpi).center();
    // Away first: a pointer already in place would never report the move that --sync waits for.
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("mousemove"),
         QStringLiteral("--sync"), QStringLiteral("--window"), window, QString::number(at.x()), QString::number(at.y()),
         QStringLiteral("click"), QStringLiteral("1")});
    QThread::msleep(kSettleMs);
}

void OperatorSession::key(const QString& keys)
{
    run(QStringLiteral("xdotool"),
        QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("40")} + keys.split(u' '));
    QThread::msleep(kSettleMs);
}

void OperatorSession::type(const QString& text)
{
    run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
    QThread::msleep(kSettleMs);
}

void OperatorSession::setClipboard(const QString& text)
{
    stop(m_clipboardOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    endsWithTheTest(m_clipboardOwner);
    m_clipboardOwner.setProcessEnvironment(env);
    // In the foreground it serves the clipboard until another program takes it over, and ends with the session.
    m_clipboardOwner.start(QStringLiteral("xclip"), {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                                                     QStringLiteral("clipboard"), QStringLiteral("-i")});
    m_clipboardOwner.waitForStarted();
    m_clipboardOwner.write(text.toUtf8());
    m_clipboardOwner.closeWriteChannel();
    // Owned once it says it waits for requests.
    QElapsedTimer waited;
    waited.start();
    while (!m_clipboardOwner.readAllStandardError().contains("Waiting") && waited.elapsed() < 5000)
        m_clipboardOwner.waitForReadyRead(100);
}

QString OperatorSession::clipboard()
{
    return QString::fromUtf8(run(QStringLiteral("xclip"),
                                 {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")}));
}

QString OperatorSession::focusedFieldText()
{
    key(QStringLiteral("ctrl+a ctrl+c"));
    return clipboard();
}

QString OperatorSession::setting(const QString& key) const
{
    QSettings settings(m_home.filePath(QStringLiteral("config/Quillmarch/Quillmarch.ini")), QSettings::IniFormat);
    return settings.value(QStringLiteral("Settings/") + key).toString();
}

QString OperatorSession::waitForSetting(const QString& key, const QString& expected, int timeoutMs) const
{
    QElapsedTimer waited;
    waited.start();
    QString value = setting(key);
    while (value != expected && waited.elapsed() < timeoutMs) {
        QThread::msleep(50);
        value = setting(key);
    }
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

QByteArray OperatorSession::waitForPresetsChange(const QByteArray& before, int timeoutMs) const
{
    QElapsedTimer waited;
    waited.start();
    QByteArray now = presetsFile();
    while (now == before && waited.elapsed() < timeoutMs) {
        QThread::msleep(50);
        now = presetsFile();
    }
    return now;
}

QList<SentPacket> OperatorSession::packetsUntil(const std::function<bool(const SentPacket&)>& wanted, int timeoutMs)
{
    QList<SentPacket> seen;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < timeoutMs) {
        // A packet begins with 0x29 and its 50 bytes add up to zero; anything else is a torn start.
        while (m_received.size() >= 50) {
            quint8 sum = 0;
            for (int i = 0; i < 50; ++i)
                sum = quint8(sum + quint8(m_received.at(i)));
            if (m_received.at(0) != char(0x29) || sum != 0) {
                m_received.remove(0, 1);
                continue;
            }
            SentPacket p;
            p.command = quint8(m_received.at(8));
            p.clock = quint8(m_received.at(9));
            p.zone = quint8(m_received.at(10));
            p.daylight = quint8(m_received.at(11));
            p.text = QString::fromLatin1(m_received.mid(12, 20)).trimmed();
            m_received.remove(0, 50);
            seen << p;
            if (wanted(p))
                return seen;
        }
        pollfd readable = {m_pty.master, POLLIN, 0};
        if (::poll(&readable, 1, 100) == 1) {
            char buffer[1024];
            const ssize_t n = ::read(m_pty.master, buffer, sizeof buffer);
            if (n > 0)
                m_received.append(buffer, n);
        }
    }
    return seen;
}

QList<int> OperatorSession::cycleFrom(int clock, int timeoutMs)
{
    const auto isIt = [clock](const SentPacket& p) { return p.clock == clock; };
    const QList<SentPacket> before = packetsUntil(isIt, timeoutMs);
    if (before.isEmpty() || before.last().clock != clock)
        return {};
    QList<int> clocks{clock};
    const QList<SentPacket> rest = packetsUntil(isIt, timeoutMs);
    for (qsizetype i = 0; i + 1 < rest.size(); ++i)
        clocks << rest[i].clock;
    return clocks;
}

void OperatorSession::screenshot(const QString& path) const
{
    run(QStringLiteral("import"),
        {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-display"), m_display, path});
}
