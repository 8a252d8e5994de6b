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
    frmClockTimes(const GroupTables& tables, std::function<QDateTime()> utcNow, QWidget* parent = nullptr);

    QTreeWidget* Times = nullptr;
    QLabel* Empty = nullptr;

    void refresh();

private:
    const GroupTables& m_tables;
    std::function<QDateTime()> m_utcNow;
};
