// From the command-line text to the link to open, and the operator's texts about it.
#pragma once

#include <QString>

struct LinkChoice
{
    int CommMode = 0;    // 0 not recognized, 1 serial, 2 UDP
    int port = 0;        // the number after COM or UDP; 0 for a device path
    QString device;      // serial device to open: /dev/ttyS<n-1> for COM<n>, or the path as typed
    QString name;        // how the operator knows it: "COM3", "/dev/ttyUSB0", "UDP:5000"
    QString failureText; // failure A when not recognized, else empty
};

// `argumentText` is every argument after the program name, joined by single blanks.
LinkChoice ChooseLink(const QString& argumentText);

// Panel 2 for a link that opened: "Using COM3", "Using UDP:5000", "Using /dev/ttyUSB0".
QString LinkPanelText(const LinkChoice& choice);

// Failures B (port not available) and C (port cannot be opened); `portName` is "COM3" or a device path.
QString PortNotAvailableText(const QString& portName, const QString& description);
QString PortCannotOpenText(const QString& portName, const QString& description);
// A link another Quillmarch sends on; `holder` is "quillmarch (process 1234)".
QString LinkInUseText(const LinkChoice& choice, const QString& holder);

// Serial port numbers are kept in 16 bits when selected; larger ones cannot be selected.
constexpr int kMaxSerialPortNumber = 32767;
