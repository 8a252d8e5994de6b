#pragma once

#include <QCollator>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// The order of the presets window's list: alphabetical as the operator's language reads it, without regard to case.
class PresetNameOrder
{
public:
    PresetNameOrder();
    bool lessThan(const QString& a, const QString& b) const;
    QStringList sorted(const QStringList& names) const;
    // The numbers 0 to count - 1 in the order of the names `nameAt` gives for them.
    std::vector<qint16> sortedPositions(qint16 count, const std::function<QString(qint16)>& nameAt) const;

private:
    QCollator m_collator;
};
