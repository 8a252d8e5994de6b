// The serial devices present, each with the stable /dev/serial/by-id/ names that point at it (--list-ports).
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct PortListEntry
{
    QString device;          // "/dev/ttyUSB0"
    QStringList stableNames; // "/dev/serial/by-id/usb-FTDI_...-if00-port0", sorted; empty when udev made none
};

// `devices` as the system lists them. A UART whose `type` in `ttyClassFolder`/NAME/ reads 0 is a placeholder the
// kernel makes for every possible 8250 port (ttyS0..ttyS31) with no chip behind it, and is left out. Every symlink
// in `byIdFolder` is resolved and named beside the device it ends at. Sorted by name, numbers compared as numbers.
QList<PortListEntry> ListPorts(const QStringList& devices,
                               const QString& byIdFolder = QStringLiteral("/dev/serial/by-id"),
                               const QString& ttyClassFolder = QStringLiteral("/sys/class/tty"));

// One line per device: its path, then a TAB and each stable name; a device without one is its path alone.
QString FormatPortList(const QList<PortListEntry>& ports);

// The serial devices this machine's Qt finds.
QStringList SystemSerialDevices();
