// Operator scenarios: the real program on an X server, driven by keys and clicks at its controls' places, and
// what the operator keeps afterwards: the settings file, the presets file, the packets on the line.
#pragma once

#include "support/Pty.h"

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QRectF>
#include <QString>
#include <QTemporaryDir>

#include <functional>

// An X server with a window manager on it, for the whole test program; everything ends with the object.
class XDisplay
{
public:
    // The tools the scenarios need and this machine lacks, space-separated; empty when all are there.
    static QString missingTools();
    XDisplay() = default;
    ~XDisplay();
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;
    // Empty when the server and the window manager are up, else what went wrong.
    QString start();
    QString name() const { return m_name; }

private:
    QProcess m_server, m_windowManager;
    QString m_name;
};

// One packet as the clocks decode it.
struct SentPacket
{
    int command = 0, clock = 0, zone = 0, daylight = 0;
    QString text; // the 20 characters, blanks around the text removed
};

// One run of the program on `display` with its own settings, presets and serial line; ended with the object.
class OperatorSession
{
public:
    // `settings` are lines of the "Settings" section; the time warning is always turned off.
    OperatorSession(const XDisplay& display, const QByteArray& settings, const QByteArray& presets = {});
    ~OperatorSession();
    OperatorSession(const OperatorSession&) = delete;
    OperatorSession& operator=(const OperatorSession&) = delete;

    // Empty when the main window is on screen and the line is open, else what went wrong.
    QString start();
    QString mainWindow() const { return m_mainWindow; } // its window id, once started
    qint64 processId() const { return m_program.processId(); }
    int lineMaster() const { return m_pty.master; } // non-blocking; for readers of their own instead of packetsUntil

    // Window ids by title (an extended regular expression, matched ignoring case); empty when none shows in time.
    QString waitForWindow(const QString& title, int timeoutMs = 10000);
    bool waitForWindowGone(const QString& title, int timeoutMs = 5000);
    QStringList visibleWindows(const QString& title = QStringLiteral("."));

    // A left click in the middle of a control, given in twips from the window's client origin.
    void click(const QString& window, const QRectF& twips);
    // xdotool key names, pressed one after the other ("ctrl+a", "Return", "Tab Tab").
    void key(const QString& keys);
    void type(const QString& text);

    QString setting(const QString& key) const;
    // The setting once it equals `expected`; the last value read when it does not within the time.
    QString waitForSetting(const QString& key, const QString& expected, int timeoutMs = 4000) const;
    QString presetsPath() const;
    QByteArray presetsFile() const;

    // Packets from the line until one satisfies `wanted` (returned last) or the time is up.
    QList<SentPacket> packetsUntil(const std::function<bool(const SentPacket&)>& wanted, int timeoutMs = 5000);

private:
    QString m_display;
    QTemporaryDir m_home;
    Pty m_pty;
    QProcess m_program;
    QString m_mainWindow;
};
