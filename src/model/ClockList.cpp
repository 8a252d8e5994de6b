#include "model/ClockList.h"

namespace {
constexpr int kLargestNumber = 32767;

bool within(const QString& text, qsizetype pos)
{
    return pos >= 1 && pos <= text.size();
}

QChar charAt(const QString& text, qsizetype pos)
{
    return text.at(pos - 1);
}
} // namespace

qsizetype SkipBlanks(const QString& text, qsizetype pos)
{
    while (within(text, pos) && charAt(text, pos) == u' ')
        ++pos;
    return pos;
}

int DigitAt(const QString& text, qsizetype pos)
{
    const int d = int(charAt(text, pos).unicode()) - int('0');
    return d >= 0 && d <= 9 ? d : -1;
}

qint16 ReadNumber(const QString& text, qsizetype& pos)
{
    pos = SkipBlanks(text, pos);
    int value = 0;
    while (within(text, pos)) {
        const int d = DigitAt(text, pos);
        if (d < 0 || value * 10 + d > kLargestNumber)
            break;
        value = value * 10 + d;
        ++pos;
    }
    return qint16(value);
}

QString ParseClockList(ClockFlags& flags, const QString& text)
{
    flags.fill(false);
    qsizetype pos = 1;
    for (;;) {
        pos = SkipBlanks(text, pos);
        if (!within(text, pos))
            return QString();
        if (DigitAt(text, pos) < 0)
            return QStringLiteral("Bad Numeric");
        const int first = ReadNumber(text, pos);

        QChar delimiter;
        pos = SkipBlanks(text, pos);
        if (within(text, pos)) {
            delimiter = charAt(text, pos);
            pos = SkipBlanks(text, pos + 1);
            if (delimiter != u',' && delimiter != u'-')
                return QStringLiteral("Missing Comma or Dash");
        }

        int last = first;
        if (delimiter == u'-') {
            if (!within(text, pos))
                return QStringLiteral("Missing Value After Dash");
            if (DigitAt(text, pos) < 0)
                return QStringLiteral("Badly Formed Range");
            last = ReadNumber(text, pos);
            pos = SkipBlanks(text, pos);
            if (within(text, pos)) {
                const QChar after = charAt(text, pos);
                pos = SkipBlanks(text, pos + 1);
                if (after != u',')
                    return QStringLiteral("Bad Delimiter, comma expected");
            }
        }

        // Only the last number is checked: a backward range such as 200-3 names no clock and is harmless.
        if (last > kHighestClock)
            return QStringLiteral("Clock Number Out Of Range");
        for (int n = first; n <= last; ++n) {
            if (flags[n])
                return QStringLiteral("Number Occurs More Than Once: ") + QString::number(n);
            flags[n] = true;
        }
    }
}

QString FormatClockList(const ClockFlags& flags)
{
    QString s;
    for (int i = 0; i <= kHighestClock; ++i) {
        if (!flags[i])
            continue;
        if (!s.isEmpty())
            s += u',';
        s += QString::number(i);
        int j = i;
        while (j < kHighestClock && flags[j + 1])
            ++j;
        if (j != i) {
            s += u'-';
            s += QString::number(j);
        }
        i = j;
    }
    return s;
}
