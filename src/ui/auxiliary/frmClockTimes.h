// The clock times window: what the clocks of every group show now, and when that next jumps; kept current.
#pragma once

#include <QDateTime>
#include <QWidget>

#include <functional>

class QLabel;
class QTreeWidget;
struct GroupTables;

class frmClockTimes : public QWidget
{
    Q_OBJECT

public:
    // The groups in force (`tables.ActiveGroups`) at `utcNow()`, shown again every second.
    // `placeOf` says a group's place and how its codes fare against it; empty for a group without one.
    frmClockTimes(const GroupTables& tables, std::function<QDateTime()> utcNow,
                  std::function<QString(int group)> placeOf = {}, QWidget* parent = nullptr);

    QTreeWidget* Times = nullptr;
    QLabel* Empty = nullptr;

    void refresh();

private:
    const GroupTables& m_tables;
    std::function<QDateTime()> m_utcNow;
    std::function<QString(int group)> m_placeOf;
};
