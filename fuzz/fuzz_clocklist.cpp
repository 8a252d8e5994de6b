// Any text given to the clock list parser: nothing may crash, every message is one the operator can be shown, and
// every accepted list's canonical text reads back to the same clocks and writes out unchanged.
#include "model/ClockList.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {
bool knownMessage(const QString& error)
{
    static const QString kMessages[] = {
        QStringLiteral("Bad Numeric"),
        QStringLiteral("Missing Comma or Dash"),
        QStringLiteral("Missing Value After Dash"),
        QStringLiteral("Badly Formed Range"),
        QStringLiteral("Bad Delimiter, comma expected"),
        QStringLiteral("Clock Number Out Of Range"),
    };
    for (const QString& message : kMessages)
        if (error == message)
            return true;
    const QString twice = QStringLiteral("Number Occurs More Than Once: ");
    if (!error.startsWith(twice))
        return false;
    bool ok = false;
    const int n = error.mid(twice.size()).toInt(&ok);
    return ok && n >= 0 && n <= 127 && QString::number(n) == error.mid(twice.size());
}

void check(const QString& text)
{
    ClockFlags flags;
    const QString error = ParseClockList(flags, text);
    if (!error.isEmpty()) {
        if (!knownMessage(error))
            __builtin_trap();
        return;
    }
    const QString canonical = FormatClockList(flags);
    for (QChar c : canonical)
        if (!(c.unicode() >= '0' && c.unicode() <= '9') && c != u',' && c != u'-')
            __builtin_trap();
    ClockFlags again;
    if (!ParseClockList(again, canonical).isEmpty() || again != flags || FormatClockList(again) != canonical)
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto* bytes = reinterpret_cast<const char*>(data);
    check(QString::fromUtf8(bytes, qsizetype(size)));
    check(QString::fromLatin1(bytes, qsizetype(size)));
    // Raw UTF-16 as well, so lone surrogates and any code unit reach the parser; copied, as the bytes need not be
    // aligned for QChar.
    QString units(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(units.data(), data, size_t(units.size()) * sizeof(QChar));
    check(units);
    return 0;
}
