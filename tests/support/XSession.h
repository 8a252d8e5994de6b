// Operator scenarios: the real program on an X server, driven by keys and clicks at its controls' places, and
// what the operator keeps afterwards: the settings file, the presets file, the packets on the line.
#pragma once

#include "support/RealProgram.h"
#include "ui/Twips.h"

#include <QElapsedTimer>
#include <QRectF>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>

#include <fcntl.h>
#include <termios.h>

namespace XTools {
// The program is told this resolution, so that twips map to the same pixels here and there.
constexpr double kDpi = 96;

inline QStringList words(const QString& text)
{
    return text.split(u' ', Qt::SkipEmptyParts);
}

// Starts a process on `display` that ends with the test, also when the test is killed and runs no destructor.
inline void startOn(QProcess& process, const QString& display, const QStringList& command)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    process.setProcessEnvironment(env);
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process.start(command.first(), command.mid(1));
}

inline void stop(QProcess& process)
{
    process.kill();
    process.waitForFinished(3000);
}

// Standard output of a short-lived tool (xdotool); empty when it does not finish in time.
inline QByteArray run(const QString& display, const QStringList& command, int timeoutMs = 10000)
{
    QProcess process;
    startOn(process, display, command);
    if (process.waitForFinished(timeoutMs))
        return process.readAllStandardOutput();
    stop(process);
    return {};
}

inline bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < timeoutMs)
        QThread::msleep(50);
    return done();
}
} // namespace XTools

// Places of controls in twips from their window's client origin, as the windows lay them out, and window titles.
namespace Controls {
const QRectF kMainPresets{4935, 330, 1185, 330};
const QRectF kMainApply{5130, 2415, 1185, 330};
const QRectF kMainZone{165, 1065, 7485, 315};
const QRectF kEdit{3480, 360, 1215, 375};
const QRectF kNew{5040, 360, 1215, 375};
const QString kPresetsWindow = QStringLiteral("Presets Selection$");
const QString kEditor = QStringLiteral("Editing Preset$");
} // namespace Controls

// An X server with a window manager on it, for the whole test program; everything ends with the object.
class XDisplay
{
public:
    // The tools the scenarios need and this machine lacks; empty when all are there.
    static QString missingTools()
    {
        QStringList missing;
        for (const QString& tool : XTools::words(QStringLiteral("Xvfb openbox xdotool")))
            if (QStandardPaths::findExecutable(tool).isEmpty())
                missing << tool;
        return missing.join(u' ');
    }
    ~XDisplay()
    {
        XTools::stop(m_windowManager);
        XTools::stop(m_server);
    }
    // Empty when the server and the window manager are up, else what went wrong.
    QString start()
    {
        // The server picks a free display and writes its number on standard output once it accepts clients.
        XTools::startOn(m_server, {}, XTools::words("Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp"));
        QByteArray number;
        while (!number.contains('\n') && m_server.waitForReadyRead(10000))
            number += m_server.readAllStandardOutput();
        if (!number.contains('\n'))
            return "Xvfb did not start: " + QString::fromLocal8Bit(m_server.readAllStandardError());
        m_name = u':' + QString::fromLatin1(number.trimmed());
        XTools::startOn(m_windowManager, m_name, XTools::words("openbox --sm-disable"));
        // The window manager is in charge once it has made its own windows.
        if (XTools::run(m_name, XTools::words("xdotool search --sync --class openbox")).isEmpty())
            return QStringLiteral("openbox did not start");
        return {};
    }
    QString name() const { return m_name; }

private:
    QProcess m_server, m_windowManager;
    QString m_name;
};

// One run of the program on a display with its own settings, presets and serial line; ended with the object.
class OperatorSession
{
public:
    // `settings` are lines of the "Settings" section; the time warning is always turned off.
    OperatorSession(const XDisplay& display, const QByteArray& settings, const QByteArray& presets = {})
        : m_display(display.name()), m_program("[Settings]\nTimeWarn=False\n" + settings)
    {
        QFile file(presetsPath());
        if (!presets.isNull() && QDir().mkpath(QFileInfo(file).absolutePath()) && file.open(QIODevice::WriteOnly))
            file.write(presets);
        ::fcntl(m_program.line.master, F_SETFL, O_NONBLOCK);
    }

    // Empty when the main window is on screen and the line is open, else what went wrong.
    QString start()
    {
        QProcessEnvironment& env = m_program.env;
        env.insert(QStringLiteral("DISPLAY"), m_display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("QT_FONT_DPI"), QString::number(XTools::kDpi));
        // Off the desktop's session bus, unless the test makes one: the toolkit's use of it would reach outside.
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
        // A sanitized program: libxkbcommon-x11 hands strndup a keymap name that is not NUL-terminated, which the
        // strict string check reports as it connects to the X server; the bytes it really reads are still checked.
        env.insert(
            QStringLiteral("ASAN_OPTIONS"),
            env.value(QStringLiteral("ASAN_OPTIONS")).replace("strict_string_checks=1", "strict_string_checks=0"));
        if (!captureErrors)
            m_program.process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (!m_program.start({m_program.line.slavePath}, prefix))
            return "the program did not start: " + m_program.process.errorString();
        m_mainWindow = waitForWindow(QStringLiteral("Quillmarch from"), 30000);
        if (m_mainWindow.isEmpty())
            return QStringLiteral("no main window");
        // The program has opened the line when the terminal's speed turns to 9600 baud.
        termios tio{};
        const int master = m_program.line.master;
        if (!XTools::waitUntil([&] { return tcgetattr(master, &tio) == 0 && cfgetospeed(&tio) == B9600; }, 20000))
            return QStringLiteral("the line was not opened");
        return {};
    }
    QString mainWindow() const { return m_mainWindow; }
    RealProgram& program() { return m_program; }
    QString bus = QStringLiteral("disabled:");
    QStringList prefix;         // of the program's command, such as PrivateZones::prefix
    bool captureErrors = false; // into program().err, read by its waitFor
    qint64 processId() const { return m_program.pid(); }
    int lineMaster() const { return m_program.line.master; } // non-blocking, for readers of their own

    // Window ids by title (an extended regular expression, matched ignoring case).
    QStringList visibleWindows(const QString& title)
    {
        const QByteArray ids = XTools::run(m_display, XTools::words("xdotool search --onlyvisible --name") << title);
        return QString::fromLatin1(ids).split(u'\n', Qt::SkipEmptyParts);
    }
    // Polled: a single search can fail outright when a window (the splash) goes away while it looks.
    QString waitForWindow(const QString& title, int timeoutMs = 10000)
    {
        QString id;
        XTools::waitUntil([&] { return !(id = visibleWindows(title).value(0)).isEmpty(); }, timeoutMs);
        return id;
    }
    bool waitForWindowGone(const QString& title, int timeoutMs = 5000)
    {
        return XTools::waitUntil([&] { return visibleWindows(title).isEmpty(); }, timeoutMs);
    }

    // A left click in the middle of a control, given in twips from the window's client origin. Then, as after each
    // key, time for the program to handle the input before the next look.
    void click(const QString& window, const QRectF& twips)
    {
        const QPoint at = TwipsRect(twips.left(), twips.top(), twips.width(), twips.height(), XTools::kDpi).center();
        // Away first: a pointer already in place would never report the move that --sync waits for.
        xdotool(QStringLiteral("mousemove 0 0 mousemove --sync --window %1 %2 %3 click 1")
                    .arg(window)
                    .arg(at.x())
                    .arg(at.y()));
    }
    // xdotool key names, pressed one after the other ("ctrl+a", "Return", "Tab Tab").
    void key(const QString& keys) { xdotool("key --delay 40 " + keys); }

    QString setting(const QString& key) const
    {
        return QSettings(m_program.ini, QSettings::IniFormat).value("Settings/" + key).toString();
    }
    // The setting once it equals `expected`; the last value read when it does not within the time.
    QString waitForSetting(const QString& key, const QString& expected, int timeoutMs = 4000) const
    {
        QString value;
        XTools::waitUntil([&] { return (value = setting(key)) == expected; }, timeoutMs);
        return value;
    }
    QString presetsPath() const { return m_program.home.filePath("data/Quillmarch/Quillmarch-Presets.txt"); }
    QByteArray presetsFile() const { return contentOf(presetsPath()); }

private:
    void xdotool(const QString& command)
    {
        XTools::run(m_display, XTools::words("xdotool " + command));
        QThread::msleep(150);
    }

    QString m_display;
    RealProgram m_program;
    QString m_mainWindow;
};
