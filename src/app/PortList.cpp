#include "app/PortList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

namespace {

// The path with every symlink resolved, or as given when it does not exist.
QString resolved(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

bool isPlaceholderUart(const QString& device, const QString& ttyClassFolder)
{
    QFile type(ttyClassFolder + QLatin1Char('/') + QFileInfo(device).fileName() + QStringLiteral("/type"));
    if (!type.open(QIODevice::ReadOnly))
        return false; // not a UART the serial core knows (USB, ACM, a pseudo-terminal): keep it
    return type.readAll().trimmed() == "0";
}

// ttyS2 before ttyS10: runs of digits compare by value.
bool naturalLess(const QString& a, const QString& b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (!a[i].isDigit() || !b[j].isDigit()) {
            if (a[i] != b[j])
                return a[i] < b[j];
            ++i;
            ++j;
            continue;
        }
        // Two numbers: skip leading zeros, then the longer is larger, else the first differing digit decides.
        while (i + 1 < a.size() && a[i] == QLatin1Char('0') && a[i + 1].isDigit())
            ++i;
        while (j + 1 < b.size() && b[j] == QLatin1Char('0') && b[j + 1].isDigit())
            ++j;
        qsizetype ei = i, ej = j;
        while (ei < a.size() && a[ei].isDigit())
            ++ei;
        while (ej < b.size() && b[ej].isDigit())
            ++ej;
        if (ei - i != ej - j)
            return ei - i < ej - j;
        if (const int c = QStringView(a).mid(i, ei - i).compare(QStringView(b).mid(j, ej - j)); c != 0)
            return c < 0;
        i = ei;
        j = ej;
    }
    return a.size() - i < b.size() - j;
}

} // namespace

QList<PortListEntry> ListPorts(const QStringList& devices, const QString& byIdFolder, const QString& ttyClassFolder)
{
    QList<PortListEntry> ports;
    for (const QString& device : devices) {
        if (isPlaceholderUart(device, ttyClassFolder))
            continue;
        if (std::any_of(ports.cbegin(), ports.cend(), [&](const PortListEntry& e) { return e.device == device; }))
            continue;
        ports.append({device, {}});
    }

    const QFileInfoList links = QDir(byIdFolder).entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo& link : links) {
        if (!link.isSymLink())
            continue;
        const QString target = link.canonicalFilePath();
        if (target.isEmpty())
            continue; // dangling: the device has gone
        for (PortListEntry& port : ports) {
            if (resolved(port.device) == target)
                port.stableNames.append(link.absoluteFilePath());
        }
    }

    for (PortListEntry& port : ports)
        std::sort(port.stableNames.begin(), port.stableNames.end(), naturalLess);
    std::sort(ports.begin(), ports.end(),
              [](const PortListEntry& a, const PortListEntry& b) { return naturalLess(a.device, b.device); });
    return ports;
}

QString FormatPortList(const QList<PortListEntry>& ports)
{
    QString text;
    for (const PortListEntry& port : ports) {
        text += port.device;
        for (const QString& name : port.stableNames)
            text += QLatin1Char('\t') + name;
        text += QLatin1Char('\n');
    }
    return text;
}

QStringList SystemSerialDevices()
{
    QStringList devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        devices << info.systemLocation();
    return devices;
}
