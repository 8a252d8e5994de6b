// Any command-line text: nothing may crash; the link chosen is one of the three kinds with its fields consistent,
// a refusal quotes the argument exactly as typed, a device path stays under /dev/, and for plain ASCII the port is
// the one the C library's own number reading gives.
#include "app/LinkSelection.h"

#include <QDir>
#include <QString>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
const QString kRefusalStart = QStringLiteral("The command line argument \"");
const QString kRefusalEnd = QStringLiteral(
    "\"is not recognized\rPlease specify argument as \"COM#\" or \"UDP#\" alone, where # is replaced by\r"
    "the serial COM port number or network UDP port number to use.");

bool isAsciiBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The port an all-ASCII COM/UDP argument should give, worked out independently of the program: -1 when refused.
int expectedPort(std::string text)
{
    while (!text.empty() && isAsciiBlank(text.front()))
        text.erase(text.begin());
    while (!text.empty() && isAsciiBlank(text.back()))
        text.pop_back();
    if (text.empty())
        return 1; // no argument is COM1
    size_t i = 0;
    if (text[i] == '+' || text[i] == '-')
        ++i;
    size_t digits = 0, point = 0;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9')
            ++digits;
        else if (text[i] == '.' && point == 0)
            ++point;
        else
            return -1;
    }
    if (digits == 0)
        return -1;
    const double value = std::nearbyint(std::strtod(text.c_str(), nullptr));
    return value >= 1 && value <= 65535 ? int(value) : -1;
}

bool hasControl(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f))
            return true;
    return false;
}

void check(const QString& argument)
{
    const LinkChoice choice = ChooseLink(argument);
    if (choice.CommMode < 0 || choice.CommMode > 2 || choice.failureText.isEmpty() != (choice.CommMode != 0))
        __builtin_trap();
    if (choice.CommMode == 0) {
        // The operator sees what was typed, whole.
        if (choice.failureText != kRefusalStart + argument + kRefusalEnd || !choice.device.isEmpty() ||
            !choice.name.isEmpty())
            __builtin_trap();
    } else if (choice.CommMode == 1 && choice.port == 0) {
        // A device path: the line actually opened is under /dev/, and its name makes a one-line panel and log line.
        const QString path = argument.trimmed();
        if (choice.device != path || choice.name != path ||
            !QDir::cleanPath(path).startsWith(QStringLiteral("/dev/")) || hasControl(path))
            __builtin_trap();
    } else {
        // COM and UDP numbers: the link opens refuses serial ports past 16 bits, so both kinds reach 65535 here.
        if (choice.port < 1 || choice.port > 65535)
            __builtin_trap();
        const QString number = QString::number(choice.port);
        if (choice.CommMode == 1 && (choice.device != QStringLiteral("/dev/ttyS") + QString::number(choice.port - 1) ||
                                     choice.name != QStringLiteral("COM") + number))
            __builtin_trap();
        if (choice.CommMode == 2 && (!choice.device.isEmpty() || choice.name != QStringLiteral("UDP:") + number))
            __builtin_trap();
    }
    if (LinkPanelText(choice) != QStringLiteral("Using ") + choice.name)
        __builtin_trap();

    // Plain ASCII without a path: the accepted kind and port follow from the text alone.
    bool ascii = true;
    for (const QChar c : argument)
        ascii = ascii && c.unicode() >= 1 && c.unicode() < 0x80;
    const QString trimmed = argument.trimmed();
    if (!ascii || trimmed.startsWith(QStringLiteral("/dev/")))
        return;
    const QString upper = trimmed.toUpper();
    int port = -1, mode = 0;
    if (upper.isEmpty()) {
        port = 1, mode = 1;
    } else if (upper.size() >= 4 &&
               (upper.startsWith(QStringLiteral("COM")) || upper.startsWith(QStringLiteral("UDP")))) {
        port = expectedPort(upper.mid(3).toStdString());
        mode = port < 0 ? 0 : upper.startsWith(QStringLiteral("COM")) ? 1 : 2;
    }
    if (choice.CommMode != mode || (mode != 0 && choice.port != port))
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto* bytes = reinterpret_cast<const char*>(data);
    check(QString::fromUtf8(bytes, qsizetype(size)));
    check(QString::fromLatin1(bytes, qsizetype(size)));
    // Raw UTF-16 too, so any code unit reaches the parser; copied, as the bytes need not be aligned for QChar.
    QString units(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(units.data(), data, size_t(units.size()) * sizeof(QChar));
    check(units);
    return 0;
}
