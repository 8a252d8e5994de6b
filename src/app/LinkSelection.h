// From the command-line text to the link to open, and the operator's texts about it.
#pragma once

#include <QString>

// How the clocks are reached; None when the command line names no link this program knows.
enum class LinkKind { None, Serial, Udp };

struct LinkChoice
{
    LinkKind CommMode = LinkKind::None;
    int port = 0;        // the number after COM or UDP; 0 for a device path
    QString device;      // serial device to open: /dev/ttyS<n-1> for COM<n>, or the path as typed
    QString name;        // how the operator knows it: "COM3", "/dev/ttyUSB0", "UDP:5000"
    QString failureText; // the operator's message when the argument is not recognized, else empty
};

// `argumentText` is every argument after the program name, joined by single blanks.
LinkChoice ChooseLink(const QString& argumentText);

// The link panel for a link that opened: "Using COM3", "Using UDP:5000", "Using /dev/ttyUSB0".
QString LinkPanelText(const LinkChoice& choice);

// A port that is missing, or present but refused to open; `portName` is "COM3" or a device path, and
// `description` the platform's reason, on a line of its own.
QString PortNotAvailableText(const QString& portName, const QString& description);
QString PortCannotOpenText(const QString& portName, const QString& description);
// A link another Quillmarch sends on; `holder` is "quillmarch (process 1234)".
QString LinkInUseText(const LinkChoice& choice, const QString& holder);

// Serial port numbers are kept in 16 bits when selected; larger ones cannot be selected.
constexpr int kMaxSerialPortNumber = 32767;
