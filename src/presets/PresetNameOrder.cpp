#include "presets/PresetNameOrder.h"

#include <QLocale>

#include <algorithm>
#include <numeric>

PresetNameOrder::PresetNameOrder()
    // Without a locale Qt compares character codes, which puts Élan after Zebra; English has no rules of its own, so
    // it stands for the common order of the letters.
    : m_collator(QLocale().language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : QLocale())
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

// Names the collator holds equal (it ignores some characters) are ordered by their upper-case codes, which are unique
// in the table, so the order is total and the same on every run.
bool PresetNameOrder::lessThan(const QString& a, const QString& b) const
{
    const int byCollator = m_collator.compare(a, b);
    if (byCollator != 0)
        return byCollator < 0;
    const int byUpper = a.toUpper().compare(b.toUpper());
    return byUpper != 0 ? byUpper < 0 : a < b;
}

QStringList PresetNameOrder::sorted(const QStringList& names) const
{
    QStringList result;
    result.reserve(names.size());
    for (const qint16 i : sortedPositions(qint16(names.size()), [&](qint16 i) { return names[i]; }))
        result.append(names[i]);
    return result;
}

std::vector<qint16> PresetNameOrder::sortedPositions(qint16 count, const std::function<QString(qint16)>& nameAt) const
{
    // One sort key per name: comparing keys is far cheaper than collating the two texts again at every step. Keys
    // are rarely equal, so the upper-case forms are made only then.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(count));
    for (qint16 i = 0; i < count; ++i)
        keys.push_back(m_collator.sortKey(nameAt(i)));
    std::vector<qint16> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), qint16(0));
    std::sort(order.begin(), order.end(), [&](qint16 a, qint16 b) {
        const int byKey = keys[size_t(a)].compare(keys[size_t(b)]);
        if (byKey != 0)
            return byKey < 0;
        const QString nameA = nameAt(a), nameB = nameAt(b);
        const int byUpper = nameA.toUpper().compare(nameB.toUpper());
        return byUpper != 0 ? byUpper < 0 : nameA < nameB;
    });
    return order;
}
