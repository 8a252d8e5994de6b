#include "app/SummaryTable.h"

#include "model/CodeTables.h"

#include <QList>

#include <algorithm>

namespace {
constexpr int kColumns = 5;
constexpr int kMinimumWidth = 10;
// A value is followed by at least two blanks of fill, so neighbouring columns never touch.
constexpr int kFill = 2;

template <size_t N> QString entryText(const std::array<CodeEntry, N>& list, qint16 index)
{
    return index >= 0 && size_t(index) < N ? QString(list[size_t(index)].text) : QString();
}

using Row = std::array<QString, kColumns>;

Row groupRow(const GroupRecord& group, int index, const QString& clocks)
{
    return {IndexToLetter(index), clocks, entryText(TimeZoneList, group.ZoneIndex),
            entryText(DaylightList, group.DaylightIndex), group.DisplayText};
}

QString line(const Row& values, const std::array<int, kColumns>& widths)
{
    QString text;
    for (int c = 0; c < kColumns; ++c)
        text += values[size_t(c)].leftJustified(widths[size_t(c)], QLatin1Char(' '), true) + QLatin1Char(' ');
    return text + QStringLiteral("\r\n");
}
} // namespace

QString SummaryTableText(const std::array<GroupRecord, kGroupCount>& groups)
{
    std::array<int, kColumns> widths;
    widths.fill(kMinimumWidth);
    QList<Row> rows;
    for (int g = 0; g < kGroupCount; ++g) {
        const QString clocks = FormatClockList(groups[size_t(g)].Clocks);
        if (clocks.isEmpty())
            continue;
        rows << groupRow(groups[size_t(g)], g, clocks);
        // The letter column keeps its width: a letter is never wider than its heading.
        for (int c = 1; c < kColumns; ++c)
            widths[size_t(c)] = std::max(widths[size_t(c)], int(rows.last()[size_t(c)].size()) + kFill);
    }

    QString text = line({QStringLiteral("Group "), QStringLiteral("Clock  "), QStringLiteral("Time"),
                         QStringLiteral("Daylight"), QStringLiteral("Text")},
                        widths);
    text += line({QStringLiteral("Letter"), QStringLiteral("Numbers"), QStringLiteral("Zone"),
                  QStringLiteral("Savings "), QStringLiteral("Display")},
                 widths);
    text += line({QStringLiteral("======"), QStringLiteral("======="), QStringLiteral("===="),
                  QStringLiteral("========"), QStringLiteral("=======")},
                 widths);
    for (const Row& row : rows)
        text += line(row, widths);
    return text;
}
