#include "model/Windows1252.h"

#include <array>

namespace {
// Unicode of the codes 0x80..0x9F; 0 where Windows-1252 defines no character.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};
} // namespace

char ToWindows1252(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return char(u);
    for (size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == u)
            return char(0x80 + i);
    }
    return '?';
}

bool InWindows1252(QChar c)
{
    return c == u'?' || ToWindows1252(c) != '?';
}

QByteArray ToWindows1252(const QString& text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        bytes[i] = ToWindows1252(text.at(i));
    return bytes;
}

QString FromWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = quint8(bytes.at(i));
        char16_t u = b;
        if (b >= 0x80 && b <= 0x9F)
            u = kHighControls[b - 0x80] ? kHighControls[b - 0x80] : char16_t(0xFFFD);
        text[i] = QChar(u);
    }
    return text;
}
