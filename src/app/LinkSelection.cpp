#include "app/LinkSelection.h"

#include <QDir>
#include <QRegularExpression>
#include <cmath>

namespace {

const QChar kQuote(34);
const QChar kCR(13);

QString notRecognized(const QString& asTyped)
{
    return QStringLiteral("The command line argument ") + kQuote + asTyped + kQuote +
           QStringLiteral("is not recognized") + kCR + QStringLiteral("Please specify argument as ") + kQuote +
           QStringLiteral("COM#") + kQuote + QStringLiteral(" or ") + kQuote + QStringLiteral("UDP#") + kQuote +
           QStringLiteral(" alone, where # is replaced by") + kCR +
           QStringLiteral("the serial COM port number or network UDP port number to use.");
}

// A decimal number with optional sign and fraction, rounded half to even; -1 when it is not one.
int readPortNumber(const QString& text)
{
    static const QRegularExpression decimal(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    const QString trimmed = text.trimmed();
    if (!decimal.match(trimmed).hasMatch())
        return -1;
    const double value = std::nearbyint(trimmed.toDouble()); // default rounding mode: half to even
    if (!(value >= 1 && value <= 65535))
        return -1;
    return int(value);
}

// A device path must name something below /dev/ once "." and ".." are resolved, so that the argument cannot point
// the serial line at an ordinary file, and must be free of control characters, which would break the one-line
// status panel and log lines that show it.
bool acceptableDevicePath(const QString& path)
{
    for (const QChar c : path)
        if (c.category() == QChar::Other_Control)
            return false;
    return QDir::cleanPath(path).startsWith(QStringLiteral("/dev/"));
}

} // namespace

LinkChoice ChooseLink(const QString& argumentText)
{
    LinkChoice choice;
    const QString trimmed = argumentText.trimmed();
    // A device path names the serial line itself and keeps its case.
    if (trimmed.startsWith(QStringLiteral("/dev/"))) {
        if (!acceptableDevicePath(trimmed)) {
            choice.failureText = notRecognized(argumentText);
            return choice;
        }
        choice.CommMode = LinkKind::Serial;
        choice.device = trimmed;
        choice.name = trimmed;
        return choice;
    }
    QString arg = trimmed.toUpper();
    if (arg.isEmpty())
        arg = QStringLiteral("COM1");
    const QString kind = arg.left(3);
    if (arg.size() < 4 || (kind != QStringLiteral("COM") && kind != QStringLiteral("UDP"))) {
        choice.failureText = notRecognized(argumentText);
        return choice;
    }
    const int port = readPortNumber(arg.mid(3));
    if (port < 0) {
        choice.failureText = notRecognized(argumentText);
        return choice;
    }
    choice.port = port;
    if (kind == QStringLiteral("COM")) {
        choice.CommMode = LinkKind::Serial;
        choice.device = QStringLiteral("/dev/ttyS") + QString::number(port - 1);
        choice.name = QStringLiteral("COM") + QString::number(port);
    } else {
        choice.CommMode = LinkKind::Udp;
        choice.name = QStringLiteral("UDP:") + QString::number(port);
    }
    return choice;
}

QString LinkPanelText(const LinkChoice& choice)
{
    return QStringLiteral("Using ") + choice.name;
}

QString PortNotAvailableText(const QString& portName, const QString& description)
{
    return QStringLiteral("Comm Port ") + kQuote + portName + kQuote +
           QStringLiteral(" is not available on this system") + kCR + description;
}

QString PortCannotOpenText(const QString& portName, const QString& description)
{
    return QStringLiteral("Comm Port ") + kQuote + portName + kQuote + QStringLiteral(" cannot be opened") + kCR +
           description;
}

QString LinkInUseText(const LinkChoice& choice, const QString& holder)
{
    // Two writers on one serial line mix their bytes; two UDP senders each send whole packets, but the clocks would
    // then follow two configurations in turn.
    const bool udp = choice.CommMode == LinkKind::Udp;
    return (udp ? QStringLiteral("Link ") : QStringLiteral("Comm Port ")) + kQuote + choice.name + kQuote +
           QStringLiteral(" is in use by another Quillmarch") + kCR + holder +
           (udp ? QStringLiteral(" sends on it; this one sends nothing, so the clocks do not follow two "
                                 "configurations at once.")
                : QStringLiteral(" sends on it; this one sends nothing, so the two do not garble each other."));
}
